#include "dalmir/logic/folder_add_form.h"

#include <gtest/gtest.h>

#include "core/text/sjis.h"

namespace dalmir {
namespace {

using model::AddKind;
using model::IndexSettings;

TEST(FolderAddFormTest, BlankFolderIsRefusedAndLeavesTheSettings) {
    for (const char* folder : {"", "   ", "\t\n"}) {
        IndexSettings s;
        s.addPath = "/old";
        s.addPlayer = "keep";
        FolderAddForm f;
        f.folder = folder;
        f.player = "new";
        const FolderAddDecision d = decideFolderAdd(f, true, s);
        EXPECT_EQ(d.result, FolderAddFormResult::NoFolder) << '[' << folder << ']';
        EXPECT_EQ(s.addPath, "/old");
        EXPECT_EQ(s.addPlayer, "keep");
    }
}

TEST(FolderAddFormTest, ValuesBecomeTheRequestAndTheNextStart) {
    IndexSettings s;
    FolderAddForm f;
    f.folder = "  /data/棋譜  ";
    f.subfolders = true;
    f.kind = static_cast<int>(AddKind::Csa);
    f.player = std::string("羽生");
    f.event = "E";
    f.opening = "O";
    f.dateFilter = true;
    f.year = 2001;
    f.month = 2;
    f.day = 3;
    f.skipDuplicates = true;
    f.duplicates.nameBytes = 4;
    const FolderAddDecision d = decideFolderAdd(f, true, s);
    ASSERT_EQ(d.result, FolderAddFormResult::Ready);
    EXPECT_EQ(d.request.folder, "/data/棋譜");
    EXPECT_TRUE(d.request.subfolders);
    EXPECT_EQ(d.request.kind, AddKind::Csa);
    EXPECT_EQ(d.request.filters.player, std::string("羽生"));
    EXPECT_TRUE(d.request.filters.skipDuplicates);
    EXPECT_EQ(d.request.filters.duplicates.nameBytes, 4);
    EXPECT_TRUE(d.request.dateFilter);
    EXPECT_EQ(d.request.day, 3);
    EXPECT_EQ(s.addPath, std::string("/data/棋譜"));  // kept in its stored (CP932) form

    // The next dialog starts where this one ended.
    const FolderAddForm next = folderAddForm(s, true, f.duplicates);
    EXPECT_EQ(next.folder, "/data/棋譜");
    EXPECT_TRUE(next.subfolders);
    EXPECT_EQ(next.kind, f.kind);
    EXPECT_EQ(next.player, f.player);
    EXPECT_EQ(next.event, "E");
    EXPECT_EQ(next.opening, "O");
    EXPECT_TRUE(next.dateFilter);
    EXPECT_EQ(next.year * 10000 + next.month * 100 + next.day, 20010203);
}

TEST(FolderAddFormTest, OutOfRangeValuesAreMadeSafe) {
    struct Case {
        int kind, month, day;
        AddKind wantKind;
        int wantMonth, wantDay;
    };
    for (const Case c :
         {Case{-1, 0, 0, AddKind::AnyRecord, 1, 1}, Case{99, 13, 32, AddKind::AnyRecord, 12, 31},
          Case{0, 6, 15, AddKind::Kif, 6, 15}}) {
        IndexSettings s;
        FolderAddForm f;
        f.folder = "/x";
        f.kind = c.kind;
        f.year = 2000;
        f.month = c.month;
        f.day = c.day;
        const FolderAddDecision d = decideFolderAdd(f, true, s);
        ASSERT_EQ(d.result, FolderAddFormResult::Ready);
        EXPECT_EQ(d.request.kind, c.wantKind) << c.kind;
        EXPECT_EQ(d.request.month, c.wantMonth);
        EXPECT_EQ(d.request.day, c.wantDay);
    }
}

TEST(FolderAddFormTest, FiltersAreCutWholeCharacters) {
    IndexSettings s;
    FolderAddForm f;
    f.folder = "/x";
    // 'a' then double-byte characters: the limit falls inside one of them.
    f.player = "a";
    for (int i = 0; i < 40; ++i) f.player += std::string("将");
    const FolderAddDecision d = decideFolderAdd(f, true, s);
    ASSERT_EQ(d.result, FolderAddFormResult::Ready);
    EXPECT_LE(core::cp932Width(d.request.filters.player), model::kAddFilterMaxBytes);
    EXPECT_GE(core::cp932Width(d.request.filters.player) + 1, model::kAddFilterMaxBytes);
    EXPECT_TRUE(core::isValidUtf8(d.request.filters.player));
    EXPECT_EQ(s.addPlayer, d.request.filters.player);
}

TEST(FolderAddFormTest, MoveListCriterionOnlyForBinaryDatabases) {
    for (const bool binary : {true, false}) {
        IndexSettings s;
        FolderAddForm f;
        f.folder = "/x";
        f.skipDuplicates = true;
        f.duplicates.compareMoves = true;
        const FolderAddDecision d = decideFolderAdd(f, binary, s);
        ASSERT_EQ(d.result, FolderAddFormResult::Ready);
        EXPECT_EQ(d.request.filters.duplicates.compareMoves, binary);
    }
}

// 単独追加's dialog starts at the filter 追加種類 names and remembers the one chosen and the
// file's folder.
TEST(FolderAddFormTest, SingleAddFiltersFollowTheAddKind) {
    const std::vector<std::string> filters = singleAddFilters();
    ASSERT_EQ(filters.size(), 7u);
    EXPECT_EQ(filters[3], "CSA棋譜(*.CSA *.csa)");
    EXPECT_EQ(filters[5], "棋譜情報(*.DLS *.dls)");
    model::IndexSettings settings;
    settings.addKind = 3;
    EXPECT_EQ(singleAddFilter(settings), 3);
    settings.addKind = 42;
    EXPECT_EQ(singleAddFilter(settings), 6);
    settings.addKind = -1;
    EXPECT_EQ(singleAddFilter(settings), 6);

    rememberSingleAdd("/home/u/棋譜/a.csa", 3, settings);
    EXPECT_EQ(settings.addKind, 3);
    EXPECT_EQ(settings.addPath, std::string("/home/u/棋譜/"));
    rememberSingleAdd("/x/b.kif", 99, settings);
    EXPECT_EQ(settings.addKind, 6);
    EXPECT_EQ(settings.addPath, "/x/");
}

}  // namespace
}  // namespace dalmir
