#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "viewer/platform/instance_lock.h"
#include "viewer/platform/program_folder.h"
#include "viewer/platform/recent_file_store.h"

namespace viewer {
namespace {

TEST(InstanceLock, NumbersRunningCopiesAndFreesOnExit) {
    QTemporaryDir dir;
    auto first = std::make_unique<InstanceLock>(QStringLiteral("Tavrel"), dir.path());
    InstanceLock second(QStringLiteral("Tavrel"), dir.path());
    EXPECT_EQ(first->number(), 1);
    EXPECT_EQ(second.number(), 2);
    first.reset();
    InstanceLock third(QStringLiteral("Tavrel"), dir.path());
    EXPECT_EQ(third.number(), 1);
}

TEST(InstanceLock, ThirtyThreeWhenAllAreTaken) {
    QTemporaryDir dir;
    std::vector<std::unique_ptr<InstanceLock>> locks;
    for (int i = 0; i < kInstanceSlots; ++i) {
        locks.push_back(std::make_unique<InstanceLock>(QStringLiteral("Tavrel"), dir.path()));
    }
    EXPECT_EQ(locks.back()->number(), 32);
    InstanceLock extra(QStringLiteral("Tavrel"), dir.path());
    EXPECT_EQ(extra.number(), 33);
}

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
}  // namespace viewer
