#include "dalmir/app/folder_add_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

#include "dalmir/app/qt_text.h"
#include "dalmir/app/search_dialogs.h"

namespace dalmir {

namespace {

QString qs(const char* utf8) { return QString::fromUtf8(utf8); }

QSpinBox* spin(QWidget* parent, const char* name, int low, int high, int value,
               const char* suffix) {
    auto* s = new QSpinBox(parent);
    s->setObjectName(qs(name));
    s->setRange(low, high);
    s->setValue(std::clamp(value, low, high));
    s->setSuffix(qs(suffix));
    return s;
}

QLineEdit* line(QWidget* parent, const char* name, const std::string& cp932) {
    auto* e = new QLineEdit(fromUtf8(cp932), parent);
    e->setObjectName(qs(name));
    return e;
}

}  // namespace

FolderAddDialog::FolderAddDialog(model::IndexSettings& settings, bool binaryDatabase,
                                 bool skipDuplicates, const model::DuplicateCriteria& duplicates,
                                 QWidget* parent)
    : QDialog(parent), m_settings(settings), m_binary(binaryDatabase), m_duplicates(duplicates) {
    setWindowTitle(qs("フォルダ指定追加"));
    const FolderAddForm start = folderAddForm(settings, skipDuplicates, duplicates);

    m_folder = new QLineEdit(fromFsPath(start.folder), this);
    m_folder->setObjectName(qs("folder"));
    auto* browseButton = new QPushButton(qs("参照(&R)..."), this);
    connect(browseButton, &QPushButton::clicked, this, [this] { browse(); });
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(m_folder, 1);
    folderRow->addWidget(browseButton);

    m_subfolders = new QCheckBox(qs("サブフォルダも追加(&S)"), this);
    m_subfolders->setObjectName(qs("subfolders"));
    m_subfolders->setChecked(start.subfolders);

    m_kind = new QComboBox(this);
    m_kind->setObjectName(qs("kind"));
    for (const char* k : {"棋譜(*.KIF)", "棋譜(*.KI2)", "棋譜(*.KI?)", "CSA棋譜(*.CSA)",
                          "局面(*.BOD)", "すべての棋譜"}) {
        m_kind->addItem(qs(k));
    }
    m_kind->setCurrentIndex(start.kind);

    m_player = line(this, "player", start.player);
    m_event = line(this, "event", start.event);
    m_opening = line(this, "opening", start.opening);

    m_dateFilter = new QCheckBox(qs("ファイルの日付(&F)"), this);
    m_dateFilter->setObjectName(qs("dateFilter"));
    m_dateFilter->setChecked(start.dateFilter);
    m_year = spin(this, "year", 1, 9999, start.year > 0 ? start.year : 2000, " 年");
    m_month = spin(this, "month", 1, 12, start.month, " 月");
    m_day = spin(this, "day", 1, 31, start.day, " 日以降");
    auto* dateRow = new QHBoxLayout;
    dateRow->addWidget(m_dateFilter);
    dateRow->addWidget(m_year);
    dateRow->addWidget(m_month);
    dateRow->addWidget(m_day);

    m_skipDuplicates = new QCheckBox(qs("重複する棋譜を追加しない(&D)"), this);
    m_skipDuplicates->setObjectName(qs("skipDuplicates"));
    m_skipDuplicates->setChecked(start.skipDuplicates);
    auto* duplicatesButton = new QPushButton(qs("重複設定(&J)..."), this);
    connect(duplicatesButton, &QPushButton::clicked, this, [this] { editDuplicates(); });
    auto* duplicatesRow = new QHBoxLayout;
    duplicatesRow->addWidget(m_skipDuplicates);
    duplicatesRow->addWidget(duplicatesButton);

    auto* form = new QFormLayout;
    form->addRow(qs("フォルダ："), folderRow);
    form->addRow(m_subfolders);
    form->addRow(qs("種類："), m_kind);
    form->addRow(qs("対局者："), m_player);
    form->addRow(qs("棋戦："), m_event);
    form->addRow(qs("戦型："), m_opening);
    form->addRow(dateRow);
    form->addRow(duplicatesRow);

    m_message = new QLabel(this);
    m_message->setObjectName(qs("message"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &FolderAddDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_message);
    layout->addWidget(buttons);
}

FolderAddForm FolderAddDialog::form() const {
    FolderAddForm f;
    f.folder = fsPath(m_folder->text());
    f.subfolders = m_subfolders->isChecked();
    f.kind = m_kind->currentIndex();
    f.player = toUtf8(m_player->text());
    f.event = toUtf8(m_event->text());
    f.opening = toUtf8(m_opening->text());
    f.dateFilter = m_dateFilter->isChecked();
    f.year = m_year->value();
    f.month = m_month->value();
    f.day = m_day->value();
    f.skipDuplicates = m_skipDuplicates->isChecked();
    f.duplicates = m_duplicates;
    return f;
}

void FolderAddDialog::accept() {
    FolderAddDecision d = decideFolderAdd(form(), m_binary, m_settings);
    if (d.result == FolderAddFormResult::NoFolder) {
        m_message->setText(qs("フォルダを指定して下さい。"));
        m_folder->setFocus();
        return;
    }
    m_request = std::move(d.request);
    QDialog::accept();
}

void FolderAddDialog::browse() {
    const QString folder =
        QFileDialog::getExistingDirectory(this, qs("フォルダ指定追加"), m_folder->text());
    if (!folder.isEmpty()) m_folder->setText(folder);
}

void FolderAddDialog::editDuplicates() {
    DuplicateDialog dialog(this);
    dialog.setWindowTitle(qs("重複設定"));
    dialog.setCriteria(m_duplicates, m_binary);
    if (dialog.exec() == QDialog::Accepted) m_duplicates = dialog.criteria();
}

FolderDeleteDialog::FolderDeleteDialog(const FolderDeleteForm& start, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(qs("フォルダ指定削除"));
    m_folder = new QLineEdit(fromFsPath(start.folder), this);
    m_folder->setObjectName(qs("folder"));
    auto* browseButton = new QPushButton(qs("参照(&R)..."), this);
    connect(browseButton, &QPushButton::clicked, this, [this] {
        const QString folder =
            QFileDialog::getExistingDirectory(this, qs("フォルダ指定削除"), m_folder->text());
        if (!folder.isEmpty()) m_folder->setText(folder);
    });
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(m_folder, 1);
    folderRow->addWidget(browseButton);

    m_kind = new QComboBox(this);
    m_kind->setObjectName(qs("kind"));
    for (const char* k :
         {"棋譜(*.KIF)", "棋譜(*.KI2)", "棋譜(*.KI?)", "CSA棋譜(*.CSA)", "すべてのファイル"}) {
        m_kind->addItem(qs(k));
    }
    m_kind->setCurrentIndex(std::clamp(start.kind, 0, kDeleteKindCount - 1));

    m_subfolders = new QCheckBox(qs("サブフォルダも削除(&S)"), this);
    m_subfolders->setObjectName(qs("subfolders"));
    m_subfolders->setChecked(start.subfolders);

    auto* form = new QFormLayout;
    form->addRow(qs("フォルダ："), folderRow);
    form->addRow(qs("種類："), m_kind);
    form->addRow(m_subfolders);
    m_message = new QLabel(this);
    m_message->setObjectName(qs("message"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &FolderDeleteDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_message);
    layout->addWidget(buttons);
}

FolderDeleteForm FolderDeleteDialog::form() const {
    FolderDeleteForm f;
    f.folder = fsPath(m_folder->text());
    f.kind = m_kind->currentIndex();
    f.subfolders = m_subfolders->isChecked();
    return f;
}

void FolderDeleteDialog::accept() {
    if (decideFolderDelete(form()).result != FolderDeleteFormResult::Ready) {
        m_message->setText(fromUtf8(noDeleteFolderMessage()));
        m_folder->setFocus();
        return;
    }
    QDialog::accept();
}

}  // namespace dalmir
