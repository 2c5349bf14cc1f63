#include "usi/engine_list.h"

#include <gtest/gtest.h>

namespace usi {
namespace {

TEST(EngineList, FolderAndNameOfTheProgram) {
    EXPECT_EQ(engineFolder("/opt/engines/strong/engine"), "/opt/engines/strong");
    EXPECT_EQ(engineFolder("/engine"), "/");
    EXPECT_EQ(engineFolder("engine"), ".");
    EXPECT_EQ(defaultEngineName("/opt/engines/strong/engine"), "engine");
}

TEST(EngineList, ChosenValuesKeepOnlyWhatDiffersFromTheDefault) {
    EngineEntry e{"E", "/e", {}};
    const UsiOption hash{"USI_Hash", UsiOptionType::Spin, "256", 1, 1024, {}};
    const UsiOption clear{"Clear", UsiOptionType::Button, "", 0, 0, {}};
    chooseOptionValue(e, hash, "2048");
    EXPECT_EQ(optionValue(e, hash), "1024");
    chooseOptionValue(e, hash, "256");
    EXPECT_TRUE(e.options.empty());
    EXPECT_EQ(optionValue(e, hash), "256");
    chooseOptionValue(e, hash, "not a number");
    EXPECT_TRUE(e.options.empty());
    chooseOptionValue(e, clear, "x");
    EXPECT_TRUE(e.options.empty());
}

TEST(EngineList, PutReplacesTheEngineOfTheSameName) {
    std::vector<EngineEntry> list;
    EXPECT_EQ(putEngine(list, {"A", "/a", {}}), 0);
    EXPECT_EQ(putEngine(list, {"B", "/b", {}}), 1);
    EXPECT_EQ(putEngine(list, {"A", "/a2", {}}), 0);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].path, "/a2");
}

}  // namespace
}  // namespace usi
