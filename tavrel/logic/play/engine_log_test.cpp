#include "tavrel/logic/play/engine_log.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/text/sjis.h"

namespace tavrel {
namespace {

TEST(EngineLogTest, KeepsTheNewestLinesAndTellsTheListener) {
    EngineLog log(3);
    std::vector<std::string> heard;
    log.setListener([&](const EngineLogLine& l) { heard.push_back(engineLogText(l)); });
    log.add("A", EngineTraffic::Sent, "usi");
    log.add("A", EngineTraffic::Received, "id name A\r\n");
    log.add("A", EngineTraffic::Received, "Banner v1");
    log.add("A", EngineTraffic::Received, "usiok");
    ASSERT_EQ(log.lines().size(), 3u);
    EXPECT_EQ(log.dropped(), 1u);
    EXPECT_EQ(engineLogText(log.lines().front()), "A< id name A");
    EXPECT_EQ(heard,
              (std::vector<std::string>{"A> usi", "A< id name A", "A< Banner v1", "A< usiok"}));
    log.clear();
    EXPECT_TRUE(log.lines().empty());
    EXPECT_EQ(log.dropped(), 0u);
}

// Whatever an engine prints is shown readably: UTF-8 as it is, CP932 converted, other bytes
// marked, control characters made visible, and an endless line cut with its length noted.
TEST(EngineLogTest, AnyBytesShowReadably) {
    EngineLog log;
    log.add("E", EngineTraffic::Received, "info string 探索中");
    log.add("E", EngineTraffic::Received, std::string("info string 探索中"));
    log.add("E", EngineTraffic::Received, std::string("x\xFF\xFEy\x01z", 6));
    log.add("E", EngineTraffic::Received, std::string(EngineLog::kMaxLineBytes + 10, 'a'));
    ASSERT_EQ(log.lines().size(), 4u);
    EXPECT_EQ(engineLogText(log.lines()[0]), "E< info string 探索中");
    EXPECT_EQ(engineLogText(log.lines()[1]), "E< info string 探索中");
    EXPECT_EQ(engineLogText(log.lines()[2]), "E< x\xEF\xBF\xBD\xEF\xBF\xBDy?z");
    const std::string long_ = engineLogText(log.lines()[3]);
    EXPECT_EQ(long_.size(), 3 + EngineLog::kMaxLineBytes + std::string(" ... (4106 bytes)").size());
    EXPECT_NE(long_.find("(4106 bytes)"), std::string::npos);
}

}  // namespace
}  // namespace tavrel
