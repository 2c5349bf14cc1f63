// The main window's output commands: the clipboard copies and the board bitmap, image files,
// mail, printing and the print preview inside the main view. What each command does is decided
// in tavrel/logic (copy_commands, image_export, mail_output, print_layout); this wires the menu
// entries to it and gives it the desktop (clipboard, mail program, printer). Owned by the main
// window.
#pragma once

#include <QImage>
#include <QMainWindow>
#include <QObject>
#include <functional>
#include <optional>

#include "tavrel/app/print_painter.h"
#include "tavrel/logic/output/export_ui.h"
#include "tavrel/logic/output/image_export.h"
#include "tavrel/logic/view/command_table.h"

namespace tavrel {

class MoveClock;
class PrintPreviewView;

class ExportActions : public QObject, public ExportUi {
    Q_OBJECT
public:
    // view: the main view (the board); quiet: tests, no dialog is shown and nothing is started.
    ExportActions(QMainWindow* window, Document& doc, QWidget* view, MoveClock& clock, bool quiet);

    // Binds the output commands' handlers.
    void bindCommands(const std::function<void(Command, std::function<void()>)>& bind);

    // ExportUi
    DesktopFolders desktopFolders() override;
    bool setClipboardText(const std::string& cp932) override;
    bool openUrl(const std::string& cp932Url) override;
    bool composeMail(const MailMessage& mail) override;

    // The picture of the main view as image files and the bitmap copy take it.
    QImage captureView();
    void copyBitmap();
    // 画像の保存(&G)...
    void saveImageAs();
    // Saves under the template's name (the preview's "画像を保存(%s)").
    void saveImageNamed();
    // The image name the preview's context menu shows.
    std::string proposedImageName();

    // Prints with the print dialog, or in the direct mode on the default printer. Shows its own
    // message; returns Cancelled when the user said no (or no printer is there to print on).
    CommandResult print(PrintKind kind, bool direct);
    // Enters the print preview of a kind in the main view (mode PrintPreview); leaves it when it
    // is shown already.
    void preview(PrintKind kind);
    void closePreview();
    // The record or the position shown changed: the previewed page is drawn again.
    void refreshPreview();
    PrintPreviewView* previewView() const { return m_preview; }

    void suspendAndMail();

Q_SIGNALS:
    // The preview asks for its context menu.
    void previewContextMenu(const QPoint& globalPos);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void saveImage(const std::string& path);

    QMainWindow* m_window;
    Document& m_doc;
    QWidget* m_view;
    MoveClock& m_clock;
    bool m_quiet;
    std::optional<ImageFormat> m_imageFilter;
    PrintPreviewView* m_preview = nullptr;
};

// The variation diagram's dialog (棋譜ツリー): nullopt when cancelled.
std::optional<core::VariationTreeOptions> askVariationTree(QWidget* parent,
                                                           const core::VariationTreeOptions& now);

}  // namespace tavrel
