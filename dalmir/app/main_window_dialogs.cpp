// Dalmir's main window: the commands that ask through a dialog of their own (search and
// registration forms, settings, columns, marks, fonts, printing) before they act.
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "dalmir/app/folder_add_dialog.h"
#include "dalmir/app/font_choice.h"
#include "dalmir/app/list_printer.h"
#include "dalmir/app/main_window.h"
#include "dalmir/app/qt_text.h"
#include "dalmir/app/settings_dialog.h"
#include "dalmir/logic/copy_files.h"
#include "dalmir/logic/folder_add_form.h"
#include "dalmir/logic/opening_label_command.h"
#include "dalmir/logic/record_search_form.h"
#include "dalmir/model/table/dls_clipboard.h"
#include "dalmir/model/table/fs_paths.h"
#include "desktop/desktop_integration.h"

namespace dalmir {

namespace {

QString qs(const char* utf8) { return QString::fromUtf8(utf8); }

}  // namespace

void MainWindow::menuPositionSearch() {
    if (isBusy()) return;
    const QString text = QApplication::clipboard()->text();
    const model::TargetRead target = model::readTarget(toUtf8(text));
    if (!target.ok) {
        showMessage(fromUtf8(target.message));
        return;
    }
    m_panes[0]->setText(qs("クリップボードから棋譜、局面を読み込みました。"));
    PositionSearchForm form =
        positionSearchForm(m_positionForm, m_settings, m_db.table().settings());
    if (!m_context.quiet || m_context.askSearchOptions) {  // without a user, the last choices
        PositionSearchDialog dialog(form, this);
        if (dialog.exec() != QDialog::Accepted) return;
        form = dialog.form();
    }
    m_positionForm = form;
    startPositionSearch(text, decidePositionSearch(form, m_settings, m_db.table().settings()));
}

void MainWindow::menuHeaderSearch() {
    HeaderSearchDialog dialog(m_settings, m_histories, m_context.programFolder, this);
    if (dialog.exec() != QDialog::Accepted) return;
    const model::HeaderCriteria criteria = dialog.criteria();
    // A pattern that cannot be read has been told; nothing is searched on half the conditions.
    const std::optional<model::RecordConditions> conditions =
        recordConditions(*this, dialog.recordForm());
    if (conditions) startHeaderSearch(criteria, *conditions);
}

void MainWindow::menuSequenceSearch() {
    SequenceSearchDialog dialog(m_histories, m_context.programFolder, this);
    if (dialog.exec() != QDialog::Accepted) return;
    const QString pattern = dialog.pattern();
    if (!pattern.isEmpty()) startSequenceSearch(pattern);
}

void MainWindow::menuDuplicates() {
    DuplicateDialog dialog(this);
    if (dialog.exec() == QDialog::Accepted) startDuplicateCheck(dialog.criteria());
}

void MainWindow::menuPlayerStatistics() {
    bool ok = false;
    QStringList names;
    if (InputHistory* h = m_histories.find(qs("対局者"))) {
        for (const auto& e : h->entries()) names << fromUtf8(e);
    }
    for (const QString& listed : suggestionList(m_context.programFolder, qs("対局者"))) {
        if (!names.contains(listed)) names << listed;
    }
    const QString name =
        QInputDialog::getItem(this, qs("対局者の統計計算"), qs("対局者："), names, 0, true, &ok);
    if (!ok) return;
    m_histories.enter(qs("対局者"), name.trimmed());
    startStatistics(StatisticsKind::Player, name.trimmed());
}

void MainWindow::menuPlayerReport() {
    bool ok = false;
    QStringList names;
    if (InputHistory* h = m_histories.find(qs("対局者"))) {
        for (const auto& e : h->entries()) names << fromUtf8(e);
    }
    for (const QString& suggested : suggestionList(m_context.programFolder, qs("対局者"))) {
        if (!names.contains(suggested)) names << suggested;
    }
    const QString name = QInputDialog::getItem(this, fromUtf8(kPlayerReportTitle), qs("対局者："),
                                               names, 0, true, &ok)
                             .trimmed();
    if (!ok || name.isEmpty()) return;
    m_histories.enter(qs("対局者"), name);
    startPlayerReport(name);
}

void MainWindow::menuOpeningLabels() {
    if (const std::optional<bool> all = askLabelScope(*this)) startOpeningLabels(*all);
}

void MainWindow::menuNew() {
    QMessageBox box(QMessageBox::Question, qs("新規作成形式"), qs("新規作成形式"),
                    QMessageBox::Cancel, this);
    QAbstractButton* text = box.addButton(qs("DL&S 棋譜情報"), QMessageBox::AcceptRole);
    QAbstractButton* binary = box.addButton(qs("DL&B ﾊﾞｲﾅﾘ棋譜"), QMessageBox::AcceptRole);
    QAbstractButton* another =
        box.addButton(qs("Dalmirを新たに起動する(&R)"), QMessageBox::AcceptRole);
    box.exec();
    if (box.clickedButton() == text) chooseNew(NewChoice::Text);
    if (box.clickedButton() == binary) chooseNew(NewChoice::Binary);
    if (box.clickedButton() == another) chooseNew(NewChoice::NewInstance);
}

bool MainWindow::printListTo(QPrinter& printer) {
    if (isBusy()) return false;
    const PrintReport report =
        printList(printer, m_db, m_userNames, m_settings, QDateTime::currentDateTime());
    if (!report.error.isEmpty()) {
        showMessage(report.error);
        return false;
    }
    return true;
}

bool MainWindow::printListToPdf(const QString& path) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setPageSize(QPageSize(QPageSize::A4));
    return printListTo(printer);
}

void MainWindow::menuPrint() {
    auto* dialog = new QPrintDialog(m_printer.get(), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::finished, this, [this](int result) {
        if (result == QDialog::Accepted) printListTo(*m_printer);
    });
    dialog->open();
}

void MainWindow::menuPreview() {
    auto* dialog = new QPrintPreviewDialog(m_printer.get(), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* p) { printListTo(*p); });
    dialog->open();
}

void MainWindow::menuPrinterSetup() {
    auto* dialog = new QPageSetupDialog(m_printer.get(), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

bool MainWindow::printDatabase(const QString& path, QPrinter& printer) {
    return openFile(path) && printListTo(printer);
}

void MainWindow::applyFonts() {
    const QFont list = screenFont(m_settings.listFont, logicalDpiY());
    m_view->setFont(list);
    m_view->verticalHeader()->setDefaultSectionSize(QFontMetrics(list).height() + 4);
    const QFont status = screenFont(m_settings.statusFont, logicalDpiY());
    for (QLabel* pane : m_panes) pane->setFont(status);
}

void MainWindow::setListFont(const FontSetting& font) {
    m_settings.listFont = font;
    applyFonts();
}

void MainWindow::setStatusFont(const FontSetting& font) {
    m_settings.statusFont = font;
    applyFonts();
}

void MainWindow::menuFont(bool list) {
    const FontSetting current = list ? m_settings.listFont : m_settings.statusFont;
    auto* dialog = new QFontDialog(screenFont(current, logicalDpiY()), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(list ? qs("表のフォント") : qs("ステータス フォント"));
    connect(dialog, &QFontDialog::fontSelected, this, [this, list, current](const QFont& f) {
        const FontSetting chosen = chosenFontSetting(f, current, logicalDpiY());
        if (list) {
            setListFont(chosen);
        } else {
            setStatusFont(chosen);
        }
    });
    dialog->open();
}

void MainWindow::menuPdf() {
    const QString path = QFileDialog::getSaveFileName(this, qs("PDFに出力"), {}, qs("PDF (*.pdf)"));
    if (!path.isEmpty()) printListToPdf(path);
}

void MainWindow::showCard() {
    const std::vector<int> slots = slotsOfRows(m_db.table(), selectedRows());
    const model::IndexEntry* entry = slots.empty() ? nullptr : &m_db.table().entry(slots.front());
    auto* dialog = new CardDialog(entry, m_db.table().settings(), m_userNames, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

void MainWindow::menuSettings() {
    model::IndexSettings before = m_db.table().settings();
    SettingsDialog dialog(m_settings, m_db.table().settings(), this,
                          [this] { registerFileTypes(desktop::xdgDataHome()); });
    if (dialog.exec() != QDialog::Accepted) return;
    if (!(before == m_db.table().settings())) m_db.setModified();
    applySettings();
    showEvaluations(m_evaluations);  // the thresholds may have changed
    if (m_context.storeSettings) m_context.storeSettings();
}

void MainWindow::registerFileTypes(const QString& dataHome) {
    const desktop::DesktopApp app{QStringLiteral("dalmir"),
                                  QCoreApplication::applicationFilePath()};
    const desktop::DesktopResult r = desktop::registerFileTypes(app, dataHome, !m_context.quiet);
    if (!r.ok) {
        QApplication::beep();
        showMessage(r.failedPath + qs(" に書き込めません。"));
        return;
    }
    m_panes[0]->setText(qs("データベースファイルを本プログラムと対応付けしました。"));
}

void MainWindow::menuColumns() {
    ColumnsDialog dialog(m_db.table().settings(), m_userNames, this);
    if (dialog.exec() != QDialog::Accepted) return;
    m_db.setModified();
    refreshList();
}

void MainWindow::menuEditMarks() {
    const std::vector<int> slots = slotsOfRows(m_db.table(), selectedRows());
    if (slots.size() != 1) return;
    const uint8_t marks = m_db.table().entry(slots.front()).marks;
    QDialog dialog(this);
    dialog.setWindowTitle(qs("マークの編集"));
    auto* one = new QCheckBox(qs("マーク&1 (*)"), &dialog);
    one->setChecked(marks & model::kMarkUser1);
    auto* two = new QCheckBox(qs("マーク&2 (#)"), &dialog);
    two->setChecked(marks & model::kMarkUser2);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(one);
    layout->addWidget(two);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted) return;
    m_undo.keep(m_db);
    editMarks(m_db, slots.front(), one->isChecked(), two->isChecked());
    m_view->viewport()->update();
    refreshState();
}

void MainWindow::menuAddFolder() {
    FolderAddDialog dialog(m_db.table().settings(), m_db.isBinary(), m_addSkipDuplicates,
                           m_addDuplicates, this);
    if (dialog.exec() != QDialog::Accepted) return;
    const FolderAddForm chosen = dialog.form();
    m_addSkipDuplicates = chosen.skipDuplicates;
    m_addDuplicates = chosen.duplicates;
    startFolderAdd(dialog.request());
}

void MainWindow::menuDeleteFolder() {
    FolderDeleteDialog dialog(folderDeleteForm(m_lastFolderDelete, m_db.table().settings()), this);
    if (dialog.exec() != QDialog::Accepted) return;
    startFolderDelete(dialog.form());
}

void MainWindow::menuUpdate(bool selected) {
    model::MissingFileMode& remembered = selected ? m_updateSelectedMode : m_updateAllMode;
    QDialog dialog(this);
    dialog.setWindowTitle(qs("データ更新"));
    auto* group = new QGroupBox(qs("存在しない棋譜"), &dialog);
    auto* choices = new QVBoxLayout(group);
    auto* buttons = new QButtonGroup(&dialog);
    const char* const texts[] = {"削除しない(&N)", "削除を問い合わせる(&A)", "削除する(&D)"};
    for (int mode = 0; mode < 3; ++mode) {
        auto* radio = new QRadioButton(qs(texts[mode]), group);
        buttons->addButton(radio, mode);
        choices->addWidget(radio);
        radio->setChecked(mode == static_cast<int>(remembered));
    }
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    connect(box, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(box, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(group);
    layout->addWidget(box);
    if (dialog.exec() != QDialog::Accepted) return;
    remembered = static_cast<model::MissingFileMode>(std::max(0, buttons->checkedId()));
    startUpdate(selected ? slotsOfRows(m_db.table(), selectedRows()) : std::vector<int>{},
                remembered);
}

void MainWindow::menuCopyFiles() {
    if (const std::optional<CopyTarget> target = askCopyTarget(*this)) {
        startCopyFiles(fromFsPath(target->folder), target->overwrite);
    }
}

void MainWindow::menuAddFile() {
    model::IndexSettings& settings = m_db.table().settings();
    QStringList filters;
    for (const std::string& f : singleAddFilters()) filters << fromUtf8(f);
    QString chosen = filters[singleAddFilter(settings)];
    const QString path = QFileDialog::getOpenFileName(
        this, qs("棋譜の追加"), fromFsPath(model::fileSystemFromStored(settings.addPath)),
        filters.join(QStringLiteral(";;")), &chosen);
    if (path.isEmpty()) return;
    rememberSingleAdd(fsPath(path), static_cast<int>(filters.indexOf(chosen)), settings);
    startSingleAdd(path);
}

}  // namespace dalmir
