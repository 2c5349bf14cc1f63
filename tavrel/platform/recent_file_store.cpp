#include "tavrel/platform/recent_file_store.h"

#include <QFile>
#include <QSettings>
#include <algorithm>

namespace tavrel {

void loadRecentFiles(RecentFileList& list, const QString& product) {
    QSettings s(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("VESK"), product);
    s.beginGroup(QStringLiteral("MRU"));
    int count = std::clamp(s.value(QStringLiteral("No."), 0).toInt(), 0, kRecentFileCount);
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i) {
        QString p = s.value(QStringLiteral("file%1").arg(i)).toString();
        paths.push_back(QFile::encodeName(p).toStdString());
    }
    list.assign(paths);
}

void saveRecentFiles(const RecentFileList& list, const QString& product) {
    QSettings s(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("VESK"), product);
    s.beginGroup(QStringLiteral("MRU"));
    s.remove(QString());
    s.setValue(QStringLiteral("No."), list.count());
    for (int i = 0; i < list.count(); ++i) {
        s.setValue(QStringLiteral("file%1").arg(i),
                   QFile::decodeName(
                       QByteArray::fromStdString(list.entries()[static_cast<std::size_t>(i)])));
    }
    s.endGroup();
    s.sync();
}

TreeSourcePaths loadTreeSources(const QString& product) {
    QSettings s(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("VESK"), product);
    s.beginGroup(QStringLiteral("Tree"));
    auto path = [&](const char* key) {
        return s.value(QLatin1String(key)).toByteArray().toStdString();
    };
    return {path("database"), path("book")};
}

void saveTreeSources(const TreeSourcePaths& paths, const QString& product) {
    QSettings s(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("VESK"), product);
    s.beginGroup(QStringLiteral("Tree"));
    // As bytes: a path need not be valid text.
    s.setValue(QStringLiteral("database"), QByteArray::fromStdString(paths.database));
    s.setValue(QStringLiteral("book"), QByteArray::fromStdString(paths.book));
    s.endGroup();
    s.sync();
}

}  // namespace tavrel
