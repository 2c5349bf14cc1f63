// Comments, bookmarks and the information dialog as a user works them: menu commands open the
// real dialogs, keys and clicks fill them, and the record window and the comment window follow.
// Offscreen.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <fstream>

#include "core/text/sjis.h"
#include "tavrel/app/annotation_dialogs.h"
#include "tavrel/app/main_window.h"
#include "tavrel/app/settings_dialog.h"
#include "tavrel/app/window_test_context.h"
#include "tavrel/platform/clipboard_text.h"
#include "tests/support/qt_application.h"

namespace tavrel {
namespace {

// Types text key by key, Japanese included (QTest::keyClicks takes ASCII only).
void typeText(QWidget* widget, const QString& text) {
    // One key per character: a character beyond the first plane is two QChars.
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype n = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, text.mid(i, n), Qt::NoModifier);
        i += n;
    }
}

const char* const kRecord =
    "手合割：平手\r\n"
    "   1 ７六歩(77)\r\n   2 ３四歩(33)\r\n   3 ２六歩(27)\r\n   4 ８四歩(83)\r\n";

class AnnotationWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testsupport::ensureQApplication(); }
    void SetUp() override {
        settings.positionAfterLoad = PositionAfterLoad::Start;
        settings.recordWindow.shown = 1;
        settings.commentWindow.mode = CommentDisplay::None;
        window = std::make_unique<MainWindow>(quietTestContext(settings, store, folder));
        path = folder.filePath(QStringLiteral("a.kif")).toStdString();
        std::ofstream(path, std::ios::binary) << std::string(kRecord);
        ASSERT_EQ(window->openFile(QString::fromStdString(path)), CommandResult::Done);
        window->show();
        window->recordWindow()->show();
        QApplication::processEvents();
    }
    // Runs `fill` on the modal dialog of type D as soon as the command has opened it.
    template <typename D, typename F>
    void whenOpen(F fill) {
        QTimer::singleShot(0, [fill] {
            auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            fill(dialog);
        });
    }
    static void clickOk(QDialog* dialog) {
        auto* box = dialog->findChild<QDialogButtonBox*>();
        QTest::mouseClick(box->button(QDialogButtonBox::Ok), Qt::LeftButton);
    }
    std::string line(int ply) {
        return window->recordWindow()->model()->rows()[static_cast<std::size_t>(ply)].text;
    }
    void trigger(Command command) { window->action(command)->trigger(); }

    QTemporaryDir folder;
    std::string path;
    Settings settings;
    core::RecordStore store{200};
    std::unique_ptr<MainWindow> window;
};

TEST_F(AnnotationWindowTest, TypedCommentMarksTheLineAndSurvivesSavingAsKif) {
    ASSERT_EQ(store.goToPly(3), core::EditResult::Ok);
    window->documentChanged();
    whenOpen<CommentDialog>([](CommentDialog* dialog) {
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("第3手、▲２六歩のコメント"));
        typeText(dialog->editor(), QStringLiteral("一行目"));
        QTest::keyClick(dialog->editor(), Qt::Key_Return);
        typeText(dialog->editor(), QStringLiteral("二行目"));
        clickOk(dialog);
    });
    trigger(Command::EditComment);
    const std::string stored(store.comment(3));
    EXPECT_EQ(stored, std::string("一行目\n二行目\n"));
    EXPECT_NE(line(3).substr(0, 6).find('*'), std::string::npos);
    EXPECT_EQ(line(2).substr(0, 6).find('*'), std::string::npos);
    EXPECT_TRUE(window->document().modified());

    const std::string saved = folder.filePath(QStringLiteral("b.kif")).toStdString();
    ASSERT_EQ(window->document().writeRecord(SaveFormat::Kif, saved), core::WriteResult::Ok);
    ASSERT_EQ(window->openFile(QString::fromStdString(saved)), CommandResult::Done);
    EXPECT_EQ(store.comment(3), stored);
    EXPECT_TRUE(store.comment(2).empty());
}

// Characters Shift-JIS cannot hold survive the dialog, the record and the UTF-8 files.
TEST_F(AnnotationWindowTest, TypedCommentOfAnyScriptSurvivesTheDialogAndTheUtf8Files) {
    ASSERT_EQ(store.goToPly(3), core::EditResult::Ok);
    window->documentChanged();
    whenOpen<CommentDialog>([](CommentDialog* dialog) {
        typeText(dialog->editor(), QStringLiteral("🙂 한국 ü"));
        clickOk(dialog);
    });
    trigger(Command::EditComment);
    EXPECT_EQ(store.comment(3), "🙂 한국 ü\n");
    for (const char* name : {"c.kifu", "c.jkf"}) {
        const std::string saved = folder.filePath(QString::fromUtf8(name)).toStdString();
        const SaveFormat format = *core::saveFormatOfPath(saved);
        ASSERT_EQ(window->document().writeRecord(format, saved), core::WriteResult::Ok) << name;
        ASSERT_EQ(window->openFile(QString::fromStdString(saved)), CommandResult::Done) << name;
        EXPECT_EQ(store.comment(3), "🙂 한국 ü\n") << name;
    }
}

TEST_F(AnnotationWindowTest, BookmarkRegisteredFromTheDialogShowsItsMark) {
    ASSERT_EQ(store.goToPly(2), core::EditResult::Ok);
    window->documentChanged();
    whenOpen<AddBookmarkDialog>([](AddBookmarkDialog* dialog) {
        EXPECT_EQ(dialog->nameBox()->currentText(), QStringLiteral("第2手、△３四歩"));
        dialog->nameBox()->lineEdit()->selectAll();
        typeText(dialog->nameBox()->lineEdit(), QStringLiteral("角道"));
        clickOk(dialog);
    });
    trigger(Command::AddBookmark);
    ASSERT_EQ(store.bookmarkCount(), 1);
    EXPECT_EQ(store.bookmarkAt(0)->name, std::string("角道"));
    EXPECT_NE(line(2).find('&'), std::string::npos);

    // Deleting in the dialog and then cancelling keeps the bookmark.
    whenOpen<AddBookmarkDialog>([](AddBookmarkDialog* dialog) {
        QTest::mouseClick(dialog->deleteButton(), Qt::LeftButton);
        dialog->reject();
    });
    trigger(Command::AddBookmark);
    EXPECT_EQ(store.bookmarkCount(), 1);

    ASSERT_EQ(store.goToPly(0), core::EditResult::Ok);
    window->documentChanged();
    whenOpen<GoToBookmarkDialog>([](GoToBookmarkDialog* dialog) { clickOk(dialog); });
    trigger(Command::GoToBookmark);
    EXPECT_EQ(store.currentPly(), 2);
}

TEST_F(AnnotationWindowTest, InformationDialogStoresTheFields) {
    whenOpen<RecordInfoDialog>([](RecordInfoDialog* dialog) {
        QLineEdit* event = dialog->page()->combo(core::HeaderField::Event)->lineEdit();
        typeText(event, QStringLiteral("順位戦"));
        clickOk(dialog);
    });
    trigger(Command::RecordInfo);
    EXPECT_EQ(store.header(core::HeaderField::Event), std::string("順位戦"));
    EXPECT_TRUE(window->document().modified());
}

TEST_F(AnnotationWindowTest, InfoDialogsSettingsButtonOpensTheSettingsDialog) {
    bool settingsShown = false;
    whenOpen<RecordInfoDialog>([this, &settingsShown](RecordInfoDialog* info) {
        whenOpen<SettingsDialog>([&settingsShown](SettingsDialog* dialog) {
            settingsShown = true;
            dialog->reject();
        });
        auto* button = info->findChild<QPushButton*>(QStringLiteral("settingsButton"));
        ASSERT_NE(button, nullptr);
        QTest::mouseClick(button, Qt::LeftButton);
        info->reject();
    });
    trigger(Command::RecordInfo);
    EXPECT_TRUE(settingsShown);
    EXPECT_FALSE(window->document().modified());
}

TEST_F(AnnotationWindowTest, CommentWindowFollowsTheStepsInMode2) {
    ASSERT_TRUE(store.replaceComment(1, std::string("初手")) == core::CommentResult::Ok);
    window->action(Command::CommentDisplay2)->trigger();
    ASSERT_NE(window->commentWindow(), nullptr);
    EXPECT_TRUE(window->commentWindow()->isVisible());
    EXPECT_EQ(window->commentWindow()->windowTitle(), QStringLiteral("開始局面のコメント"));
    ASSERT_EQ(store.goToPly(1), core::EditResult::Ok);
    window->documentChanged();
    auto* text = window->commentWindow()->findChild<QPlainTextEdit*>();
    EXPECT_EQ(text->toPlainText(), QStringLiteral("初手\n"));
    EXPECT_EQ(window->commentWindow()->windowTitle(), QStringLiteral("第1手、▲７六歩のコメント"));

    // Mode 3 hides it where there is no comment; mode 1 shows the comment in the main window.
    window->action(Command::CommentDisplay3)->trigger();
    ASSERT_EQ(store.goToPly(2), core::EditResult::Ok);
    window->documentChanged();
    EXPECT_FALSE(window->commentWindow()->isVisible());
    window->action(Command::CommentDisplay1)->trigger();
    ASSERT_EQ(store.goToPly(1), core::EditResult::Ok);
    window->documentChanged();
    EXPECT_EQ(window->commentPane()->toPlainText(), QStringLiteral("初手\n"));
    EXPECT_FALSE(window->commentWindow()->isVisible());
}

// A new comment font shows at once in the comment window and the comment pane.
TEST_F(AnnotationWindowTest, NewCommentFontAppliesAtOnce) {
    ASSERT_TRUE(store.replaceComment(0, std::string("開始")) == core::CommentResult::Ok);
    window->action(Command::CommentDisplay2)->trigger();
    ASSERT_NE(window->commentWindow(), nullptr);
    auto* text = window->commentWindow()->findChild<QPlainTextEdit*>();
    ASSERT_NE(text, nullptr);
    FontSetting chosen;
    chosen.face = "DejaVu Serif";
    chosen.height = -29;
    chosen.bold = true;
    window->useFont(settings.commentFont, chosen);
    EXPECT_EQ(settings.commentFont, chosen);
    EXPECT_EQ(text->font().family(), QStringLiteral("DejaVu Serif"));
    EXPECT_TRUE(text->font().bold());
    EXPECT_EQ(window->commentPane()->font().family(), QStringLiteral("DejaVu Serif"));
    const int size = text->font().pixelSize();
    chosen.height = -15;
    window->useFont(settings.commentFont, chosen);
    EXPECT_NE(text->font().pixelSize(), size);
}

TEST_F(AnnotationWindowTest, MergeFromTheClipboardAddsTheVariationAndMarksTheRecord) {
    ASSERT_FALSE(window->document().modified());
    const QString titleBefore = window->windowTitle();
    ASSERT_TRUE(setClipboardText(
        std::string("手合割：平手\r\n   1 ７六歩(77)\r\n   2 ３四歩(33)\r\n   3 ６六歩(67)\r\n")));
    trigger(Command::MergeRecord);
    EXPECT_TRUE(store.hasAlternativeAt(3));
    EXPECT_TRUE(window->document().modified());
    EXPECT_EQ(window->windowTitle(),
              QString::fromStdString(core::toUtf8Lossy(window->document().title())));
    EXPECT_NE(window->windowTitle(), titleBefore);
    // The record window marks the ply with alternatives.
    EXPECT_NE(line(3).find('+'), std::string::npos);
    EXPECT_EQ(window->statusText(),
              QStringLiteral("クリップボードから棋譜を読み込み、合成しました。"));

    // A record of another handicap is refused with the message and changes nothing.
    ASSERT_TRUE(setClipboardText(std::string("手合割：角落ち\r\n   1 ３四歩(33)\r\n")));
    const int moves = store.moveCount();
    trigger(Command::MergeRecord);
    EXPECT_EQ(store.moveCount(), moves);
    ASSERT_FALSE(window->shownMessages().empty());
    EXPECT_EQ(core::toUtf8Lossy(window->shownMessages().back()), "手合が違います。");
}

}  // namespace
}  // namespace tavrel
