// The information pages as a user fills them: typing into the drop-downs, the calendar button,
// an undefined user field. Offscreen.
#include "tavrel/app/record_info_pages.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>

#include "core/formats/usi_reader.h"
#include "core/text/sjis.h"
#include "tests/support/qt_application.h"
#include "tests/support/temp_folder.h"

namespace tavrel {
namespace {

using core::HeaderField;

class RecordInfoPagesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testsupport::ensureQApplication(); }
    testsupport::TempFolder folder;
    std::string dir = folder.path() + "/";
    Settings settings;
    Histories histories;
    core::RecordStore store{100};
};

TEST_F(RecordInfoPagesTest, TypedValuesBecomeTheRecordsFields) {
    store.setHeader(HeaderField::Event, std::string("竜王戦"));
    RecordEventPage page(true);
    page.fillChoices(settings, histories, dir);
    page.showRecord(store);
    EXPECT_EQ(page.value(HeaderField::Event), std::string("竜王戦"));
    page.show();
    QLineEdit* place = page.combo(HeaderField::Place)->lineEdit();
    place->setFocus();
    QTest::keyClicks(place, QStringLiteral("Tokyo"));
    page.apply(store, settings, histories, dir);
    EXPECT_EQ(store.header(HeaderField::Place), "Tokyo");
    EXPECT_EQ(store.header(HeaderField::Event), std::string("竜王戦"));
    EXPECT_EQ(histories[HistoryField::Place].value(0), "Tokyo");
    EXPECT_EQ(histories[HistoryField::Event].count(), 0);
}

TEST_F(RecordInfoPagesTest, AutoOpeningIsShownAndCopiedIntoTheOpeningOnRequest) {
    ASSERT_EQ(core::readUsiText(store,
                                "position startpos moves 7g7f 3c3d 2h7h 8b4b 5i4h 5a6b 4h3h 6b7b "
                                "3h2h 7b8b 1g1f 1c1d",
                                {})
                  .result,
              core::ReadResult::Ok);
    store.setHeader(HeaderField::Opening, std::string("不明"));
    RecordEventPage page(true);
    page.fillChoices(settings, histories, dir);
    page.showRecord(store);
    ASSERT_NE(page.autoOpeningLabel(), nullptr);
    EXPECT_EQ(page.autoOpeningLabel()->text(),
              QStringLiteral("自動戦型：相振り飛車 ▲三間飛車 △四間飛車"));
    // Nothing changes until the user asks.
    EXPECT_EQ(page.value(HeaderField::Opening), std::string("不明"));
    page.show();
    ASSERT_TRUE(page.autoOpeningButton()->isEnabled());
    QTest::mouseClick(page.autoOpeningButton(), Qt::LeftButton);
    EXPECT_EQ(page.value(HeaderField::Opening), std::string("相振り飛車"));
    page.apply(store, settings, histories, dir);
    EXPECT_EQ(store.header(HeaderField::Opening), std::string("相振り飛車"));

    // A record too short to classify: the line says so and there is nothing to copy.
    core::RecordStore empty(10);
    page.showRecord(empty);
    EXPECT_FALSE(page.autoOpeningButton()->isEnabled());
}

TEST_F(RecordInfoPagesTest, CalendarButtonWritesTheDateWithItsWeekday) {
    RecordDateUserPage page(settings, true);
    page.setDateSource([] { return QDate(2026, 12, 9); });
    ASSERT_NE(page.calendarButton(), nullptr);
    page.show();
    QTest::mouseClick(page.calendarButton(), Qt::LeftButton);
    EXPECT_EQ(core::toUtf8Lossy(page.value(HeaderField::StartDateTime)), "2026/12/09(水)");
    RecordDateUserPage withoutDates(settings, false);
    EXPECT_EQ(withoutDates.calendarButton(), nullptr);
    EXPECT_EQ(withoutDates.combo(HeaderField::StartDateTime), nullptr);
}

TEST_F(RecordInfoPagesTest, UndefinedUserFieldHasNoInputBox) {
    settings.userInfoNames = {std::string("段位"), std::string("解説"), "", std::string("記録"),
                              std::string("観戦")};
    RecordDateUserPage page(settings, false);
    page.show();
    EXPECT_EQ(page.label(HeaderField::User3)->text(), QStringLiteral("（未定義）"));
    EXPECT_FALSE(page.combo(HeaderField::User3)->isVisible());
    EXPECT_EQ(page.label(HeaderField::User2)->text(), QStringLiteral("解説："));
    EXPECT_TRUE(page.combo(HeaderField::User2)->isVisible());
}

}  // namespace
}  // namespace tavrel
