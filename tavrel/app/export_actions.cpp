#include "tavrel/app/export_actions.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFormLayout>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSpinBox>
#include <QStandardPaths>

#include "core/text/sjis.h"
#include "core/text/translation.h"
#include "desktop/qt_text.h"
#include "tavrel/app/print_preview_view.h"
#include "tavrel/logic/output/copy_commands.h"
#include "tavrel/logic/output/mail_output.h"
#include "tavrel/logic/play/play_move.h"
#include "tavrel/platform/clipboard_text.h"
#include "tavrel/platform/desktop_mail.h"
#include "tavrel/platform/image_file.h"

namespace tavrel {

namespace {

std::string folderPath(QStandardPaths::StandardLocation location) {
    QString path = QStandardPaths::writableLocation(location);
    if (path.isEmpty()) return {};
    if (!path.endsWith(QLatin1Char('/'))) path += QLatin1Char('/');
    return QFile::encodeName(path).toStdString();
}

}  // namespace

std::optional<core::VariationTreeOptions> askVariationTree(QWidget* parent,
                                                           const core::VariationTreeOptions& now) {
    QDialog dialog(parent);
    dialog.setWindowTitle(desktop::translated("棋譜の変化図"));
    auto* form = new QFormLayout(&dialog);
    auto* depth = new QSpinBox(&dialog);
    depth->setRange(1, 999);
    depth->setValue(now.maxDepth);
    auto* compact = new QCheckBox(desktop::translated("簡略表記"), &dialog);
    compact->setChecked(now.compact);
    auto* width = new QSpinBox(&dialog);
    width->setRange(1, 99);
    width->setValue(now.columnWidth);
    auto* compactWidth = new QSpinBox(&dialog);
    compactWidth->setRange(1, 99);
    compactWidth->setValue(now.compactColumnWidth);
    form->addRow(desktop::translated("最大手数"), depth);
    form->addRow(QString(), compact);
    form->addRow(desktop::translated("桁数"), width);
    form->addRow(desktop::translated("桁数（簡略表記）"), compactWidth);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    core::VariationTreeOptions chosen;
    chosen.maxDepth = depth->value();
    chosen.compact = compact->isChecked();
    chosen.columnWidth = width->value();
    chosen.compactColumnWidth = compactWidth->value();
    return chosen;
}

ExportActions::ExportActions(QMainWindow* window, Document& doc, QWidget* view, MoveClock& clock,
                             bool quiet)
    : QObject(window), m_window(window), m_doc(doc), m_view(view), m_clock(clock), m_quiet(quiet) {
    m_view->installEventFilter(this);
}

void ExportActions::bindCommands(
    const std::function<void(Command, std::function<void()>)>& connect) {
    struct Copy {
        Command command;
        CopyProduct product;
    };
    const Copy copies[] = {
        {Command::CopyKif, CopyProduct::Kif},
        {Command::CopyKi2, CopyProduct::Ki2},
        {Command::CopyKifLine, CopyProduct::KifLine},
        {Command::CopyKi2Line, CopyProduct::Ki2Line},
        {Command::CopyEnglishRecord, CopyProduct::EnglishRecord},
        {Command::CopyDharma, CopyProduct::DharmaWin},
        {Command::CopyPosition, CopyProduct::Position},
        {Command::CopyPositionHtml, CopyProduct::PositionHtml},
        {Command::CopyEnglishPosition, CopyProduct::EnglishPosition},
        {Command::CopyMail1, CopyProduct::Mail1},
        {Command::CopyMail2, CopyProduct::Mail2},
    };
    for (const Copy& c : copies) {
        CopyProduct product = c.product;
        // Shows its own message.
        connect(c.command, [this, product] { (void)copyProduct(m_doc, *this, product); });
    }
    connect(Command::CopyVariations, [this] {
        std::optional<core::VariationTreeOptions> chosen;
        if (!m_quiet) chosen = askVariationTree(m_window, variationTreeOptions(m_doc.settings()));
        // Shows its own message.
        (void)copyVariationDiagram(m_doc, *this, chosen);
    });
    connect(Command::CopyBitmap, [this] { copyBitmap(); });
    connect(Command::SaveImage, [this] { saveImageAs(); });
    // The mail commands and printing show their own messages.
    connect(Command::MailLink, [this] { (void)openMailLink(m_doc, *this); });
    connect(Command::MailAttach, [this] { (void)sendRecordByMail(m_doc, *this); });
    connect(Command::MailMal, [this] { (void)writeMailFile(m_doc, MailText::One); });
    connect(Command::MailMa2, [this] { (void)writeMailFile(m_doc, MailText::Two); });
    connect(Command::MailDialog, [this] { (void)writeMailFileWithDialog(m_doc); });
    connect(Command::PrintPosition, [this] { (void)print(PrintKind::Position, false); });
    connect(Command::PrintRecord, [this] { (void)print(PrintKind::Record, false); });
    connect(Command::PrintForm, [this] { (void)print(PrintKind::Form, false); });
    connect(Command::PreviewPosition, [this] { preview(PrintKind::Position); });
    connect(Command::PreviewRecord, [this] { preview(PrintKind::Record); });
    connect(Command::PreviewForm, [this] { preview(PrintKind::Form); });
    connect(Command::SaveImageNamed, [this] { saveImageNamed(); });
}

DesktopFolders ExportActions::desktopFolders() {
    DesktopFolders f;
    f.documents = folderPath(QStandardPaths::DocumentsLocation);
    f.desktop = folderPath(QStandardPaths::DesktopLocation);
    f.pictures = folderPath(QStandardPaths::PicturesLocation);
    QString program = QCoreApplication::applicationDirPath();
    if (!program.endsWith(QLatin1Char('/'))) program += QLatin1Char('/');
    f.program = QFile::encodeName(program).toStdString();
    return f;
}

bool ExportActions::setClipboardText(const std::string& cp932) {
    return tavrel::setClipboardText(cp932);
}

bool ExportActions::openUrl(const std::string& cp932Url) {
    if (m_quiet) return true;
    return openDesktopUrl(cp932Url);
}

bool ExportActions::composeMail(const MailMessage& mail) {
    if (m_quiet) return true;
    return composeDesktopMail(mail);
}

QImage ExportActions::captureView() {
    QWidget* shown = m_preview ? static_cast<QWidget*>(m_preview) : m_view;
    const ImageCapture c =
        imageCapture(m_doc.mode(), m_doc.settings(), shown->width(), shown->height());
    if (c.width <= 0 || c.height <= 0) return {};
    QImage image = shown->grab(QRect(c.left, c.top, c.width, c.height)).toImage();
    if (c.twoLevel) image = image.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
    return image;
}

void ExportActions::copyBitmap() {
    QImage image = captureView();
    QClipboard* clip = QGuiApplication::clipboard();
    if (image.isNull() || !clip) {
        m_doc.ui().showMessage(msgClipboardBusy(), programCaption());
        return;
    }
    clip->setImage(image);
    m_doc.ui().setStatusText(
        std::string(core::translate("クリップボードへビットマップを出力しました。")));
}

void ExportActions::saveImage(const std::string& path) {
    reportImageSaved(m_doc.ui(), path, saveImageFile(captureView(), path));
}

void ExportActions::saveImageAs() {
    std::optional<std::string> path = chooseImagePath(m_doc, desktopFolders(), m_imageFilter);
    if (!path) return;
    // grab() paints the view afresh, so the closed dialog is never in the picture.
    saveImage(*path);
}

void ExportActions::saveImageNamed() { saveImage(proposedImagePath(m_doc, desktopFolders())); }

std::string ExportActions::proposedImageName() {
    return pathToText(proposedImagePath(m_doc, desktopFolders()));
}

CommandResult ExportActions::print(PrintKind kind, bool direct) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setCopyCount(1);
    if (direct) {
        const QPrinterInfo target = QPrinterInfo::defaultPrinter();
        if (target.isNull()) {
            m_doc.ui().showMessage(
                std::string(core::translate("プリンタがインストールされていません。")),
                programCaption());
            return CommandResult::Cancelled;
        }
        printer.setPrinterName(target.printerName());
    } else {
        if (m_quiet) return CommandResult::Cancelled;
        QPrintDialog dialog(&printer, m_window);
        dialog.setOption(QAbstractPrintDialog::PrintCollateCopies, true);
        if (dialog.exec() != QDialog::Accepted) return CommandResult::Cancelled;
    }
    m_window->setEnabled(false);
    const int r = printDocument(printer, m_doc, kind);
    m_window->setEnabled(true);
    if (r != 0) {
        m_doc.ui().showMessage(std::string(core::translate("印刷エラー(StartDoc)")),
                               programCaption());
        return CommandResult::Failed;
    }
    return CommandResult::Done;
}

void ExportActions::preview(PrintKind kind) {
    if (m_preview) {
        const bool same = m_preview->kind() == kind;
        closePreview();
        if (same) return;
    }
    if (m_doc.mode() != ViewerMode::Viewing) {
        m_doc.warningSound();
        return;
    }
    m_preview = new PrintPreviewView(m_doc, kind, m_view);
    m_preview->setGeometry(m_view->rect());
    QObject::connect(m_preview, &PrintPreviewView::closeWanted, this, [this] { closePreview(); });
    QObject::connect(m_preview, &PrintPreviewView::contextMenuWanted, this,
                     [this](const QPoint& at) { Q_EMIT previewContextMenu(at); });
    m_preview->show();
    m_preview->setFocus();
    m_doc.setMode(ViewerMode::PrintPreview);
    m_doc.ui().documentChanged();
}

void ExportActions::refreshPreview() {
    if (m_preview) m_preview->setPage(m_preview->page());
}

void ExportActions::closePreview() {
    if (!m_preview) return;
    m_preview->hide();
    m_preview->deleteLater();
    m_preview = nullptr;
    if (m_doc.mode() == ViewerMode::PrintPreview) m_doc.setMode(ViewerMode::Viewing);
    m_view->setFocus();
    m_doc.ui().documentChanged();
}

bool ExportActions::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_view && event->type() == QEvent::Resize && m_preview) {
        m_preview->setGeometry(m_view->rect());
    }
    return QObject::eventFilter(watched, event);
}

// Shows its own message.
void ExportActions::suspendAndMail() { (void)tavrel::suspendAndMail(m_doc, m_clock, *this); }

}  // namespace tavrel
