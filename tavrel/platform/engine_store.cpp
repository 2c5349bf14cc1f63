#include "tavrel/platform/engine_store.h"

#include <QSettings>

namespace tavrel {

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

std::vector<usi::EngineEntry> loadEngines(const QString& product) {
    QSettings s(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("VESK"), product);
    std::vector<usi::EngineEntry> list;
    const int count = s.beginReadArray(QStringLiteral("Engines"));
    for (int i = 0; i < count; ++i) {
        s.setArrayIndex(i);
        usi::EngineEntry e;
        e.name = s.value(QStringLiteral("name")).toString().toStdString();
        e.path = s.value(QStringLiteral("path")).toString().toStdString();
        const QStringList names = s.value(QStringLiteral("optionNames")).toStringList();
        const QStringList values = s.value(QStringLiteral("optionValues")).toStringList();
        for (qsizetype k = 0; k < names.size() && k < values.size(); ++k) {
            e.options.emplace_back(names[k].toStdString(), values[k].toStdString());
        }
        // An entry without a program is of no use; the rest of the list still loads.
        if (!e.path.empty()) list.push_back(std::move(e));
    }
    s.endArray();
    return list;
}

void saveEngines(const std::vector<usi::EngineEntry>& list, const QString& product) {
    QSettings s(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("VESK"), product);
    s.remove(QStringLiteral("Engines"));
    s.beginWriteArray(QStringLiteral("Engines"), static_cast<int>(list.size()));
    for (std::size_t i = 0; i < list.size(); ++i) {
        s.setArrayIndex(static_cast<int>(i));
        const usi::EngineEntry& e = list[i];
        s.setValue(QStringLiteral("name"), qs(e.name));
        s.setValue(QStringLiteral("path"), qs(e.path));
        QStringList names;
        QStringList values;
        for (const auto& [name, value] : e.options) {
            names << qs(name);
            values << qs(value);
        }
        s.setValue(QStringLiteral("optionNames"), names);
        s.setValue(QStringLiteral("optionValues"), values);
    }
    s.endArray();
    s.sync();
}

GamePlayers loadGamePlayers(const QString& product) {
    QSettings s(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("VESK"), product);
    s.beginGroup(QStringLiteral("EngineGame"));
    GamePlayers p;
    p.blackEngine = s.value(QStringLiteral("blackEngine")).toString().toStdString();
    p.whiteEngine = s.value(QStringLiteral("whiteEngine")).toString().toStdString();
    // Values out of the sheet's ranges (a hand-edited profile) fall back to the defaults.
    const auto seconds = [&s](const QString& key, int fallback) {
        bool ok = false;
        const int v = s.value(key, fallback).toInt(&ok);
        return ok && v >= 0 && v <= kMaxControlSeconds ? v : fallback;
    };
    p.time.initialSeconds = seconds(QStringLiteral("initialSeconds"), p.time.initialSeconds);
    p.time.byoyomiSeconds = seconds(QStringLiteral("byoyomiSeconds"), p.time.byoyomiSeconds);
    p.time.incrementSeconds = seconds(QStringLiteral("incrementSeconds"), p.time.incrementSeconds);
    s.endGroup();
    return p;
}

void saveGamePlayers(const GamePlayers& players, const QString& product) {
    QSettings s(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("VESK"), product);
    s.beginGroup(QStringLiteral("EngineGame"));
    s.setValue(QStringLiteral("blackEngine"), qs(players.blackEngine));
    s.setValue(QStringLiteral("whiteEngine"), qs(players.whiteEngine));
    s.setValue(QStringLiteral("initialSeconds"), players.time.initialSeconds);
    s.setValue(QStringLiteral("byoyomiSeconds"), players.time.byoyomiSeconds);
    s.setValue(QStringLiteral("incrementSeconds"), players.time.incrementSeconds);
    s.endGroup();
    s.sync();
}

}  // namespace tavrel
