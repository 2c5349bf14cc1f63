// Tavrel in English, looked at as a user does: the menus, the panes and every dialog a menu opens
// show no Japanese word of the program's own (the record's words and the move notation follow
// their own settings and are not looked at).
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDockWidget>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <algorithm>
#include <set>

#include "core/text/translation.h"
#include "tavrel/app/main_window.h"
#include "tavrel/app/window_test_context.h"
#include "tests/support/qt_application.h"

namespace tavrel {
namespace {

bool hasJapanese(const QString& text) {
    static const QRegularExpression japanese(
        QStringLiteral("[\\x{3000}-\\x{30ff}\\x{3400}-\\x{9fff}\\x{ff00}-\\x{ffef}]"));
    return japanese.match(text).hasMatch();
}

// The texts a user reads in a widget and everything inside it: captions, labels, buttons, group
// titles, tab names, list heads and choices. Typed values (line edits) are the user's own.
void collectTexts(QWidget* root, const QString& where, std::vector<QString>& out) {
    auto add = [&](const QString& text) {
        if (hasJapanese(text)) out.push_back(where + QStringLiteral(": ") + text);
    };
    add(root->windowTitle());
    for (QLabel* w : root->findChildren<QLabel*>()) add(w->text());
    for (QAbstractButton* w : root->findChildren<QAbstractButton*>()) add(w->text());
    for (QGroupBox* w : root->findChildren<QGroupBox*>()) add(w->title());
    for (QTabWidget* w : root->findChildren<QTabWidget*>()) {
        for (int i = 0; i < w->count(); ++i) add(w->tabText(i));
    }
    for (QComboBox* w : root->findChildren<QComboBox*>()) {
        if (w->isEditable()) continue;
        for (int i = 0; i < w->count(); ++i) add(w->itemText(i));
    }
    for (QAbstractItemView* w : root->findChildren<QAbstractItemView*>()) {
        QAbstractItemModel* m = w->model();
        if (!m) continue;
        for (int c = 0; c < m->columnCount(); ++c) {
            add(m->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString());
        }
    }
    for (QDockWidget* w : root->findChildren<QDockWidget*>()) add(w->windowTitle());
    for (QToolBar* w : root->findChildren<QToolBar*>()) add(w->windowTitle());
}

// The menus but for the user's own words: the tools they named.
void collectMenu(QMenu* menu, const QString& where, const std::set<QString>& own,
                 std::vector<QString>& out) {
    const QString here = where + QStringLiteral(" > ") + menu->title();
    if (hasJapanese(menu->title())) out.push_back(here);
    for (QAction* a : menu->actions()) {
        if (a->menu()) {
            collectMenu(a->menu(), here, own, out);
        } else if (hasJapanese(a->text()) &&
                   std::none_of(own.begin(), own.end(),
                                [&](const QString& o) { return a->text().contains(o); })) {
            out.push_back(here + QStringLiteral(" > ") + a->text());
        }
    }
}

class EnglishWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        testsupport::ensureQApplication();
        ASSERT_TRUE(core::useLanguage(core::Language::English, "tavrel",
                                      std::string(TAVREL_BINARY_DIR) + "/tavrel/locale"));
    }
    static void TearDownTestSuite() {
        core::useLanguage(core::Language::Japanese, "tavrel",
                          std::string(TAVREL_BINARY_DIR) + "/tavrel/locale");
    }
    void SetUp() override {
        store.restoreStartPosition(store.position());
        window = std::make_unique<MainWindow>(quietTestContext(settings, store, folder));
        window->resize(1000, 700);
        window->show();
        QApplication::processEvents();
    }

    QTemporaryDir folder;
    Settings settings;
    core::RecordStore store;
    std::unique_ptr<MainWindow> window;
};

TEST_F(EnglishWindowTest, TheMainWindowAndItsMenusAreInEnglish) {
    std::vector<QString> japanese;
    collectTexts(window.get(), QStringLiteral("window"), japanese);
    std::set<QString> own;
    for (const ToolEntry& tool : settings.tools)
        if (!tool.menu.empty()) own.insert(QString::fromStdString(tool.menu));
    for (QAction* a : window->menuBar()->actions()) {
        if (a->menu()) collectMenu(a->menu(), QStringLiteral("menu"), own, japanese);
    }
    for (const QString& t : japanese) ADD_FAILURE() << t.toStdString();
}

// Each menu entry that opens a dialog ("...") is chosen; whatever window comes up is read and
// closed, and the next one after it too (a question before a dialog).
TEST_F(EnglishWindowTest, EveryDialogAMenuOpensIsInEnglish) {
    std::vector<QAction*> openers;
    std::function<void(QMenu*)> walk = [&](QMenu* menu) {
        for (QAction* a : menu->actions()) {
            if (a->menu()) {
                walk(a->menu());
            } else if (a->isEnabled() && a->text().contains(QStringLiteral("..."))) {
                openers.push_back(a);
            }
        }
    };
    for (QAction* a : window->menuBar()->actions()) {
        if (a->menu()) walk(a->menu());
    }
    ASSERT_GT(openers.size(), 10u);

    std::vector<QString> japanese;
    std::set<QString> seen;
    QTimer closer;
    QString current;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) return;
        seen.insert(current);
        collectTexts(modal, current, japanese);
        if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialog->reject();
        } else {
            modal->close();
        }
    });
    closer.start(0);
    for (QAction* a : openers) {
        current = a->text();
        a->trigger();
        QApplication::processEvents();
    }
    closer.stop();
    EXPECT_GT(seen.size(), 5u);
    RecordProperty("dialogs", static_cast<int>(seen.size()));
    // The user's own words in the settings (their field names, font faces) and the name of the
    // language Japanese in the language choice.
    std::vector<QString> own{QStringLiteral("日本語")};
    for (const std::string& name : settings.userInfoNames)
        own.push_back(QString::fromStdString(name));
    for (const FontSetting* font :
         {&settings.coordinateFont, &settings.informationFont, &settings.commentFont,
          &settings.statusFont, &settings.recordFont, &settings.printFont,
          &settings.printHandFont}) {
        own.push_back(QString::fromStdString(font->face));
    }
    for (const QString& t : japanese) {
        const QString text = t.mid(t.indexOf(QStringLiteral(": ")) + 2);
        const bool theirs = std::any_of(own.begin(), own.end(), [&](const QString& o) {
            return !o.isEmpty() && text.contains(o) && !hasJapanese(QString(text).remove(o));
        });
        if (!theirs) ADD_FAILURE() << t.toStdString();
    }
}

}  // namespace
}  // namespace tavrel
