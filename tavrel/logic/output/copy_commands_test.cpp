#include "tavrel/logic/output/copy_commands.h"

#include <gtest/gtest.h>

#include "core/formats/ki2_writer.h"
#include "core/formats/kif_writer.h"
#include "core/templates/text_exports.h"
#include "core/text/sjis.h"
#include "tavrel/logic/output/export_test_fixture.h"
#include "tavrel/settings/engine_options.h"

namespace tavrel {
namespace {

class CopyTest : public testsupport::ExportFixture {
protected:
    void SetUp() override { load("game.kif"); }
};

TEST_F(CopyTest, EveryProductLandsOnTheClipboardAsBuiltWithItsMessage) {
    struct Case {
        CopyProduct product;
        const char* message;
    };
    const Case cases[] = {
        {CopyProduct::Kif, "クリップボードへ棋譜(KIF形式)を出力しました。"},
        {CopyProduct::KifLine, "クリップボードへ棋譜(KIF形式、現変化だけ)を出力しました。"},
        {CopyProduct::Ki2, "クリップボードへ棋譜(KI2形式)を出力しました。"},
        {CopyProduct::Ki2Line, "クリップボードへ棋譜(KI2形式、現変化だけ)を出力しました。"},
        {CopyProduct::EnglishRecord, "クリップボードへ英語表記棋譜を出力しました。"},
        {CopyProduct::Position, "クリップボードへ盤面を出力しました。"},
        {CopyProduct::PositionHtml, "クリップボードへ盤面を出力しました。"},
        {CopyProduct::EnglishPosition, "クリップボードへ英語表記局面を出力しました。"},
        {CopyProduct::Mail1, "クリップボードへメール(1)を出力しました。"},
        {CopyProduct::Mail2, "クリップボードへメール(2)を出力しました。"},
        {CopyProduct::DharmaWin, "クリップボードへ棋譜(dharma/Win用)を出力しました。"},
        {CopyProduct::VariationDiagram, "クリップボードへ棋譜の変化図を出力しました。"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        desktop.clipboard.reset();
        ASSERT_EQ(copyProduct(doc, desktop, c.product), CopyResult::Ok);
        ASSERT_TRUE(desktop.clipboard);
        EXPECT_FALSE(desktop.clipboard->empty());
        EXPECT_EQ(ui.status, std::string(c.message));
        EXPECT_TRUE(ui.messages.empty());
        EXPECT_EQ(*desktop.clipboard, productText(doc, c.product));
    }
}

TEST_F(CopyTest, RecordCopiesAreTheWritersTexts) {
    const core::RecordWriteOptions options = writeOptions(settings);
    EXPECT_EQ(productText(doc, CopyProduct::Kif), core::kifClipboardText(store, false, options));
    EXPECT_EQ(productText(doc, CopyProduct::Ki2),
              core::ki2ClipboardText(store, core::Ki2ClipboardMode::Whole, options));
    EXPECT_EQ(productText(doc, CopyProduct::DharmaWin), core::dharmaWinText(store));
    const std::string html = productText(doc, CopyProduct::PositionHtml);
    EXPECT_EQ(html, "<TT>" + productText(doc, CopyProduct::Position) + "</TT>");
}

TEST_F(CopyTest, MailTextAtTheStartHasNoMoves) {
    doc.showPly(0);
    const std::string mail = productText(doc, CopyProduct::Mail1);
    EXPECT_EQ(mail.rfind(std::string("題名：第0手、にです。\r\n"), 0), 0u)
        << core::toUtf8Lossy(mail);
}

TEST_F(CopyTest, ATextLargerThanItsBufferIsRefusedAsOutOfMemory) {
    settings.diagramFormat = std::string(40960, 'x');
    desktop.clipboard = "before";
    EXPECT_EQ(copyProduct(doc, desktop, CopyProduct::Position), CopyResult::OutOfMemory);
    EXPECT_EQ(*desktop.clipboard, "before");
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].first, std::string("メモリ不足です。"));
    EXPECT_EQ(ui.messages[0].second, "Tavrel");
    EXPECT_TRUE(ui.status.empty());

    // A short text holds 511 bytes and its NUL.
    EXPECT_EQ(copyText(ui, desktop, CopyProduct::Short, std::string(511, 'a')), CopyResult::Ok);
    EXPECT_EQ(copyText(ui, desktop, CopyProduct::Short, std::string(512, 'a')),
              CopyResult::OutOfMemory);
}

TEST_F(CopyTest, AnUnusableClipboardIsReportedAndNothingIsSaidDone) {
    desktop.clipboardWorks = false;
    EXPECT_EQ(copyProduct(doc, desktop, CopyProduct::DharmaWin), CopyResult::ClipboardBusy);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].first, std::string("クリップボードが使用できません。"));
    EXPECT_TRUE(ui.status.empty());
}

TEST_F(CopyTest, VariationDiagramStoresTheDialogsValuesOrDoesNothing) {
    EXPECT_EQ(copyVariationDiagram(doc, desktop, std::nullopt), CopyResult::Cancelled);
    EXPECT_FALSE(desktop.clipboard);
    core::VariationTreeOptions tree;
    tree.maxDepth = 1;
    tree.compact = true;
    tree.compactColumnWidth = 6;
    EXPECT_EQ(copyVariationDiagram(doc, desktop, tree), CopyResult::Ok);
    EXPECT_EQ(settings.recordTree, (std::array<int, 4>{1, 1, 10, 6}));
    EXPECT_EQ(variationTreeOptions(settings).width(), 6);
    ASSERT_TRUE(desktop.clipboard);
    EXPECT_NE(desktop.clipboard->find(std::string("棋譜変化図")), std::string::npos);
}

}  // namespace
}  // namespace tavrel
