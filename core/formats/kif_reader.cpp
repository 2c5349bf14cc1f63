#include "core/formats/kif_reader.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <utility>

#include "core/base/path_text.h"
#include "core/base/safe_file.h"
#include "core/formats/rule_warning.h"
#include "core/notation/notation.h"
#include "core/notation/piece_text.h"
#include "core/rules/legality.h"
#include "core/text/sjis.h"

namespace core {

namespace {

// The longest line the reader takes at once; a longer physical line is read as several.
constexpr std::size_t kFileLineBytes = 5999;
constexpr std::size_t kTextLineBytes = 8000;
constexpr std::size_t kErrorTextBytes = 250;
constexpr std::size_t kTextFileNameBytes = 511;
constexpr int kFirstDiagramRow = 1;
constexpr int kLastDiagramRow = 9;

enum class Mode { File, Text, Merge, MergeCheck };

// Which header field a key fills and how.
enum class KeyRule { Set, AppendAfterSpace, IfEmpty };
struct HeaderKey {
    std::string key;
    HeaderField field;
    KeyRule rule;
    bool viewerOnly;  // not in Dalmir's vocabulary
};

// What a player or hand line sets.
enum class PlayerKeyTarget : std::uint8_t {
    BlackName,
    WhiteName,
    BlackShort,
    WhiteShort,
    BlackHand,
    WhiteHand
};

// The name field a target sets; nullopt for a hand.
std::optional<PlayerField> playerFieldOf(PlayerKeyTarget target) {
    switch (target) {
        case PlayerKeyTarget::BlackName:
            return PlayerField::Black;
        case PlayerKeyTarget::WhiteName:
            return PlayerField::White;
        case PlayerKeyTarget::BlackShort:
            return PlayerField::BlackShort;
        case PlayerKeyTarget::WhiteShort:
            return PlayerField::WhiteShort;
        case PlayerKeyTarget::BlackHand:
        case PlayerKeyTarget::WhiteHand:
            break;
    }
    return std::nullopt;
}

struct PlayerKey {
    std::string key;
    PlayerKeyTarget target;
    bool viewerOnly;
};

struct ResultWord {
    std::string word;
    TerminalCode code;
    bool viewerOnly;
    bool noteInComment;  // the word is also appended to the comment of the current ply
};

// Every fixed word of the reader, converted once.
struct Vocabulary {
    std::vector<HeaderKey> headerKeys;
    std::size_t firstUserCheckedKey = 0;  // keys from here on let user keys be tried as well
    std::vector<PlayerKey> playerKeys;
    std::vector<ResultWord> resultWords;
    std::vector<ResultWord> afterMade;  // searched after "まで"
    std::string blank{kFullWidthSpace};
    std::string variation{kKeyVariation};
    std::string branch = std::string("分岐：");
    std::string handicapKey{kKeyHandicap};
    std::vector<std::string> whiteFirst{std::string(kWhiteToMove), std::string(kUpperToMove),
                                        std::string("手番：後手"), std::string("手番：上手")};
    std::vector<std::string> blackFirst{std::string(kBlackToMove), std::string(kLowerToMove),
                                        std::string("手番：先手"), std::string("手番：下手")};
    std::string flippedKey{kKeyFlipped};
    std::string none{kHandNone};
    std::string mate = std::string("詰み");
    std::string resignDashes = std::string("－－－(00)");
    std::string made{kWordUpTo};
    std::string sente = std::string("先");
    std::string gote = std::string("後");
    std::string colon = std::string("：");
    std::string dot = std::string("・");
    std::string fileNameKey = std::string("ファイル名：");
    std::string fileMissing = std::string("ファイルがありません。");
    std::string readError = std::string("棋譜読込みエラー");
    std::string sizeOver = std::string("棋譜サイズオーバ：設定の棋譜最大を大きくして下さい。");
    std::string ply{kWordPly};
    std::string warningPrefix = std::string("警告：");
    std::string noPromotionChoice = std::string("手目 成・不成指定なし\n");
    std::string timeTooLarge = std::string("手目 消費時間が大きすぎます\n");
    std::string replaced = std::string("警告：Shift-JISでないバイトを「？」に置き換えました（");
    std::string replacedEnd = std::string("バイト）");
    std::string invalidUtf8 = std::string("警告：UTF-8でないバイトを「？」に置き換えました（");
    std::string invalidUtf8End = std::string("行目）");
    std::string questionMark = std::string("？");
    // First bytes of every key a line is tested for (header, handicap, side-to-move, player,
    // hand and file-name keys): a line starting with none of them is no such line.
    std::array<bool, 256> keyFirstByte{};
    std::array<std::string, 4> mergeMessages{"", std::string("手合が違います。"),
                                             std::string("手番が違います。"),
                                             std::string("開始局面が違います。")};

    Vocabulary() {
        auto header = [&](const char* k, HeaderField f, KeyRule r = KeyRule::Set,
                          bool viewerOnly = false) {
            headerKeys.push_back({std::string(k), f, r, viewerOnly});
        };
        using F = HeaderField;
        header("対局日：", F::StartDateTime);
        header("開始日時：", F::StartDateTime);
        header("# 対  局  日：", F::StartDateTime);
        header("# 開始時刻  ：", F::StartDateTime, KeyRule::AppendAfterSpace);
        header("終了日時：", F::EndDateTime);
        header("棋戦：", F::Event);
        header("棋戦名：", F::Event);
        header("戦型：", F::Opening);
        header("戦　型：", F::Opening);
        header("表題：", F::Title);
        firstUserCheckedKey = headerKeys.size();
        header("持ち時間：", F::TimeLimit);
        header("時間：", F::TimeLimit);
        header("消費時間：", F::TimeUsed, KeyRule::Set, true);
        header("場所：", F::Place);
        header("於：", F::Place);
        header("掲載：", F::PublishedIn);
        header("作者：", F::Author);
        header("作品番号：", F::WorkNumber);
        header("発表：", F::PublicationDate);
        header("発表日付：", F::PublicationDate);
        header("発表年月：", F::PublicationDate);
        header("発表誌：", F::Magazine);
        header("原典：", F::Magazine, KeyRule::IfEmpty);
        header("出典：", F::Source);
        header("作品名：", F::WorkName);
        header("手数：", F::MoveCount);
        header("詰手数：", F::MoveCount, KeyRule::Set, true);
        header("完全性：", F::Completeness);
        header("分類：", F::Classification);
        header("作品分類：", F::Classification, KeyRule::IfEmpty);
        header("受賞：", F::Award);
        header("備考：", F::Remarks);
        header("記事：", F::Remarks, KeyRule::IfEmpty);

        using P = PlayerKeyTarget;
        auto player = [&](std::string k, P target, bool viewerOnly = false) {
            playerKeys.push_back({std::move(k), target, viewerOnly});
        };
        player(std::string(kKeyBlack), P::BlackName);
        player(std::string(kKeyLower), P::BlackName);
        player(std::string("先手:"), P::BlackName, true);
        player(std::string("下手:"), P::BlackName, true);
        player(std::string(kKeyWhite), P::WhiteName);
        player(std::string(kKeyUpper), P::WhiteName);
        player(std::string("後手:"), P::WhiteName, true);
        player(std::string("上手:"), P::WhiteName, true);
        player(std::string("携帯先手："), P::BlackShort, true);
        player(std::string("先手省略名："), P::BlackShort, true);
        player(std::string("携帯後手："), P::WhiteShort, true);
        player(std::string("後手省略名："), P::WhiteShort, true);
        player(std::string("先手の持駒："), P::BlackHand);
        player(std::string("下手の持駒："), P::BlackHand);
        player(std::string("先手持駒："), P::BlackHand);
        player(std::string("下手持駒："), P::BlackHand);
        player(std::string("持駒："), P::BlackHand);
        player(std::string("後手の持駒："), P::WhiteHand);
        player(std::string("上手の持駒："), P::WhiteHand);
        player(std::string("後手持駒："), P::WhiteHand);
        player(std::string("上手持駒："), P::WhiteHand);

        using T = TerminalCode;
        auto result = [&](std::vector<ResultWord>& list, const char* w, T code,
                          bool viewerOnly = false, bool note = false) {
            list.push_back({std::string(w), code, viewerOnly, note});
        };
        result(resultWords, "投了", T::Resign);
        result(resultWords, "投　了", T::Resign);
        result(resultWords, "中断", T::Suspend);
        result(resultWords, "封じ手", T::Suspend);
        result(resultWords, "持将棋", T::Impasse);
        result(resultWords, "詰", T::Mate);
        result(resultWords, "不詰", T::NoMate);
        result(resultWords, "千日手", T::Repetition);
        result(resultWords, "切れ負け", T::TimeLoss);
        result(resultWords, "時間切れ", T::TimeLoss);
        result(resultWords, "入玉勝ち", T::EnteringKingWin, true);
        result(resultWords, "反則勝ち", T::FoulWin);
        result(resultWords, "反則負け", T::FoulLoss);
        result(resultWords, "引き分け", T::Suspend, false, true);

        result(afterMade, "入玉勝ち", T::EnteringKingWin, true);
        result(afterMade, "反則勝ち", T::FoulWin);
        result(afterMade, "反則負け", T::FoulLoss);
        result(afterMade, "時間切れ", T::TimeLoss, true);
        result(afterMade, "勝ち", T::Resign);
        result(afterMade, "中断", T::Suspend);
        result(afterMade, "持将棋", T::Impasse);
        result(afterMade, "不詰", T::NoMate);
        result(afterMade, "詰", T::Mate);
        result(afterMade, "千日手", T::Repetition);
        result(afterMade, "必至", T::Suspend);
        result(afterMade, "切れ負け", T::TimeLoss);
        result(afterMade, "駒余り", T::Mate, true, true);

        auto first = [&](const std::string& k) {
            if (!k.empty()) keyFirstByte[static_cast<unsigned char>(k[0])] = true;
        };
        for (const HeaderKey& k : headerKeys) first(k.key);
        for (const PlayerKey& k : playerKeys) first(k.key);
        for (const std::string& k : whiteFirst) first(k);
        for (const std::string& k : blackFirst) first(k);
        first(handicapKey);
        first(flippedKey);
        first(fileNameKey);
    }
};

const Vocabulary& vocab() {
    static const Vocabulary v;
    return v;
}

// "合", the interposed piece: a drop.
constexpr std::string_view kWordInterpose = "合";

constexpr bool isDigit(char c) { return static_cast<unsigned char>(c - '0') <= 9; }

// Most tests fail on the first byte; compare the rest only when it matches.
bool startsWith(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() &&
           (prefix.empty() ||
            (s[0] == prefix[0] && std::memcmp(s.data(), prefix.data(), prefix.size()) == 0));
}

// The full-width space "　".
bool startsWithFullWidthSpace(std::string_view s) { return s.starts_with(kFullWidthSpace); }

// Without its first character.
std::string_view afterFirstChar(std::string_view s) {
    return s.empty() ? s : s.substr(charLength(s, 0));
}

// Without its first two CP932 bytes' worth of text: one wide character or two narrow ones.
std::string_view afterTwoBytes(std::string_view s) {
    std::size_t width = 0;
    while (!s.empty() && width < 2) {
        width += cp932CharWidth(s, 0);
        s = afterFirstChar(s);
    }
    return s;
}

// Without leading ASCII and full-width spaces.
std::string_view skipBlanks(std::string_view s) {
    for (;;) {
        if (!s.empty() && s[0] == ' ') {
            s.remove_prefix(1);
        } else if (startsWithFullWidthSpace(s)) {
            s.remove_prefix(kFullWidthSpace.size());
        } else {
            return s;
        }
    }
}

std::string_view skipFullWidthSpaces(std::string_view s) {
    while (startsWithFullWidthSpace(s)) s.remove_prefix(kFullWidthSpace.size());
    return s;
}

std::string_view skipAsciiSpace(std::string_view s) {
    while (!s.empty() && (s[0] == ' ' || s[0] == '\t' || s[0] == '\r' || s[0] == '\n' ||
                          s[0] == '\v' || s[0] == '\f')) {
        s.remove_prefix(1);
    }
    return s;
}

std::string_view withoutNewline(std::string_view s) {
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

// A decimal number as %d reads it (leading white space, a sign, digits); at most maxDigits
// digits when maxDigits > 0. Advances s past it.
std::optional<int> readNumber(std::string_view& s, int maxDigits = 0) {
    const char* p = s.data();
    const char* const e = p + s.size();
    // ' ' and '\t' '\n' '\v' '\f' '\r' (9..13).
    while (p < e && (*p == ' ' || static_cast<unsigned char>(*p - '\t') <= 4)) ++p;
    bool negative = false;
    if (p < e && (*p == '-' || *p == '+')) {
        negative = *p == '-';
        ++p;
    }
    const char* const first = p;
    const char* const limit = (maxDigits > 0 && e - p > maxDigits) ? p + maxDigits : e;
    int value = 0;
    while (p < limit && static_cast<unsigned char>(*p - '0') <= 9) {
        if (value < 100000000) value = value * 10 + (*p - '0');
        ++p;
    }
    if (p == first) return std::nullopt;
    s.remove_prefix(static_cast<std::size_t>(p - s.data()));
    return negative ? -value : value;
}

// The number of a move line, as readNumber(s, 3) reads it; the usual form (spaces, then digits)
// without a call.
inline std::optional<int> readMoveNumber(std::string_view& s) {
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    if (i == s.size() || !isDigit(s[i])) return readNumber(s, 3);
    const std::size_t last = std::min(s.size(), i + 3);
    int value = 0;
    for (; i < last && isDigit(s[i]); ++i) value = value * 10 + (s[i] - '0');
    s.remove_prefix(i);
    return value;
}

// A whitespace-delimited word as %s reads it.
std::optional<std::string_view> readWord(std::string_view& s) {
    std::string_view t = skipAsciiSpace(s);
    std::size_t n = 0;
    while (n < t.size() && t[n] != ' ' && t[n] != '\t' && t[n] != '\n' && t[n] != '\r' &&
           t[n] != '\v' && t[n] != '\f') {
        ++n;
    }
    if (n == 0) return std::nullopt;
    s = t.substr(n);
    return t.substr(0, n);
}

// The longest thinking time a move holds, in seconds.
constexpr std::int64_t kMaxMoveSeconds = 65535;

// " (" minutes ":" seconds, as the time field of a KIF move line. Each number has at most nine
// significant digits, so the sum never overflows; the caller holds it to kMaxMoveSeconds.
std::optional<std::int64_t> readTime(std::string_view s) {
    // The usual form first: one or more spaces, "(", a space and one or two digits of minutes,
    // ":", two digits of seconds and the rest of the field.
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    if (s.size() - i >= 6 && s[i] == '(') {
        const char* p = s.data() + i + 1;
        auto digit = [](char c) { return static_cast<unsigned char>(c - '0') <= 9; };
        int k = p[0] == ' ' ? 1 : 0;
        if (digit(p[k]) && p + k + 4 < s.data() + s.size()) {
            int minutes = p[k] - '0';
            ++k;
            if (digit(p[k])) minutes = minutes * 10 + (p[k++] - '0');
            if (p + k + 3 <= s.data() + s.size() && p[k] == ':' && digit(p[k + 1]) &&
                digit(p[k + 2]) && (p + k + 3 == s.data() + s.size() || !digit(p[k + 3]))) {
                return std::int64_t{minutes} * 60 + (p[k + 1] - '0') * 10 + (p[k + 2] - '0');
            }
        }
    }
    s = skipAsciiSpace(s);
    if (!s.starts_with('(')) return std::nullopt;
    s.remove_prefix(1);
    auto minutes = readNumber(s);
    if (!minutes || !s.starts_with(':')) return std::nullopt;
    s.remove_prefix(1);
    auto seconds = readNumber(s);
    if (!seconds) return std::nullopt;
    return std::int64_t{*minutes} * 60 + *seconds;
}

// A time as a move holds it: 0..kMaxMoveSeconds.
int heldSeconds(std::int64_t seconds) {
    return static_cast<int>(std::clamp<std::int64_t>(seconds, 0, kMaxMoveSeconds));
}

std::size_t sideMarkLength(std::string_view s) {
    switch (charCode(s)) {
        case charCode(kMarkBlack):
        case charCode(kMarkWhite):
        case charCode(kMarkWhiteAlt):
        case charCode(kMarkBlackUser):
        case charCode(kMarkWhiteUser1):
        case charCode(kMarkWhiteUser2):
            return kMarkBlack.size();
        default:
            return 0;
    }
}

// What parsing a move text came to.
enum class MoveOutcome { Added, Terminal, NotAMove, Error, Capacity };

// Everything a reading run keeps besides the store.
class LineReader {
public:
    LineReader(RecordStore& store, const ReadOptions& options, Mode mode, ReadReport& report)
        : m_store(store), m_options(options), m_mode(mode), m_report(report), m_v(vocab()) {
        m_keyFirstByte = m_v.keyFirstByte;
        for (const std::string& k : options.userKeys) {
            if (!k.empty()) m_keyFirstByte[static_cast<unsigned char>(k[0])] = true;
        }
    }

    void begin();
    // Processes one line (with its "\n" when it had one). False when reading must stop.
    // text is one line without its line end; hadNewline tells whether it had one (the last line
    // of a text may not, and a few tests count the line end as a character).
    bool line(std::string_view text, bool hadNewline);
    // Fixes the start if needed and returns the store to the start position.
    void finish();

private:
    bool isDatabase() const { return m_options.database; }
    Position& pos() { return m_store.position(); }

    bool variationMarker(std::string_view q);
    bool headerLine(std::string_view l);
    bool handicapOrSideLine(std::string_view l);
    bool playerOrHandLine(std::string_view l);
    void readHand(std::string_view text, SideByte side);
    // 1 a row was read, 0 not a row, -1 malformed.
    int diagramRow(std::string_view l);
    bool looksLikeFirstMove(std::string_view l) const;
    void fixStart();
    void fixStartOnce();
    // Returns false when reading stops.
    bool moveLine(std::string_view l);
    // nullopt: not a KIF line (or it failed); otherwise the outcome.
    std::optional<MoveOutcome> kifLine(std::string_view l);
    // The time a move line gave does not fit a move and was held at kMaxMoveSeconds.
    void warnTimeTooLarge(int ply);
    MoveOutcome ki2Line(std::string_view l);
    MoveOutcome moveText(std::string_view text, int seconds);
    // A text that does not start with a square: a result word, "同...", or no move.
    MoveOutcome resultOrOther(std::string_view t, std::string_view text, int seconds);
    // The move of a text from its destination on.
    MoveOutcome move(std::string_view t, std::string_view text, int seconds);
    MoveOutcome addTerminal(TerminalCode code, int seconds);
    MoveOutcome addParsed(int origin, int destination, int type, bool promote,
                          std::string_view rest, int seconds, std::string_view moveText);
    void setError(std::string_view text);
    void warnRule(MoveCheckResult code, std::string_view text, int ply);

    RecordStore& m_store;
    const ReadOptions& m_options;
    Mode m_mode;
    ReadReport& m_report;
    const Vocabulary& m_v;

    int m_diagramRow = kFirstDiagramRow;
    bool m_startFixed = false;
    bool m_lineEnded = false;
    bool m_whiteHandGiven = false;
    bool m_failed = false;
    bool m_capacity = false;
    bool m_stopped = false;
    std::array<bool, 256> m_keyFirstByte{};
    bool m_hadNewline = false;
    // The node last read on the current line of play: comments after a move line belong to it.
    NodeIndex m_lastNode = kRootNode;
    // What rule checking knows about the kings at node m_kingsNode (nothing at any other node):
    // the king of the side to move is not attacked (m_moverSafe), the other king is not
    // attacked (m_otherSafe). Lets most moves skip the full search for attackers.
    NodeIndex m_kingsNode = kNoNode;
    bool m_moverSafe = false;
    bool m_otherSafe = false;
    AddMode m_savedAddMode = AddMode::Branch;
};

void LineReader::begin() {
    m_savedAddMode = m_store.options().addMode;
    m_store.setAddMode(AddMode::Branch);
    clearPosition(pos());
    if (m_mode == Mode::File || m_mode == Mode::Text) {
        m_store.reset();
        m_store.clearHeader();
        m_store.setFlipped(false);
    } else if (m_mode == Mode::Merge) {
        // The root is always in use: cannot fail.
        (void)m_store.goTo(kRootNode);
        clearPosition(pos());
    }
    m_store.setHandicap(kHandicapEven);
    m_store.setCustomStart(false);
    m_store.setFirstMover(kSideBlack);
    pos().sideToMove = kSideBlack;
    m_store.setReadingError("");
}

void LineReader::setError(std::string_view text) {
    std::string e = std::to_string(m_store.currentPly() + 1) + m_v.ply + ":\"";
    e += cutToBytes(withoutNewline(text), kErrorTextBytes);
    e += "\"";
    m_store.setReadingError(e);
}

bool LineReader::variationMarker(std::string_view q) {
    // Every line comes here: most are turned away by their first byte.
    if (q.empty() || (q[0] != m_v.variation[0] && q[0] != m_v.branch[0])) return false;
    if (!startsWith(q, m_v.variation) && !startsWith(q, m_v.branch)) return false;
    if (m_store.currentPly() <= 0) return false;
    if (m_options.mainLineOnly) {
        m_lineEnded = true;
        m_stopped = true;
        m_report.stoppedAtVariation = true;
        return true;
    }
    std::string_view rest = q.substr(m_v.variation.size());
    if (auto n = readNumber(rest)) {
        if (*n >= 1) m_store.backTo(*n - 1);
        m_lastNode = m_store.current();
        m_lineEnded = false;
    }
    return true;
}

bool LineReader::headerLine(std::string_view l) {
    std::string_view q = skipBlanks(l);
    auto value = [&](std::size_t keyLength) {
        return cutToBytes(withoutNewline(q.substr(keyLength)), kHeaderFieldBytes);
    };
    std::size_t i = 0;
    for (; i < m_v.headerKeys.size(); ++i) {
        const HeaderKey& k = m_v.headerKeys[i];
        if (k.viewerOnly && isDatabase()) continue;
        if (!startsWith(q, k.key)) continue;
        std::string_view v = value(k.key.size());
        switch (k.rule) {
            case KeyRule::Set:
                m_store.setHeader(k.field, v);
                break;
            case KeyRule::IfEmpty:
                if (m_store.header(k.field).empty()) m_store.setHeader(k.field, v);
                break;
            case KeyRule::AppendAfterSpace: {
                std::string old = m_store.header(k.field);
                const std::size_t oldWidth = cp932Width(old);
                if (oldWidth < kHeaderFieldBytes &&
                    oldWidth + 1 + cp932Width(v) <= kHeaderFieldBytes) {
                    m_store.setHeader(k.field, old + " " + std::string(v));
                }
                break;
            }
        }
        break;
    }
    bool matched = i < m_v.headerKeys.size();
    if (matched && i < m_v.firstUserCheckedKey) return true;
    // The user keys are tried for every line no key up to "表題：" took.
    for (int u = 0; u < kUserHeaderFieldCount; ++u) {
        const std::string& name = m_options.userKeys[static_cast<std::size_t>(u)];
        if (name.empty()) continue;
        if (startsWith(q, name) && startsWith(q.substr(name.size()), m_v.colon)) {
            m_store.setHeader(static_cast<HeaderField>(kFixedHeaderFieldCount + u),
                              value(name.size() + m_v.colon.size()));
            matched = true;
            break;
        }
    }
    return matched;
}

bool LineReader::handicapOrSideLine(std::string_view l) {
    std::string_view q = skipBlanks(l);
    if (startsWith(q, m_v.handicapKey)) {
        std::string_view name = q.substr(m_v.handicapKey.size());
        HandicapType type = kHandicapUnknown;
        for (int t = 0; t <= kHandicapOther; ++t) {
            if (compareChars(name, handicapName(t), 2) == 0 && charCount(name) >= 2) {
                type = t;
                break;
            }
        }
        m_store.setHandicap(type);
        if (type != kHandicapEven) {
            m_store.setFirstMover(kSideWhite);
            pos().sideToMove = kSideWhite;
        }
        return true;
    }
    for (const std::string& k : m_v.whiteFirst) {
        if (startsWith(q, k)) {
            m_store.setFirstMover(kSideWhite);
            pos().sideToMove = kSideWhite;
        }
    }
    for (const std::string& k : m_v.blackFirst) {
        if (startsWith(q, k)) {
            m_store.setFirstMover(kSideBlack);
            pos().sideToMove = kSideBlack;
        }
    }
    if (startsWith(q, m_v.flippedKey)) m_store.setFlipped(true);
    return false;
}

void LineReader::readHand(std::string_view text, SideByte side) {
    text = withoutNewline(text);
    if (startsWith(text, m_v.none)) return;
    Position& p = pos();
    auto add = [&](int type, int count) {
        for (int i = 0; i < count && p.handEnd < kHandSlotEnd; ++i) {
            p.cells[p.handEnd] = makePiece(side, type);
            ++p.handEnd;
        }
    };
    while (!text.empty()) {
        if (text[0] == ' ' || text[0] == ',') {
            text.remove_prefix(1);
            continue;
        }
        if (startsWith(text, m_v.blank)) {
            text.remove_prefix(m_v.blank.size());
            continue;
        }
        std::size_t length = 0;
        int type = pieceTypeFromText(text, length);
        if (type == 0) {
            text = afterTwoBytes(text);
            continue;
        }
        if (type >= kKing) return;  // a king or a promoted piece ends the list
        text.remove_prefix(length);
        // A name at the very end of the text still counts one piece (the line may simply have
        // had no newline).
        int numeral = numeralFromText(text);
        int digit = fullWidthDigitFromText(text);
        int count = 1;
        if (numeral == 10 || digit == 1) {
            text = afterFirstChar(text);
            int second = numeralFromText(text);
            int secondDigit = fullWidthDigitFromText(text);
            if (second >= 1 && second <= 9) {
                count = 10 + second;
                text = afterFirstChar(text);
            } else if (secondDigit >= 1) {
                count = 10 + secondDigit;
                text = afterFirstChar(text);
            } else {
                // The separator after a lone "十" or "１" goes with it (one character, so a
                // name after an ASCII blank is not cut in half).
                count = numeral == 10 ? 10 : 1;
                if (!text.empty()) text.remove_prefix(charLength(text, 0));
            }
        } else if (numeral >= 1) {
            count = numeral;
            text = afterFirstChar(text);
        } else if (digit >= 1) {
            count = digit;
            text = afterFirstChar(text);
        }
        add(type, count);
    }
}

bool LineReader::playerOrHandLine(std::string_view l) {
    std::string_view q = skipBlanks(l);
    for (const PlayerKey& k : m_v.playerKeys) {
        if (k.viewerOnly && isDatabase()) continue;
        if (!startsWith(q, k.key)) continue;
        std::string_view value = withoutNewline(q.substr(k.key.size()));
        if (std::optional<PlayerField> field = playerFieldOf(k.target)) {
            m_store.setPlayerName(*field, cutToBytes(value, kPlayerNameBytes));
        } else if (m_startFixed) {
            // A hand given after the moves began would change the position mid-game.
        } else if (k.target == PlayerKeyTarget::BlackHand) {
            readHand(value, kSideBlack);
        } else {
            readHand(value, kSideWhite);
            m_whiteHandGiven = true;
        }
        return true;
    }
    return false;
}

int LineReader::diagramRow(std::string_view l) {
    if (m_diagramRow > kLastDiagramRow) return 0;
    std::string_view q = skipBlanks(l);
    if (q.starts_with(':')) q.remove_prefix(1);
    if (!q.starts_with('|')) return 0;
    q.remove_prefix(1);
    Position& p = pos();
    for (int file = 9; file >= 1; --file) {
        if (q.empty()) return -1;
        char side = q[0];
        if (side == '|') {
            q.remove_prefix(1);
            continue;
        }
        SideByte owner;
        if (side == ' ' || side == '+' || side == '^') {
            owner = kSideBlack;
        } else if (side == '-' || side == 'V' || side == 'v') {
            owner = kSideWhite;
        } else {
            return -1;
        }
        q.remove_prefix(1);
        // Two CP932 bytes' worth: a piece name, or two narrow characters.
        std::string_view name = q.substr(0, q.size() - afterTwoBytes(q).size());
        q.remove_prefix(name.size());
        int type = cp932Width(name) == 2 ? pieceTypeFromText(name) : 0;
        p.cells[static_cast<std::size_t>(makeSquare(file, m_diagramRow))] =
            type == 0 ? 0 : makePiece(owner, type);
    }
    m_store.setCustomStart(true);
    ++m_diagramRow;
    return 1;
}

bool LineReader::looksLikeFirstMove(std::string_view l) const {
    std::string_view s = skipFullWidthSpaces(l);
    if (sideMarkLength(s) > 0) return true;
    std::string_view t = s;
    return readNumber(t) && readWord(t);
}

void LineReader::fixStartOnce() {
    Position& p = pos();
    buildPieceList(p);
    HandicapType type = inferHandicap(p, m_store.handicap());
    m_store.setHandicap(type);
    p.sideToMove = m_store.firstMover();
    m_store.saveStartPosition(p);
    Position standard;
    if (setupHandicap(standard, type) && comparePositions(p, standard) == 0 &&
        m_store.firstMover() == firstMoverOf(type)) {
        m_store.setCustomStart(false);
    }
}

void LineReader::fixStart() {
    if (m_store.customStart()) {
        fixStartOnce();
        if (m_store.customStart() && !m_whiteHandGiven) {
            fillWhiteHandWithRest(pos());
            fixStartOnce();
        }
    }
    if (!m_store.customStart()) {
        setupHandicap(pos(), m_store.handicap(), false);
        pos().sideToMove = m_store.firstMover();
        m_store.saveStartPosition(pos());
        // A set-up with the other side to move ("手番：後手" in an even game) is a start of its
        // own: the writers keep its side to move only with the diagram.
        if (m_store.firstMover() != firstMoverOf(m_store.handicap())) m_store.setCustomStart(true);
    }
    m_startFixed = true;
}

void LineReader::warnRule(MoveCheckResult code, std::string_view text, int ply) {
    warnRuleViolation(m_store, m_report, m_options, code, ply, withoutNewline(text));
}

MoveOutcome LineReader::addTerminal(TerminalCode code, int seconds) {
    // A move never goes onto a start that is still being read.
    if (!m_startFixed) fixStart();
    PackedMove move = terminalMove(code);
    NodeIndex parent = m_store.current();
    AddResult r = m_store.addAndAdvance(kAddStoreAll, move, static_cast<std::uint16_t>(seconds));
    if (r == AddResult::CapacityReached) return MoveOutcome::Capacity;
    if (r == AddResult::Ok) {
        if (m_store.current() != parent) {
            m_lastNode = m_store.current();
        } else {
            // A terminal entry other than 投了 does not become current: find it among the
            // children (a dropped 中断 leaves the last node as it was).
            for (NodeIndex c = m_store.node(parent).next; c != kNoNode;
                 c = m_store.node(c).sibling) {
                if (m_store.node(c).sameMove(moveOrigin(move), moveDestination(move))) {
                    m_lastNode = c;
                    break;
                }
            }
        }
    }
    return MoveOutcome::Terminal;
}

MoveOutcome LineReader::addParsed(int origin, int destination, int type, bool promote,
                                  std::string_view rest, int seconds, std::string_view text) {
    if (!m_startFixed) fixStart();
    int ply = m_store.currentPly() + 1;
    SideByte side = m_store.moverOfPly(ply);
    PieceByte piece = makePiece(side, type);
    Position& p = pos();
    if (origin < 0) {  // to be searched on the board
        origin = findOrigin(p, destination, piece, rest);
        std::size_t wordLength = 0;
        readDirectionWord(rest, wordLength);
        std::string_view afterWord = rest.substr(wordLength);
        if (charCode(afterWord) == charCode(kWordPromote)) {
            promote = true;
        } else if (m_options.ruleCheck && withoutNewline(rest).empty() && origin != 0 &&
                   promotionState(origin, destination, p.cells[static_cast<std::size_t>(origin)]) ==
                       Promotion::Optional &&
                   !isDatabase()) {
            m_report.warnings.push_back(m_v.warningPrefix + std::to_string(ply) +
                                        m_v.noPromotionChoice);
            promote = type == kPawn || type == kBishop || type == kRook;
        }
    }
    if (origin == 0) {  // a drop
        origin = findHandSlot(p, side, type);
        if (origin == 0 || promote) {
            setError(text);
            return MoveOutcome::Error;
        }
        if (p.cells[static_cast<std::size_t>(destination)] != 0) {
            setError(text);
            return MoveOutcome::Error;
        }
    } else {
        PieceByte mover = isSquare(origin) ? p.cells[static_cast<std::size_t>(origin)] : 0;
        PieceByte target = p.cells[static_cast<std::size_t>(destination)];
        // A move from an empty square or of the other side's piece cannot be replayed.
        if (mover == 0 || !belongsTo(mover, side) || (target != 0 && belongsTo(target, side))) {
            setError(text);
            return MoveOutcome::Error;
        }
    }
    int to = destination | (promote ? kPromoteFlag : 0);
    MoveCheckResult check = MoveCheckResult::Legal;
    const bool kingsKnown = m_store.current() == m_kingsNode;
    if (m_options.ruleCheck) check = checkMove(p, origin, to, side, kingsKnown && m_moverSafe);
    AddResult r = m_store.addAndAdvance(kAddStoreAll, packMove(origin, to),
                                        static_cast<std::uint16_t>(std::clamp(seconds, 0, 65535)));
    if (r == AddResult::CapacityReached) return MoveOutcome::Capacity;
    if (r != AddResult::Ok) {
        setError(text);
        return MoveOutcome::Error;
    }
    m_lastNode = m_store.current();
    if (m_options.ruleCheck) {
        // The mover's king is safe now exactly when the move was legal; the other king, safe
        // before, is safe unless this move attacks it.
        m_kingsNode = m_store.current();
        m_moverSafe = kingsKnown && m_otherSafe && !givesCheck(p, origin, to, side);
        m_otherSafe = check == MoveCheckResult::Legal;
    }
    if (check != MoveCheckResult::Legal) warnRule(check, text, ply);
    return MoveOutcome::Added;
}

MoveOutcome LineReader::moveText(std::string_view text, int seconds) {
    std::string_view t = skipFullWidthSpaces(text);
    // A move starts with a square (a full-width or an ASCII digit) or "同"; no result word
    // does.
    bool square = (!t.empty() && t[0] >= '1' && t[0] <= '9') || fullWidthDigitFromText(t) >= 0;
    if (!square) return resultOrOther(t, text, seconds);
    return move(t, text, seconds);
}

MoveOutcome LineReader::resultOrOther(std::string_view t, std::string_view text, int seconds) {
    for (const ResultWord& w : m_v.resultWords) {
        if (w.viewerOnly && isDatabase()) continue;
        if (!startsWithText(t, w.word)) continue;
        // A comment at its size limit stays as it is; the move is read either way.
        if (w.noteInComment) (void)m_store.appendCommentTo(m_store.current(), w.word);
        return addTerminal(w.code, seconds);
    }
    if (startsWith(t, m_v.made)) {
        std::string_view rest = t.substr(m_v.made.size());
        for (const ResultWord& w : m_v.afterMade) {
            if (w.viewerOnly && isDatabase()) continue;
            if (findText(rest, w.word) == std::string_view::npos) continue;
            // A comment at its size limit stays as it is; the move is read either way.
            if (w.noteInComment) (void)m_store.appendCommentTo(m_store.current(), w.word);
            return addTerminal(w.code, 0);
        }
        return MoveOutcome::NotAMove;
    }
    if (startsWith(t, m_v.sente) || startsWith(t, m_v.gote)) return MoveOutcome::NotAMove;
    return move(t, text, seconds);
}

MoveOutcome LineReader::move(std::string_view t, std::string_view text, int seconds) {
    // The words of a move are one character each: they are told apart by their codes.
    constexpr unsigned kSame = charCode(kWordSame);
    constexpr unsigned kPromote = charCode(kWordPromote);
    constexpr unsigned kNot = charCode(kWordNoPromote);
    constexpr unsigned kDrop = charCode(kWordDrop);
    constexpr unsigned kInterpose = charCode(kWordInterpose);
    int destination = 0;
    if (charCode(t) == kSame) {
        t.remove_prefix(kWordSame.size());
        if (t.starts_with("  ")) {
            t.remove_prefix(2);
        } else if (t.starts_with(' ')) {
            t.remove_prefix(1);
        } else if (startsWithFullWidthSpace(t)) {
            t.remove_prefix(kFullWidthSpace.size());
        }
        NodeIndex previous = m_store.current();
        if (previous == kRootNode || m_store.node(previous).isTerminal()) {
            setError(text);
            return MoveOutcome::Error;
        }
        destination = m_store.node(previous).destination();
    } else if (int file = fullWidthDigitFromText(t); file >= 0) {
        t = afterFirstChar(t);
        int rank = numeralFromText(t);
        if (rank == 0) rank = fullWidthDigitFromText(t);
        if (file < 1 || rank < 1 || rank > 9) {
            setError(text);
            return MoveOutcome::Error;
        }
        t = afterFirstChar(t);
        destination = makeSquare(file, rank);
        if (charCode(t) == kSame) t.remove_prefix(kWordSame.size());
    } else if (!t.empty() && t[0] >= '1' && t[0] <= '9') {
        int asciiFile = t[0] - '0';
        t.remove_prefix(1);
        int rank = 0;
        if (!t.empty() && t[0] >= '1' && t[0] <= '9') {
            rank = t[0] - '0';
            t.remove_prefix(1);
        } else if (int n = numeralFromText(t); n >= 1 && n <= 9) {
            rank = n;
            t = afterFirstChar(t);
        }
        if (rank == 0) {
            setError(text);
            return MoveOutcome::Error;
        }
        destination = makeSquare(asciiFile, rank);
    } else {
        return MoveOutcome::NotAMove;
    }

    std::size_t nameLength = 0;
    int type = pieceTypeFromText(t, nameLength);
    if (type == 0) {
        setError(text);
        return MoveOutcome::Error;
    }
    bool namedPromoted = charCode(t) == kPromote;
    t.remove_prefix(nameLength);
    std::string_view rest = t;

    int origin = -1;  // -1: search the board
    bool promote = false;
    auto readOrigin = [&](std::string_view s) {
        // "(" and two digits.
        if (!s.starts_with('(')) return -1;
        if (s.size() >= 3 && isDigit(s[1]) && isDigit(s[2]))
            return (s[1] - '0') * 10 + (s[2] - '0');
        s.remove_prefix(1);
        auto n = readNumber(s, 2);
        return n ? *n : -1;
    };
    const unsigned word = charCode(t);
    const bool dropWord = word == kDrop || word == kInterpose;
    if (dropWord) {
        origin = 0;
    } else if (word == kPromote) {
        promote = true;
        origin = readOrigin(t.substr(kWordPromote.size()));
    } else if (namedPromoted) {
        origin = readOrigin(t);
    } else if (word == kNot && t.starts_with(kWordNoPromote) &&
               t.substr(kWordNoPromote.size()).starts_with('(')) {
        origin = readOrigin(t.substr(kWordNoPromote.size()));
    } else if (t.starts_with('(')) {
        origin = readOrigin(t);
    }
    if (origin >= 1 && origin <= 10) origin = -1;
    if (origin == 0 && !dropWord) promote = false;  // "(00)": a drop
    if (origin < 0) promote = false;                // decided from the text while searching
    if (origin > 10 && !isSquare(origin)) {
        setError(text);
        return MoveOutcome::Error;
    }
    return addParsed(origin, destination, type, promote, rest, seconds, text);
}

std::optional<MoveOutcome> LineReader::kifLine(std::string_view l) {
    std::string_view s = skipFullWidthSpaces(l);
    if (!isDatabase()) {
        if (s == m_v.mate && m_hadNewline) return addTerminal(TerminalCode::Mate, 0);
        // The dashes "－" (EF BC 8D) hold the byte 0x8D, which move lines seldom have: a line
        // without it is searched no further.
        std::size_t dashes = s.find('\x8D') == std::string_view::npos
                                 ? std::string_view::npos
                                 : findText(s, m_v.resignDashes);
        if (dashes != std::string_view::npos) {
            std::int64_t seconds = 0;
            std::size_t paren = dashes + m_v.resignDashes.size();
            if (auto t = readTime(s.substr(paren))) seconds = *t;
            if (seconds > kMaxMoveSeconds) warnTimeTooLarge(m_store.currentPly() + 1);
            return addTerminal(TerminalCode::Resign, heldSeconds(seconds));
        }
    }
    std::string_view t = s;
    auto number = readMoveNumber(t);
    if (!number) return std::nullopt;
    t = skipAsciiSpace(t);
    // Exactly 12 CP932 bytes of move text, the line end counting as one: one pass finds the cut
    // and its width.
    std::size_t width = 0;
    std::size_t cut = 0;
    while (cut < t.size()) {
        const bool ascii = static_cast<unsigned char>(t[cut]) < 0x80;
        const std::size_t w = ascii ? 1 : cp932CharWidth(t, cut);
        if (width + w > 12) break;
        width += w;
        cut += ascii ? 1 : charLength(t, cut);
    }
    if (width + (m_hadNewline ? 1 : 0) < 12) return std::nullopt;
    std::string_view move = t.substr(0, cut);
    constexpr std::int64_t kNoTime = -1;
    std::int64_t seconds = kNoTime;
    if (t.size() > move.size()) seconds = readTime(t.substr(move.size())).value_or(kNoTime);
    if (seconds == kNoTime) {
        // The move text as a word, if that reading finds the time.
        std::string_view w = s;
        readNumber(w, 3);
        if (auto word = readWord(w)) {
            if (auto time = readTime(w)) {
                move = *word;
                seconds = *time;
            }
        }
    }
    if (seconds == kNoTime) {
        std::size_t colon = s.find(':');
        if (colon != std::string_view::npos) {
            std::string_view w = s;
            auto n = readNumber(w);
            auto word = readWord(w);
            if (!n || !word) return MoveOutcome::Error;
            number = n;
            move = *word;
            if (colon >= 6) {
                auto time = readTime(s.substr(colon - 6));
                if (!time) return MoveOutcome::Error;
                seconds = *time;
            }
        } else if (std::size_t mark = sideMarkLength(move); mark > 0) {
            std::string_view w = t;
            if (auto word = readWord(w)) move = word->substr(mark);
        }
    }
    int ply = m_store.currentPly();
    if (*number != ply + 1 && *number != ply + 2) return std::nullopt;
    // A side mark before the move text is not part of it.
    move.remove_prefix(sideMarkLength(move));
    MoveOutcome r = moveText(move, heldSeconds(seconds));
    if (r == MoveOutcome::NotAMove) return std::nullopt;
    if (seconds > kMaxMoveSeconds && (r == MoveOutcome::Added || r == MoveOutcome::Terminal)) {
        warnTimeTooLarge(ply + 1);
    }
    return r;
}

void LineReader::warnTimeTooLarge(int ply) {
    if (isDatabase()) return;
    m_report.warnings.push_back(m_v.warningPrefix + std::to_string(ply) + m_v.timeTooLarge);
}

MoveOutcome LineReader::ki2Line(std::string_view l) {
    std::string_view s = withoutNewline(l);
    bool any = false;
    for (;;) {
        while (!s.empty()) {
            if (s[0] == ' ' || s[0] == '|') {
                s.remove_prefix(1);
            } else if (startsWithFullWidthSpace(s)) {
                s.remove_prefix(kFullWidthSpace.size());
            } else {
                break;
            }
        }
        if (s.empty()) break;
        std::string_view token;
        bool lastToken = false;
        if (std::size_t mark = sideMarkLength(s); mark > 0) {
            token = s.substr(mark);
        } else if (std::size_t made = findText(s, m_v.made); made != std::string_view::npos) {
            token = s.substr(made);
        } else {
            std::string_view w = s;
            auto number = readNumber(w);
            auto word = readWord(w);
            int ply = m_store.currentPly();
            if (!number || !word || (*number != ply + 1 && *number != ply + 2)) break;
            token = word->substr(sideMarkLength(*word));
            lastToken = true;
        }
        // The token ends before the next side mark. Marks are three-byte characters starting
        // 0xE2 or 0xEE: only such characters are looked at.
        std::size_t end = token.size();
        for (std::size_t i = 0; i + 1 < token.size();) {
            const char c = token[i];
            if (!isLeadByte(c)) {
                ++i;
            } else if ((c == '\xE2' || c == '\xEE') && sideMarkLength(token.substr(i)) > 0) {
                end = i;
                break;
            } else {
                i += charLength(token, i);
            }
        }
        std::string_view move = token.substr(0, end);
        MoveOutcome r = moveText(move, 0);
        if (r == MoveOutcome::Error || r == MoveOutcome::Capacity) return r;
        if (r == MoveOutcome::NotAMove) break;
        // A terminal entry ends the line even when it does not become current (中断).
        if (r == MoveOutcome::Terminal) return r;
        any = true;
        if (lastToken) break;
        s = token.substr(end);
    }
    return any ? MoveOutcome::Added : MoveOutcome::NotAMove;
}

bool LineReader::moveLine(std::string_view l) {
    if (!m_startFixed && looksLikeFirstMove(l)) fixStart();
    std::optional<MoveOutcome> r = kifLine(l);
    if (!r || *r == MoveOutcome::Error) r = ki2Line(l);
    switch (*r) {
        case MoveOutcome::Capacity:
            m_capacity = true;
            return false;
        case MoveOutcome::Error:
            m_failed = true;
            return false;
        case MoveOutcome::Terminal:
            m_lineEnded = true;
            break;
        case MoveOutcome::Added:
            // A KI2 line may end with a terminal entry.
            if (m_store.node(m_store.current()).isTerminal()) m_lineEnded = true;
            break;
        case MoveOutcome::NotAMove:
            break;
    }
    return true;
}

bool LineReader::line(std::string_view text, bool hadNewline) {
    m_hadNewline = hadNewline;
    if (m_mode != Mode::File && text.starts_with('<')) {
        std::size_t close = text.find('>');
        text.remove_prefix(close == std::string_view::npos ? text.size() : close + 1);
    }
    std::string_view l = text.starts_with(' ') ? text.substr(1) : text;
    std::string_view q = skipBlanks(text);

    if (m_mode != Mode::MergeCheck && variationMarker(q)) return !m_stopped;
    // Most lines are moves: they start with no key's first byte and skip the key tables.
    bool mayBeKey = !q.empty() && m_keyFirstByte[static_cast<unsigned char>(q[0])];
    if (mayBeKey && headerLine(l)) return true;
    if (text.starts_with('#')) return true;
    if (m_mode == Mode::Text && mayBeKey && startsWith(q, m_v.fileNameKey)) {
        m_report.fileName = std::string(
            cutToBytes(withoutNewline(q.substr(m_v.fileNameKey.size())), kTextFileNameBytes));
        return true;
    }
    if (q.starts_with('*')) {
        if (m_mode != Mode::MergeCheck) {
            std::string_view comment = q.substr(1);
            std::string c(withoutNewline(comment));
            c += '\n';
            // A line beyond the comment's size limit is not stored; reading goes on.
            (void)m_store.appendCommentTo(m_lastNode, c);
        }
        return true;
    }
    if (text.starts_with('&')) {
        std::string_view name = withoutNewline(text.substr(1));
        if (!name.empty() && m_mode != Mode::MergeCheck) {
            // A duplicate name or a full table leaves this bookmark out; reading goes on.
            (void)m_store.setBookmark(m_store.current(), name);
        }
        return true;
    }
    if (m_lineEnded) return true;
    if (!m_startFixed) {
        if (mayBeKey && handicapOrSideLine(l)) return true;
        if (mayBeKey && playerOrHandLine(l)) return true;
        int row = diagramRow(l);
        if (row < 0) {
            m_store.setReadingError("");
            m_failed = true;
            return false;
        }
        if (row > 0) return true;
    } else if (mayBeKey && playerOrHandLine(l)) {
        // Player lines after the moves began still name the players.
        return true;
    }
    if (m_mode == Mode::MergeCheck) return true;
    return moveLine(l);
}

void LineReader::finish() {
    if (!m_startFixed) fixStart();
    if (m_mode != Mode::MergeCheck) {
        if (m_options.autoTimeUsed && m_store.header(HeaderField::TimeUsed).empty()) {
            m_store.fillTimeUsed();
        }
        m_store.setAddMode(m_savedAddMode);
        m_store.restoreStartPosition(m_store.position());
        // The root is always in use: cannot fail.
        (void)m_store.goTo(kRootNode);
        m_store.markClean();
    }
    if (m_capacity) {
        m_report.result = ReadResult::CapacityReached;
    } else if (m_failed) {
        m_report.result = ReadResult::LineFailed;
    }
}

// Splits text into lines (each with its "\n" when it had one; "\r\n" becomes "\n") of at most
// maxBytes, never splitting a two-byte character, and feeds them to reader until it stops.
void feedLines(LineReader& reader, std::string_view text, std::size_t maxBytes) {
    while (!text.empty()) {
        std::size_t nl = text.find('\n');
        bool hadNewline = nl != std::string_view::npos;
        std::string_view line = hadNewline ? text.substr(0, nl) : text;
        text.remove_prefix(hadNewline ? nl + 1 : text.size());
        if (hadNewline && line.ends_with('\r')) line.remove_suffix(1);
        // A longer line is read as several lines.
        while (line.size() > maxBytes && cp932Width(line) > maxBytes) {
            std::string_view part = cutToBytes(line, maxBytes);
            if (part.empty()) part = line.substr(0, maxBytes);
            if (!reader.line(part, false)) return;
            line.remove_prefix(part.size());
        }
        if (!reader.line(line, hadNewline)) return;
    }
}

bool hasMultiByteUtf8(std::string_view s) {
    for (char c : s) {
        if (static_cast<unsigned char>(c) >= 0x80) return true;
    }
    return false;
}

}  // namespace

std::string msgFileMissing(std::string_view path) {
    return vocab().fileMissing + "(" + std::string(path) + ")";
}

std::string msgReadError(std::string_view path, std::string_view detail) {
    return vocab().readError + "(" + std::string(path) + ")\n" + std::string(detail);
}

const std::string& msgRecordSizeOver() { return vocab().sizeOver; }
const std::string& captionReadError() { return vocab().readError; }

std::string msgReplacedCharacters(int count) {
    return vocab().replaced + std::to_string(count) + vocab().replacedEnd;
}

std::string msgInvalidUtf8(int line) {
    return vocab().invalidUtf8 + std::to_string(line) + vocab().invalidUtf8End;
}

std::vector<std::string> decodeWarnings(const DecodedText& decoded) {
    std::vector<std::string> warnings;
    if (decoded.replaced > 0) warnings.push_back(msgReplacedCharacters(decoded.replaced));
    for (int line : decoded.invalidLines) warnings.push_back(msgInvalidUtf8(line));
    return warnings;
}

namespace {

// The length of the longest start of s that is well-formed UTF-8.
std::size_t validUtf8Length(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        auto c = static_cast<unsigned char>(s[i]);
        std::size_t len = c < 0x80   ? 1
                          : c < 0xC2 ? 0
                          : c < 0xE0 ? 2
                          : c < 0xF0 ? 3
                          : c < 0xF5 ? 4
                                     : 0;
        if (len == 0 || i + len > s.size() || !isValidUtf8(s.substr(i, len))) break;
        i += len;
    }
    return i;
}

}  // namespace

DecodedText decodeRecordBytes(std::string bytes, std::string_view extension) {
    DecodedText out;
    std::string ext(extension);
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    bool bom = bytes.starts_with("\xEF\xBB\xBF");
    bool utf8 = bom || ext == "kifu" || ext == "ki2u" || ext == "csau" ||
                (hasMultiByteUtf8(bytes) && isValidUtf8(bytes));
    if (!utf8) {
        if (!hasMultiByteUtf8(bytes)) {
            out.text = std::move(bytes);  // ASCII reads the same either way
            return out;
        }
        Utf8Decoding d = decodeCp932(bytes, vocab().questionMark);
        out.text = std::move(d.text);
        out.replaced = d.replaced;
        return out;
    }
    std::string_view content(bytes);
    if (bom) content.remove_prefix(3);
    out.wasUtf8 = true;
    if (isValidUtf8(content)) {
        out.text = std::string(content);
        return out;
    }
    out.text.reserve(content.size());
    // Every well-formed stretch is kept; each byte between them becomes "？" and its line is
    // noted, so that a broken byte never cuts the record short.
    int line = 1;
    while (!content.empty()) {
        std::size_t good = validUtf8Length(content);
        std::string_view chunk = content.substr(0, good);
        out.text += chunk;
        line += static_cast<int>(std::count(chunk.begin(), chunk.end(), '\n'));
        if (good == content.size()) break;
        out.text += vocab().questionMark;
        if (out.invalidLines.empty() || out.invalidLines.back() != line) {
            out.invalidLines.push_back(line);
        }
        content.remove_prefix(good + 1);
    }
    return out;
}

ReadReport readRecordLines(RecordStore& store, std::string_view text, const ReadOptions& options) {
    ReadReport report;
    LineReader reader(store, options, Mode::File, report);
    reader.begin();
    feedLines(reader, text, kFileLineBytes);
    reader.finish();
    return report;
}

ReadReport readRecordFile(RecordStore& store, const std::string& path, const ReadOptions& options) {
    std::optional<std::string> bytes = readFile(path);
    if (!bytes) {
        ReadReport report;
        report.result = ReadResult::CannotOpen;
        return report;
    }
    DecodedText decoded = decodeRecordBytes(std::move(*bytes), lowerExtension(path));
    ReadReport report = readRecordLines(store, decoded.text, options);
    report.wasUtf8 = decoded.wasUtf8;
    report.invalidUtf8 = !decoded.invalidLines.empty();
    // The conversion warnings come first: they happened before any line was read.
    std::vector<std::string> warnings = decodeWarnings(decoded);
    report.warnings.insert(report.warnings.begin(), warnings.begin(), warnings.end());
    return report;
}

ReadReport readRecordText(RecordStore& store, std::string_view text, bool merge,
                          const ReadOptions& options) {
    ReadReport report;
    LineReader reader(store, options, merge ? Mode::Merge : Mode::Text, report);
    reader.begin();
    feedLines(reader, text, kTextLineBytes);
    reader.finish();
    return report;
}

MergeCheckResult checkMergeStart(RecordStore& store, std::string_view text,
                                 const ReadOptions& options) {
    // The record's start, kept aside and put back whatever the text says.
    Position recordStart;
    store.restoreStartPosition(recordStart);
    HandicapType handicap = store.handicap();
    SideByte firstMover = store.firstMover();
    bool customStart = store.customStart();
    StartSnapshot snapshot = store.startSnapshot();
    Position shown = store.position();

    ReadReport report;
    LineReader reader(store, options, Mode::MergeCheck, report);
    reader.begin();
    feedLines(reader, text, kTextLineBytes);
    reader.finish();

    MergeCheckResult result = MergeCheckResult::Ok;
    if (store.handicap() != handicap) {
        result = MergeCheckResult::HandicapDiffers;
    } else if (store.firstMover() != firstMover) {
        result = MergeCheckResult::SideDiffers;
    } else if (comparePositions(store.position(), recordStart) != 0) {
        result = MergeCheckResult::StartDiffers;
    }
    store.setHandicap(handicap);
    store.setFirstMover(firstMover);
    store.setCustomStart(customStart);
    Position snap;
    restoreStart(snapshot, snap);
    store.saveStartPosition(snap);
    store.position() = shown;
    return result;
}

std::string_view mergeCheckMessage(MergeCheckResult check) {
    return vocab().mergeMessages[static_cast<std::size_t>(check)];
}

}  // namespace core
