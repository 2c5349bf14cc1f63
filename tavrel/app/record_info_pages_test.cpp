// The information pages as a user fills them: typing into the drop-downs, the calendar button,
// an undefined user field. Offscreen.
#include "tavrel/app/record_info_pages.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>

#include "core/text/sjis.h"
#include "tests/support/qt_application.h"
#include "tests/support/temp_folder.h"

namespace tavrel {
namespace {

using core::HeaderField;
using core::sjis;

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
    store.setHeader(HeaderField::Event, sjis("竜王戦"));
    RecordEventPage page(true);
    page.fillChoices(settings, histories, dir);
    page.showRecord(store);
    EXPECT_EQ(page.value(HeaderField::Event), sjis("竜王戦"));
    page.show();
    QLineEdit* place = page.combo(HeaderField::Place)->lineEdit();
    place->setFocus();
    QTest::keyClicks(place, QStringLiteral("Tokyo"));
    page.apply(store, settings, histories, dir);
    EXPECT_EQ(store.header(HeaderField::Place), "Tokyo");
    EXPECT_EQ(store.header(HeaderField::Event), sjis("竜王戦"));
    EXPECT_EQ(histories[HistoryField::Place].value(0), "Tokyo");
    EXPECT_EQ(histories[HistoryField::Event].count(), 0);
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
    settings.userInfoNames = {sjis("段位"), sjis("解説"), "", sjis("記録"), sjis("観戦")};
    RecordDateUserPage page(settings, false);
    page.show();
    EXPECT_EQ(page.label(HeaderField::User3)->text(), QStringLiteral("（未定義）"));
    EXPECT_FALSE(page.combo(HeaderField::User3)->isVisible());
    EXPECT_EQ(page.label(HeaderField::User2)->text(), QStringLiteral("解説："));
    EXPECT_TRUE(page.combo(HeaderField::User2)->isVisible());
}

}  // namespace
}  // namespace tavrel
