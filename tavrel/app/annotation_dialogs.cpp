#include "tavrel/app/annotation_dialogs.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "core/text/sjis.h"
#include "core/text/translation.h"
#include "tavrel/platform/qt_text.h"

namespace tavrel {

namespace {

// OK and キャンセル, connected to the dialog's accept and reject.
QDialogButtonBox* okCancel(QDialog* dialog) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    buttons->button(QDialogButtonBox::Cancel)->setText(desktop::translated("キャンセル"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

}  // namespace

CommentDialog::CommentDialog(const std::string& caption, std::string_view stored, QWidget* parent)
    : QDialog(parent), m_edit(new QPlainTextEdit(this)) {
    setObjectName(QStringLiteral("commentDialog"));
    setWindowTitle(fromUtf8(caption));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(desktop::translated("コメント"), this));
    QString shown = fromUtf8(commentForEditing(stored, &m_cut));
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_edit->setPlainText(shown);
    m_edit->setTabChangesFocus(false);
    layout->addWidget(m_edit);
    QDialogButtonBox* buttons = okCancel(this);
    m_delete = buttons->addButton(desktop::translated("削除"), QDialogButtonBox::DestructiveRole);
    connect(m_delete, &QPushButton::clicked, this, [this] { done(DeleteChosen); });
    layout->addWidget(buttons);
    resize(480, 300);
    m_edit->setFocus();
}

std::string CommentDialog::text() const {
    QString typed = m_edit->toPlainText();
    typed.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return toUtf8(typed);
}

DeleteCommentsDialog::DeleteCommentsDialog(int ply, int lastPly, QWidget* parent)
    : QDialog(parent),
      m_all(new QRadioButton(desktop::translated("すべてのコメントを削除(&E)"), this)),
      m_upTo(new QRadioButton(desktop::translated("指定手数以前を削除(&B)"), this)),
      m_fromOn(new QRadioButton(desktop::translated("指定手数以降を削除(&A)"), this)),
      m_ply(new QSpinBox(this)) {
    setWindowTitle(desktop::translated("コメントの一括削除"));
    auto* layout = new QVBoxLayout(this);
    for (QRadioButton* b : {m_all, m_upTo, m_fromOn}) layout->addWidget(b);
    m_all->setChecked(true);
    auto* form = new QFormLayout;
    m_ply->setRange(0, std::max(lastPly, 0));
    m_ply->setValue(ply);
    form->addRow(desktop::translated("手数："), m_ply);
    layout->addLayout(form);
    layout->addWidget(okCancel(this));
}

CommentDeletion DeleteCommentsDialog::choice() const {
    if (m_upTo->isChecked()) return CommentDeletion::UpTo;
    if (m_fromOn->isChecked()) return CommentDeletion::FromOn;
    return CommentDeletion::All;
}

ThinkingTimeDialog::ThinkingTimeDialog(const std::string& caption, std::uint16_t seconds,
                                       QWidget* parent)
    : QDialog(parent), m_minutes(new QSpinBox(this)), m_seconds(new QSpinBox(this)) {
    setObjectName(QStringLiteral("timeDialog"));
    setWindowTitle(fromUtf8(caption));
    const MinutesSeconds split = splitSeconds(seconds);
    // The most a move holds is 65535 seconds; a larger total is stored as that and said so.
    m_minutes->setRange(0, 1092);
    m_seconds->setRange(0, 59);
    m_minutes->setValue(split.minutes);
    m_seconds->setValue(split.seconds);
    auto* row = new QHBoxLayout;
    row->addWidget(m_minutes);
    row->addWidget(new QLabel(desktop::translated("分"), this));
    row->addWidget(m_seconds);
    row->addWidget(new QLabel(desktop::translated("秒"), this));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(okCancel(this));
}

AddBookmarkDialog::AddBookmarkDialog(BookmarkEditSession& session, core::NodeIndex node,
                                     const std::string& proposed,
                                     const std::vector<std::string>& choices, Histories* histories,
                                     std::string folder, std::function<void()> editList,
                                     QWidget* parent)
    : QDialog(parent),
      m_session(session),
      m_node(node),
      m_histories(histories),
      m_folder(std::move(folder)),
      m_name(new InfoFieldCombo(this)) {
    setObjectName(QStringLiteral("bookmarkDialog"));
    setWindowTitle(desktop::translated("しおりの登録・名称変更・削除"));
    m_name->setChoices(choices);
    m_name->setValue(proposed);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(desktop::translated("しおりの名前："), this));
    layout->addWidget(m_name);
    QDialogButtonBox* buttons = okCancel(this);
    m_file = buttons->addButton(desktop::translated("ファイル編集"), QDialogButtonBox::ActionRole);
    m_delete = buttons->addButton(desktop::translated("削除(&D)"), QDialogButtonBox::ActionRole);
    connect(m_file, &QPushButton::clicked, this, [editList = std::move(editList)] {
        if (editList) editList();
    });
    // Shows its own message.
    connect(m_delete, &QPushButton::clicked, this, [this] { (void)m_session.deleteOf(m_node); });
    layout->addWidget(buttons);
}

void AddBookmarkDialog::accept() {
    // A name is never cut silently: bookmark names hold 255 bytes, the box is cut to that here.
    const std::string typed = toUtf8(m_name->currentText());
    const std::string name(core::cutToBytes(typed, core::kBookmarkNameBytes));
    if (name.empty()) return;
    if (!m_session.registerName(m_node, name, m_histories, m_folder)) return;
    if (name.size() < typed.size()) {
        m_session.document().ui().setStatusText(std::string(
            core::translate("しおりの名前は255バイトまでなので、超えた分は切り捨てました。")));
    }
    QDialog::accept();
}

void AddBookmarkDialog::reject() {
    m_session.cancel();
    QDialog::reject();
}

GoToBookmarkDialog::GoToBookmarkDialog(const std::vector<std::string>& names, QWidget* parent)
    : QDialog(parent), m_list(new QListWidget(this)) {
    setObjectName(QStringLiteral("bookmarkJumpDialog"));
    setWindowTitle(desktop::translated("しおりへ移動"));
    for (const std::string& n : names) m_list->addItem(fromUtf8(n));
    if (!names.empty()) m_list->setCurrentRow(0);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(desktop::translated("しおり："), this));
    layout->addWidget(m_list);
    layout->addWidget(okCancel(this));
    connect(m_list, &QListWidget::itemActivated, this, &QDialog::accept);
}

EditBookmarksDialog::EditBookmarksDialog(BookmarkEditSession& session, QWidget* parent)
    : QDialog(parent), m_session(session), m_list(new QListWidget(this)) {
    setObjectName(QStringLiteral("bookmarkEditDialog"));
    setWindowTitle(desktop::translated("しおりの編集"));
    auto* row = new QHBoxLayout;
    row->addWidget(m_list, 1);
    auto* side = new QVBoxLayout;
    auto add = [this, side](const char* text, std::function<void()> run) {
        auto* b = new QPushButton(desktop::translated(text), this);
        side->addWidget(b);
        connect(b, &QPushButton::clicked, this, std::move(run));
    };
    add(TR_NOOP("上へ(&U)"), [this] {
        const int i = m_list->currentRow();
        if (m_session.moveUp(i)) refill(i - 1);
    });
    add(TR_NOOP("下へ(&D)"), [this] {
        const int i = m_list->currentRow();
        if (m_session.moveDown(i)) refill(i + 1);
    });
    add(TR_NOOP("削除(&X)"), [this] {
        const int i = m_list->currentRow();
        if (m_session.deleteAt(i)) refill(i);
    });
    add(TR_NOOP("すべて削除(&A)"), [this] {
        m_session.deleteAll();
        refill(0);
    });
    side->addStretch(1);
    row->addLayout(side);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(okCancel(this));
    refill(0);
}

QPushButton* EditBookmarksDialog::button(const QString& text) const {
    for (QPushButton* b : findChildren<QPushButton*>()) {
        if (b->text() == text) return b;
    }
    return nullptr;
}

void EditBookmarksDialog::refill(int current) {
    m_list->clear();
    for (const std::string& n : m_session.names()) m_list->addItem(fromUtf8(n));
    if (m_list->count() > 0) m_list->setCurrentRow(std::clamp(current, 0, m_list->count() - 1));
}

void EditBookmarksDialog::reject() {
    m_session.cancel();
    QDialog::reject();
}

RecordInfoDialog::RecordInfoDialog(const QString& title, std::vector<RecordInfoField> fields,
                                   std::function<void()> openSettings, QWidget* parent)
    : QDialog(parent), m_page(new InfoFieldsPage(std::move(fields), this)) {
    setObjectName(QStringLiteral("infoDialog"));
    setWindowTitle(title);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_page);
    QDialogButtonBox* buttons = okCancel(this);
    if (openSettings) {
        QPushButton* settings =
            buttons->addButton(desktop::translated("設定"), QDialogButtonBox::ActionRole);
        settings->setObjectName(QStringLiteral("settingsButton"));
        connect(settings, &QPushButton::clicked, this, std::move(openSettings));
    }
    layout->addWidget(buttons);
}

}  // namespace tavrel
