#include "core/templates/position_text.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/templates/template_test_fixture.h"
#include "tests/support/temp_folder.h"

namespace core {
namespace {

namespace fs = std::filesystem;
using testsupport::kGame;
using testsupport::TemplateTest;

// The golden file's bytes (Shift-JIS, as the file is written).
std::string goldenBytes(const std::string& name) {
    return readFile(std::string(TAVREL_TEST_DATA) + "/templates/" + name).value_or("<missing>");
}

// The golden file as text.
std::string golden(const std::string& name) {
    return cp932ToUtf8(goldenBytes(name)).value_or("<not Shift-JIS>");
}

class PositionTextTest : public TemplateTest {
protected:
    testsupport::TempFolder folder;
    fs::path dir = folder.path();
};

TEST_F(PositionTextTest, FileTextMatchesGolden) {
    load(kGame);
    go(1);
    const std::string text = positionFileText(expander);
    EXPECT_EQ(text, golden("even_move1.bod")) << text;
    EXPECT_EQ(cp932Bytes(text), goldenBytes("even_move1.bod"));
}

TEST_F(PositionTextTest, SideToMoveLine) {
    load(kGame);
    go(0);
    EXPECT_EQ(sideToMoveLine(store), "");
    go(1);
    EXPECT_EQ(toUtf8Lossy(sideToMoveLine(store)), "後手番");
    load({"手合割：香落ち", "   1 ３四歩(33)"});
    EXPECT_EQ(toUtf8Lossy(sideToMoveLine(store)), "上手番");
    go(1);
    EXPECT_EQ(toUtf8Lossy(sideToMoveLine(store)), "下手番");
}

TEST_F(PositionTextTest, HandicapFileEndsWithUpperToMove) {
    load({"手合割：香落ち", "上手：上手名人", "   1 ３四歩(33)", "   2 ７六歩(77)"});
    go(2);
    const std::string text = toUtf8Lossy(positionFileText(expander));
    EXPECT_EQ(text.rfind("上手：上手名人\r\n上手の持駒：なし\r\n", 0), 0u) << text;
    EXPECT_NE(text.find("|v香v桂v銀v金v玉v金v銀v桂 ・|一\r\n"), std::string::npos) << text;
    EXPECT_TRUE(text.ends_with("まで\r\n上手番\r\n")) << text;
}

TEST_F(PositionTextTest, WrittenFileReadsBack) {
    load({"手合割：香落ち", "   1 ３四歩(33)", "   2 ７六歩(77)"});
    go(2);
    const std::string path = (dir / "pos.bod").string();
    ASSERT_EQ(writePositionFile(expander, path), WriteResult::Ok);
    RecordStore back(100);
    ReadReport report = readRecordFile(back, path, readOptions);
    ASSERT_EQ(report.result, ReadResult::Ok) << toUtf8Lossy(back.readingError());
    EXPECT_EQ(comparePositions(back.position(), store.position()), 0);
    // The side-to-move line is read back when no "まで" line comes before it.
    options.positionTemplate = "%d";
    ASSERT_EQ(writePositionFile(expander, path), WriteResult::Ok);
    RecordStore plain(100);
    ASSERT_EQ(readRecordFile(plain, path, readOptions).result, ReadResult::Ok);
    EXPECT_EQ(comparePositions(plain.position(), store.position()), 0);
    EXPECT_EQ(plain.position().sideToMove, kSideWhite);
    EXPECT_EQ(writePositionFile(expander, (dir / "no/x.bod").string()), WriteResult::CannotCreate);
}

TEST_F(PositionTextTest, SideLineStaysOnItsOwnLine) {
    load(kGame);
    go(1);
    options.positionTemplate = "%n";
    EXPECT_EQ(toUtf8Lossy(positionFileText(expander)), "1\r\n後手番\r\n");
    EXPECT_EQ(toUtf8Lossy(positionClipboardText(expander)), "1\r\n後手番\r\n");
    go(2);
    EXPECT_EQ(toUtf8Lossy(positionFileText(expander)), "2");
    EXPECT_EQ(toUtf8Lossy(positionClipboardText(expander)), "2\r\n");
}

TEST_F(PositionTextTest, ClipboardAndHtmlForms) {
    load(kGame);
    go(1);
    const std::string file = positionFileText(expander);
    const std::string clip = positionClipboardText(expander);
    // The default template ends with a line break; the clipboard adds one more before the side.
    const std::string side = std::string("後手番\r\n");
    ASSERT_TRUE(file.ends_with(side));
    EXPECT_EQ(clip, file.substr(0, file.size() - side.size()) + "\r\n" + side);
    const std::string html = positionClipboardText(expander, true);
    EXPECT_EQ(html, "<TT>" + clip + "</TT>");
}

TEST_F(PositionTextTest, ClipboardTemplateErrorsAreReportedAndSkipped) {
    load(kGame);
    options.positionTemplate = "%o%n";
    EXPECT_EQ(positionClipboardText(expander), "0\r\n");
    ASSERT_EQ(recorder.errors.size(), 1u);
    EXPECT_EQ(recorder.errors[0].first, "局面書式エラー");
    EXPECT_EQ(toUtf8Lossy(positionFileText(expander)), "先手太郎0");
    EXPECT_EQ(recorder.errors.size(), 1u);
}

}  // namespace
}  // namespace core
