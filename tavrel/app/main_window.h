// Tavrel's main window: the board, the menu bar with every command and its accelerator, the
// status bar and the dialogs. Commands, drops and the command line go to tavrel/logic, which
// decides; the window presents it through DocumentUi. It owns the document, the board widget and
// the record window. Settings and the record store belong to the application and are passed in.
#pragma once

#include <QAction>
#include <QDockWidget>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTimer>
#include <QToolBar>
#include <array>
#include <functional>
#include <memory>
#include <optional>

#include "tavrel/app/board_widget.h"
#include "tavrel/app/branch_window.h"
#include "tavrel/app/export_actions.h"
#include "tavrel/app/game_dialogs.h"
#include "tavrel/app/record_window.h"
#include "tavrel/app/replay_control_dialog.h"
#include "tavrel/app/replay_driver.h"
#include "tavrel/logic/document/command_line.h"
#include "tavrel/logic/document/document.h"
#include "tavrel/logic/output/ftp_upload.h"
#include "tavrel/logic/play/game_play.h"
#include "tavrel/logic/play/move_input.h"
#include "tavrel/logic/tools/external_programs.h"
#include "tavrel/logic/tools/settings_pages.h"
#include "tavrel/logic/tools/sounds.h"
#include "tavrel/logic/view/command_table.h"
#include "tavrel/logic/view/menu_state.h"
#include "tavrel/platform/usi_process.h"
#include "tavrel/platform/window_layout_store.h"
#include "tavrel/settings/history.h"
#include "tavrel/settings/list_file.h"

namespace tavrel {

class EngineWindows;
class TreePane;

// What start-up hands the main window.
struct AppContext {
    Settings* settings = nullptr;
    core::RecordStore* store = nullptr;
    int instance = 1;
    QString programFolder;  // ends with '/'
    bool folderWritable = true;
    std::optional<std::string> environmentName;  // given with "/E"
    // Where the recent-file list is kept (the product name of the profile); empty: not kept.
    QString profileName = QStringLiteral("Tavrel");
    // Messages and questions are recorded instead of shown (tests); questions answer No unless
    // the window is told otherwise.
    bool quiet = false;
};

class MainWindow : public QMainWindow, public DocumentUi, public GameUi {
    Q_OBJECT
public:
    explicit MainWindow(const AppContext& context);
    ~MainWindow() override;

    Document& document() { return m_doc; }
    BoardWidget* board() { return m_board; }
    RecordWindow* recordWindow() { return m_recordWindow; }
    BranchWindow* branchWindow() { return m_branchWindow; }
    // The docks the record and branch lists live in (main_window_panes.cpp).
    QDockWidget* recordDock() const { return m_recordDock; }
    QDockWidget* branchDock() const { return m_branchDock; }
    // Whether the record list is set to show (its pane or window), whatever is drawn now.
    bool recordShown() const;
    // The board and every dock with a pane, in the order F6 walks them.
    std::vector<QWidget*> panes() const;
    // F6 / Shift+F6: the keyboard focus to the next or previous shown pane.
    void focusPane(bool backwards);
    // レイアウトを元に戻す: the panes back to their first places (those shown stay shown).
    void resetLayout();
    // Stores the places, the visibility and the layout; closing the window does it before
    // anything is hidden, destroying it when it was never closed.
    void storeLayout();
    const WindowLayout& layout() const { return m_layout; }
    ReplayDriver* replayDriver() { return m_replayDriver; }
    // The replay control dialog of Replaying; null before the mode was first entered.
    ReplayControlDialog* replayDialog() { return m_replayDlg; }
    // The record window's context menu for a click on line `ply` at character column `column`,
    // and the branch window's for row `row`, as built for a right click.
    QMenu* buildRecordMenu(int ply, int column);
    QMenu* buildBranchMenu(int row);
    // ProcessCommandLine: shows the record window as stored, then acts on the command line.
    void processCommandLine(const CommandLine& commandLine);
    // Loads a file the way Open does after its dialog. Shows its own message.
    CommandResult openFile(const QString& path);
    // UpdateTitle.
    void updateTitle();
    // Redraws board and information, refreshes the record window and the title.
    void refreshAll();
    // Whether the window's environment file is written when it is destroyed.
    bool writesEnvironment() const { return m_context.folderWritable; }
    QString statusText() const;
    // The action of a command: in its menu, and its keys window-wide.
    QAction* action(Command command) const { return m_actions[static_cast<std::size_t>(command)]; }
    // Runs the command's handler when it is enabled (menus, keys and context menus alike).
    void runCommand(Command command);
    bool hasHandler(Command command) const {
        return static_cast<bool>(m_bindings[static_cast<std::size_t>(command)].run);
    }
    // Tests: an enabled command the filter takes is not run.
    void setCommandFilter(std::function<bool(Command)> filter) {
        m_commandFilter = std::move(filter);
    }
    QToolBar* replayToolbar() const { return m_replayToolbar; }
    // The messages and questions of a quiet window.
    const std::vector<std::string>& shownMessages() const { return m_shown; }
    // What a quiet window answers to every question (No unless told).
    void setQuietAnswer(Answer answer) { m_quietAnswer = answer; }

    // DocumentUi
    void showMessage(const std::string& text, const std::string& caption) override;
    Answer ask(const std::string& text, const std::string& caption, bool withCancel) override;
    Answer askDefaultNo(const std::string& text, const std::string& caption) override;
    void showMessageList(const std::string& text, const std::string& caption,
                         const std::vector<std::string>& lines) override;
    // A quiet window does not save.
    GameSaveChoice askGameSave(const std::string& recordName) override;
    // A quiet window cancels the dialogs.
    std::optional<FileChoice> chooseOpenFile(const FileDialogRequest& request) override;
    std::optional<FileChoice> chooseSaveFile(const FileDialogRequest& request) override;
    std::optional<std::string> clipboardText() override;
    void setStatusText(const std::string& text) override;
    void beep() override;
    void setBusy(bool busy) override;
    // A quiet window starts nothing.
    bool openWithDesktop(const std::string& path) override;
    void documentChanged() override;
    // Both sounds go through the sound player (the desktop's by default).
    void pieceSound() override;
    void animateMove(const AnimatedMove& move) override;

    MoveInput& moveInput() { return m_input; }
    MoveClock& moveClock() { return m_clock; }
    // The move dialog (Shift+Enter): asks until a text is accepted or the dialog is cancelled.
    void typedMoveDialog();
    // Where the move dialog's texts come from (tests); by default the dialog TypedMoveDialog.
    void setTypedMoveSource(std::function<std::optional<std::string>()> source) {
        m_typedMoveSource = std::move(source);
    }
    ExportActions& exports() { return *m_exports; }

    // Game play (main_window_game.cpp). GameUi: a quiet window cancels the dialogs.
    bool newGameSheet(NewGameFields& fields) override;
    bool playerNamesDialog(std::string& black, std::string& white,
                           core::HandicapType handicap) override;
    // Where the sheet's values come from instead of the sheet (tests); nullopt cancels.
    void setNewGameSource(
        std::function<std::optional<NewGameFields>(const NewGameFields&)> source) {
        m_newGameSource = std::move(source);
    }
    // The game with engines under way or last played (nullptr: none since the window opened).
    EngineGame* engineGame() { return m_engineGame.get(); }
    // The one-second timer of the running turn clock.
    QTimer* turnTimer() const { return m_turnTimer; }
    // The context menu of the mode, as built for a right click (shift: Shift was held).
    QMenu* buildContextMenu(bool shift);
    // The engine windows (main_window_engine.cpp).
    EngineWindows* engines() { return m_engines; }
    TreePane* treePane() { return m_treePane; }

    // The sounds, the link to other programs and the FTP transfer; tests put fakes in.
    SoundPlayer& soundPlayer();
    void setSoundPlayer(std::unique_ptr<SoundPlayer> player);
    void setProgramLink(std::unique_ptr<ProgramLink> link);
    // Makes the transport of each upload (called on the worker thread).
    void setFtpTransportFactory(std::function<std::unique_ptr<FtpTransport>()> factory);
    // Whether an FTP upload is under way.
    bool ftpUploading() const { return m_ftpUploading; }
    // Where Dalmir and Pellam are looked for and started from.
    ProgramPlaces programPlaces() const;
    // 上書き保存し、FTP転送.
    void saveAndUpload();

    // 各種設定 (F2): the settings dialog over a draft; OK goes to acceptSettingsDialog.
    void settingsDialog();
    // The settings take the draft, the environment file is written (never on a folder that
    // cannot be written) and the views are redrawn. Shows its own message; Failed when the file
    // could not be written.
    CommandResult acceptSettingsDialog(const Settings& draft);
    // What the sound page's test button plays through; none: the button is silent.
    void setPieceSoundTest(PieceSoundTest test) { m_pieceSoundTest = std::move(test); }
    // The comment window of display modes 2 and 3 (null before it was first needed) and the
    // comment pane of mode 1.
    QWidget* commentWindow() const { return m_commentWindow; }
    QPlainTextEdit* commentPane() const { return m_commentPane; }
    // A font chosen for one of the settings' fonts (the system font dialog's answer): stored,
    // and every view shows it at once (the status line, the record window, the comment pane and
    // window).
    void useFont(FontSetting& target, const FontSetting& chosen);

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // The actions of the command table and the menus over them; the handlers are bound by the
    // parts of the window that own them.
    void buildMenus();
    void buildMenu(QMenu* menu, const std::vector<MenuItem>& items);
    // checked: for an entry that shows a state (a toggle or one of a choice).
    void bind(Command command, std::function<void()> run, std::function<bool()> checked = {});
    void bindCommands();
    void bindViewCommands();  // main_window_view.cpp
    void buildToolbars();
    // An open menu's letters choose its entries before the window's single keys act.
    void takeMenuLetters(QMenu* menu);
    void rebuildRecentMenu();
    void updateCommandStates();
    void placeWindows();
    void storeWindowPlaces();
    void setUpPanes();
    // The record list's dock as wide as its longest line.
    void fitRecordPane();

    void chooseColour(Rgb& colour);
    // The fonts of the settings, on the views that show text.
    void applyFonts();
    // The system font dialog over one font setting; the windows take the chosen font at once.
    void chooseFont(FontSetting& font);
    void pieceSettings();
    void showRecordWindow(bool shown);
    void toggleEditing();
    void showContextMenu(const QPoint& globalPos, bool shift);
    // The record window hides while a position is edited and comes back after if it was shown.
    void followEditingMode();

    // Game play (main_window_game.cpp).
    void setUpGame();
    void startNewGame();
    void resumeFromSuspension(bool askForOpen);
    // The turn timer runs while a game is played; the clock lines follow the running clock.
    void followGameClock();
    void showTurnClock();
    ChoiceSource choiceSource();
    // Starts the engines of a new game's players (nothing when both are human).
    void startEngineGame(const GamePlayers& players);
    void endEngineGame();

    // Navigation and replay (main_window_navigation.cpp).
    void setUpNavigation();
    void bindReplayCommands();
    // Runs a navigation command: refused while a continuous replay runs; a pause message goes.
    void navigate(const std::function<void()>& command);
    void updateNavigationStates();
    // The branch window and the replay dialog follow the record and the mode.
    void followNavigationWindows();
    void replayRunningChanged(bool running);
    void startAutoReplay(bool closeAfter);
    void jumpToPlyDialog(int proposed);
    void setUpEngines();
    void setUpTreePane();

    // Tools, other programs, FTP upload and sounds (main_window_tools.cpp).
    void setUpTools();
    void updateToolStates();
    void toolSettingsDialog();
    void uploadNext(std::string path, std::vector<FtpSetting> settings, std::size_t next);

    // The set-up page's actions (main_window_settings.cpp).
    void registerFileTypes();
    void makeDesktopShortcut();

    // Comments, thinking times, bookmarks, information and merging (main_window_annotations.cpp).
    void setUpAnnotations();
    // The comment pane and window follow the position and the display mode.
    void followAnnotationWindows();
    void editCommentDialog(core::NodeIndex node);
    void deleteCommentsDialog();
    void editTimeDialog(core::NodeIndex node);
    void bookmarkDialog();
    void goToBookmarkDialog();
    void editBookmarksDialog();
    void infoDialog(bool problem);
    void editListFile(ListField field);
    void setCommentDisplay(int mode);
    // The histories of the information fields, read from the program folder on first use.
    Histories& histories();

    AppContext m_context;
    Settings& m_settings;
    Document m_doc;
    BoardWidget* m_board;
    RecordWindow* m_recordWindow;
    QLabel* m_status;
    struct Binding {
        std::function<void()> run;
        std::function<bool()> checked;
    };
    std::array<QAction*, kCommandCount> m_actions{};
    std::array<Binding, kCommandCount> m_bindings;
    std::function<bool(Command)> m_commandFilter;
    QObject* m_menuLetters = nullptr;
    QToolBar* m_toolbar = nullptr;
    QToolBar* m_replayToolbar = nullptr;
    QMenu* m_fileMenu = nullptr;
    QList<QAction*> m_recentActions;
    std::optional<OpenFilter> m_openFilter;  // the filter chosen last, none before the first
    std::optional<SaveFormat> m_saveFilter;
    bool m_quiet = false;
    Answer m_quietAnswer = Answer::No;
    std::vector<std::string> m_shown;
    MoveClock m_clock;
    MoveInput m_input{m_doc, m_clock};
    bool m_wasEditing = false;
    bool m_recordShownBeforeEditing = false;
    std::function<std::optional<std::string>()> m_typedMoveSource;
    QMenu* m_contextMenu = nullptr;
    ExportActions* m_exports = nullptr;
    ReplayDriver* m_replayDriver = nullptr;
    BranchWindow* m_branchWindow = nullptr;
    ReplayControlDialog* m_replayDlg = nullptr;
    QMenu* m_recordMenu = nullptr;
    QMenu* m_branchMenu = nullptr;
    bool m_closeAfterReplay = false;
    EngineWindows* m_engines = nullptr;
    TreePane* m_treePane = nullptr;  // main_window_tree.cpp
    std::unique_ptr<SoundPlayer> m_sounds;
    std::unique_ptr<ProgramLink> m_link;
    std::unique_ptr<ProgramStarter> m_starter;
    std::function<std::unique_ptr<FtpTransport>()> m_ftpTransport;
    bool m_ftpUploading = false;
    PieceSoundTest m_pieceSoundTest;
    QTimer* m_turnTimer = nullptr;
    std::function<std::optional<NewGameFields>(const NewGameFields&)> m_newGameSource;
    GamePlayers m_chosenPlayers;  // of the sheet just accepted
    std::unique_ptr<EngineGame> m_engineGame;
    // Declared after the game they report to, so that they go first.
    std::array<std::unique_ptr<UsiProcess>, 2> m_gameProcesses;
    bool m_engineUpdateQueued = false;
    Histories m_histories;
    bool m_historiesRead = false;
    QWidget* m_commentWindow = nullptr;
    QPlainTextEdit* m_commentPane = nullptr;
    QWidget* m_commentDock = nullptr;
    QDockWidget* m_recordDock = nullptr;
    QDockWidget* m_branchDock = nullptr;
    WindowLayout m_layout;
    QByteArray m_firstLayout;
    WindowRect m_recordPlace;
    bool m_layoutStored = false;
    // What moves the docks along with their panes; they go before the docks do.
    std::vector<QObject*> m_dockFollowers;
};

}  // namespace tavrel
