#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "tavrel/platform/program_folder.h"
#include "tavrel/platform/recent_file_store.h"

namespace tavrel {
namespace {

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
