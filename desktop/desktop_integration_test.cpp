#include "desktop/desktop_integration.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace desktop {
namespace {

QString readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

QString execLine(const QString& entry) {
    for (const QString& line : entry.split(u'\n')) {
        if (line.startsWith(QStringLiteral("Exec="))) return line;
    }
    return {};
}

class DesktopFiles : public ::testing::Test {
protected:
    QTemporaryDir dataHome;
    DesktopApp app{QStringLiteral("tavrel"), QStringLiteral("/opt/tavrel/bin/tavrel")};
    QString path(const QString& relative) const { return dataHome.path() + u'/' + relative; }
};

TEST_F(DesktopFiles, AssociationsAreWrittenUnderTheDataFolder) {
    DesktopResult r = installFileAssociations(app, dataHome.path());
    ASSERT_TRUE(r.ok) << r.failedPath.toStdString();
    EXPECT_EQ(r.written.size(), 3);
    QString entry = readAll(path(QStringLiteral("applications/tavrel.desktop")));
    EXPECT_EQ(execLine(entry), QStringLiteral("Exec=/opt/tavrel/bin/tavrel %f"));
    EXPECT_TRUE(entry.contains(QStringLiteral("MimeType=application/x-kif;application/x-ki2;")));
    QString mime = readAll(path(QStringLiteral("mime/packages/tavrel.xml")));
    for (const char* glob : {"*.kif", "*.ki2", "*.bod", "*.csa", "*.kifu", "*.ki2u"}) {
        EXPECT_TRUE(mime.contains(QStringLiteral("pattern=\"%1\"").arg(QLatin1String(glob))))
            << glob;
    }
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("icons/hicolor/scalable/apps/tavrel.svg"))));
    // The desktop's print action starts this program too, with its switch.
    EXPECT_TRUE(entry.contains(QStringLiteral("Actions=Print;")));
    EXPECT_TRUE(entry.contains(QStringLiteral("\nExec=/opt/tavrel/bin/tavrel /P %f")));
    app.id = QStringLiteral("dalmir");
    app.executable = QStringLiteral("/usr/bin/dalmir");
    EXPECT_TRUE(desktopEntryText(app).contains(QStringLiteral("\nExec=/usr/bin/dalmir /p %f")));

    QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (validator.isEmpty()) {
        GTEST_SKIP() << "desktop-file-validate is not installed";
    }
    QProcess p;
    p.start(validator, {path(QStringLiteral("applications/tavrel.desktop"))});
    ASSERT_TRUE(p.waitForFinished());
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardOutput().toStdString();
}

TEST_F(DesktopFiles, ProgramPathsWithSpecialCharactersAreQuoted) {
    app.executable = QStringLiteral("/home/k/My Apps/100%/ta\"v$rel");
    EXPECT_EQ(execLine(desktopEntryText(app)),
              QStringLiteral("Exec=\"/home/k/My Apps/100%%/ta\\\\\"v\\\\$rel\" %f"));
    app.id = QStringLiteral("dalmir");
    app.executable = QStringLiteral("/usr/bin/dalmir");
    EXPECT_EQ(desktopEntryMimeTypes(app),
              (QStringList{QStringLiteral("application/x-dalmir-index"),
                           QStringLiteral("application/x-dalmir-binary")}));
}

TEST_F(DesktopFiles, AnUnwritableTargetWritesNothing) {
    // "applications" is a file: its entry cannot be written, so the MIME package is not either.
    QFile blocker(path(QStringLiteral("applications")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    DesktopResult r = installFileAssociations(app, dataHome.path());
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.failedPath, path(QStringLiteral("applications")));
    EXPECT_TRUE(r.written.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("mime"))));
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("icons"))));
}

TEST_F(DesktopFiles, ShortcutOnTheDesktopIsExecutable) {
    QString desktop = path(QStringLiteral("Desktop"));
    DesktopResult r = createDesktopShortcut(app, desktop);
    ASSERT_TRUE(r.ok);
    QFileInfo shortcut(desktop + QStringLiteral("/tavrel.desktop"));
    EXPECT_TRUE(shortcut.isExecutable());
    EXPECT_EQ(execLine(readAll(shortcut.filePath())),
              QStringLiteral("Exec=/opt/tavrel/bin/tavrel %f"));
    QFile(desktop + QStringLiteral("/tavrel.desktop")).remove();
    QDir().rmdir(desktop);
    QFile blocker(desktop);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_FALSE(createDesktopShortcut(app, desktop).ok);
}

TEST_F(DesktopFiles, DesktopToolsRunOnlyWhenInstalled) {
    auto only = [](const QString& present) {
        return [present](const QString& program) {
            return program == present ? QStringLiteral("/usr/bin/") + program : QString();
        };
    };
    EXPECT_TRUE(desktopRefreshCommands(app, QStringLiteral("/d"), only(QString())).isEmpty());
    EXPECT_EQ(
        desktopRefreshCommands(app, QStringLiteral("/d"), only(QStringLiteral("xdg-mime"))),
        (QList<QStringList>{
            {QStringLiteral("/usr/bin/xdg-mime"), QStringLiteral("default"),
             QStringLiteral("tavrel.desktop"), QStringLiteral("application/x-kif"),
             QStringLiteral("application/x-ki2"), QStringLiteral("application/x-csa"),
             QStringLiteral("application/x-shogi-jkf"), QStringLiteral("application/x-bod")}}));
    QList<QStringList> all =
        desktopRefreshCommands(app, QStringLiteral("/d"), [](const QString& p) { return p; });
    ASSERT_EQ(all.size(), 3);
    EXPECT_EQ(all[0],
              (QStringList{QStringLiteral("update-mime-database"), QStringLiteral("/d/mime")}));
    EXPECT_EQ(all[1], (QStringList{QStringLiteral("update-desktop-database"),
                                   QStringLiteral("/d/applications")}));
}

TEST(DesktopDataHome, FollowsXdgDataHome) {
    QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", "/tmp/xdg-data/");
    EXPECT_EQ(xdgDataHome(), QStringLiteral("/tmp/xdg-data"));
    qputenv("XDG_DATA_HOME", "relative/path");  // not absolute: ignored
    EXPECT_EQ(xdgDataHome(), QDir::homePath() + QStringLiteral("/.local/share"));
    if (saved.isNull()) {
        qunsetenv("XDG_DATA_HOME");
    } else {
        qputenv("XDG_DATA_HOME", saved);
    }
}

}  // namespace
}  // namespace desktop
