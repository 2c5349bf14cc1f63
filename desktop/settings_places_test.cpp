#include "desktop/settings_places.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace desktop {
namespace {

void touch(const QString& path, const QByteArray& bytes = "x") {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class SettingsPlacesTest : public ::testing::Test {
protected:
    QTemporaryDir root;
    QString exe = root.filePath(QStringLiteral("bin"));
    QString config = root.filePath(QStringLiteral("config"));
    QString data = root.filePath(QStringLiteral("data"));
    void SetUp() override { ASSERT_TRUE(QDir().mkpath(exe)); }
};

// A writable folder of the executable (a build tree, ~/bin) is no reason to write there.
TEST_F(SettingsPlacesTest, XdgPlacesEvenBesideAWritableExecutable) {
    SettingsPlaces p = chooseSettingsPlaces(QStringLiteral("tavrel"), exe, config, data, false);
    EXPECT_EQ(p.configFolder, config + QStringLiteral("/tavrel/"));
    EXPECT_EQ(p.dataFolder, data + QStringLiteral("/tavrel/"));
    EXPECT_FALSE(p.portable);
    EXPECT_TRUE(p.writable);
    EXPECT_TRUE(QFileInfo(p.configFolder).isDir());
    EXPECT_TRUE(QFileInfo(p.dataFolder).isDir());
    EXPECT_TRUE(QDir(exe).isEmpty());
}

TEST_F(SettingsPlacesTest, PortableByOptionOrMarkerUsesTheExecutablesFolder) {
    SettingsPlaces p = chooseSettingsPlaces(QStringLiteral("dalmir"), exe, config, data, true);
    EXPECT_TRUE(p.portable);
    EXPECT_EQ(p.configFolder, exe + QStringLiteral("/"));
    EXPECT_EQ(p.dataFolder, exe + QStringLiteral("/"));
    EXPECT_TRUE(p.writable);
    EXPECT_FALSE(QFileInfo::exists(config));

    touch(QDir(exe).filePath(QStringLiteral("portable")));
    p = chooseSettingsPlaces(QStringLiteral("dalmir"), exe, config, data, false);
    EXPECT_TRUE(p.portable);
    EXPECT_EQ(p.configFolder, exe + QStringLiteral("/"));

    QStringList args{QStringLiteral("a.dls"), QStringLiteral("--portable"), QStringLiteral("/p")};
    EXPECT_TRUE(takePortableOption(args));
    EXPECT_EQ(args, (QStringList{QStringLiteral("a.dls"), QStringLiteral("/p")}));
    EXPECT_FALSE(takePortableOption(args));
}

TEST_F(SettingsPlacesTest, UnwritablePlacesAreNeverWritten) {
    QFile::setPermissions(exe, QFile::ReadOwner | QFile::ExeOwner);
    const bool readOnly =
        !QFile(QDir(exe).filePath(QStringLiteral("probe"))).open(QIODevice::WriteOnly);
    if (readOnly) {  // root may write anyway
        EXPECT_FALSE(chooseSettingsPlaces(QStringLiteral("t"), exe, config, data, true).writable);
        EXPECT_FALSE(
            chooseSettingsPlaces(QStringLiteral("t"), exe, QString(), QString(), false).writable);
    }
    QFile::setPermissions(exe, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// The settings an older version kept beside the executable or in the old data folder come over
// once; what the new place holds is never replaced.
TEST_F(SettingsPlacesTest, OldSettingsAreCopiedOnceAndNeverReplaced) {
    const QString oldData = root.filePath(QStringLiteral("olddata"));
    ASSERT_TRUE(QDir().mkpath(oldData));
    touch(QDir(exe).filePath(QStringLiteral("Tavrel95.env")), "old settings");
    touch(QDir(exe).filePath(QStringLiteral("players.his")), "history");
    touch(QDir(exe).filePath(QStringLiteral("tavrel")), "the program");
    touch(QDir(oldData).filePath(QStringLiteral("Tavrel95.env")), "older settings");
    const QStringList filters{QStringLiteral("*.env"), QStringLiteral("*.his")};
    SettingsPlaces p = chooseSettingsPlaces(QStringLiteral("tavrel"), exe, config, data, false);

    EXPECT_EQ(copyFromOldPlace(p.configFolder, {exe, oldData}, filters), 2);
    EXPECT_EQ(contents(p.configFolder + QStringLiteral("Tavrel95.env")), "old settings");
    EXPECT_EQ(contents(p.configFolder + QStringLiteral("players.his")), "history");
    EXPECT_FALSE(QFileInfo::exists(p.configFolder + QStringLiteral("tavrel")));
    // The old files stay where they were.
    EXPECT_EQ(contents(QDir(exe).filePath(QStringLiteral("Tavrel95.env"))), "old settings");

    touch(p.configFolder + QStringLiteral("Tavrel95.env"), "new settings");
    QFile::remove(p.configFolder + QStringLiteral("players.his"));
    EXPECT_EQ(copyFromOldPlace(p.configFolder, {exe, oldData}, filters), 0);
    EXPECT_EQ(contents(p.configFolder + QStringLiteral("Tavrel95.env")), "new settings");
    // A portable folder is its own old place: nothing to copy.
    EXPECT_EQ(copyFromOldPlace(exe, {exe}, filters), 0);
}

TEST_F(SettingsPlacesTest, OldSettingsFileComesOverOnce) {
    const QString oldFile = root.filePath(QStringLiteral("Dalmir.conf"));
    SettingsPlaces p = chooseSettingsPlaces(QStringLiteral("dalmir"), exe, config, data, false);
    const QString newFile = p.configFolder + QStringLiteral("dalmir.conf");
    EXPECT_FALSE(copyOldSettingsFile(oldFile, newFile));  // nothing to copy
    touch(oldFile, "[General]\nfont=x\n");
    EXPECT_TRUE(copyOldSettingsFile(oldFile, newFile));
    EXPECT_EQ(contents(newFile), "[General]\nfont=x\n");
    touch(oldFile, "[General]\nfont=y\n");
    EXPECT_FALSE(copyOldSettingsFile(oldFile, newFile));
    EXPECT_EQ(contents(newFile), "[General]\nfont=x\n");
}

}  // namespace
}  // namespace desktop
