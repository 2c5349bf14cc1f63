#include "tavrel/settings/engine_options.h"

#include <gtest/gtest.h>

namespace tavrel {
namespace {

// A fresh environment gives the engine exactly the engine's own defaults.
TEST(EngineOptionsTest, DefaultsAgree) {
    Settings s;
    core::RecordWriteOptions w = writeOptions(s);
    core::RecordWriteOptions d;
    EXPECT_EQ(w.kifOmitZeroTimes, d.kifOmitZeroTimes);
    EXPECT_EQ(w.commentWrap, d.commentWrap);
    EXPECT_EQ(w.commentWrapColumn, d.commentWrapColumn);
    EXPECT_EQ(w.dragonAsRyu, d.dragonAsRyu);
    EXPECT_EQ(w.userKeys, d.userKeys);
    EXPECT_EQ(w.loadPosition, d.loadPosition);
    EXPECT_EQ(w.ki2Columns, d.ki2Columns);
    EXPECT_EQ(w.ki2HalfWidthColumns, d.ki2HalfWidthColumns);
    EXPECT_EQ(w.ki2Style, d.ki2Style);
    EXPECT_EQ(w.ki2HalfWidth, d.ki2HalfWidth);
    EXPECT_EQ(w.ruleCheck, d.ruleCheck);
    EXPECT_EQ(w.userMarksInFiles, d.userMarksInFiles);
    EXPECT_EQ(w.userMarksOnClipboard, d.userMarksOnClipboard);

    core::ReadOptions r = readOptions(s);
    core::ReadOptions rd;
    EXPECT_EQ(r.ruleCheck, rd.ruleCheck);
    EXPECT_EQ(r.autoTimeUsed, rd.autoTimeUsed);

    core::RecordOptions o = recordOptions(s);
    EXPECT_EQ(o.addMode, core::AddMode::Branch);
    EXPECT_FALSE(o.duplicateBookmarkNames);
}

TEST(EngineOptionsTest, SettingsReachTheEngine) {
    Settings s;
    s.checkRules = 0;
    s.addVariationMode = core::AddMode::Overwrite;
    s.ki2HalfWidth = 1;
    s.privateCharUse.file = 1;
    EXPECT_FALSE(readOptions(s).ruleCheck);
    EXPECT_FALSE(writeOptions(s).ruleCheck);
    EXPECT_TRUE(writeOptions(s).ki2HalfWidth);
    EXPECT_TRUE(writeOptions(s).userMarksInFiles);
    EXPECT_EQ(recordOptions(s).addMode, core::AddMode::Overwrite);
}

}  // namespace
}  // namespace tavrel
