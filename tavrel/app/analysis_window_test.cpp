// The engine windows driven as a user does, against the scripted engine of the tests: the
// analysis view, its preview and "add as variation", whole-record analysis with the graph, the
// options dialog. Offscreen; the engine is a real process, so the checks wait for its answers.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>

#include "core/text/sjis.h"
#include "tavrel/app/engine_dialogs.h"
#include "tavrel/app/main_window.h"
#include "tavrel/app/main_window_engine.h"
#include "tavrel/app/window_test_context.h"
#include "tests/support/qt_application.h"
#include "usi/record_analysis.h"

namespace tavrel {
namespace {

constexpr int kWaitMs = 10000;

const char* const kRecord =
    "手合割：平手\r\n"
    "   1 ７六歩(77)\r\n   2 ３四歩(33)\r\n   3 ２六歩(27)\r\n";

class AnalysisWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testsupport::ensureQApplication(); }
    void SetUp() override {
        qunsetenv("FAKE_USI_ARGS");
        settings.positionAfterLoad = PositionAfterLoad::Start;
        window = std::make_unique<MainWindow>(quietTestContext(settings, store, folder));
        std::string path = folder.filePath(QStringLiteral("a.kif")).toStdString();
        std::ofstream(path, std::ios::binary) << std::string(kRecord);
        ASSERT_EQ(window->openFile(QString::fromStdString(path)), CommandResult::Done);
        engines = window->engines();
        engines->setEngines({fake()});
        dock = engines->analysisDock();
        dock->show();
        window->show();
        QApplication::processEvents();
    }
    void TearDown() override { qunsetenv("FAKE_USI_ARGS"); }

    static usi::EngineEntry fake() {
        usi::EngineEntry e;
        e.name = "Fake";
        e.path = FAKE_USI_ENGINE;
        e.options = {{"MultiPV", "2"}};
        return e;
    }
    QString cell(int row, int column) {
        dock->flush();
        return dock->model()->index(row, column).data().toString();
    }

    QTemporaryDir folder;
    Settings settings;
    core::RecordStore store;
    std::unique_ptr<MainWindow> window;
    EngineWindows* engines = nullptr;
    AnalysisDock* dock = nullptr;
};

// エンジンの通信 shows what the window and the engine said, the lines the protocol does not
// know included, and goes on showing new lines while it is open.
TEST_F(AnalysisWindowTest, EngineLogShowsTheRawTraffic) {
    qputenv("FAKE_USI_ARGS", "--garbage");
    engines->showEngineLog();
    QDialog* dialog = engines->engineLogDialog();
    ASSERT_NE(dialog, nullptr);
    auto* text = dialog->findChild<QPlainTextEdit*>(QStringLiteral("engineLogText"));
    ASSERT_NE(text, nullptr);
    dock->startAnalysis();
    QTRY_VERIFY_WITH_TIMEOUT(
        text->toPlainText().contains(QStringLiteral("Fake< this is no protocol line")), kWaitMs);
    const QString shown = text->toPlainText();
    EXPECT_TRUE(shown.startsWith(QStringLiteral("Fake> usi\n"))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral("Fake< usiok"))) << shown.toStdString();
    dock->stopAnalysis();
    // Closed and opened again, the dialog shows what was logged meanwhile.
    dialog->close();
    QApplication::processEvents();
    engines->showEngineLog();
    text = engines->engineLogDialog()->findChild<QPlainTextEdit*>(QStringLiteral("engineLogText"));
    ASSERT_NE(text, nullptr);
    EXPECT_TRUE(text->toPlainText().contains(QStringLiteral("Fake< this is no protocol line")));
    EXPECT_FALSE(engines->engineLog()->lines().empty());
}

TEST_F(AnalysisWindowTest, ShowsThePvInTraditionalNotationAndFollowsTheBoard) {
    QAbstractItemModelTester tester(dock->model(),
                                    QAbstractItemModelTester::FailureReportingMode::Warning);
    QTest::mouseClick(dock->findChild<QPushButton*>(QStringLiteral("analysisStart")),
                      Qt::LeftButton);
    ASSERT_TRUE(dock->analysing());
    QTRY_COMPARE_WITH_TIMEOUT(dock->model()->rowCount(), 2, kWaitMs);
    // Black to move at the start: the line begins with Black's mark, then White's reply.
    const QString pv = cell(0, AnalysisModel::Pv);
    EXPECT_TRUE(pv.startsWith(QString::fromUtf8("▲"))) << pv.toStdString();
    EXPECT_TRUE(pv.contains(QString::fromUtf8("△"))) << pv.toStdString();
    EXPECT_EQ(cell(0, AnalysisModel::Score), QStringLiteral("+100"));
    EXPECT_EQ(cell(1, AnalysisModel::BlackScore), QStringLiteral("+90"));

    // A step on the board searches the new position: White to move, Black's view turns.
    QTest::keyClick(window->board(), Qt::Key_Right);
    window->board()->finishAnimation();
    ASSERT_EQ(store.currentPly(), 1);
    QTRY_VERIFY_WITH_TIMEOUT(cell(0, AnalysisModel::Pv).startsWith(QString::fromUtf8("△")),
                             kWaitMs);
    EXPECT_EQ(cell(0, AnalysisModel::Score), QStringLiteral("+100"));
    EXPECT_EQ(cell(0, AnalysisModel::BlackScore), QStringLiteral("-100"));

    QTest::mouseClick(dock->findChild<QPushButton*>(QStringLiteral("analysisStop")),
                      Qt::LeftButton);
    EXPECT_FALSE(dock->analysing());
}

TEST_F(AnalysisWindowTest, APreviewLeavesTheRecordUntilItIsAdded) {
    dock->startAnalysis();
    QTRY_COMPARE_WITH_TIMEOUT(dock->model()->rowCount(), 2, kWaitMs);
    dock->stopAnalysis();
    const int moves = store.moveCount();
    const QRect row = dock->table()->visualRect(dock->model()->index(1, AnalysisModel::Pv));
    QTest::mouseClick(dock->table()->viewport(), Qt::LeftButton, {}, row.center());
    // The preview board shows the line's end: two plies from the start.
    EXPECT_EQ(dock->previewStore().currentPly(), 2);
    EXPECT_EQ(store.moveCount(), moves);
    EXPECT_EQ(store.currentPly(), 0);
    QTest::mouseClick(dock->findChild<QPushButton*>(QStringLiteral("analysisAddVariation")),
                      Qt::LeftButton);
    EXPECT_EQ(store.moveCount(), moves + 2);
    EXPECT_EQ(store.currentPly(), 0);
    EXPECT_TRUE(store.hasVariations());
}

TEST_F(AnalysisWindowTest, WholeRecordAnalysisWritesCommentsAndDrawsTheGraph) {
    usi::RecordAnalysisOptions options;
    options.moveTimeMs = 20;
    engines->startRecordAnalysis(fake(), options);
    ASSERT_NE(engines->progress(), nullptr);
    QTRY_VERIFY_WITH_TIMEOUT(engines->recordAnalysis() == nullptr, kWaitMs);
    for (int ply = 0; ply <= 3; ++ply) {
        EXPECT_TRUE(usi::analysedScore(store.node(store.nodeAtPly(ply)).commentText())) << ply;
    }
    AnalysisGraph* graph = engines->graph();
    EXPECT_TRUE(engines->graphDock()->isVisible());
    EXPECT_EQ(graph->pointCount(), 4);
    // A click on the graph's last point goes to that ply.
    const QPointF last = graph->chart()->mapToPosition(QPointF(3, 0));
    QTest::mouseClick(graph->viewport(), Qt::LeftButton, {}, graph->mapFromScene(last));
    EXPECT_EQ(store.currentPly(), 3);
}

TEST_F(AnalysisWindowTest, LoadingAnotherRecordClearsThePaneAndTheGraph) {
    usi::RecordAnalysisOptions options;
    options.moveTimeMs = 20;
    engines->startRecordAnalysis(fake(), options);
    QTRY_VERIFY_WITH_TIMEOUT(engines->recordAnalysis() == nullptr, kWaitMs);
    ASSERT_EQ(engines->graph()->pointCount(), 4);
    dock->startAnalysis();
    QTRY_COMPARE_WITH_TIMEOUT(dock->model()->rowCount(), 2, kWaitMs);
    dock->stopAnalysis();
    const QRect row = dock->table()->visualRect(dock->model()->index(0, AnalysisModel::Pv));
    QTest::mouseClick(dock->table()->viewport(), Qt::LeftButton, {}, row.center());
    ASSERT_GT(dock->previewStore().currentPly(), 0);

    // Another record, never analysed: nothing of the old analysis stays on screen.
    std::string other = folder.filePath(QStringLiteral("b.kif")).toStdString();
    std::ofstream(other, std::ios::binary)
        << std::string("手合割：平手\r\n   1 ２六歩(27)\r\n   2 ８四歩(83)\r\n");
    ASSERT_EQ(window->openFile(QString::fromStdString(other)), CommandResult::Done);
    dock->flush();
    EXPECT_EQ(dock->model()->rowCount(), 0);
    EXPECT_EQ(dock->previewStore().currentPly(), 0);
    EXPECT_FALSE(
        dock->findChild<QPushButton*>(QStringLiteral("analysisAddVariation"))->isEnabled());
    EXPECT_EQ(engines->graph()->pointCount(), 0);
}

TEST_F(AnalysisWindowTest, CancelKeepsWhatWasAnalysed) {
    // The first search ends on its "stop"; the second never does, so the cancel meets it.
    qputenv("FAKE_USI_ARGS", "--ignore-stop-after 1");
    usi::RecordAnalysisOptions options;
    options.moveTimeMs = 20;
    engines->startRecordAnalysis(fake(), options);
    QTRY_VERIFY_WITH_TIMEOUT(!engines->recordAnalysis() || engines->recordAnalysis()->done() >= 1,
                             kWaitMs);
    if (engines->recordAnalysis()) engines->progress()->cancel();
    QTRY_VERIFY_WITH_TIMEOUT(engines->recordAnalysis() == nullptr, kWaitMs);
    EXPECT_TRUE(usi::analysedScore(store.node(core::kRootNode).commentText()));
}

TEST_F(AnalysisWindowTest, AnEngineThatCannotStartSaysWhy) {
    usi::EngineEntry missing = fake();
    missing.path = folder.filePath(QStringLiteral("no-engine")).toStdString();
    engines->setEngines({missing});
    dock->startAnalysis();
    QTRY_VERIFY_WITH_TIMEOUT(!dock->analysing(), kWaitMs);
    EXPECT_TRUE(dock->statusText().startsWith(QString::fromUtf8("エンジンを起動できません：")))
        << dock->statusText().toStdString();
}

TEST(EngineOptionsDialog, ShowsChosenValuesAndResetsToDefaults) {
    testsupport::ensureQApplication();
    std::vector<usi::UsiOption> options{
        *usi::parseOption("option name USI_Hash type spin default 256 min 1 max 4096"),
        *usi::parseOption("option name USI_Ponder type check default true"),
        *usi::parseOption("option name Style type combo default Normal var Normal var Aggressive"),
        *usi::parseOption("option name EvalDir type filename default eval"),
        *usi::parseOption("option name Clear Hash type button"),
    };
    usi::EngineEntry entry{"E", "/bin/e", {{"USI_Hash", "1024"}}};
    EngineOptionsDialog dialog(entry, options);
    dialog.show();
    auto* hash = qobject_cast<QSpinBox*>(dialog.field("USI_Hash"));
    ASSERT_NE(hash, nullptr);
    EXPECT_EQ(hash->value(), 1024);
    auto* ponder = qobject_cast<QCheckBox*>(dialog.field("USI_Ponder"));
    ASSERT_NE(ponder, nullptr);
    EXPECT_TRUE(ponder->isChecked());
    QTest::keyClick(ponder, Qt::Key_Space);
    EXPECT_EQ(dialog.chosen().options, (std::vector<std::pair<std::string, std::string>>{
                                           {"USI_Hash", "1024"}, {"USI_Ponder", "false"}}));
    dialog.resetToDefaults();
    EXPECT_EQ(hash->value(), 256);
    // Values equal to the engine's defaults are not kept.
    EXPECT_TRUE(dialog.chosen().options.empty());
}

TEST(EngineListDialog, AddsProgramsUnderTheirOwnNamesAndRemoves) {
    testsupport::ensureQApplication();
    int probes = 0;
    EngineListDialog dialog({usi::EngineEntry{"engine", "/opt/a/engine", {}}},
                            [&](const usi::EngineEntry&, auto done) {
                                ++probes;
                                done({});
                            });
    dialog.show();
    dialog.addProgram(QStringLiteral("/opt/b/engine"));
    ASSERT_EQ(dialog.engines().size(), 2u);
    EXPECT_EQ(dialog.engines()[1].name, "engine (2)");
    EXPECT_EQ(dialog.list()->currentRow(), 1);
    // The options need the engine's own lines: a failed probe opens no dialog.
    dialog.editOptions();
    EXPECT_EQ(probes, 1);
    dialog.list()->setCurrentRow(0);
    dialog.removeCurrent();
    ASSERT_EQ(dialog.engines().size(), 1u);
    EXPECT_EQ(dialog.engines()[0].path, "/opt/b/engine");
}

}  // namespace
}  // namespace tavrel
