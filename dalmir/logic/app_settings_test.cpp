#include "dalmir/logic/app_settings.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "core/text/sjis.h"

namespace dalmir {
namespace {

struct MapStore {
    std::map<std::string, std::string> values;
    SettingsStore store() {
        return {[this](const std::string& key) -> std::optional<std::string> {
                    auto it = values.find(key);
                    if (it == values.end()) return std::nullopt;
                    return it->second;
                },
                [this](const std::string& key, const std::string& value) { values[key] = value; }};
    }
};

TEST(AppSettingsTest, DefaultsWhenNothingIsStored) {
    MapStore empty;
    const AppSettings s = readSettings(empty.store());
    EXPECT_EQ(s, AppSettings{});
    EXPECT_EQ(s.tools.replayOptions, "/R \"%f\" +%n");
    EXPECT_EQ(s.tools.playOptions, "/G \"%f\" ");
    EXPECT_EQ(s.tools.diagramOptions, "/B");
    EXPECT_EQ(s.listFont, (FontSetting{"メイリオ", -12, 0, false}));
    EXPECT_EQ(s.printLineMargin, 5);
    EXPECT_TRUE(s.findReversed);
    EXPECT_FALSE(s.findIgnoreEdges);
    EXPECT_EQ(s.historyCount, 20);
    EXPECT_EQ(s.dateTo, (SettingsDate{0, 0, 0}));
}

TEST(AppSettingsTest, WrittenSettingsReadBack) {
    AppSettings s;
    s.userFieldNames[2] = "段位";
    s.tools.replayCommand = "/opt/tavrel";
    s.defaultSort = 15;
    s.printFont = {"Serif", 11, 700, true};
    s.deleteConfirm = false;
    s.historyCount = 7;
    s.maxRecords = 5000000;  // well beyond a million
    s.dateFrom = {1999, 4, 1};
    s.language = core::LanguageChoice::English;
    s.filterStacks = {{"羽生の矢倉", "header\t1\tblack=羽生\n"}, {"二", "result\t0\tresult=1\n"}};
    MapStore stored;
    writeSettings(s, stored.store());
    EXPECT_EQ(stored.values["View/language"], "en");
    EXPECT_EQ(stored.values["Option/date_from"], "1999 4 1");
    EXPECT_EQ(stored.values["Option/del_confirm"], "0");
    EXPECT_EQ(stored.values["Env/user3"], "段位");
    EXPECT_EQ(stored.values["Option/max_records"], "5000000");
    EXPECT_EQ(readSettings(stored.store()), s);
}

// A value that is empty or not a number keeps the default; numbers out of range are bounded.
// The search dialog offers today until a 日以前 date was chosen, then that one.
TEST(AppSettingsTest, TheOfferedEndDateIsTodayUntilOneWasChosen) {
    AppSettings s;
    EXPECT_EQ(offeredDateTo(s, {2026, 12, 11}), (SettingsDate{2026, 12, 11}));
    s.dateTo = {2002, 12, 31};
    EXPECT_EQ(offeredDateTo(s, {2026, 12, 11}), (SettingsDate{2002, 12, 31}));
}

TEST(AppSettingsTest, BadValuesKeepTheDefaults) {
    MapStore stored;
    stored.values = {{"Tool/replay_opt", ""},          {"View/default_sort", "x"},
                     {"Print/print_top_margin", "12"}, {"Option/history_n", "99"},
                     {"Option/date_to", "2001 2"},     {"View/list_font_size", "-12pt"},
                     {"Option/find_hanten", "0"},      {"Option/max_records", "0"}};
    const AppSettings s = readSettings(stored.store());
    EXPECT_EQ(s.tools.replayOptions, "/R \"%f\" +%n");
    EXPECT_EQ(s.defaultSort, 0);
    EXPECT_EQ(s.printTopMargin, 12);
    EXPECT_EQ(s.historyCount, 20);
    EXPECT_EQ(s.dateTo, (SettingsDate{0, 0, 0}));
    EXPECT_EQ(s.listFont.size, -12);
    EXPECT_FALSE(s.findReversed);
    EXPECT_EQ(s.maxRecords, 100000);
    stored.values["Option/max_records"] = "-5";
    EXPECT_EQ(readSettings(stored.store()).maxRecords, 100000);
}

TEST(InputHistoryTest, MostRecentFirstWithinTheLimit) {
    InputHistory h(3);
    EXPECT_FALSE(h.enter(""));
    EXPECT_TRUE(h.enter("a"));
    EXPECT_TRUE(h.enter("b"));
    EXPECT_TRUE(h.enter("c"));
    EXPECT_TRUE(h.enter("a"));  // moves to the front
    EXPECT_EQ(h.entries(), (std::vector<std::string>{"a", "c", "b"}));
    EXPECT_TRUE(h.enter("d"));  // "b" falls off
    EXPECT_EQ(h.entries(), (std::vector<std::string>{"d", "a", "c"}));
    EXPECT_FALSE(h.enter("d"));
}

// The 255-byte limit is that of the CP932 form the other programs store: a kanji counts two
// bytes, not the three of UTF-8, and a cut never splits a character.
TEST(InputHistoryTest, EntriesAreCutAt255BytesOfCp932) {
    InputHistory h;
    std::string kanji;
    for (int i = 0; i < 127; ++i) kanji += "棋";  // 254 bytes in CP932, 381 in UTF-8
    ASSERT_TRUE(h.enter(kanji + "x"));
    EXPECT_EQ(h.entries().front(), kanji + "x");
    ASSERT_TRUE(h.enter(kanji + "棋"));  // 256 bytes: the last kanji does not fit
    EXPECT_EQ(h.entries().front(), kanji);
    std::string ascii(254, 'x');
    ASSERT_TRUE(h.enter(ascii + "棋"));
    EXPECT_EQ(h.entries().front(), ascii);
    // Half-width katakana take one byte in CP932.
    std::string kana;
    for (int i = 0; i < 255; ++i) kana += "ｱ";
    ASSERT_TRUE(h.enter(kana + "ｱ"));
    EXPECT_EQ(h.entries().front(), kana);
}

TEST(InputHistoryTest, FileTextSkipsCommentsAndBlankLinesAndKeepsTheLimit) {
    InputHistory h(2);
    h.load(*core::cp932Bytes("# comment\r\n\r\n羽生\r\n谷川\nthird\n"));
    EXPECT_EQ(h.entries(), (std::vector<std::string>{"羽生", "谷川"}));
    EXPECT_EQ(h.fileBytes(), *core::cp932Bytes("羽生\n谷川\n"));
    InputHistory none(25);
    none.load("a\n");
    EXPECT_EQ(none.entries().size(), 1u);
}

// A history is a Shift-JIS file like the program's other lists; a name Shift-JIS cannot hold
// makes it UTF-8 with a byte-order mark, and either form reads back to the same entries.
TEST(InputHistoryTest, TheFileIsShiftJisUnlessANameNeedsMore) {
    InputHistory h(5);
    h.enter("谷川");
    EXPECT_EQ(h.fileBytes(), *core::cp932Bytes("谷川\n"));
    h.enter("김민준");
    const std::string bytes = h.fileBytes();
    EXPECT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
    InputHistory back(5);
    back.load(bytes);
    EXPECT_EQ(back.entries(), h.entries());
    InputHistory fromShiftJis(5);
    fromShiftJis.load(*core::cp932Bytes("羽生\n"));
    EXPECT_EQ(fromShiftJis.entries(), std::vector<std::string>{"羽生"});
}

}  // namespace
}  // namespace dalmir
