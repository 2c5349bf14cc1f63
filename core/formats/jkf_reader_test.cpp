#include "core/formats/jkf_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/formats/jkf_writer.h"
#include "core/formats/usi.h"
#include "core/formats/writer_test_fixture.h"

namespace core {
namespace {

using testsupport::expectSameRecord;
using testsupport::readable;

std::string kif(const std::vector<std::string>& utf8Lines) {
    std::string text;
    for (const std::string& l : utf8Lines) text += std::string(l) + "\r\n";
    return text;
}

int mainLineLength(const RecordStore& store) {
    int n = 0;
    for (NodeIndex x = store.node(kRootNode).next; x != kNoNode; x = store.node(x).next) ++n;
    return n;
}

// Moves without origins (found from the piece, "same" and the relative word), a drop marked
// "H", times, comments, a fork with a closing entry: the same record as its KIF twin.
constexpr const char* kShortForms = R"({
  "header": {"先手": "先手さん", "後手": "後手さん", "棋戦": "テスト棋戦", "手合割": "平手"},
  "initial": {"preset": "HIRATE"},
  "moves": [
    {"comments": ["開始"]},
    {"move": {"to": {"x": 7, "y": 6}, "piece": "FU"}},
    {"move": {"color": 1, "from": {"x": 3, "y": 3}, "to": {"x": 3, "y": 4}, "piece": "FU"},
     "time": {"now": {"m": 1, "s": 5}, "total": {"h": 0, "m": 1, "s": 5}}},
    {"move": {"to": {"x": 2, "y": 2}, "piece": "KA", "promote": true}},
    {"move": {"same": true, "piece": "GI"}, "comments": ["同銀", "二行目"]},
    {"move": {"to": {"x": 5, "y": 8}, "piece": "KI", "relative": "R"},
     "forks": [[{"move": {"to": {"x": 5, "y": 8}, "piece": "KI", "relative": "L"}},
                {"special": "CHUDAN"}]]},
    {"move": {"to": {"x": 4, "y": 5}, "piece": "KA", "relative": "H"}},
    {"special": "TORYO"}
  ]
})";

TEST(JkfReaderTest, ShortFormsReadAsTheirKifTwin) {
    const std::string twin = kif({
        "棋戦：テスト棋戦",
        "手合割：平手",
        "先手：先手さん",
        "後手：後手さん",
        "手数----指手---------消費時間--",
        "*開始",
        "   1 ７六歩(77)   ( 0:00/00:00:00)",
        "   2 ３四歩(33)   ( 1:05/00:01:05)",
        "   3 ２二角成(88) ( 0:00/00:00:00)",
        "*同銀",
        "*二行目",
        "   4 同　銀(31)   ( 0:00/00:01:05)",
        "   5 ５八金(49)   ( 0:00/00:00:00)+",
        "   6 ４五角打     ( 0:00/00:01:05)",
        "   7 投了         ( 0:00/00:00:00)",
        "",
        "変化：5手",
        "   5 ５八金(69)   ( 0:00/00:00:00)",
        "   6 中断         ( 0:00/00:00:00)",
    });
    // The comment belongs to move 4 in the JKF; move it there in the twin.
    std::string fixed = twin;
    RecordStore expected;
    ASSERT_EQ(readRecordLines(expected, fixed, {}).result, ReadResult::Ok);
    ASSERT_EQ(expected.goToPly(3), EditResult::Ok);
    ASSERT_EQ(expected.deleteComment(3), EditResult::Ok);
    ASSERT_EQ(expected.goToPly(4), EditResult::Ok);
    ASSERT_EQ(expected.appendComment(4, std::string("同銀")), CommentResult::Ok);
    ASSERT_EQ(expected.appendComment(4, std::string("二行目")), CommentResult::Ok);
    ASSERT_EQ(expected.goTo(kRootNode), EditResult::Ok);

    RecordStore store;
    ReadReport r = readJkfText(store, kShortForms, {});
    ASSERT_EQ(r.result, ReadResult::Ok) << readable(r.message);
    EXPECT_TRUE(r.warnings.empty());
    expectSameRecord(expected, store);
    EXPECT_EQ(usiPositionCommand(store), "position startpos moves 7g7f 3c3d 8h2b+ 3a2b 4i5h B*4e");
    EXPECT_EQ(store.dirty(), 0u);
    EXPECT_EQ(store.current(), kRootNode);
}

TEST(JkfReaderTest, PresetsGiveTheirSetUps) {
    const char* presets[] = {"HIRATE", "KY", "KY_R", "KA",  "HI", "HIKY", "2",
                             "3",      "4",  "5",    "5_L", "6",  "8",    "10"};
    for (int type = 0; type < 14; ++type) {
        RecordStore store;
        std::string json =
            std::string(R"({"initial":{"preset":")") + presets[type] + R"("},"moves":[{}]})";
        ASSERT_EQ(readJkfText(store, json, {}).result, ReadResult::Ok) << presets[type];
        EXPECT_EQ(store.handicap(), type) << presets[type];
        EXPECT_FALSE(store.customStart()) << presets[type];
        EXPECT_EQ(store.firstMover(), firstMoverOf(type)) << presets[type];
        // And the writer names the preset it read.
        EXPECT_NE(jkfText(store, {}).find(std::string("\"") + presets[type] + "\""),
                  std::string::npos);
    }
}

TEST(JkfReaderTest, BoardDataGivesACustomStart) {
    constexpr const char* kJson = R"({
      "initial": {"preset": "OTHER", "data": {"color": 0,
        "board": [[{},{},{},{},{},{},{},{},{}], [{},{},{},{},{},{},{},{},{}],
                  [{},{},{},{},{},{},{},{},{}], [{},{},{},{},{},{},{},{},{}],
                  [{"color":1,"kind":"OU"},{},{},{},{},{},{},{},{}],
                  [{},{},{},{},{},{},{},{},{}], [{},{},{},{},{},{},{},{},{}],
                  [{},{},{},{},{},{},{},{},{}], [{},{},{},{},{},{},{},{},{"color":0,"kind":"RY"}]],
        "hands": [{"KI": 2}, {"FU": 18, "KY": 4}]}},
      "moves": [{}, {"move": {"to": {"x": 5, "y": 2}, "piece": "KI"}}, {"special": "TSUMI"}]})";
    RecordStore store;
    ReadReport r = readJkfText(store, kJson, {});
    ASSERT_EQ(r.result, ReadResult::Ok) << readable(r.message);
    EXPECT_TRUE(store.customStart());
    EXPECT_EQ(store.firstMover(), kSideBlack);
    Position start;
    store.restoreStartPosition(start);
    EXPECT_EQ(start.cells[51], makePiece(kSideWhite, kKing));
    EXPECT_EQ(start.cells[99], makePiece(kSideBlack, kDragon));
    HandCounts hand = countHand(start);
    EXPECT_EQ(hand.count(kSideBlack, kGold), 1 + 1);
    EXPECT_EQ(hand.count(kSideWhite, kPawn), 18);
    EXPECT_EQ(hand.count(kSideWhite, kLance), 4);
    EXPECT_EQ(usiPositionCommand(store),
              "position sfen 4k4/9/9/9/9/9/9/9/+R8 b 2G4l18p 1 moves G*5b");
    EXPECT_EQ(mainLineLength(store), 2);
}

TEST(JkfReaderTest, RuleViolationsWarnAndKeepTheMove) {
    // A pawn two squares ahead: the KIF reader's warning, and the move stays.
    constexpr const char* kJson = R"({"moves":[{},
      {"move":{"from":{"x":7,"y":7},"to":{"x":7,"y":5},"piece":"FU"}},
      {"move":{"from":{"x":3,"y":3},"to":{"x":3,"y":4},"piece":"FU"}}]})";
    ReadOptions options;
    options.fileName = "far.jkf";
    RecordStore store;
    ReadReport r = readJkfText(store, kJson, options);
    ASSERT_EQ(r.result, ReadResult::Ok) << readable(r.message);
    EXPECT_EQ(mainLineLength(store), 2);
    ASSERT_EQ(r.warnings.size(), 1u);
    EXPECT_EQ(readable(r.warnings[0]), "警告：ルールエラー：far.jkf 1手目 ７五歩(77)");

    options.ruleCheck = false;
    EXPECT_TRUE(readJkfText(store, kJson, options).warnings.empty());
}

struct BadFile {
    const char* name;
    const char* json;
    ReadResult result;
    const char* message;  // UTF-8 part of the report's message
    int pliesKept;
};

TEST(JkfReaderTest, MalformedFilesStopWithThePlaceAndKeepWhatWasRead) {
    const BadFile cases[] = {
        {"not JSON", "{\n  \"moves\": [\n    {},,\n  ]\n}", ReadResult::LineFailed,
         "3行8桁: JSONとして読めません。", 0},
        {"empty", "", ReadResult::LineFailed, "JSONとして読めません。", 0},
        {"not UTF-8", "{\"header\":{\"a\":\"\x82\xA0\"},\"moves\":[]}", ReadResult::LineFailed,
         "JSONとして読めません。", 0},
        {"array at the top", "[]", ReadResult::LineFailed, "/: 型が違います。", 0},
        {"no moves", "{}", ReadResult::LineFailed, "/moves: 項目がありません。", 0},
        {"moves not an array", R"({"moves":{}})", ReadResult::LineFailed, "/moves: 型が違います。",
         0},
        {"header value a number", R"({"header":{"棋戦":1},"moves":[]})", ReadResult::LineFailed,
         "/header/棋戦: 型が違います。", 0},
        {"unknown preset", R"({"initial":{"preset":"9"},"moves":[]})", ReadResult::LineFailed,
         "/initial/preset: 値が正しくありません。", 0},
        {"OTHER without data", R"({"initial":{"preset":"OTHER"},"moves":[]})",
         ReadResult::LineFailed, "/initial/data: 項目がありません。", 0},
        {"short board",
         R"({"initial":{"preset":"OTHER","data":{"color":0,"board":[],"hands":[{},{}]}},"moves":[]})",
         ReadResult::LineFailed, "/initial/data/board: 型が違います。", 0},
        {"move without piece",
         R"({"moves":[{},{"move":{"from":{"x":7,"y":7},"to":{"x":7,"y":6},"piece":"FU"}},{"move":{"to":{"x":3,"y":4}}}]})",
         ReadResult::LineFailed, "/moves/2/move/piece: 項目がありません。", 1},
        {"square as text", R"({"moves":[{},{"move":{"to":{"x":"7","y":6},"piece":"FU"}}]})",
         ReadResult::LineFailed, "/moves/1/move/to/x: 型が違います。", 0},
        {"square off the board", R"({"moves":[{},{"move":{"to":{"x":10,"y":6},"piece":"FU"}}]})",
         ReadResult::LineFailed, "/moves/1/move/to/x: 値が正しくありません。", 0},
        {"unknown piece", R"({"moves":[{},{"move":{"to":{"x":7,"y":6},"piece":"XX"}}]})",
         ReadResult::LineFailed, "/moves/1/move/piece: 値が正しくありません。", 0},
        {"empty origin",
         R"({"moves":[{},{"move":{"from":{"x":5,"y":5},"to":{"x":5,"y":4},"piece":"FU"}}]})",
         ReadResult::LineFailed, "/moves/1/move: 1手目 駒がありません。", 0},
        {"other piece on the origin",
         R"({"moves":[{},{"move":{"from":{"x":7,"y":7},"to":{"x":7,"y":6},"piece":"KA"}}]})",
         ReadResult::LineFailed, "/moves/1/move: 1手目 指せません。", 0},
        {"wrong side",
         R"({"moves":[{},{"move":{"color":1,"from":{"x":7,"y":7},"to":{"x":7,"y":6},"piece":"FU"}}]})",
         ReadResult::LineFailed, "/moves/1/move: 1手目 指せません。", 0},
        {"gold promoting",
         R"({"moves":[{},{"move":{"from":{"x":6,"y":9},"to":{"x":5,"y":8},"piece":"KI","promote":true}}]})",
         ReadResult::LineFailed, "/moves/1/move: 1手目 指せません。", 0},
        {"drop not in hand",
         R"({"moves":[{},{"move":{"to":{"x":5,"y":5},"piece":"KA","relative":"H"}}]})",
         ReadResult::LineFailed, "/moves/1/move: 1手目 打てません。", 0},
        {"same on the first move", R"({"moves":[{},{"move":{"same":true,"piece":"FU"}}]})",
         ReadResult::LineFailed, "/moves/1/move: 1手目 指せません。", 0},
        {"move after the end",
         R"({"moves":[{},{"move":{"from":{"x":7,"y":7},"to":{"x":7,"y":6},"piece":"FU"}},{"special":"TORYO"},{"move":{"from":{"x":3,"y":3},"to":{"x":3,"y":4},"piece":"FU"}}]})",
         ReadResult::LineFailed, "/moves/3: 3手目 終局の後に指し手があります。", 2},
        {"fork not a list",
         R"({"moves":[{},{"move":{"from":{"x":7,"y":7},"to":{"x":7,"y":6},"piece":"FU"},"forks":[{}]}]})",
         ReadResult::LineFailed, "/moves/1/forks/0: 型が違います。", 1},
        {"comment not text", R"({"moves":[{"comments":[1]}]})", ReadResult::LineFailed,
         "/moves/0/comments/0: 型が違います。", 0},
        {"time not a number",
         R"({"moves":[{},{"move":{"from":{"x":7,"y":7},"to":{"x":7,"y":6},"piece":"FU"},"time":{"now":{"m":0.5}}}]})",
         ReadResult::LineFailed, "/moves/1/time/now/m: 型が違います。", 0},
    };
    for (const BadFile& c : cases) {
        SCOPED_TRACE(c.name);
        RecordStore store;
        ReadReport r = readJkfText(store, c.json, {});
        EXPECT_EQ(r.result, c.result);
        EXPECT_NE(readable(r.message).find(c.message), std::string::npos) << readable(r.message);
        EXPECT_EQ(readable(store.readingError()), readable(r.message));
        EXPECT_EQ(mainLineLength(store), c.pliesKept);
        EXPECT_EQ(store.current(), kRootNode);
    }
}

// Forks nested deeper than the record can hold stop cleanly, whether each level adds a move or
// not, and a JSON text nested far deeper than that is no danger either.
TEST(JkfReaderTest, DeepForksStopCleanly) {
    auto nested = [](int depth, bool withMoves) {
        const std::string entry =
            withMoves
                ? R"({"move":{"from":{"x":7,"y":7},"to":{"x":7,"y":6},"piece":"FU"},"forks":[[)"
                : R"({"forks":[[)";
        std::string json = R"({"moves":[{},)";
        for (int i = 0; i < depth; ++i) json += entry;
        for (int i = 0; i < depth; ++i) json += "]]}";
        return json + "]}";
    };
    {
        RecordStore store(50);
        ReadReport r = readJkfText(store, nested(200, false), {});
        EXPECT_EQ(r.result, ReadResult::LineFailed);
        EXPECT_NE(readable(r.message).find("変化が深すぎます。"), std::string::npos);
    }
    {
        // The same move in every fork is the same node: no new node, so the depth check stops it.
        RecordStore store(50);
        ReadReport r = readJkfText(store, nested(200, true), {});
        EXPECT_EQ(r.result, ReadResult::LineFailed);
        EXPECT_EQ(mainLineLength(store), 1);
    }
    {
        RecordStore store;
        std::string deep = R"({"moves":[{},)";
        deep += std::string(100000, '[');
        deep += std::string(100000, ']');
        deep += "]}";
        ReadReport r = readJkfText(store, deep, {});
        EXPECT_EQ(r.result, ReadResult::LineFailed);
        // Refused before it is parsed, at the bracket that goes too deep.
        EXPECT_EQ(readable(r.message), "1行3012桁: 変化が深すぎます。");
    }
    {
        // Forks nested nearly as deep as a file may go: every level is read, and the pointer
        // of the innermost fault names the whole path.
        std::string json = R"({"moves":[{},)";
        const int levels = 990;
        for (int i = 0; i < levels; ++i) json += R"({"forks":[[)";
        json += R"({"move":{"to":{"x":0,"y":0}}})";
        for (int i = 0; i < levels; ++i) json += "]]}";
        json += "]}";
        RecordStore store(4000);
        ReadReport r = readJkfText(store, json, {});
        EXPECT_EQ(r.result, ReadResult::LineFailed);
        std::string expected = "/moves/1";
        for (int i = 0; i < levels; ++i) expected += "/forks/0/0";
        expected += "/move";
        EXPECT_EQ(readable(r.message).substr(0, expected.size()), expected);
    }
}

// Escaped characters read as the characters they stand for, and a header key given twice keeps
// its last value, as JSON means them.
TEST(JkfReaderTest, EscapesAndRepeatedKeysReadAsJsonMeansThem) {
    RecordStore store;
    ReadReport r = readJkfText(
        store,
        R"({"header":{"棋戦":"一","棋戦":"\u4e8c"},"moves":[{"comments":["\"引用\"\u3042\/"]},)"
        R"({"move":{"from":{"x":7,"y":7},"to":{"x":7,"y":6},"piece":"FU"}}]})",
        {});
    ASSERT_EQ(r.result, ReadResult::Ok) << readable(r.message);
    EXPECT_EQ(store.header(HeaderField::Event), "二");
    EXPECT_EQ(store.comment(0), "\"引用\"あ/\n");
    EXPECT_EQ(mainLineLength(store), 1);
}

TEST(JkfReaderTest, UnknownSpecialWarnsAndOddEndsMapBySide) {
    RecordStore store;
    ReadReport r = readJkfText(
        store,
        R"({"moves":[{},{"move":{"from":{"x":7,"y":7},"to":{"x":7,"y":6},"piece":"FU"}},{"special":"+ILLEGAL_ACTION"}]})",
        {});
    ASSERT_EQ(r.result, ReadResult::Ok);
    // Black broke a rule with White to move: the side to move wins.
    NodeIndex end = store.node(store.node(kRootNode).next).next;
    ASSERT_NE(end, kNoNode);
    EXPECT_EQ(store.node(end).to, terminalByte(TerminalCode::FoulWin));

    r = readJkfText(store, R"({"moves":[{},{"special":"SOMETHING"}]})", {});
    EXPECT_EQ(r.result, ReadResult::Ok);
    ASSERT_EQ(r.warnings.size(), 1u);
    EXPECT_NE(readable(r.warnings[0]).find("SOMETHING"), std::string::npos);
}

TEST(JkfReaderTest, TimesFillTheTimeUsedFieldWhenAsked) {
    ReadOptions options;
    options.autoTimeUsed = true;
    RecordStore store;
    ASSERT_EQ(readJkfText(store, kShortForms, options).result, ReadResult::Ok);
    EXPECT_EQ(store.header(HeaderField::TimeUsed), store.timeUsedText());
    EXPECT_FALSE(store.header(HeaderField::TimeUsed).empty());
}

TEST(JkfReaderTest, MainLineOnlySkipsForks) {
    RecordStore store;
    ReadOptions options;
    options.mainLineOnly = true;
    ReadReport r = readJkfText(store, kShortForms, options);
    ASSERT_EQ(r.result, ReadResult::Ok);
    EXPECT_TRUE(r.stoppedAtVariation);
    EXPECT_FALSE(store.hasVariations());
}

TEST(JkfWriterTest, WritesTheExpectedText) {
    RecordStore store;
    store.setPlayerName(PlayerField::Black, std::string("先手"));
    testsupport::RecordBuilder b(store);
    b.move(77, 76, 3);
    b.comment("一手目");
    b.move(33, 34);
    b.end(TerminalCode::Resign, 70);
    EXPECT_EQ(jkfText(store, {}),
              "{\r\n"
              "\"header\":{\"手合割\":\"平手\",\"先手\":\"先手\"},\r\n"
              "\"initial\":{\"preset\":\"HIRATE\"},\r\n"
              "\"moves\":[\r\n"
              "{},\r\n"
              "{\"move\":{\"color\":0,\"from\":{\"x\":7,\"y\":7},\"to\":{\"x\":7,\"y\":6},"
              "\"piece\":\"FU\"},\"time\":{\"now\":{\"m\":0,\"s\":3},\"total\":{\"h\":0,\"m\":0,"
              "\"s\":3}},\"comments\":[\"一手目\"]},\r\n"
              "{\"move\":{\"color\":1,\"from\":{\"x\":3,\"y\":3},\"to\":{\"x\":3,\"y\":4},"
              "\"piece\":\"FU\"},\"time\":{\"now\":{\"m\":0,\"s\":0},\"total\":{\"h\":0,\"m\":0,"
              "\"s\":0}}},\r\n"
              "{\"special\":\"TORYO\",\"time\":{\"now\":{\"m\":1,\"s\":10},\"total\":{\"h\":0,"
              "\"m\":1,\"s\":13}}}\r\n"
              "]\r\n"
              "}\r\n");
}

}  // namespace
}  // namespace core
