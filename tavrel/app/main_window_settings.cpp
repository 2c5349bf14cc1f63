// The main window's settings dialog (F2), the desktop set-up actions of its page "初期" and the
// font choices of the 表示 menu. What the pages hold and what OK keeps is decided in
// tavrel/logic/tools/settings_pages; this file opens the dialogs, writes the environment file on OK
// and redraws.
#include <QCoreApplication>
#include <QFontDialog>
#include <QPlainTextEdit>
#include <QStandardPaths>

#include "desktop/desktop_integration.h"
#include "desktop/language.h"
#include "tavrel/app/comment_window.h"
#include "tavrel/app/main_window.h"
#include "tavrel/app/settings_dialog.h"
#include "tavrel/logic/document/program_commands.h"
#include "tavrel/platform/program_folder.h"
#include "tavrel/platform/qt_text.h"
#include "tavrel/platform/setting_font.h"
#include "tavrel/settings/environment_file.h"

namespace tavrel {

namespace {

desktop::DesktopApp tavrelDesktopApp() {
    return desktop::DesktopApp{QStringLiteral("tavrel"), QCoreApplication::applicationFilePath()};
}

}  // namespace

void MainWindow::settingsDialog() {
    SettingsDialog::Hooks hooks;
    hooks.testSound = m_pieceSoundTest;
    if (!hooks.testSound) {
        hooks.testSound = [this](const Settings& trial) {
            tavrel::pieceSound(trial, soundPlayer(), *this);
        };
    }
    hooks.associate = [this] { registerFileTypes(); };
    hooks.shortcut = [this] { makeDesktopShortcut(); };
    hooks.help = [this] { showHelpIndex(m_doc, fsPath(executableFolder())); };
    SettingsDialog dialog(m_settings, std::move(hooks), this);
    const core::LanguageChoice language = desktop::storedLanguageChoice(m_context.profileName);
    dialog.setLanguageChoice(language);
    const core::EnglishSides sides = desktop::storedEnglishSides(m_context.profileName);
    dialog.setEnglishSides(sides);
    if (dialog.exec() != QDialog::Accepted) return;
    if (dialog.languageChoice() != language) {
        desktop::storeLanguageChoice(m_context.profileName, dialog.languageChoice());
    }
    if (dialog.englishSides() != sides) {
        desktop::storeEnglishSides(m_context.profileName, dialog.englishSides());
    }
    // Shows its own message.
    (void)acceptSettingsDialog(dialog.draft());
}

CommandResult MainWindow::acceptSettingsDialog(const Settings& draft) {
    const std::string name = m_context.environmentName ? *m_context.environmentName
                                                       : std::string(kDefaultEnvironmentName);
    const std::string folder = fsPath(m_context.programFolder);
    const bool saved = acceptSettings(m_settings, draft, [&](const Settings& settings) {
        if (!m_context.folderWritable) return true;
        return saveEnvironment(folder, name, settings) == core::WriteResult::Ok;
    });
    if (!saved) {
        beep();
        showMessage(
            environmentNotSavedMessage(toUtf8(fromFsPath(environmentFilePath(folder, name)))),
            programCaption());
    }
    applyFonts();
    refreshAll();
    return saved ? CommandResult::Done : CommandResult::Failed;
}

void MainWindow::applyFonts() {
    m_status->setFont(settingFont(m_settings.statusFont));
    m_recordWindow->invalidate();
    const QFont comment = settingFont(m_settings.commentFont);
    if (m_commentPane) m_commentPane->setFont(comment);
    if (auto* window = static_cast<CommentWindow*>(m_commentWindow))
        window->text()->setFont(comment);
}

void MainWindow::useFont(FontSetting& target, const FontSetting& chosen) {
    target = chosen;
    applyFonts();
    refreshAll();
}

void MainWindow::chooseFont(FontSetting& font) {
    bool ok = false;
    QFont chosen = QFontDialog::getFont(&ok, settingFont(font), this);
    if (!ok) return;
    useFont(font, fontSetting(chosen));
}

void MainWindow::registerFileTypes() {
    const desktop::DesktopResult r =
        desktop::registerFileTypes(tavrelDesktopApp(), desktop::xdgDataHome(), !m_quiet);
    if (!r.ok) {
        beep();
        showMessage(cannotWriteMessage(toUtf8(r.failedPath)), programCaption());
        return;
    }
    setStatusText(associatedMessage());
    beep();  // the end signal
}

void MainWindow::makeDesktopShortcut() {
    QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    desktop::DesktopResult r = desktop::createDesktopShortcut(tavrelDesktopApp(), desktop);
    if (!r.ok) {
        beep();
        showMessage(cannotWriteMessage(toUtf8(r.failedPath)), programCaption());
        return;
    }
    setStatusText(shortcutCreatedMessage());
}

}  // namespace tavrel
