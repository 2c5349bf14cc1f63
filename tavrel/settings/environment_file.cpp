#include "tavrel/settings/environment_file.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdio>
#include <type_traits>
#include <utility>

#include "core/base/safe_file.h"
#include "core/record/record_store.h"
#include "core/text/sjis.h"
#include "tavrel/settings/setting_line.h"

namespace tavrel {

namespace {

// ---- The key table -------------------------------------------------------------------------

enum class Kind : std::uint8_t {
    Section,         // a "# --- name ---" line
    Int,             // a number read as atoi reads it
    Hex,             // a hexadecimal number
    Ints,            // several numbers separated by blanks
    Colour,          // red green blue, 0..255
    Font,            // "face" height bold italic
    Plain,           // text to the end of the line (or between quotes)
    Quoted,          // text written between double quotes
    Tools,           // the five tool entries, three keys each
    ReadOnlyInt,     // a number that is read but never written
    LegacyPassword,  // the scrambled password of the older single FTP server, never written
};

// An integer setting or a settings code, read and stored as its number: a code holds any number
// the file gives, so that the file's bytes come back as they were.
struct IntRef {
    int (*get)(const Settings&) = nullptr;
    void (*set)(Settings&, int) = nullptr;
};

// Up to six numbers of one setting line.
struct IntValues {
    std::array<int, 6> at{};
    std::size_t count = 0;
};
struct IntsRef {
    IntValues (*get)(const Settings&) = nullptr;
    void (*set)(Settings&, const IntValues&) = nullptr;
};

using TextRef = std::string& (*)(Settings&);
using RgbRef = Rgb& (*)(Settings&);
using FontRef = FontSetting& (*)(Settings&);

// One key. `head` is written before the value: the key, its padding and ": " (for a section, the
// section's name); `tail` after it. The key itself is the head up to the first blank. Literals
// are UTF-8 here and converted once (see keyTable()).
struct KeyDef {
    Kind kind = Kind::Section;
    std::string_view head;
    std::string_view tail;
    IntRef intRef;
    TextRef textRef = nullptr;
    RgbRef rgbRef = nullptr;
    FontRef fontRef = nullptr;
    IntsRef intsRef;
    int minimum = INT_MIN;     // Int: smaller values are ignored
    int maximum = INT_MAX;     // Int: larger values are ignored
    std::size_t required = 0;  // Ints: numbers that must be present (the rest become 0)
    std::size_t limit = kSettingTextBytes;  // texts: byte capacity
    bool folder = false;                    // texts: normalised as a folder
};

template <auto M>
auto& field(Settings& s) {
    return s.*M;
}
template <auto M, std::size_t I>
auto& element(Settings& s) {
    return (s.*M)[I];
}

// Stores a number in an int or in a settings code (an enum over int, which holds any int).
template <typename T>
void store(T& to, int value) {
    to = static_cast<T>(value);
}

template <auto M>
int getInt(const Settings& s) {
    return static_cast<int>(s.*M);
}
template <auto M>
void setInt(Settings& s, int v) {
    store(s.*M, v);
}
template <auto M>
constexpr IntRef intField{&getInt<M>, &setInt<M>};

template <auto M, auto F>
int getNestedInt(const Settings& s) {
    return static_cast<int>((s.*M).*F);
}
template <auto M, auto F>
void setNestedInt(Settings& s, int v) {
    store((s.*M).*F, v);
}
template <auto M, auto F>
constexpr IntRef nestedInt{&getNestedInt<M, F>, &setNestedInt<M, F>};

template <auto M, auto... F>
IntValues getMembers(const Settings& s) {
    const auto& group = s.*M;
    return IntValues{{static_cast<int>(group.*F)...}, sizeof...(F)};
}
template <auto M, auto... F>
void setMembers(Settings& s, const IntValues& v) {
    auto& group = s.*M;
    std::size_t i = 0;
    (store(group.*F, v.at[i++]), ...);
}
template <auto M, auto... F>
constexpr IntsRef members{&getMembers<M, F...>, &setMembers<M, F...>};

template <auto M>
using MemberType = std::remove_cvref_t<decltype(std::declval<Settings&>().*M)>;
template <auto M, typename P = MemberType<M>>
constexpr IntsRef panel = members<M, &P::mode, &P::x, &P::y, &P::width, &P::height>;

template <auto M>
IntValues getArray(const Settings& s) {
    const auto& a = s.*M;
    IntValues r;
    for (std::size_t i = 0; i < a.size(); ++i) r.at[i] = a[i];
    r.count = a.size();
    return r;
}
template <auto M>
void setArray(Settings& s, const IntValues& v) {
    auto& a = s.*M;
    for (std::size_t i = 0; i < a.size(); ++i) a[i] = v.at[i];
}
template <auto M>
constexpr IntsRef arrayInts{&getArray<M>, &setArray<M>};

constexpr bool kFolder = true;

KeyDef keyDef(Kind kind, std::string_view head, std::string_view tail = {}) {
    KeyDef d;
    d.kind = kind;
    d.head = head;
    d.tail = tail;
    return d;
}

KeyDef section(std::string_view name) { return keyDef(Kind::Section, name); }
KeyDef integer(std::string_view head, IntRef r, std::string_view tail = {}, int minimum = INT_MIN,
               int maximum = INT_MAX) {
    KeyDef d = keyDef(Kind::Int, head, tail);
    d.intRef = r;
    d.minimum = minimum;
    d.maximum = maximum;
    return d;
}
KeyDef hex(std::string_view head, IntRef r, std::string_view tail) {
    KeyDef d = keyDef(Kind::Hex, head, tail);
    d.intRef = r;
    return d;
}
KeyDef ints(std::string_view head, IntsRef r, std::string_view tail, std::size_t required) {
    KeyDef d = keyDef(Kind::Ints, head, tail);
    d.intsRef = r;
    d.required = required;
    return d;
}
KeyDef colour(std::string_view head, RgbRef r) {
    KeyDef d = keyDef(Kind::Colour, head, " # RGB(0-255)");
    d.rgbRef = r;
    return d;
}
KeyDef font(std::string_view head, FontRef r) {
    KeyDef d = keyDef(Kind::Font, head, "\t# 書体 大きさ ボールド イタリック");
    d.fontRef = r;
    d.limit = kFontFaceBytes;
    return d;
}
KeyDef plain(std::string_view head, TextRef r, std::size_t limit = kSettingTextBytes) {
    KeyDef d = keyDef(Kind::Plain, head);
    d.textRef = r;
    d.limit = limit;
    return d;
}
KeyDef quoted(std::string_view head, TextRef r, bool folder = false) {
    KeyDef d = keyDef(Kind::Quoted, head);
    d.textRef = r;
    d.folder = folder;
    return d;
}
KeyDef tools() { return keyDef(Kind::Tools, {}); }
KeyDef readOnlyInt(std::string_view key, IntRef r) {
    KeyDef d = keyDef(Kind::ReadOnlyInt, key);
    d.intRef = r;
    return d;
}
KeyDef legacyPassword(std::string_view key, TextRef r) {
    KeyDef d = keyDef(Kind::LegacyPassword, key);
    d.textRef = r;
    return d;
}

// Every key in the order of the file.
const std::vector<KeyDef>& keyDefs() {
    static const std::vector<KeyDef> defs = {
        section("パス"),
        quoted("棋譜パス         : ", &field<&Settings::recordFolder>, kFolder),
        quoted("通信パス         : ", &field<&Settings::mailFolder>, kFolder),
        section("表示"),
        ints("ウィンドウ       : ",
             members<&Settings::mainWindow, &WindowRect::x, &WindowRect::y, &WindowRect::width,
                     &WindowRect::height>,
             " # X,Y,W,H", 4),
        ints("棋譜ウィンドウ   : ",
             members<&Settings::recordWindow, &RecordWindowSetting::shown, &RecordWindowSetting::x,
                     &RecordWindowSetting::y, &RecordWindowSetting::width,
                     &RecordWindowSetting::height, &RecordWindowSetting::form>,
             "# 表示 X,Y,W,H 形式", 5),
        integer("しおり名表示     : ", intField<&Settings::showBookmarkNames>),
        ints("分岐ウィンドウ   : ", panel<&Settings::branchWindow>, " # 表示 X,Y,W,H", 5),
        ints("コメントウィンドウ   : ", panel<&Settings::commentWindow>, " # 表示 X,Y,W,H", 5),
        ints("再現ウィンドウ   : ",
             members<&Settings::replayDialog, &WindowPoint::x, &WindowPoint::y>, " # X,Y", 2),
        integer("駒の種類         : ", intField<&Settings::pieceSet>),
        integer("外部駒           : ", intField<&Settings::externalPieces>),
        quoted("駒BMP            : ", &field<&Settings::pieceBitmap>),
        integer("盤の種類         : ", intField<&Settings::boardType>),
        integer("駒台の種類       : ", intField<&Settings::standType>),
        integer("256色            : ", intField<&Settings::ownPalette>, " \t# (0:16色,1:256色)"),
        colour("盤面色           : ", &field<&Settings::boardColour>),
        colour("駒箱色           : ", &field<&Settings::pieceBoxColour>),
        colour("背景色           : ", &field<&Settings::backgroundColour>),
        colour("最終駒の色       : ", &field<&Settings::lastPieceColour>),
        colour("最終手の色       : ", &field<&Settings::currentMoveColour>),
        colour("棋譜変化の色     : ", &field<&Settings::variationColour>),
        integer("最終駒表示       : ", intField<&Settings::lastPieceEmphasis>,
                "\t# (0:しない,1:する)"),
        integer("指し手表記       : ", intField<&Settings::moveTextStyle>,
                "\t# (0:Vesk△,1:Vesk▽,2:伝△,3:伝▽)"),
        font("段筋フォント     : ", &field<&Settings::coordinateFont>),
        font("情報フォント     : ", &field<&Settings::informationFont>),
        font("コメントフォント : ", &field<&Settings::commentFont>),
        font("ステータスフォント : ", &field<&Settings::statusFont>),
        font("棋譜フォント     : ", &field<&Settings::recordFont>),
        ints("ツールバー       : ", arrayInts<&Settings::toolbar>, "\t# ", 4),
        integer("メッセージ表示   : ", intField<&Settings::showStatusBar>, "\t# (0:しない,1:する)"),
        integer("手番強調表示     : ", intField<&Settings::emphasiseSideToMove>,
                "\t# (0:しない,1:する)"),
        plain("情報表示書式1    : ", &element<&Settings::infoFormats, 0>),
        plain("情報表示書式2    : ", &element<&Settings::infoFormats, 1>),
        plain("情報表示書式3    : ", &element<&Settings::infoFormats, 2>),
        plain("情報表示書式詰1  : ", &element<&Settings::problemInfoFormats, 0>),
        plain("情報表示書式詰2  : ", &element<&Settings::problemInfoFormats, 1>),
        plain("情報表示書式詰3  : ", &element<&Settings::problemInfoFormats, 2>),
        section("サウンド"),
        integer("警告音           : ", intField<&Settings::warningSound>, "\t# (0:なし,1:あり)"),
        integer("駒音種類         : ", intField<&Settings::pieceSound>,
                " \t# (0:なし,1:ビープ,2:WAVE,3:ﾕｰｻﾞWAVE)"),
        quoted("ユーザWAVE       : ", &field<&Settings::userWave>),
        section("動作"),
        integer("棋譜読込選択     : ", intField<&Settings::offerReplayAfterLoad>,
                "\t# 再現、再開 (0:しない,1:する)"),
        integer("棋譜読込局面     : ", intField<&Settings::positionAfterLoad>),
        integer("ルール確認       : ", intField<&Settings::checkRules>, "\t# (0:しない,1:する)"),
        integer("再現速度         : ", intField<&Settings::replaySpeed>, "\t# ×0.1秒"),
        integer("アニメ速度       : ", intField<&Settings::animationSpeed>, "\t# "),
        integer("コメント停止     : ", intField<&Settings::stopAtComments>, "\t# "),
        integer("コメント待ち時間 : ", intField<&Settings::commentWaitMs>, "\t# (ms)"),
        integer("分岐停止         : ", intField<&Settings::stopAtBranches>, "\t# "),
        integer("分岐待ち時間     : ", intField<&Settings::branchWaitMs>, "\t# (ms)"),
        integer("再現時の千日手検出 : ", intField<&Settings::detectRepetitionInReplay>, "\t# "),
        integer("棋譜保存確認     : ", intField<&Settings::confirmSave>, "\t# (0:しない,1:する)"),
        integer("棋譜自動保存     : ", intField<&Settings::autoSaveResume>,
                "\t# 再開棋譜(0:なし,1:あり)"),
        quoted("棋譜保存初期名   : ", &field<&Settings::saveNameTemplate>),
        integer("旧再現           : ", intField<&Settings::oldReplay>, "\t# "),
        quoted("棋譜データベース : ", &field<&Settings::databaseProgram>),
        quoted("詰将棋データベース : ", &field<&Settings::problemDatabaseProgram>),
        tools(),
        integer("情報履歴数       : ", intField<&Settings::historyCount>, "\t# "),
        integer("対局者履歴       : ", intField<&Settings::playerHistory>, "\t# "),
        integer("棋戦履歴         : ", intField<&Settings::eventHistory>, "\t# "),
        integer("戦型履歴         : ", intField<&Settings::openingHistory>, "\t# "),
        integer("持ち時間履歴     : ", intField<&Settings::timeLimitHistory>, "\t# "),
        integer("場所履歴         : ", intField<&Settings::placeHistory>, "\t# "),
        integer("掲載履歴         : ", intField<&Settings::publicationHistory>, "\t# "),
        integer("ユーザ履歴       : ", intField<&Settings::userHistory>, "\t# "),
        section("印刷"),
        plain("印刷盤面書式     : ", &field<&Settings::printPositionFormat>),
        plain("印刷棋譜書式     : ", &field<&Settings::printRecordFormat>),
        font("印刷フォント     : ", &field<&Settings::printFont>),
        integer("印刷棋譜カラム   : ", intField<&Settings::printColumns>, "\t# 手数／行"),
        integer("印刷左端余白     : ", intField<&Settings::printLeftMargin>, "\t# mm"),
        integer("印刷上端余白     : ", intField<&Settings::printTopMargin>, "\t# mm"),
        integer("印刷行間隔       : ", intField<&Settings::printLineSpacing>, "\t# /10mm"),
        integer("棋譜コメント印刷 : ", intField<&Settings::printComments>, "\t# "),
        integer("印刷対局者名縦   : ", intField<&Settings::printNamesVertical>, "\t# "),
        integer("印刷先手名字数   : ", intField<&Settings::printBlackNameChars>, "\t# "),
        integer("印刷後手名字数   : ", intField<&Settings::printWhiteNameChars>, "\t# "),
        integer("印刷UNICODE      : ", intField<&Settings::printUnicode>, "\t# "),
        integer("ビットマップ２値 : ", intField<&Settings::previewTwoColour>, "\t# "),
        integer("トリミングあり   : ", intField<&Settings::cropImages>, "\t# "),
        ints("トリミング領域   : ",
             members<&Settings::cropRect, &CropRect::left, &CropRect::top, &CropRect::right,
                     &CropRect::bottom>,
             "\t# ", 4),
        plain("画像ファイル名書式    : ", &field<&Settings::imageNameFormat>),
        font("印刷持駒フォント : ", &field<&Settings::printHandFont>),
        section("棋譜"),
        integer("棋譜最大サイズ   : ", intField<&Settings::recordCapacity>, "\t# ", 1,
                core::kMaxRecordCapacity),
        integer("棋譜追加モード   : ", intField<&Settings::addVariationMode>, "\t# "),
        integer("棋譜竜表記       : ", intField<&Settings::dragonNotation>, "\t# "),
        integer("棋譜最終手の打   : ", intField<&Settings::markFinalDrop>, "\t# "),
        integer("消費時間０       : ", intField<&Settings::zeroTimeOnEntry>, "\t# "),
        integer("しおり名重複許容 : ", intField<&Settings::duplicateBookmarks>, "\t# "),
        integer("KI2カラム        : ", intField<&Settings::ki2Columns>, "\t# 出力の手数／行"),
        integer("KI2形式          : ", intField<&Settings::ki2Style>,
                "\t# (0:従来,1:数伝,2:伝△,3:伝▽)"),
        integer("KI2半角形式      : ", intField<&Settings::ki2HalfWidth>, "\t# "),
        integer("KI2半角カラム    : ", intField<&Settings::ki2HalfWidthColumns>,
                "\t# 出力の手数／行"),
        integer("KIF時間省略      : ", intField<&Settings::kifOmitZeroTime>, "\t# "),
        integer("コメント自動改行 : ", intField<&Settings::commentAutoWrap>, "\t# "),
        integer("コメント改行桁   : ", intField<&Settings::commentWrapColumn>, "\t# "),
        ints("棋譜ツリー       : ", arrayInts<&Settings::recordTree>, "\t# ", 4),
        integer("標準棋譜         : ", intField<&Settings::standardFormat>, "\t# (0:KIF,1:KI2)"),
        integer("バックアップ     : ", intField<&Settings::backup>,
                "\t# 棋譜のバックアップ(0:なし,1:あり)"),
        plain("ユーザ定義情報１ : ", &element<&Settings::userInfoNames, 0>, kUserInfoNameBytes),
        plain("ユーザ定義情報２ : ", &element<&Settings::userInfoNames, 1>, kUserInfoNameBytes),
        plain("ユーザ定義情報３ : ", &element<&Settings::userInfoNames, 2>, kUserInfoNameBytes),
        plain("ユーザ定義情報４ : ", &element<&Settings::userInfoNames, 3>, kUserInfoNameBytes),
        plain("ユーザ定義情報５ : ", &element<&Settings::userInfoNames, 4>, kUserInfoNameBytes),
        integer("消費時間自動設定 : ", intField<&Settings::autoThinkingTime>, "\t# "),
        integer("終了日時自動設定 : ", intField<&Settings::autoEndDate>, "\t# "),
        plain("盤面書式         : ", &field<&Settings::diagramFormat>),
        plain("英語盤面書式     : ", &field<&Settings::englishDiagramFormat>),
        integer("英語棋譜形式     : ", intField<&Settings::englishNumbering>,
                "\t# 0:チェス式手数,1:将棋式手数,2:手数なし"),
        integer("英語カラム       : ", intField<&Settings::englishColumns>, "\t# 出力の手数／行"),
        section("外字"),
        ints("外字使用         : ",
             members<&Settings::privateCharUse, &PrivateCharUse::screen, &PrivateCharUse::file,
                     &PrivateCharUse::clipboard, &PrivateCharUse::print>,
             "\t# 表示,ﾌｧｲﾙ,ｸﾘｯﾌﾟ,印刷", 4),
        hex("外字先頭         : ", intField<&Settings::privateCharFirst>,
            "    # コード(SJIS,16進)"),
        integer("先手外字         : ", intField<&Settings::privateBlackMark>,
                "\t# (0:使わない,1:使う)"),
        section("メール"),
        plain("メール書式１     : ", &field<&Settings::mailForm1>),
        plain("メール書式２     : ", &field<&Settings::mailForm2>),
        integer("メール保存       : ", intField<&Settings::mailSave>,
                "\t# (0:書換,1:追加,2:特定ﾌｧｲﾙへ追加)"),
        quoted("メール追加名     : ", &field<&Settings::mailAppendName>),
        quoted("Iメール宛先      : ", &field<&Settings::internetMailTo>),
        quoted("Iメール件名      : ", &field<&Settings::internetMailSubject>),
        quoted("Iメール本文      : ", &field<&Settings::internetMailBody>),
        integer("Iメール自動作成  : ", intField<&Settings::internetMailAuto>, "\t# "),
        plain("ftpサーバ        : ", &field<&Settings::ftpServer>),
        plain("ftpユーザ        : ", &field<&Settings::ftpUser>),
        plain("ftpフォルダ      : ", &field<&Settings::ftpFolder>),
        // Read, never written.
        readOnlyInt("コメント表示",
                    nestedInt<&Settings::commentWindow, &PanelSetting<CommentDisplay>::mode>),
        legacyPassword("ftpパス", &field<&Settings::legacyFtpPassword>),
    };
    return defs;
}

// The three keys of a tool entry, each followed by the tool's number 1..kToolCount.
struct ToolKeyDef {
    std::string_view prefix;
    std::string_view padding;
    std::string ToolEntry::*member;
    bool escaped;
};
constexpr std::array<ToolKeyDef, 3> kToolKeyDefs = {{
    {"ツールメニュー", "  : ", &ToolEntry::menu, false},
    {"ツールコマンド", "  : ", &ToolEntry::command, false},
    {"ツール引数", "      : ", &ToolEntry::arguments, true},
}};

// The table in CP932, converted once.
struct Key {
    const KeyDef* def;
    std::string key;
    std::string head;
    std::string tail;
};
struct ToolKey {
    const ToolKeyDef* def;
    std::string prefix;
    std::string padding;
};
struct KeyTable {
    std::vector<Key> keys;
    std::array<ToolKey, 3> toolKeys;
    std::string header;
};

const KeyTable& keyTable() {
    static const KeyTable table = [] {
        KeyTable t;
        for (const KeyDef& d : keyDefs()) {
            Key k{&d, {}, std::string(d.head), std::string(d.tail)};
            if (d.kind != Kind::Section && d.kind != Kind::Tools) {
                k.key = k.head.substr(0, k.head.find(' '));
            }
            t.keys.push_back(std::move(k));
        }
        for (std::size_t i = 0; i < kToolKeyDefs.size(); ++i) {
            t.toolKeys[i] = ToolKey{&kToolKeyDefs[i], std::string(kToolKeyDefs[i].prefix),
                                    std::string(kToolKeyDefs[i].padding)};
        }
        t.header = std::string("# Tavrel " + std::string(kEnvironmentVersion) + " 環境ファイル");
        return t;
    }();
    return table;
}

// ---- Reading values ------------------------------------------------------------------------

enum class Applied { Set, Unknown, BadValue };

// Length of the character at s[i] for escaping; a quote or a backslash is always a character of
// its own.
std::size_t escapeCharLength(std::string_view s, std::size_t i) { return core::charLength(s, i); }

// A tool argument: within double quotes, \" and \\ stand for " and \; an unquoted value is
// taken as it stands.
std::string unescapeToolText(std::string_view value) {
    if (value.empty() || value[0] != '"') return std::string(value);
    std::string out;
    std::string_view s = value.substr(1);
    for (std::size_t i = 0; i < s.size();) {
        std::size_t n = escapeCharLength(s, i);
        if (n == 1 && s[i] == '"') break;
        if (n == 1 && s[i] == '\\' && i + 1 < s.size() && (s[i + 1] == '"' || s[i + 1] == '\\')) {
            out.push_back(s[i + 1]);
            i += 2;
            continue;
        }
        out.append(s.substr(i, n));
        i += n;
    }
    return out;
}

// The text without bytes that form no character: written in the file, such a byte would pair
// with the escape or the quote after it and read back otherwise.
std::string withoutStrayLeadBytes(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t n = escapeCharLength(text, i);
        if (n > 1 || static_cast<unsigned char>(text[i]) < 0x80) out.append(text.substr(i, n));
        i += n;
    }
    return out;
}

std::string escapeToolText(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t n = escapeCharLength(text, i);
        if (n == 1 && (text[i] == '"' || text[i] == '\\')) out.push_back('\\');
        out.append(text.substr(i, n));
        i += n;
    }
    return out;
}

std::optional<int> hexValue(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) i += 2;
    int v = 0;
    std::size_t start = i;
    for (; i < s.size(); ++i) {
        char c = s[i];
        int d = c >= '0' && c <= '9'   ? c - '0'
                : c >= 'a' && c <= 'f' ? c - 'a' + 10
                : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                       : -1;
        if (d < 0) break;
        v = v * 16 + d;
        if (v > 0xFFFF) return std::nullopt;
    }
    if (i == start) return std::nullopt;
    return v;
}

// Reads up to `max` numbers separated by blanks; stops at the first that is not a number.
std::vector<int> leadingInts(std::string_view s, std::size_t max) {
    std::vector<int> values;
    std::size_t pos = 0;
    while (values.size() < max) {
        LeadingInt n = leadingInt(s, pos);
        if (!n.digits) break;
        values.push_back(n.value);
        pos = n.end;
    }
    return values;
}

Applied applyFont(FontSetting& f, std::string_view value, std::size_t limit) {
    std::string_view face;
    std::size_t pos = 0;
    if (!value.empty() && value[0] == '"') {
        // The numbers follow the name, so the name ends at the next double quote (never the
        // second byte of a two-byte character).
        std::size_t close = value.find('"', 1);
        face =
            value.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1);
        pos = close == std::string_view::npos ? value.size() : close + 1;
    } else {
        // Blanks and double quotes are never second bytes, so a byte search is exact; a face
        // never holds a double quote, which the written (quoted) form could not hold.
        pos = std::min(value.find_first_of(" \t\""), value.size());
        face = value.substr(0, pos);
        if (face.empty()) return Applied::BadValue;
    }
    f.face = cutText(face, limit);
    std::vector<int> n = leadingInts(value.substr(pos), 3);
    if (n.size() >= 1) f.height = n[0];
    if (n.size() >= 2) {
        f.bold = n[1] != 0;
        f.italic = n.size() >= 3 && n[2] != 0;
    }
    return Applied::Set;
}

// Applies value to the setting of d. `strict`: a value without a number is refused instead of
// being taken as 0 (setting by key; the file keeps the atoi rule).
Applied applyValue(const KeyDef& d, Settings& s, std::string_view value, bool strict) {
    switch (d.kind) {
        case Kind::Int:
        case Kind::ReadOnlyInt: {
            LeadingInt n = leadingInt(value);
            if ((strict && !n.digits) || n.value < d.minimum || n.value > d.maximum) {
                return Applied::BadValue;
            }
            d.intRef.set(s, n.value);
            return Applied::Set;
        }
        case Kind::Hex: {
            std::optional<int> v = hexValue(value);
            if (!v) return Applied::BadValue;
            d.intRef.set(s, *v);
            return Applied::Set;
        }
        case Kind::Ints: {
            IntValues values = d.intsRef.get(s);
            std::vector<int> n = leadingInts(value, values.count);
            if (n.size() < d.required) return Applied::BadValue;
            for (std::size_t i = 0; i < values.count; ++i) values.at[i] = i < n.size() ? n[i] : 0;
            d.intsRef.set(s, values);
            return Applied::Set;
        }
        case Kind::Colour: {
            std::vector<int> n = leadingInts(value, 3);
            if (n.size() < 3) return Applied::BadValue;
            for (int c : n) {
                if (c < 0 || c > 255) return Applied::BadValue;
            }
            d.rgbRef(s) = Rgb{static_cast<std::uint8_t>(n[0]), static_cast<std::uint8_t>(n[1]),
                              static_cast<std::uint8_t>(n[2])};
            return Applied::Set;
        }
        case Kind::Font:
            return applyFont(d.fontRef(s), value, d.limit);
        case Kind::Plain:
        case Kind::Quoted: {
            std::string& text = d.textRef(s);
            text = cutText(textValue(value), d.limit);
            if (d.folder) normaliseFolder(text);
            return Applied::Set;
        }
        case Kind::LegacyPassword:
            d.textRef(s) = cutText(unscramblePassword(textValue(value)), d.limit);
            return Applied::Set;
        case Kind::Section:
        case Kind::Tools:
            break;
    }
    return Applied::Unknown;
}

// A tool key "<prefix><n>": applies the value to tool n (1..kToolCount). Unknown for any other
// number.
Applied applyToolValue(const ToolKey& t, std::string_view number, Settings& s,
                       std::string_view value) {
    if (number.size() != 1 || number[0] < '1' || number[0] > '0' + kToolCount) {
        return Applied::Unknown;
    }
    ToolEntry& tool = s.tools[static_cast<std::size_t>(number[0] - '1')];
    std::string text = t.def->escaped ? withoutStrayLeadBytes(unescapeToolText(value))
                                      : std::string(textValue(value));
    tool.*(t.def->member) = cutText(text, kSettingTextBytes);
    return Applied::Set;
}

Applied applyKeyValue(Settings& s, std::string_view key, std::string_view value, bool strict) {
    const KeyTable& table = keyTable();
    for (const ToolKey& t : table.toolKeys) {
        if (key.substr(0, t.prefix.size()) == t.prefix) {
            return applyToolValue(t, key.substr(t.prefix.size()), s, value);
        }
    }
    for (const Key& k : table.keys) {
        if (!k.key.empty() && k.key == key) return applyValue(*k.def, s, value, strict);
    }
    return Applied::Unknown;
}

// ---- Writing values ------------------------------------------------------------------------

std::string joinInts(const IntValues& values) {
    std::string out;
    for (std::size_t i = 0; i < values.count; ++i) {
        if (i > 0) out.push_back(' ');
        out += std::to_string(values.at[i]);
    }
    return out;
}

std::string quote(std::string_view text) {
    std::string q = "\"";
    q += singleLine(text);
    q += '"';
    return q;
}

// The value part of a written line. Settings is only read: the accessors hand out references.
std::string formatValue(const KeyDef& d, const Settings& settings) {
    Settings& s = const_cast<Settings&>(settings);
    switch (d.kind) {
        case Kind::Int:
            return std::to_string(d.intRef.get(s));
        case Kind::Hex: {
            char buffer[16];
            std::snprintf(buffer, sizeof buffer, "%X", static_cast<unsigned>(d.intRef.get(s)));
            return buffer;
        }
        case Kind::Ints:
            return joinInts(d.intsRef.get(s));
        case Kind::Colour: {
            const Rgb& c = d.rgbRef(s);
            return std::to_string(c.red) + ' ' + std::to_string(c.green) + ' ' +
                   std::to_string(c.blue);
        }
        case Kind::Font: {
            const FontSetting& f = d.fontRef(s);
            return quote(f.face) + ' ' + std::to_string(f.height) + ' ' + (f.bold ? '1' : '0') +
                   ' ' + (f.italic ? '1' : '0');
        }
        case Kind::Plain: {
            // A plain text that begins with a double quote is written quoted, or reading it back
            // would take the quote for the start of a quoted value.
            std::string_view text = singleLine(d.textRef(s));
            return !text.empty() && text[0] == '"' ? quote(text) : std::string(text);
        }
        case Kind::Quoted:
            return quote(d.textRef(s));
        case Kind::Section:
        case Kind::Tools:
        case Kind::ReadOnlyInt:
        case Kind::LegacyPassword:
            break;
    }
    return {};
}

std::string formatToolValue(const ToolKey& t, const ToolEntry& tool) {
    const std::string& text = tool.*(t.def->member);
    if (!t.def->escaped) return quote(text);
    std::string q = "\"";
    q += escapeToolText(singleLine(text));
    q += '"';
    return q;
}

std::string toolKey(const ToolKey& t, int n) { return t.prefix + std::to_string(n); }

bool isWritten(Kind k) { return k != Kind::ReadOnlyInt && k != Kind::LegacyPassword; }

}  // namespace

void normaliseFolder(std::string& folder) {
    if (folder == "." || folder == "./") {
        folder.clear();
    } else if (!folder.empty() && folder.back() != '/') {
        folder.push_back('/');
    }
}

std::string environmentFilePath(const std::string& folder, std::string_view name) {
    return folder + std::string(name) + ".env";
}

std::string ftpSettingsPath(const std::string& folder) { return folder + "ftp.env"; }

void parseEnvironmentText(std::string_view text, Settings& settings) {
    for (std::string_view line : splitLines(text)) {
        std::optional<KeyValue> kv = splitKeyValue(line);
        // Unknown keys and bad values are skipped, as the file's reading rules say.
        if (kv) (void)applyKeyValue(settings, kv->key, kv->value, false);
    }
}

std::string formatEnvironmentText(const Settings& settings) {
    const KeyTable& table = keyTable();
    std::string out;
    appendLine(out, table.header);
    for (const Key& k : table.keys) {
        const KeyDef& d = *k.def;
        if (d.kind == Kind::Section) {
            appendLine(out, "# --- " + k.head + " ---");
        } else if (d.kind == Kind::Tools) {
            for (int n = 1; n <= kToolCount; ++n) {
                for (const ToolKey& t : table.toolKeys) {
                    appendLine(
                        out, toolKey(t, n) + t.padding + formatToolValue(t, settings.tools[n - 1]));
                }
            }
        } else if (isWritten(d.kind)) {
            appendLine(out, k.head + formatValue(d, settings) + k.tail);
        }
    }
    return out;
}

core::ReadResult ReadEnvironmentFile(const std::string& path, Settings& settings) {
    std::optional<std::string> text = core::readFile(path);
    if (!text) return core::ReadResult::CannotOpen;
    parseEnvironmentText(core::ownTextFileText(*text), settings);
    return core::ReadResult::Ok;
}

core::WriteResult WriteEnvironmentFile(const std::string& path, const Settings& settings) {
    return core::writeFileAtomically(path, core::ownTextFileBytes(formatEnvironmentText(settings)));
}

core::ReadResult loadEnvironment(const std::string& folder, std::string_view name,
                                 Settings& settings) {
    core::ReadResult result = ReadEnvironmentFile(environmentFilePath(folder, name), settings);
    if (result != core::ReadResult::Ok) {
        result = ReadEnvironmentFile(folder + std::string(name) + ".ENV", settings);
    }
    // The FTP settings are read even without an environment file, so that a later save cannot
    // replace the destinations with an empty list.
    if (ReadFtpSettings(ftpSettingsPath(folder), settings.ftp) != core::ReadResult::Ok) {
        settings.ftp = FtpSettings{};
        if (!settings.ftpServer.empty()) {
            FtpSetting migrated;
            migrated.name = ftpSettingName(1);
            migrated.server = cutText(settings.ftpServer, kFtpTextBytes);
            migrated.user = cutText(settings.ftpUser, kFtpTextBytes);
            migrated.password = cutText(settings.legacyFtpPassword, kFtpTextBytes);
            migrated.folder = cutText(settings.ftpFolder, kFtpTextBytes);
            migrated.selected = true;  // the one server uploads went to
            settings.ftp.entries.push_back(std::move(migrated));
        }
    }
    return result;
}

core::WriteResult saveEnvironment(const std::string& folder, std::string_view name,
                                  const Settings& settings) {
    core::WriteResult result = WriteEnvironmentFile(environmentFilePath(folder, name), settings);
    if (result != core::WriteResult::Ok) return result;
    return WriteFtpSettings(ftpSettingsPath(folder), settings.ftp);
}

SetKeyResult setFromKeyValue(Settings& settings, std::string_view key, std::string_view value) {
    Settings changed = settings;
    switch (applyKeyValue(changed, key, value, true)) {
        case Applied::Set:
            settings = std::move(changed);
            return SetKeyResult::Set;
        case Applied::Unknown:
            return SetKeyResult::UnknownKey;
        case Applied::BadValue:
            break;
    }
    return SetKeyResult::BadValue;
}

std::optional<std::string> valueText(const Settings& settings, std::string_view key) {
    const KeyTable& table = keyTable();
    for (const ToolKey& t : table.toolKeys) {
        for (int n = 1; n <= kToolCount; ++n) {
            if (key == toolKey(t, n)) return formatToolValue(t, settings.tools[n - 1]);
        }
    }
    for (const Key& k : table.keys) {
        if (!k.key.empty() && k.key == key && isWritten(k.def->kind)) {
            return formatValue(*k.def, settings);
        }
    }
    return std::nullopt;
}

std::vector<std::string> environmentKeys() {
    const KeyTable& table = keyTable();
    std::vector<std::string> keys;
    for (const Key& k : table.keys) {
        if (k.def->kind == Kind::Tools) {
            for (int n = 1; n <= kToolCount; ++n) {
                for (const ToolKey& t : table.toolKeys) keys.push_back(toolKey(t, n));
            }
        } else if (!k.key.empty() && isWritten(k.def->kind)) {
            keys.push_back(k.key);
        }
    }
    return keys;
}

}  // namespace tavrel
