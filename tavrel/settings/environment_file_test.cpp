#include "tavrel/settings/environment_file.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <climits>
#include <filesystem>
#include <random>

#include "core/base/safe_file.h"
#include "core/record/record_store.h"
#include "core/text/sjis.h"

namespace tavrel {
namespace {

namespace fs = std::filesystem;

// The golden file's bytes (Shift-JIS, as the file is written).
std::string goldenBytes() {
    std::optional<std::string> bytes =
        core::readFile(std::string(TAVREL_TEST_DATA) + "/settings/default.env");
    EXPECT_TRUE(bytes.has_value());
    return bytes.value_or("");
}

// The golden file as text.
std::string golden() { return core::ownTextFileText(goldenBytes()); }

// Settings read from the given environment file text (UTF-8 in the test, CP932 in the file).
Settings load(std::string_view utf8) {
    Settings s;
    parseEnvironmentText(std::string(utf8), s);
    return s;
}

// A settings record in which every written value differs from its default, with texts that
// exercise the value forms: blanks, '#', '%', quotes, backslashes and two-byte characters whose
// second byte is a backslash (表 is 0x95 0x5C).
Settings everyValueChanged() {
    Settings s;
    s.recordFolder = std::string("/home/棋譜 表/");
    s.mailFolder = "/var/mail/x/";
    s.mainWindow = {-3, 7, 800, 600};
    s.recordWindow = {0, 11, 12, 13, 14, static_cast<RecordListForm>(2)};  // no such form
    s.showBookmarkNames = 0;
    s.branchWindow = {BranchWindowMode::Always, 21, 22, 23, 24};
    s.commentWindow = {CommentDisplay::Window, 31, 32, 33, 34};
    s.replayDialog = {41, 42};
    s.pieceSet = 1;
    s.externalPieces = 1;
    s.pieceBitmap = "/p/pieces.bmp";
    s.boardType = WoodChoice::Plain;
    s.standType = WoodChoice::Grain1;
    s.ownPalette = 0;
    s.boardColour = {1, 2, 3};
    s.pieceBoxColour = {4, 5, 6};
    s.backgroundColour = {7, 8, 9};
    s.lastPieceColour = {10, 11, 12};
    s.currentMoveColour = {13, 14, 15};
    s.variationColour = {0, 0, 0};
    s.lastPieceEmphasis = LastPieceEmphasis::SquareColour;
    s.moveTextStyle = MoveTextStyle::OriginUp;
    s.coordinateFont = {std::string("IPA明朝"), -15, true, false};
    s.informationFont = {"Noto Sans CJK JP", 16, false, true};
    s.commentFont = {std::string("表示"), -1, true, true};
    s.statusFont = {"", -9, false, false};
    s.recordFont = {"Sans", -14, true, false};
    s.toolbar = {0, 5, -6, 7};
    s.showStatusBar = 0;
    s.emphasiseSideToMove = 0;
    s.infoFormats = {"%i # not a comment", "  %g", std::string("表：%/1")};
    s.problemInfoFormats = {"a", "b", "c"};
    s.warningSound = 0;
    s.pieceSound = PieceSoundKind::UserWave;
    s.userWave = "/s/k.wav";
    s.offerReplayAfterLoad = 1;
    s.positionAfterLoad = PositionAfterLoad::FirstBookmark;
    s.checkRules = 0;
    s.replaySpeed = 20;
    s.animationSpeed = 0;
    s.stopAtComments = ReplayStop::Never;
    s.commentWaitMs = 250;
    s.stopAtBranches = ReplayStop::Wait;
    s.branchWaitMs = 3000;
    s.detectRepetitionInReplay = 0;
    s.confirmSave = 0;
    s.autoSaveResume = 0;
    s.saveNameTemplate = "%G";
    s.oldReplay = 1;
    s.databaseProgram = "/opt/dalmir/dalmir";
    s.problemDatabaseProgram = "/opt/pellam/pellam";
    for (int i = 0; i < kToolCount; ++i) {
        std::string n = std::to_string(i + 1);
        s.tools[static_cast<std::size_t>(i)] = {std::string("道具") + n, "/bin/tool" + n,
                                                "\"%K\" \\" + n + std::string(" 表\\\"")};
    }
    s.historyCount = 7;
    s.playerHistory = 2;
    s.eventHistory = 0;
    s.openingHistory = 2;
    s.timeLimitHistory = 0;
    s.placeHistory = 2;
    s.publicationHistory = 0;
    s.userHistory = 2;
    s.printPositionFormat = "%d";
    s.printRecordFormat = "%K";
    s.printFont = {"Serif", -30, true, true};
    s.printColumns = 4;
    s.printLeftMargin = 15;
    s.printTopMargin = 20;
    s.printLineSpacing = 5;
    s.printComments = 0;
    s.printNamesVertical = 0;
    s.printBlackNameChars = 5;
    s.printWhiteNameChars = 6;
    s.printUnicode = 0;
    s.previewTwoColour = 0;
    s.cropImages = 0;
    s.cropRect = {1, 2, 3, 4};
    s.imageNameFormat = "%f.png";
    s.printHandFont = {"Mono", -8, false, false};
    s.recordCapacity = 12000;
    s.addVariationMode = core::AddMode::Overwrite;
    s.dragonNotation = 1;
    s.markFinalDrop = 1;
    s.zeroTimeOnEntry = 1;
    s.duplicateBookmarks = 1;
    s.ki2Columns = 10;
    s.ki2Style = Ki2Style::Classic;
    s.ki2HalfWidth = 1;
    s.ki2HalfWidthColumns = 12;
    s.kifOmitZeroTime = 1;
    s.commentAutoWrap = 1;
    s.commentWrapColumn = 60;
    s.recordTree = {1, 2, 3, 4};
    s.standardFormat = StandardFormat::Ki2;
    s.backup = 1;
    s.userInfoNames = {"u1", "u2", "u3", "u4", std::string("宛先")};
    s.autoThinkingTime = 1;
    s.autoEndDate = 0;
    s.diagramFormat = "%n";
    s.englishDiagramFormat = "%l";
    s.englishNumbering = core::EnglishNumbering::None;
    s.englishColumns = 3;
    s.privateCharUse = {1, 0, 1, 1};
    s.privateCharFirst = 0xF040;
    s.privateBlackMark = 0;
    s.mailForm1 = "m1";
    s.mailForm2 = "m2";
    s.mailSave = MailSaveMode::AppendToOne;
    s.mailAppendName = "BOX";
    s.internetMailTo = "%4";
    s.internetMailSubject = "s";
    s.internetMailBody = "b";
    s.internetMailAuto = 1;
    s.ftpServer = "ftp.example.org";
    s.ftpUser = "user";
    s.ftpFolder = "/pub";
    return s;
}

class EnvironmentFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "tavrel-env-XXXXXX").string();
        ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
        m_dir = tmpl + "/";
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string path(const std::string& name) const { return m_dir + name; }
    void put(const std::string& name, std::string_view bytes) {
        ASSERT_EQ(core::writeFileAtomically(path(name), bytes), core::WriteResult::Ok);
    }

    std::string m_dir;
};

TEST(EnvironmentText, DefaultsWrittenByteForByte) {
    EXPECT_EQ(formatEnvironmentText(Settings{}), golden());
    EXPECT_EQ(core::ownTextFileBytes(formatEnvironmentText(Settings{})), goldenBytes());
}

TEST_F(EnvironmentFileTest, WriteCreatesTheGoldenFile) {
    ASSERT_EQ(WriteEnvironmentFile(path("Tavrel95.env"), Settings{}), core::WriteResult::Ok);
    EXPECT_EQ(core::readFile(path("Tavrel95.env")), goldenBytes());
}

TEST(EnvironmentText, EveryKeyOfTheFixtureDiffersFromItsDefault) {
    // Guards the round trip below: a key whose value stayed at its default would prove nothing.
    const Settings defaults;
    const Settings changed = everyValueChanged();
    for (const std::string& key : environmentKeys()) {
        EXPECT_NE(valueText(changed, key), valueText(defaults, key)) << core::toUtf8Lossy(key);
    }
}

TEST(EnvironmentText, WrittenFileReadBackReproducesEveryValue) {
    const Settings written = everyValueChanged();
    Settings read;
    parseEnvironmentText(formatEnvironmentText(written), read);
    EXPECT_EQ(read, written);
}

TEST(EnvironmentText, GoldenFileReadOverOtherValuesRestoresEveryDefault) {
    Settings s = everyValueChanged();
    s.ftpServer.clear();
    s.ftpUser.clear();
    s.ftpFolder.clear();
    parseEnvironmentText(golden(), s);
    EXPECT_EQ(s, Settings{});
}

TEST(EnvironmentText, KeyListHasEveryKeyOnce) {
    std::vector<std::string> keys = environmentKeys();
    EXPECT_EQ(keys.size(), 121u + 15u);
    std::sort(keys.begin(), keys.end());
    EXPECT_EQ(std::adjacent_find(keys.begin(), keys.end()), keys.end());
}

TEST(EnvironmentText, RecordCapacityOutsideItsRangeIsIgnored) {
    for (const char* value : {"0", "-5", "abc", "", "1000001", "2000000000", "99999999999"}) {
        EXPECT_EQ(load(std::string("棋譜最大サイズ   : ") + value).recordCapacity, 5000) << value;
    }
    EXPECT_EQ(load("棋譜最大サイズ   : 1").recordCapacity, 1);
    EXPECT_EQ(load("棋譜最大サイズ   : 1000000").recordCapacity, core::kMaxRecordCapacity);
}

TEST(EnvironmentText, IntegersReadAsAtoi) {
    struct Case {
        const char* line;
        int expected;
    } cases[] = {
        {"警告音           : 0\t# (0:なし,1:あり)", 0},
        {"警告音 : 7xyz", 7},
        {"警告音 :    -12", -12},
        {"警告音 : +3", 3},
        {"警告音 : abc", 0},  // a malformed value read with atoi becomes 0
        {"警告音:5", 5},
        {"警告音 : 99999999999999999999", INT_MAX},
        {"警告音 : -99999999999999999999", INT_MIN},
    };
    for (const Case& c : cases) EXPECT_EQ(load(c.line).warningSound, c.expected) << c.line;
}

TEST(EnvironmentText, NumberGroupsNeedTheirNumbers) {
    Settings s = load("棋譜ウィンドウ   : 0 1 2 3 4");
    EXPECT_EQ(s.recordWindow, (RecordWindowSetting{0, 1, 2, 3, 4, RecordListForm::Times}));
    s = load("棋譜ウィンドウ   : 0 1 2 3 4 5# 表示 X,Y,W,H 形式");
    EXPECT_EQ(s.recordWindow, (RecordWindowSetting{0, 1, 2, 3, 4, static_cast<RecordListForm>(5)}));
    // Too few numbers leave the whole setting as it was.
    EXPECT_EQ(load("棋譜ウィンドウ   : 0 1 2 3").recordWindow, Settings{}.recordWindow);
    EXPECT_EQ(load("ウィンドウ : 1 2 x 4").mainWindow, Settings{}.mainWindow);
    EXPECT_EQ(load("ウィンドウ : 1 2 3 4 # X,Y,W,H").mainWindow, (WindowRect{1, 2, 3, 4}));
    EXPECT_EQ(load("トリミング領域 : 1 2 3 4 5").cropRect, (CropRect{1, 2, 3, 4}));
}

TEST(EnvironmentText, MalformedColoursLeaveTheColour) {
    const Rgb board = Settings{}.boardColour;
    for (const char* value : {"1 2", "256 0 0", "-1 0 0", "a b c", ""}) {
        EXPECT_EQ(load(std::string("盤面色 : ") + value).boardColour, board) << value;
    }
    EXPECT_EQ(load("盤面色 : 0 255 9 # RGB(0-255)").boardColour, (Rgb{0, 255, 9}));
}

TEST(EnvironmentText, FontsKeepMissingNumbers) {
    const FontSetting d = Settings{}.commentFont;  // "ＭＳ ゴシック" -12 0 0
    struct Case {
        const char* value;
        FontSetting expected;
    } cases[] = {
        {"\"IPA ゴシック\" -20 1 1", {std::string("IPA ゴシック"), -20, true, true}},
        {"\"IPA ゴシック\" -20", {std::string("IPA ゴシック"), -20, d.bold, d.italic}},
        {"Sans", {"Sans", d.height, d.bold, d.italic}},
        {"\"\" 9 0 1", {"", 9, false, true}},
        {"\"Unclosed", {"Unclosed", d.height, d.bold, d.italic}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(load(std::string("コメントフォント : ") + c.value).commentFont, c.expected)
            << c.value;
    }
    // An italic flag missing after a given bold flag becomes 0.
    Settings s;
    s.commentFont.italic = true;
    parseEnvironmentText(std::string("コメントフォント : \"F\" -1 1"), s);
    EXPECT_EQ(s.commentFont, (FontSetting{"F", -1, true, false}));
    // No face at all leaves the font.
    EXPECT_EQ(load("コメントフォント : ").commentFont, d);
    // Face names are cut to their buffer.
    EXPECT_EQ(load("コメントフォント : \"" + std::string(40, 'f') + "\"").commentFont.face,
              std::string(31, 'f'));
}

TEST(EnvironmentText, TextValues) {
    struct Case {
        const char* line;
        std::string expected;
    } cases[] = {
        {"情報表示書式3    : %g  # kept", "%g  # kept"},
        {"情報表示書式3    :   two blanks", "  two blanks"},
        {"情報表示書式3    : ", ""},
        {"情報表示書式3    :", ""},
        {"情報表示書式3    : \"quoted\" rest", "quoted"},
        {"情報表示書式3    : \"unclosed", "unclosed"},
        {"情報表示書式3    : 表示", std::string("表示")},
    };
    for (const Case& c : cases) EXPECT_EQ(load(c.line).infoFormats[2], c.expected) << c.line;
    EXPECT_EQ(load("駒BMP : \"/a b/c.bmp\"\t# comment").pieceBitmap, "/a b/c.bmp");
}

TEST(EnvironmentText, TextsAreCutToTheirBuffers) {
    std::string longJapanese;
    for (int i = 0; i < 150; ++i) longJapanese += "表";
    Settings s = load("盤面書式 : " + longJapanese);
    EXPECT_EQ(core::cp932Width(s.diagramFormat), 254u);  // never half a character
    EXPECT_TRUE(core::isValidUtf8(s.diagramFormat));
    s = load("ユーザ定義情報１ : " + std::string(300, 'u'));
    EXPECT_EQ(s.userInfoNames[0], std::string(100, 'u'));
}

TEST(EnvironmentText, FoldersAreNormalised) {
    struct Case {
        const char* value;
        const char* expected;
    } cases[] = {
        {"\"/home/u/records\"", "/home/u/records/"},
        {"\"/home/u/records/\"", "/home/u/records/"},
        {"\".\"", ""},
        {"\"./\"", ""},
        {"\"\"", ""},
        {"relative", "relative/"},
    };
    for (const Case& c : cases) {
        Settings s = load(std::string("棋譜パス : ") + c.value + "\n通信パス : " + c.value);
        EXPECT_EQ(s.recordFolder, c.expected) << c.value;
        EXPECT_EQ(s.mailFolder, c.expected) << c.value;
    }
}

TEST(EnvironmentText, ToolKeysOutsideOneToFiveAreIgnored) {
    const Settings defaults;
    Settings s = load(
        "ツールメニュー0  : \"zero\"\n"
        "ツールメニュー6  : \"six\"\n"
        "ツールコマンド12 : \"twelve\"\n"
        "ツール引数       : \"none\"\n"
        "ツールメニュー3  : \"three\"\n"
        "ツールコマンド5  : \"/bin/five\"\n");
    Settings expected = defaults;
    expected.tools[2].menu = "three";
    expected.tools[4].command = "/bin/five";
    EXPECT_EQ(s, expected);
}

TEST(EnvironmentText, ToolArgumentWithQuoteAndBackslashSurvives) {
    Settings s;
    const std::string argument = std::string("\"%K\" /d \\\"x\\\\ 表\\");
    s.tools[0].arguments = argument;
    std::string text = formatEnvironmentText(s);
    // Every quote and single-byte backslash escaped; the second byte of 表 left alone.
    EXPECT_NE(
        text.find(std::string("ツール引数1      : \"\\\"%K\\\" /d \\\\\\\"x\\\\\\\\ 表\\\\\"\r\n")),
        std::string::npos);
    Settings read;
    parseEnvironmentText(text, read);
    EXPECT_EQ(read.tools[0].arguments, argument);
}

TEST(EnvironmentText, UnknownKeysAndCommentsAreIgnored) {
    Settings s = load(
        "# 警告音 : 0\n"
        "古いキー : 5\n"
        "警告音\n"
        " : 3\n"
        "再現速度 3\n"
        "KI2カラム : 9\n");
    Settings expected;
    expected.ki2Columns = 9;
    EXPECT_EQ(s, expected);
}

TEST(EnvironmentText, ReadOnlyKeys) {
    Settings s = load("コメント表示 : 1");
    EXPECT_EQ(s.commentWindow.mode, CommentDisplay::MainWindow);
    EXPECT_EQ(s.commentWindow.x, 10);
    s = load(std::string("ftpパス : ") + scramblePassword("p a\"ss"));
    EXPECT_EQ(s.legacyFtpPassword, "p a\"ss");
    // Neither is ever written.
    std::string text = formatEnvironmentText(s);
    EXPECT_EQ(text.find(std::string("コメント表示")), std::string::npos);
    EXPECT_EQ(text.find(std::string("ftpパス")), std::string::npos);
}

TEST(EnvironmentText, HexCode) {
    EXPECT_EQ(load("外字先頭 : f0a0    # x").privateCharFirst, 0xF0A0);
    EXPECT_EQ(load("外字先頭 : 0x81").privateCharFirst, 0x81);
    EXPECT_EQ(load("外字先頭 : zz").privateCharFirst, 0xF0BE);
    EXPECT_EQ(load("外字先頭 : 123456").privateCharFirst, 0xF0BE);
}

TEST(EnvironmentText, LineEndsCrLfAndLf) {
    Settings a = load("警告音 : 0\r\n再現速度 : 9\r\n情報表示書式1 : x\r\n");
    Settings b = load("警告音 : 0\n再現速度 : 9\n情報表示書式1 : x");
    EXPECT_EQ(a, b);
    EXPECT_EQ(a.infoFormats[0], "x");
    EXPECT_EQ(a.replaySpeed, 9);
}

TEST(EnvironmentText, MalformedInputNeverCrashes) {
    std::vector<std::string> inputs = {
        std::string("警告音 : ") + std::string("\0 5\n", 4) + std::string("再現速度 : 4"),
        std::string("棋譜パス : \"") + std::string(100000, 'x'),
        std::string("盤面書式 : ") + std::string(2000, '\x95'),
        std::string("\x95", 1),
        std::string("ツール引数1 : \"\\"),
        std::string("ツール引数1 : \"") + std::string(5000, '\\'),
        std::string("コメントフォント : \"") + std::string(3000, '\x81'),
        std::string(5000, ':'),
        std::string(5000, '\n'),
    };
    std::mt19937 random(8);
    const std::string keys = formatEnvironmentText(Settings{});
    for (int i = 0; i < 300; ++i) {
        std::string s = keys;
        for (int j = 0; j < 40; ++j) {
            s[random() % s.size()] = static_cast<char>(random() & 0xFF);
        }
        s.resize(random() % s.size());
        inputs.push_back(s);
    }
    for (const std::string& input : inputs) {
        Settings s;
        parseEnvironmentText(input, s);
        EXPECT_LE(s.recordFolder.size(), 256u);
        EXPECT_LE(s.commentFont.face.size(), kFontFaceBytes);
        for (const ToolEntry& t : s.tools) EXPECT_LE(t.arguments.size(), kSettingTextBytes);
        EXPECT_GE(s.recordCapacity, 1);
        // Whatever was read is written so that it reads back the same (after one cycle, which
        // drops what a line cannot hold).
        Settings once;
        parseEnvironmentText(formatEnvironmentText(s), once);
        Settings twice;
        parseEnvironmentText(formatEnvironmentText(once), twice);
        EXPECT_EQ(twice, once);
    }
    Settings s;
    parseEnvironmentText(inputs[0], s);
    EXPECT_EQ(s.warningSound, 0);  // the line ends at the NUL byte
    EXPECT_EQ(s.replaySpeed, 4);
}

// Values that a damaged or foreign file gives are read as the writer can write them, so the
// file written at exit reads back to the same settings.
TEST(EnvironmentText, WhatIsReadIsWhatIsWrittenBack) {
    const std::vector<std::string> inputs = {
        std::string("警告音 : 0\r再現速度 : 9\r情報表示書式1 : x\ry"),  // line ends of a lone CR
        std::string("Iメール件名:\r\r"),
        std::string("印刷フォント:") + "\xdc\"",  // a lead byte before a quote in an unquoted face
        std::string("コメントフォント : a\"b 12 1 0"),
        std::string("ツール引数1:") + "\x83\"",  // a stray lead byte before an escaped quote
        std::string("ツール引数2 : \"x\x95\\\\\""),
    };
    for (const std::string& input : inputs) {
        Settings first;
        parseEnvironmentText(input, first);
        Settings second;
        parseEnvironmentText(formatEnvironmentText(first), second);
        EXPECT_EQ(second, first) << core::toUtf8Lossy(input);
    }
    Settings s = load("警告音 : 0\r再現速度 : 9\r");
    EXPECT_EQ(s.warningSound, 0);
    EXPECT_EQ(s.replaySpeed, 9);
    EXPECT_EQ(load("コメントフォント : a\"b 12 1 0").commentFont.face, "a");
}

// A code no enumerator names (a later version's, or a hand-edited file's) is kept as read and
// written back as the same number.
TEST(EnvironmentText, CodesNoEnumeratorNamesAreKeptAndWrittenBack) {
    const Settings read = load(
        "駒音種類 : 9\n棋譜追加モード : -2\nコメント停止 : 300\n英語棋譜形式 : 7\n"
        "分岐ウィンドウ : 5 1 2 3 4\n棋譜ウィンドウ : 1 2 3 4 5 6\n棋譜読込局面 : 12\n");
    Settings back;
    parseEnvironmentText(formatEnvironmentText(read), back);
    EXPECT_EQ(back, read);
    EXPECT_EQ(static_cast<int>(back.pieceSound), 9);
    EXPECT_EQ(static_cast<int>(back.addVariationMode), -2);
    EXPECT_EQ(static_cast<int>(back.stopAtComments), 300);
    EXPECT_EQ(static_cast<int>(back.englishNumbering), 7);
    EXPECT_EQ(static_cast<int>(back.branchWindow.mode), 5);
    EXPECT_EQ(static_cast<int>(back.recordWindow.form), 6);
    EXPECT_EQ(static_cast<int>(back.positionAfterLoad), 12);
    const std::string text = formatEnvironmentText(read);
    EXPECT_NE(text.find(std::string("棋譜追加モード   : -2\t")), std::string::npos);
    EXPECT_NE(text.find(std::string("分岐ウィンドウ   : 5 1 2 3 4 ")), std::string::npos);
}

TEST(EnvironmentText, ValuesWithLineBreaksCannotAddLines) {
    Settings s;
    s.infoFormats[0] = "%g\r\n警告音 : 0";
    s.tools[0].arguments = "a\nb";
    Settings read;
    parseEnvironmentText(formatEnvironmentText(s), read);
    EXPECT_EQ(read.infoFormats[0], "%g");
    EXPECT_EQ(read.tools[0].arguments, "a");
    EXPECT_EQ(read.warningSound, 1);
}

TEST(SetFromKeyValue, SetsThroughTheReadingRules) {
    Settings s;
    EXPECT_EQ(setFromKeyValue(s, std::string("棋譜最大サイズ"), "3000"), SetKeyResult::Set);
    EXPECT_EQ(s.recordCapacity, 3000);
    EXPECT_EQ(setFromKeyValue(s, std::string("盤面色"), "0 128 255"), SetKeyResult::Set);
    EXPECT_EQ(s.boardColour, (Rgb{0, 128, 255}));
    EXPECT_EQ(setFromKeyValue(s, std::string("棋譜パス"), "/tmp/k"), SetKeyResult::Set);
    EXPECT_EQ(s.recordFolder, "/tmp/k/");
    EXPECT_EQ(setFromKeyValue(s, std::string("ツール引数2"), "\"\\\"%K\\\"\""), SetKeyResult::Set);
    EXPECT_EQ(s.tools[1].arguments, "\"%K\"");
    EXPECT_EQ(setFromKeyValue(s, std::string("段筋フォント"), "Sans -9"), SetKeyResult::Set);
    EXPECT_EQ(s.coordinateFont, (FontSetting{"Sans", -9, false, false}));
}

TEST(SetFromKeyValue, RefusesUnknownKeysAndBadValuesWithoutChange) {
    const Settings before;
    Settings s;
    EXPECT_EQ(setFromKeyValue(s, std::string("存在しない"), "1"), SetKeyResult::UnknownKey);
    EXPECT_EQ(setFromKeyValue(s, std::string("ツールメニュー6"), "x"), SetKeyResult::UnknownKey);
    EXPECT_EQ(setFromKeyValue(s, "", "1"), SetKeyResult::UnknownKey);
    EXPECT_EQ(setFromKeyValue(s, std::string("棋譜最大サイズ"), "0"), SetKeyResult::BadValue);
    EXPECT_EQ(setFromKeyValue(s, std::string("棋譜最大サイズ"), "2000000000"),
              SetKeyResult::BadValue);
    EXPECT_EQ(setFromKeyValue(s, std::string("警告音"), "yes"), SetKeyResult::BadValue);
    EXPECT_EQ(setFromKeyValue(s, std::string("盤面色"), "1 2"), SetKeyResult::BadValue);
    EXPECT_EQ(setFromKeyValue(s, std::string("外字先頭"), "xyz"), SetKeyResult::BadValue);
    EXPECT_EQ(s, before);
}

TEST(SetFromKeyValue, EveryKeyTakesItsOwnWrittenValue) {
    const Settings changed = everyValueChanged();
    Settings s;
    for (const std::string& key : environmentKeys()) {
        std::optional<std::string> value = valueText(changed, key);
        ASSERT_TRUE(value.has_value()) << core::toUtf8Lossy(key);
        EXPECT_EQ(setFromKeyValue(s, key, *value), SetKeyResult::Set) << core::toUtf8Lossy(key);
    }
    EXPECT_EQ(s, changed);
}

TEST_F(EnvironmentFileTest, MissingFileLeavesDefaults) {
    Settings s = everyValueChanged();
    const Settings before = s;
    EXPECT_EQ(ReadEnvironmentFile(path("none.env"), s), core::ReadResult::CannotOpen);
    EXPECT_EQ(s, before);
}

TEST_F(EnvironmentFileTest, WriteIntoMissingFolderFails) {
    EXPECT_EQ(WriteEnvironmentFile(path("no/such/Tavrel95.env"), Settings{}),
              core::WriteResult::CannotCreate);
}

TEST_F(EnvironmentFileTest, OlderSingleServerBecomesSettingOne) {
    put("Tavrel95.env", std::string("ftpサーバ        : ftp.example.org\r\n"
                                    "ftpユーザ        : ユーザ名\r\n"
                                    "ftpフォルダ      : /pub/kifu\r\n"
                                    "ftpパス          : ") +
                            scramblePassword("s3cret pw") + "\r\n");
    Settings s;
    ASSERT_EQ(loadEnvironment(m_dir, kDefaultEnvironmentName, s), core::ReadResult::Ok);
    ASSERT_EQ(s.ftp.entries.size(), 1u);
    const FtpSetting& e = s.ftp.entries[0];
    EXPECT_EQ(e.name, std::string("設定1"));
    EXPECT_EQ(e.server, "ftp.example.org");
    EXPECT_EQ(e.user, std::string("ユーザ名"));
    EXPECT_EQ(e.password, "s3cret pw");
    EXPECT_EQ(e.folder, "/pub/kifu");
    EXPECT_TRUE(e.passive);

    // Saving keeps the password in the FTP file, so the next start still has it.
    ASSERT_EQ(saveEnvironment(m_dir, kDefaultEnvironmentName, s), core::WriteResult::Ok);
    Settings next;
    ASSERT_EQ(loadEnvironment(m_dir, kDefaultEnvironmentName, next), core::ReadResult::Ok);
    EXPECT_EQ(next.ftp, s.ftp);
}

TEST_F(EnvironmentFileTest, ExistingFtpFileWinsOverOlderKeys) {
    put("Tavrel95.env", std::string("ftpサーバ : old.example.org\n"));
    FtpSettings ftp;
    ftp.entries.push_back(FtpSetting{"new", "new.example.org", "u", "p", "/", false, true});
    ASSERT_EQ(WriteFtpSettings(path("ftp.env"), ftp), core::WriteResult::Ok);
    Settings s;
    ASSERT_EQ(loadEnvironment(m_dir, kDefaultEnvironmentName, s), core::ReadResult::Ok);
    EXPECT_EQ(s.ftp, ftp);
}

TEST_F(EnvironmentFileTest, NoOlderServerMeansNoSetting) {
    put("Tavrel95.env", std::string("ftpユーザ : someone\n"));
    Settings s;
    ASSERT_EQ(loadEnvironment(m_dir, kDefaultEnvironmentName, s), core::ReadResult::Ok);
    EXPECT_TRUE(s.ftp.entries.empty());
}

TEST_F(EnvironmentFileTest, FtpSettingsAreReadEvenWithoutEnvironmentFile) {
    FtpSettings ftp;
    ftp.entries.push_back(FtpSetting{"a", "h", "u", "p", "/", true, false});
    ASSERT_EQ(WriteFtpSettings(path("ftp.env"), ftp), core::WriteResult::Ok);
    Settings s;
    EXPECT_EQ(loadEnvironment(m_dir, "Other", s), core::ReadResult::CannotOpen);
    EXPECT_EQ(s.ftp, ftp);
}

TEST_F(EnvironmentFileTest, UpperCaseExtensionIsFound) {
    put("Tavrel95.ENV", std::string("再現速度 : 8\r\n"));
    Settings s;
    EXPECT_EQ(loadEnvironment(m_dir, kDefaultEnvironmentName, s), core::ReadResult::Ok);
    EXPECT_EQ(s.replaySpeed, 8);
}

TEST_F(EnvironmentFileTest, NamedEnvironmentsAreSeparate) {
    Settings a;
    a.replaySpeed = 3;
    ASSERT_EQ(saveEnvironment(m_dir, "A", a), core::WriteResult::Ok);
    EXPECT_TRUE(fs::exists(path("A.env")));
    Settings b;
    EXPECT_EQ(loadEnvironment(m_dir, "B", b), core::ReadResult::CannotOpen);
    EXPECT_EQ(b.replaySpeed, 5);
    EXPECT_EQ(loadEnvironment(m_dir, "A", b), core::ReadResult::Ok);
    EXPECT_EQ(b.replaySpeed, 3);
}

}  // namespace
}  // namespace tavrel
