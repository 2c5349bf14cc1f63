#include "viewer/platform/engine_store.h"

#include <QSettings>

namespace viewer {

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

std::vector<EngineEntry> loadEngines(const QString& product) {
    QSettings s(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("VESK"), product);
    std::vector<EngineEntry> list;
    const int count = s.beginReadArray(QStringLiteral("Engines"));
    for (int i = 0; i < count; ++i) {
        s.setArrayIndex(i);
        EngineEntry e;
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

void saveEngines(const std::vector<EngineEntry>& list, const QString& product) {
    QSettings s(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("VESK"), product);
    s.remove(QStringLiteral("Engines"));
    s.beginWriteArray(QStringLiteral("Engines"), static_cast<int>(list.size()));
    for (std::size_t i = 0; i < list.size(); ++i) {
        s.setArrayIndex(static_cast<int>(i));
        const EngineEntry& e = list[i];
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

}  // namespace viewer
