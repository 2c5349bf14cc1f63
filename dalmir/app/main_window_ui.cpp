// Dalmir's main window as the DalmirUi of the decisions in dalmir/logic: message boxes,
// questions, file dialogs, the clipboard, the status pane, programs and the desktop.
#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QUrl>

#include "dalmir/app/main_window.h"
#include "dalmir/app/qt_text.h"

namespace dalmir {

namespace {

QString qs(const char* utf8) { return QString::fromUtf8(utf8); }

}  // namespace

void MainWindow::showMessage(const QString& message) {
    m_messages.push_back(message);
    if (m_context.quiet) return;
    auto* box =
        new QMessageBox(QMessageBox::Information, qs("Dalmir"), message, QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void MainWindow::showMessage(const std::string& text) { showMessage(fromUtf8(text)); }

void MainWindow::showMessageList(const std::string& text, const std::vector<std::string>& lines) {
    const QString message = fromUtf8(text);
    m_messages.push_back(message);
    if (m_context.quiet) return;
    // The lines go into the box's details, a scrollable text: the box keeps its small size
    // however many lines there are.
    QString details;
    for (const std::string& line : lines) {
        details += fromUtf8(line);
        details += QLatin1Char('\n');
    }
    auto* box = new QMessageBox(QMessageBox::Warning, qs("Dalmir"), message, QMessageBox::Ok, this);
    box->setDetailedText(details);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

Answer MainWindow::ask(const Question& question) {
    if (m_context.quiet) return question.unattended;
    const auto buttons = question.withCancel
                             ? QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel
                             : QMessageBox::Yes | QMessageBox::No;
    const QString caption = fromUtf8(question.caption);
    const QString text = fromUtf8(question.text);
    const auto answer = question.warning ? QMessageBox::warning(this, caption, text, buttons)
                                         : QMessageBox::question(this, caption, text, buttons);
    if (answer == QMessageBox::Yes) return Answer::Yes;
    return answer == QMessageBox::No ? Answer::No : Answer::Cancel;
}

void MainWindow::askLater(const Question& question, std::function<void(Answer)> answer) {
    m_messages.push_back(fromUtf8(question.text));
    if (m_context.quiet) return;
    auto* box = new QMessageBox(question.warning ? QMessageBox::Warning : QMessageBox::Question,
                                fromUtf8(question.caption), fromUtf8(question.text),
                                question.withCancel
                                    ? QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel
                                    : QMessageBox::Yes | QMessageBox::No,
                                this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    connect(box, &QMessageBox::finished, this, [box, answer = std::move(answer)] {
        const int result = box->result();
        answer(result == QMessageBox::Yes  ? Answer::Yes
               : result == QMessageBox::No ? Answer::No
                                           : Answer::Cancel);
    });
    box->open();
}

std::optional<std::string> MainWindow::chooseOpenFile(const FileDialogRequest& request) {
    const QString path =
        QFileDialog::getOpenFileName(this, fromUtf8(request.title), {}, fromUtf8(request.filter));
    if (path.isEmpty()) return std::nullopt;
    return fsPath(path);
}

std::optional<std::string> MainWindow::chooseSaveFile(const FileDialogRequest& request) {
    const QString path =
        QFileDialog::getSaveFileName(this, fromUtf8(request.title), {}, fromUtf8(request.filter));
    if (path.isEmpty()) return std::nullopt;
    return fsPath(path);
}

std::optional<std::string> MainWindow::chooseFolder(const std::string& title) {
    const QString folder = QFileDialog::getExistingDirectory(this, fromUtf8(title));
    if (folder.isEmpty()) return std::nullopt;
    return fsPath(folder);
}

std::string MainWindow::clipboardText() { return QApplication::clipboard()->text().toStdString(); }

void MainWindow::setClipboardText(const std::string& text) {
    QApplication::clipboard()->setText(fromUtf8(text));
}

void MainWindow::setStatusText(const std::string& text) { m_panes[0]->setText(fromUtf8(text)); }

void MainWindow::beep() { QApplication::beep(); }

bool MainWindow::startProgram(const std::string& program,
                              const std::vector<std::string>& arguments) {
    QStringList args;
    for (const auto& a : arguments) args << fromUtf8(a);
    return m_starter(fromUtf8(program), args);
}

bool MainWindow::moveToTrash(const std::string& path) {
    return QFile::moveToTrash(fromFsPath(path));
}

bool MainWindow::openWithDesktop(const std::string& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(fromFsPath(path)));
}

void MainWindow::runLater(int ms, std::function<void()> run) {
    m_later(ms, [this, run = std::move(run)] {
        if (!isBusy()) run();
    });
}

void MainWindow::listReplaced() {
    dropFilters();
    m_view->clearSelection();
    // Another database (or a new one): its own evaluations come with it, if any.
    showEvaluations(nullptr);
}

void MainWindow::askNonBlocking(const QString& text, const QStringList& buttons,
                                std::function<void(int)> answer) {
    m_messages.push_back(text);
    if (m_context.quiet) {
        answer(-1);
        return;
    }
    auto* box =
        new QMessageBox(QMessageBox::Question, qs("Dalmir"), text, QMessageBox::NoButton, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    std::vector<QAbstractButton*> made;
    for (const QString& b : buttons) made.push_back(box->addButton(b, QMessageBox::ActionRole));
    auto shared = std::make_shared<std::function<void(int)>>(std::move(answer));
    connect(box, &QMessageBox::finished, this, [box, made, shared] {
        int choice = -1;
        for (std::size_t i = 0; i < made.size(); ++i) {
            if (box->clickedButton() == made[i]) choice = static_cast<int>(i);
        }
        if (*shared) (*shared)(choice);
        *shared = nullptr;
    });
    box->open();
}

}  // namespace dalmir
