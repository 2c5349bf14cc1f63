// The main window's comments, thinking times, bookmarks, information dialogs and merging: the
// commands are connected here, the dialogs opened, and the comment pane and window kept on the
// current position.
#include <QDate>
#include <QDockWidget>
#include <QGuiApplication>
#include <QScreen>

#include "core/text/sjis.h"
#include "core/text/translation.h"
#include "tavrel/app/annotation_dialogs.h"
#include "tavrel/app/comment_window.h"
#include "tavrel/app/main_window.h"
#include "tavrel/logic/document/annotations.h"
#include "tavrel/logic/document/record_merge.h"
#include "tavrel/logic/view/comment_view.h"
#include "tavrel/platform/clipboard_text.h"
#include "tavrel/platform/qt_text.h"
#include "tavrel/platform/setting_font.h"

namespace tavrel {

namespace {

Desktop primaryDesktop() {
    Desktop desk;
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        desk = Desktop{screen->availableGeometry().width(), screen->availableGeometry().height()};
    }
    return desk;
}

}  // namespace

void MainWindow::setUpAnnotations() {
    m_histories = Histories(m_settings.historyCount);
    using C = Command;
    bind(C::MergeRecord, [this] {
        if (m_input.held()) m_input.putBack();
        (void)mergeFromClipboard(m_doc, tavrel::clipboardText());  // shows its own message
    });
    bind(C::RecordInfo, [this] { infoDialog(false); });
    bind(C::ProblemInfo, [this] { infoDialog(true); });
    bind(C::EditComment, [this] { editCommentDialog(m_doc.store().current()); });
    bind(C::DeleteComments, [this] { deleteCommentsDialog(); });
    bind(C::EditTime, [this] { editTimeDialog(m_doc.store().current()); });
    bind(C::ZeroTimes, [this] { zeroAllTimes(m_doc); });
    bind(C::AddBookmark, [this] { bookmarkDialog(); });
    bind(C::GoToBookmark, [this] { goToBookmarkDialog(); });
    bind(C::EditBookmarks, [this] { editBookmarksDialog(); });
    for (int i = 0; i <= offsetOf(C::EditList11, C::EditList0); ++i) {
        bind(commandAt(C::EditList0, i), [this, i] { editListFile(static_cast<ListField>(i)); });
    }
    for (int mode = 0; mode <= 3; ++mode) {
        bind(
            commandAt(C::CommentDisplay0, mode), [this, mode] { setCommentDisplay(mode); },
            [this, mode] { return static_cast<int>(commentDisplay(m_settings)) == mode; });
    }

    auto* dock = new QDockWidget(desktop::translated("コメント"), this);
    dock->setObjectName(QStringLiteral("commentDock"));
    dock->setFeatures(QDockWidget::NoDockWidgetFeatures);
    m_commentPane = new QPlainTextEdit(dock);
    m_commentPane->setObjectName(QStringLiteral("commentPane"));
    m_commentPane->setReadOnly(true);
    m_commentPane->setFont(settingFont(m_settings.commentFont));
    m_commentPane->setMaximumHeight(120);
    dock->setWidget(m_commentPane);
    addDockWidget(Qt::BottomDockWidgetArea, dock);
    m_commentDock = dock;
    followAnnotationWindows();
}

Histories& MainWindow::histories() {
    if (!m_historiesRead) {
        m_histories.readAll(fsPath(m_context.programFolder));
        m_historiesRead = true;
    }
    return m_histories;
}

void MainWindow::followAnnotationWindows() {
    if (!m_commentDock) return;
    const CommentDisplay display = commentDisplay(m_settings);
    const CommentView view = currentCommentView(m_doc.store(), m_settings);
    const bool inMain = display == CommentDisplay::MainWindow && !isEditing(m_doc.mode());
    m_commentDock->setVisible(inMain);
    if (inMain) {
        const QString text = fromUtf8(view.text);
        if (m_commentPane->toPlainText() != text) m_commentPane->setPlainText(text);
    }
    const bool shown = commentWindowShown(display, view.any);
    if (!shown) {
        if (m_commentWindow) m_commentWindow->hide();
        return;
    }
    auto* window = static_cast<CommentWindow*>(m_commentWindow);
    if (!window) {
        window = new CommentWindow(this);
        window->text()->setFont(settingFont(m_settings.commentFont));
        const WindowRect r =
            commentWindowPlacement(m_settings.commentWindow, m_context.instance, primaryDesktop());
        window->setGeometry(r.x, r.y, r.width, r.height);
        m_commentWindow = window;
    }
    window->showView(view);
    if (!window->isVisible()) window->show();
}

void MainWindow::setCommentDisplay(int mode) {
    // The window's place is kept when it goes away, so that it comes back where it was.
    if (m_commentWindow) {
        const QRect g = m_commentWindow->geometry();
        storeCommentWindowPlace(m_settings.commentWindow, {g.x(), g.y(), g.width(), g.height()},
                                m_context.instance);
    }
    m_settings.commentWindow.mode = static_cast<CommentDisplay>(mode);
    followAnnotationWindows();
}

void MainWindow::editCommentDialog(core::NodeIndex node) {
    core::RecordStore& store = m_doc.store();
    if (!store.isInUse(node)) return;
    // A move of another line (the branch form's columns) is shown first: comments are edited on
    // the current line.
    int ply = store.plyOf(node);
    if (store.nodeAtPly(ply) != node) {
        if (store.goTo(node) != core::EditResult::Ok) return;
        documentChanged();
        ply = store.currentPly();
    }
    std::string typed(store.comment(ply));
    bool first = true;
    for (;;) {
        CommentDialog dialog(commentCaption(store, node, m_settings), typed, this);
        if (first && dialog.shownCut()) {
            setStatusText(std::string(
                core::translate("コメントが長いので、32766バイトまでを表示しています。")));
        }
        first = false;
        const int choice = dialog.exec();
        if (choice == CommentDialog::DeleteChosen) {
            // Asks and shows its own message.
            (void)deleteCommentAsking(m_doc, ply);
            return;
        }
        if (choice != CommentDialog::Stored) return;
        if (storeComment(m_doc, ply, dialog.text())) return;
        // Not stored: the dialog comes back with what was typed.
        typed = commentFromEditing(dialog.text());
    }
}

void MainWindow::deleteCommentsDialog() {
    DeleteCommentsDialog dialog(m_doc.store().currentPly(), m_doc.store().lineEnd(), this);
    if (dialog.exec() != QDialog::Accepted) return;
    deleteComments(m_doc, dialog.choice(), dialog.ply());
}

void MainWindow::editTimeDialog(core::NodeIndex node) {
    core::RecordStore& store = m_doc.store();
    if (node == core::kRootNode || !store.isInUse(node)) {
        m_doc.warningSound();
        return;
    }
    ThinkingTimeDialog dialog(timeCaption(store, node, m_settings), store.node(node).seconds, this);
    if (dialog.exec() != QDialog::Accepted) return;
    // Shows its own message.
    (void)storeThinkingTime(m_doc, node, dialog.minutes()->value(), dialog.seconds()->value());
}

void MainWindow::bookmarkDialog() {
    core::RecordStore& store = m_doc.store();
    store.setDuplicateBookmarkNames(m_settings.duplicateBookmarks != 0);
    const core::NodeIndex node = store.current();
    const std::string folder = fsPath(m_context.programFolder);
    BookmarkEditSession session(m_doc);
    AddBookmarkDialog dialog(
        session, node, proposedBookmarkName(store, node, m_settings),
        bookmarkChoices(histories(), folder), &histories(), folder,
        [this] { editListFile(ListField::Bookmarks); }, this);
    dialog.exec();
}

void MainWindow::goToBookmarkDialog() {
    const core::RecordStore& store = m_doc.store();
    if (store.bookmarkCount() == 0) {
        m_doc.warningSound();
        return;
    }
    std::vector<std::string> names;
    for (int i = 0; i < store.bookmarkCount(); ++i) names.push_back(store.bookmarkAt(i)->name);
    GoToBookmarkDialog dialog(names, this);
    if (dialog.exec() != QDialog::Accepted) return;
    // Shows its own message.
    (void)goToBookmark(m_doc, dialog.chosen());
}

void MainWindow::editBookmarksDialog() {
    BookmarkEditSession session(m_doc);
    EditBookmarksDialog dialog(session, this);
    dialog.exec();
}

void MainWindow::infoDialog(bool problem) {
    const std::string folder = fsPath(m_context.programFolder);
    RecordInfoDialog dialog(
        problem ? desktop::translated("詰将棋情報") : desktop::translated("棋譜情報"),
        problem ? problemInfoFields() : recordInfoFields(m_settings),
        problem ? std::function<void()>() : [this] { settingsDialog(); }, this);
    dialog.page()->fillChoices(m_settings, histories(), folder);
    dialog.page()->showRecord(m_doc.store());
    if (dialog.exec() != QDialog::Accepted) return;
    const std::string startBefore = m_doc.store().header(core::HeaderField::StartDateTime);
    const InfoApplyReport report =
        dialog.page()->apply(m_doc.store(), m_settings, histories(), folder);
    documentChanged();
    std::string status = infoCutMessage(report);
    if (status.empty() && report.historyWriteFailed) {
        status = std::string(core::translate("履歴ファイルを書き込めませんでした。"));
    }
    if (!status.empty()) setStatusText(status);
    const std::string& start = m_doc.store().header(core::HeaderField::StartDateTime);
    if (!problem && start != startBefore) {
        const QDate today = QDate::currentDate();
        const std::string warning =
            startDateWarning(start, today.year(), today.month(), today.day());
        if (!warning.empty()) {
            m_doc.warningSound();
            showMessage(warning, std::string(core::translate("警告")));
        }
    }
}

void MainWindow::editListFile(ListField field) {
    std::string failed;
    const int r = EditListFile(
        fsPath(m_context.programFolder), field,
        [this](const std::string& file, const std::string&) {
            if (m_quiet) return false;
            return openInEditorTool(m_settings, *m_link, file, fsPath(m_context.programFolder));
        },
        &failed);
    if (r == 0) return;
    beep();
    showMessage(listEditFailedMessage(failed), std::string(core::translate("エラー")));
}

}  // namespace tavrel
