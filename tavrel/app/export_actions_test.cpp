#include "tavrel/app/export_actions.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QImageReader>
#include <QPrinterInfo>
#include <QTemporaryDir>

#include "core/formats/ki2_writer.h"
#include "core/formats/kif_writer.h"
#include "core/text/sjis.h"
#include "tavrel/app/main_window.h"
#include "tavrel/app/print_preview_view.h"
#include "tavrel/app/window_test_context.h"
#include "tavrel/platform/clipboard_text.h"
#include "tavrel/settings/engine_options.h"
#include "tests/support/qt_application.h"

namespace tavrel {
namespace {

// The output commands driven through the window's menu actions, offscreen.
class ExportActionsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testsupport::ensureQApplication(); }
    void SetUp() override {
        window = std::make_unique<MainWindow>(quietTestContext(settings, store, folder));
        window->resize(640, 480);
        window->show();
        const std::string sample =
            std::string(TAVREL_TEST_DATA) + "/../../resources/samples/sample.kif";
        ASSERT_EQ(window->openFile(QString::fromStdString(sample)), CommandResult::Done);
    }
    void trigger(Command command) {
        QAction* a = window->action(command);
        ASSERT_TRUE(a->isEnabled()) << commandEntry(command).text;
        a->trigger();
    }
    std::string status() const { return std::string(window->statusText().toStdString()); }

    QTemporaryDir folder;
    Settings settings;
    core::RecordStore store;
    std::unique_ptr<MainWindow> window;
};

TEST_F(ExportActionsTest, RecordCopiesComeBackFromTheClipboardAsWritten) {
    const core::RecordWriteOptions options = writeOptions(settings);
    trigger(Command::CopyKif);
    EXPECT_EQ(clipboardText(), core::kifClipboardText(store, false, options));
    EXPECT_EQ(status(), std::string("クリップボードへ棋譜(KIF形式)を出力しました。"));
    trigger(Command::CopyKi2Line);
    EXPECT_EQ(clipboardText(),
              core::ki2ClipboardText(store, core::Ki2ClipboardMode::CurrentLine, options));
    trigger(Command::CopyDharma);
    EXPECT_EQ(clipboardText()->rfind("dharma/Win\r\nT:0\r\n", 0), 0u);
    trigger(Command::CopyPositionHtml);
    EXPECT_EQ(clipboardText()->rfind("<TT>", 0), 0u);
    // Another program sees Unicode text with the CR LF line ends.
    EXPECT_TRUE(QGuiApplication::clipboard()->text().contains(QStringLiteral("\r\n")));
    EXPECT_TRUE(window->shownMessages().empty());
}

TEST_F(ExportActionsTest, BoardBitmapIsTheViewAndGoesToTheClipboard) {
    trigger(Command::CopyBitmap);
    const QImage image = QGuiApplication::clipboard()->image();
    EXPECT_EQ(image.size(), window->board()->size());
    EXPECT_EQ(status(), std::string("クリップボードへビットマップを出力しました。"));
}

TEST_F(ExportActionsTest, PreviewTrimsTheSavedPictureAndLeavesAgain) {
    trigger(Command::PreviewPosition);
    ASSERT_EQ(window->document().mode(), ViewerMode::PrintPreview);
    ASSERT_TRUE(window->exports().previewView());
    EXPECT_TRUE(window->exports().previewView()->isVisible());
    EXPECT_TRUE(window->windowTitle().endsWith(QString::fromUtf8("（プレビュー）")));
    const QImage picture = window->exports().captureView();
    EXPECT_EQ(picture.size(), QSize(250, 252));
    EXPECT_EQ(picture.format(), QImage::Format_Mono);

    settings.imageNameFormat = folder.filePath(QStringLiteral("pic%N.gif")).toStdString();
    window->exports().saveImageNamed();
    const QString saved = folder.filePath(QStringLiteral("pic%1.gif").arg(store.currentPly()));
    QImageReader reader(saved);
    EXPECT_EQ(reader.format(), "gif");
    EXPECT_EQ(reader.size(), QSize(250, 252));
    EXPECT_EQ(status(), std::string("画像ファイル(") + saved.toStdString() +
                            std::string(")を出力しました。"));

    // The preview's context menu offers the pictures, with the proposed name.
    QMenu* menu = window->buildContextMenu(false);
    ASSERT_EQ(menu->actions().size(), 3);
    EXPECT_TRUE(menu->actions()[1]->text().contains(QStringLiteral("pic")));
    EXPECT_TRUE(menu->actions()[1]->isEnabled());

    trigger(Command::PreviewPosition);
    EXPECT_EQ(window->document().mode(), ViewerMode::Viewing);
    EXPECT_FALSE(window->exports().previewView());
    EXPECT_FALSE(window->windowTitle().contains(QString::fromUtf8("プレビュー")));
    EXPECT_EQ(window->exports().captureView().size(), window->board()->size());
}

TEST_F(ExportActionsTest, AFailedImageSaveIsReported) {
    settings.imageNameFormat = folder.filePath(QStringLiteral("missing/pic.png")).toStdString();
    window->exports().saveImageNamed();
    ASSERT_EQ(window->shownMessages().size(), 1u);
    EXPECT_NE(window->shownMessages()[0].find(std::string("の保存に失敗しました。")),
              std::string::npos);
}

TEST_F(ExportActionsTest, DirectPrintWithoutAPrinterSaysSo) {
    if (!QPrinterInfo::defaultPrinter().isNull()) GTEST_SKIP() << "a printer is installed";
    EXPECT_EQ(window->exports().print(PrintKind::Form, true), CommandResult::Cancelled);
    ASSERT_EQ(window->shownMessages().size(), 1u);
    EXPECT_EQ(window->shownMessages()[0], std::string("プリンタがインストールされていません。"));
}

}  // namespace
}  // namespace tavrel
