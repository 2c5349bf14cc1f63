#include "dalmir/model/search/record_conditions.h"

#include <gtest/gtest.h>

#include "core/classify/classifier.h"
#include "core/formats/kif_writer.h"
#include "core/formats/usi_reader.h"
#include "core/text/sjis.h"
#include "dalmir/model/registration/registration.h"
#include "tests/support/test_records.h"

namespace dalmir::model {
namespace {

using testsupport::TempFolder;

const char* kExchange = "7g7f 3c3d 8h2b+ 3a2b B*5e 8c8d";

std::vector<ListMove> listOf(const std::string& usi, int terminal) {
    core::RecordStore store(200);
    EXPECT_EQ(core::readUsiText(store, "position startpos moves " + usi, {}).result,
              core::ReadResult::Ok);
    std::vector<core::LineMove> line;
    core::mainLineMoves(store, line);
    std::vector<ListMove> list;
    for (core::LineMove m : line) list.push_back({m.origin, m.destination});
    if (terminal >= 0) list.push_back({1, static_cast<uint8_t>(terminal)});
    return list;
}

class RecordConditionsTest : public ::testing::Test {
protected:
    // A binary database of three games: 投了, 千日手 and one without a closing entry.
    void SetUp() override {
        m_db.reset(true);
        add("/g/resign.kif", listOf(kExchange, 0));
        add("/g/repetition.kif", listOf(kExchange, 7));
        add("/g/open.kif", listOf("7g7f 3c3d 2g2f 8c8d", -1));
    }
    void add(const char* path, std::vector<ListMove> list) {
        IndexEntry e;
        e.setText(IndexText::Path, path);
        ASSERT_GE(m_db.append(e, std::move(list)), 0);
    }
    // The paths of the listed records after the search.
    std::vector<std::string> find(const RecordConditions& c) {
        m_db.table().displayOrder().clear();
        for (int s = 0; s < m_db.table().size(); ++s) m_db.table().displayOrder().push_back(s);
        SearchReport r = findByRecordConditions(m_db, m_extractor, m_host, c);
        std::vector<std::string> paths;
        if (r.hits == 0) return paths;
        for (int32_t slot : m_db.table().displayOrder()) {
            paths.emplace_back(m_db.table().entry(slot).path());
        }
        return paths;
    }

    Database m_db;
    RecordExtractor m_extractor;
    OperationHost m_host;
};

TEST_F(RecordConditionsTest, ByHowTheGameEnded) {
    RecordConditions c;
    c.end = gameEndNamed("投了");
    EXPECT_EQ(find(c), std::vector<std::string>{"/g/resign.kif"});
    c.end = gameEndNamed(std::string("千日手"));  // the CP932 word reads as well
    EXPECT_EQ(find(c), std::vector<std::string>{"/g/repetition.kif"});
    c.end = gameEndNamed("詰み");
    EXPECT_TRUE(find(c).empty());
    // Nothing found leaves the list as it was.
    EXPECT_EQ(m_db.table().displayOrder().size(), 3u);
    EXPECT_FALSE(gameEndNamed("負け"));
    for (const char* w :
         {"詰み", "投了", "千日手", "持将棋", "入玉宣言", "反則", "中断", "時間切れ"}) {
        ASSERT_TRUE(gameEndNamed(w)) << w;
        EXPECT_EQ(core::toUtf8Lossy(gameEndWord(*gameEndNamed(w))), w);
    }
}

TEST_F(RecordConditionsTest, ByMaterialAtAPlyOrAtTheEnd) {
    MaterialParse p = parseMaterial(std::string("角0枚 先手"));
    ASSERT_TRUE(p.pattern) << core::toUtf8Lossy(p.error);
    RecordConditions c;
    c.material = p.pattern;
    c.materialPly = 4;  // both bishops are in hand after the exchange
    EXPECT_EQ(find(c), (std::vector<std::string>{"/g/resign.kif", "/g/repetition.kif"}));
    c.materialPly = -1;  // at the end Black has dropped its bishop again
    EXPECT_TRUE(find(c).empty());
    c.materialPly = 40;  // beyond every line
    EXPECT_TRUE(find(c).empty());

    c.material = parseMaterial(std::string("飛車2枚以上")).pattern;  // neither side
    c.materialPly = -1;
    EXPECT_TRUE(find(c).empty());
    c.material = parseMaterial(std::string("飛車１枚　角行１枚　後手")).pattern;
    EXPECT_EQ(find(c), std::vector<std::string>{"/g/open.kif"});
    c.end = gameEndNamed("投了");  // every condition must hold
    EXPECT_TRUE(find(c).empty());
}

TEST(MaterialPatternTest, UnreadableItemsAreNamed) {
    for (const char* bad : {"飛車", "車2枚", "飛車2枚くらい", "先手", ""}) {
        MaterialParse p = parseMaterial(std::string(bad));
        EXPECT_FALSE(p.pattern) << bad;
        EXPECT_FALSE(p.error.empty()) << bad;
    }
    EXPECT_NE(core::toUtf8Lossy(parseMaterial(std::string("飛車2枚 銀x")).error).find("銀x"),
              std::string::npos);
    EXPECT_FALSE(parseMaterial("\x81").pattern);  // a cut-off character
}

// Comments are read from the record files, in a text database as in a binary one.
TEST(RecordCommentsTest, ByCommentTextOfTheMainLine) {
    TempFolder records("records");
    auto write = [&](const char* name, const char* comment) {
        core::RecordStore store(100);
        ASSERT_EQ(core::readUsiText(store, std::string("position startpos moves ") + kExchange, {})
                      .result,
                  core::ReadResult::Ok);
        if (comment != nullptr) {
            ASSERT_EQ(store.appendComment(3, std::string(comment)), core::CommentResult::Ok);
        }
        records.writeBytes(name, core::kifText(store, {}));
    };
    write("a.kif", "ここで角交換");
    write("b.kif", "平凡な手");
    write("c.kif", nullptr);
    for (bool binary : {false, true}) {
        Database db;
        db.reset(binary);
        RecordExtractor extractor;
        ErrorLog log;
        OperationHost host;
        Registrar registrar(db, extractor, log, host);
        FolderAdd add;
        add.folder = records.path();
        (void)registrar.addFolder(add);
        ASSERT_EQ(db.table().size(), 3);
        RecordConditions c;
        c.comment = std::string("角交換");
        SearchReport r = findByRecordConditions(db, extractor, host, c);
        EXPECT_EQ(r.hits, 1) << binary;
        ASSERT_EQ(db.table().displayOrder().size(), 1u);
        EXPECT_TRUE(db.table().entry(db.table().displayOrder()[0]).path().ends_with("a.kif") ||
                    db.table().entry(db.table().displayOrder()[0]).path().ends_with("a.KIF") ||
                    db.table().entry(db.table().displayOrder()[0]).path().ends_with("A.KIF"));
    }
}

}  // namespace
}  // namespace dalmir::model
