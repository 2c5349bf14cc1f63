// The dialogs of comments, thinking times, bookmarks and record information. Each shows what
// tavrel/logic/document/annotations.h and record_info.h decide and hands back what the user typed;
// the bookmark dialogs work on a BookmarkEditSession so that their Cancel restores the table.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <functional>
#include <optional>

#include "tavrel/app/info_field_combo.h"
#include "tavrel/app/record_info_pages.h"
#include "tavrel/logic/document/annotations.h"

namespace tavrel {

// "棋譜のコメント": the comment text with OK, キャンセル and 削除 (CCommentDlg).
class CommentDialog : public QDialog {
    Q_OBJECT
public:
    enum Choice { Cancelled = 0, Stored = 1, DeleteChosen = 2 };
    // caption: "第%d手、%sのコメント"; text: as stored (line feeds).
    CommentDialog(const std::string& caption, std::string_view stored, QWidget* parent = nullptr);
    // The text typed, CP932 with CR LF line ends as the edit box holds it.
    std::string text() const;
    // Whether the stored comment was longer than the box holds and is shown cut.
    bool shownCut() const { return m_cut; }
    QPlainTextEdit* editor() const { return m_edit; }
    QPushButton* deleteButton() const { return m_delete; }

private:
    QPlainTextEdit* m_edit;
    QPushButton* m_delete;
    bool m_cut = false;
};

// "コメントの一括削除" (CCommentDeleteDlg).
class DeleteCommentsDialog : public QDialog {
    Q_OBJECT
public:
    DeleteCommentsDialog(int ply, int lastPly, QWidget* parent = nullptr);
    CommentDeletion choice() const;
    int ply() const { return m_ply->value(); }

private:
    QRadioButton* m_all;
    QRadioButton* m_upTo;
    QRadioButton* m_fromOn;
    QSpinBox* m_ply;
};

// "消費時間の編集": minutes and seconds (CTimeDlg).
class ThinkingTimeDialog : public QDialog {
    Q_OBJECT
public:
    ThinkingTimeDialog(const std::string& caption, std::uint16_t seconds,
                       QWidget* parent = nullptr);
    QSpinBox* minutes() const { return m_minutes; }
    QSpinBox* seconds() const { return m_seconds; }

private:
    QSpinBox* m_minutes;
    QSpinBox* m_seconds;
};

// "しおりの登録・名称変更・削除" for one position. OK registers (the dialog stays open after a
// refusal), 削除(&D) deletes the position's bookmark, キャンセル restores the table (CSioriDlg).
class AddBookmarkDialog : public QDialog {
    Q_OBJECT
public:
    // editList: "ファイル編集", opening the name list file.
    AddBookmarkDialog(BookmarkEditSession& session, core::NodeIndex node,
                      const std::string& proposed, const std::vector<std::string>& choices,
                      Histories* histories, std::string folder, std::function<void()> editList,
                      QWidget* parent = nullptr);
    InfoFieldCombo* nameBox() const { return m_name; }
    QPushButton* deleteButton() const { return m_delete; }
    QPushButton* fileButton() const { return m_file; }

    void accept() override;
    void reject() override;

private:
    BookmarkEditSession& m_session;
    core::NodeIndex m_node;
    Histories* m_histories;
    std::string m_folder;
    InfoFieldCombo* m_name;
    QPushButton* m_delete;
    QPushButton* m_file;
};

// "しおりへ移動": the list "しおり：" in table order; the row chosen (CSioriJumpDlg).
class GoToBookmarkDialog : public QDialog {
    Q_OBJECT
public:
    GoToBookmarkDialog(const std::vector<std::string>& names, QWidget* parent = nullptr);
    QListWidget* list() const { return m_list; }
    int chosen() const { return m_list->currentRow(); }

private:
    QListWidget* m_list;
};

// "しおりの編集": the list with 上へ(&U), 下へ(&D), 削除(&X), すべて削除(&A) (CSioriEditDlg).
class EditBookmarksDialog : public QDialog {
    Q_OBJECT
public:
    EditBookmarksDialog(BookmarkEditSession& session, QWidget* parent = nullptr);
    QListWidget* list() const { return m_list; }
    QPushButton* button(const QString& text) const;
    void reject() override;

private:
    void refill(int current);

    BookmarkEditSession& m_session;
    QListWidget* m_list;
};

// "棋譜情報" and "詰将棋情報": one page of fields with OK and キャンセル (and "設定" for the
// former) (CInfoDlg).
class RecordInfoDialog : public QDialog {
    Q_OBJECT
public:
    // openSettings: what the button "設定" does (the settings dialog, where the user fields are
    // named; new names show the next time this dialog opens); none: no such button.
    RecordInfoDialog(const QString& title, std::vector<RecordInfoField> fields,
                     std::function<void()> openSettings, QWidget* parent = nullptr);
    InfoFieldsPage* page() const { return m_page; }

private:
    InfoFieldsPage* m_page;
};

}  // namespace tavrel
