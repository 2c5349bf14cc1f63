#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "tavrel/platform/program_folder.h"
#include "tavrel/platform/recent_file_store.h"

namespace tavrel {
namespace {

TEST(ProgramFolder, FallsBackToDataFolderAndNeverWritesReadOnly) {
    QTemporaryDir exe;
    QTemporaryDir data;
    ProgramFolder f = chooseProgramFolder(exe.path(), data.path());
    EXPECT_TRUE(f.writable);
    EXPECT_EQ(f.path, exe.path() + QStringLiteral("/"));
    QFile::setPermissions(exe.path(), QFile::ReadOwner | QFile::ExeOwner);
    bool readOnly = !QFile(exe.path() + QStringLiteral("/probe")).open(QIODevice::WriteOnly);
    if (readOnly) {  // root may write anyway
        f = chooseProgramFolder(exe.path(), data.path());
        EXPECT_EQ(f.path, data.path() + QStringLiteral("/"));
        f = chooseProgramFolder(exe.path(), QString());
        EXPECT_FALSE(f.writable);
    }
    QFile::setPermissions(exe.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST(RecentFileStore, RoundTripUnderVesk) {
    QStandardPaths::setTestModeEnabled(true);
    RecentFileList list;
    list.add("/r/a.kif");
    list.add("/r/b.kif");
    saveRecentFiles(list, QStringLiteral("TavrelTest"));
    RecentFileList read;
    loadRecentFiles(read, QStringLiteral("TavrelTest"));
    EXPECT_EQ(read.entries(), list.entries());
    saveRecentFiles(RecentFileList{}, QStringLiteral("TavrelTest"));
    loadRecentFiles(read, QStringLiteral("TavrelTest"));
    EXPECT_TRUE(read.entries().empty());
}

}  // namespace
}  // namespace tavrel
