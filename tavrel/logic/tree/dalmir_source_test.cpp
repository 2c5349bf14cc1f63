#include "tavrel/logic/tree/dalmir_source.h"

#include <gtest/gtest.h>

#include <map>

namespace tavrel {
namespace {

// Dalmir as the pane sees it through a scripted note.
struct FakeDalmir : core::OpenDatabaseProbe {
    std::optional<std::string> note;
    bool running = true;
    void opens(const std::string& path, bool saved = true) {
        note = core::openDatabaseNoteText({321, 7, path, saved});
    }
    std::optional<std::string> noteText() override { return note; }
    uint64_t startTime(long pid) override { return running && pid == 321 ? 7 : 0; }
    core::OpenDatabaseState state() { return core::openDatabaseState(*this); }
};

TEST(DalmirSource, TheMenuOffersItOnlyWhenDalmirHasADatabaseOpen) {
    FakeDalmir dalmir;
    DalmirSourceItem item = dalmirSourceItem(dalmir.state());
    EXPECT_FALSE(item.enabled);
    EXPECT_EQ(item.why, "Dalmirが起動していません。");
    dalmir.opens("");
    item = dalmirSourceItem(dalmir.state());
    EXPECT_FALSE(item.enabled);
    EXPECT_EQ(item.why, "Dalmirでデータベースが開かれていません。");
    dalmir.opens("/d/a.DLB");
    item = dalmirSourceItem(dalmir.state());
    EXPECT_TRUE(item.enabled);
    EXPECT_EQ(item.why, "/d/a.DLB");
    dalmir.running = false;  // it crashed and left its note
    EXPECT_FALSE(dalmirSourceItem(dalmir.state()).enabled);
}

// The pane opens Dalmir's database once, again when Dalmir opens another or saves it, says when
// Dalmir has unsaved changes, closes when Dalmir closes it, and keeps what it read when Dalmir
// ends.
TEST(DalmirSource, ThePaneFollowsDalmirAtEachRefresh) {
    FakeDalmir dalmir;
    DalmirFollower follow;
    dalmir.opens("/d/a.DLB");
    DalmirFollower::Step s = follow.refresh(dalmir.state(), 100);
    EXPECT_EQ(s.open, "/d/a.DLB");
    EXPECT_EQ(s.notice, "");
    EXPECT_EQ(follow.refresh(dalmir.state(), 100).open, std::nullopt);

    dalmir.opens("/d/a.DLB", false);
    s = follow.refresh(dalmir.state(), 100);
    EXPECT_EQ(s.open, std::nullopt);
    EXPECT_NE(s.notice.find("保存されていない変更"), std::string::npos);

    dalmir.opens("/d/a.DLB", true);
    s = follow.refresh(dalmir.state(), 250);  // saved: the file changed
    EXPECT_EQ(s.open, "/d/a.DLB");
    EXPECT_EQ(s.notice, "");

    dalmir.opens("/d/b.dls");
    EXPECT_EQ(follow.refresh(dalmir.state(), 250).open, "/d/b.dls");

    dalmir.opens("/d/new.DLB", false);
    s = follow.refresh(dalmir.state(), -1);  // not on disk yet
    EXPECT_EQ(s.open, "");
    EXPECT_NE(s.notice.find("まだ保存されていません"), std::string::npos);
    EXPECT_EQ(follow.refresh(dalmir.state(), 300).open, "/d/new.DLB");

    dalmir.running = false;
    s = follow.refresh(dalmir.state(), 300);
    EXPECT_EQ(s.open, std::nullopt);
    EXPECT_NE(s.notice.find("前に開いていた"), std::string::npos);

    dalmir.running = true;
    dalmir.opens("");
    s = follow.refresh(dalmir.state(), -1);
    EXPECT_EQ(s.open, "");
    EXPECT_EQ(s.notice, "Dalmirでデータベースが開かれていません。");
    EXPECT_EQ(follow.refresh(dalmir.state(), -1).open, std::nullopt);

    dalmir.opens("/d/a.DLB");
    EXPECT_EQ(follow.refresh(dalmir.state(), 100).open, "/d/a.DLB");
    follow.reset();
    EXPECT_EQ(follow.refresh(dalmir.state(), 100).open, "/d/a.DLB");
}

}  // namespace
}  // namespace tavrel
