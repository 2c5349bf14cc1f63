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

// The tree pane's sources keep their bytes (a non-UTF-8 name too) and leave the list alone.
TEST(RecentFileStore, TreeSourcesRoundTripBesideTheList) {
    QStandardPaths::setTestModeEnabled(true);
    RecentFileList list;
    list.add("/r/a.kif");
    saveRecentFiles(list, QStringLiteral("TavrelTest"));
    saveTreeSources({"/db/\x8a\xfb.DLB", "/b/book.db"}, QStringLiteral("TavrelTest"));
    const TreeSourcePaths read = loadTreeSources(QStringLiteral("TavrelTest"));
    EXPECT_EQ(read.database, "/db/\x8a\xfb.DLB");
    EXPECT_EQ(read.book, "/b/book.db");
    RecentFileList back;
    loadRecentFiles(back, QStringLiteral("TavrelTest"));
    EXPECT_EQ(back.entries(), list.entries());
    saveRecentFiles(RecentFileList{}, QStringLiteral("TavrelTest"));
    EXPECT_EQ(loadTreeSources(QStringLiteral("TavrelTest")).book, "/b/book.db");
    saveTreeSources({}, QStringLiteral("TavrelTest"));
    EXPECT_TRUE(loadTreeSources(QStringLiteral("TavrelTest")).database.empty());
}

}  // namespace
}  // namespace tavrel
