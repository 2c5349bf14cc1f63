#include "core/templates/text_exports.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/templates/template_test_fixture.h"

namespace core {
namespace {

using testsupport::kGame;
using testsupport::TemplateTest;

std::vector<std::string> lines(const std::string& cp932) {
    std::vector<std::string> out;
    std::string text = toUtf8Lossy(cp932);
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find("\r\n", at);
        if (end == std::string::npos) {
            out.push_back(text.substr(at) + "<no line end>");
            break;
        }
        out.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    return out;
}

class TextExportsTest : public TemplateTest {};

TEST_F(TextExportsTest, DharmaWinOfAnEmptyRecordHasFourLines) {
    const std::vector<std::string> expected = {"dharma/Win", "T:0", "+:", "-:"};
    EXPECT_EQ(lines(dharmaWinText(store)), expected);
}

TEST_F(TextExportsTest, DharmaWinMoveLines) {
    load(kGame);
    const std::vector<std::string> expected = {
        "dharma/Win",
        "T:0",
        "+:先手太郎",
        "-:後手花子",
        "0001,0,01,77,76,0,0010,000010",
        "0002,1,01,33,34,0,0020,000020",
        "0003,0,06,88,22,1,0005,000015",
        "0004,1,04,31,22,0,0003,000023",
        "0005,0,06,00,55,0,0001,000016",
        "0006,1,00,00,00,0,0002,000025",
    };
    EXPECT_EQ(lines(dharmaWinText(store)), expected);
}

TEST_F(TextExportsTest, DharmaWinResignationAfterMoveTen) {
    load({"手合割：平手", "   1 ７六歩(77)", "   2 ３四歩(33)", "   3 ２六歩(27)",
          "   4 ８四歩(83)", "   5 ２五歩(26)", "   6 ８五歩(84)", "   7 ７八金(69)",
          "   8 ３二金(41)", "   9 ２四歩(25)", "  10 同　歩(23)", "  11 投了"});
    std::vector<std::string> out = lines(dharmaWinText(store));
    ASSERT_EQ(out.size(), 15u);
    EXPECT_EQ(out[13], "0010,1,01,23,24,0,0000,000000");
    EXPECT_EQ(out[14], "0011,0,00,00,00,0,0000,000000");
}

TEST_F(TextExportsTest, DharmaWinHandicapNumber) {
    load({"手合割：香落ち", "   1 ３四歩(33)"});
    std::vector<std::string> out = lines(dharmaWinText(store));
    ASSERT_EQ(out.size(), 5u);
    EXPECT_EQ(out[1], "T:1");
    EXPECT_EQ(out[4], "0001,1,01,33,34,0,0000,000000");
}

TEST_F(TextExportsTest, PositionHtmlEnclosesTheClipboardText) {
    load(kGame);
    const std::string html = positionHtmlText(expander);
    EXPECT_TRUE(html.starts_with("<TT>"));
    EXPECT_TRUE(html.ends_with("</TT>"));
}

TEST_F(TextExportsTest, VariationDiagramHeadAndTree) {
    load(kGame);
    go(1);
    const std::vector<std::string> out = lines(variationDiagramText(expander, {}));
    ASSERT_GT(out.size(), 10u);
    EXPECT_EQ(out[0], "Tavrel V6.54 棋譜変化図");
    EXPECT_EQ(out[1], "日時：2013/02/01 09:05:07");
    EXPECT_EQ(out[2], "棋譜：/home/u/kifu/game.kif");
    EXPECT_EQ(out[3], "");
    EXPECT_EQ(out[4], "後手：後手花子");
    EXPECT_EQ(out[19], "先手の持駒：なし");
    // After the position text: the current move, its comment, then the tree.
    const std::vector<std::string> rest(out.begin() + 20, out.end());
    const std::vector<std::string> expected = {
        "手数＝1  ▲７六歩  まで",
        "*初手のコメント",
        "",
        "後手番",
        "",
        "第1手、▲７六歩まで",
        "",
        "*初手のコメント",
        "",
        "",
        "△３四歩--▲２二角成-△２二同銀-▲５五角-投了",
        "",
        "△８四歩",
    };
    EXPECT_EQ(rest, expected);
}

TEST_F(TextExportsTest, VariationDiagramWithDepthOneListsTheNextMoves) {
    load(kGame);
    go(1);
    VariationTreeOptions tree;
    tree.maxDepth = 1;
    std::vector<int> progress;
    const std::vector<std::string> out =
        lines(variationDiagramText(expander, tree, [&](int n) { progress.push_back(n); }));
    const std::vector<std::string> tail(out.end() - 4, out.end());
    const std::vector<std::string> expected = {"", "△３四歩", "", "△８四歩"};
    EXPECT_EQ(tail, expected);
    EXPECT_EQ(progress, (std::vector<int>{1, 2}));
}

TEST_F(TextExportsTest, VariationDiagramConnectorsAndCompactForm) {
    load({"   1 ７六歩(77)", "   2 ３四歩(33)", "   3 ２六歩(27)", "", "変化：3手",
          "   3 ６八銀(79)", "", "変化：3手", "   3 投了", "", "変化：2手", "   2 ８四歩(83)",
          "   3 投了"});
    VariationTreeOptions tree;
    tree.compact = true;
    std::string text = variationDiagramText(expander, tree);
    std::string tree0 = toUtf8Lossy(text.substr(text.find(std::string("▲76歩")) - 2));
    EXPECT_EQ(tree0,
              "\r\n▲76歩--△34歩--▲26歩\r\n"
              "               |\r\n"
              "               +▲68銀\r\n"
              "               |\r\n"
              "               + 投了\r\n"
              "       |\r\n"
              "       +△84歩--投了\r\n");
}

}  // namespace
}  // namespace core
