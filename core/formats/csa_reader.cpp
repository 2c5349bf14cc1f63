#include "core/formats/csa_reader.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>

#include "core/base/path_text.h"
#include "core/base/safe_file.h"
#include "core/formats/csa_codes.h"
#include "core/notation/piece_text.h"
#include "core/text/sjis.h"

namespace core {

namespace {

// The longest line taken at once; the rest of a longer physical line is discarded.
constexpr std::size_t kViewerLineBytes = 4095;
constexpr std::size_t kDatabaseLineBytes = 300;
constexpr std::size_t kNameBytes = 39;
constexpr std::size_t kDatabaseHeaderBytes = 59;
constexpr std::size_t kErrorTextBytes = 250;
// How many pieces of each unpromoted type 1..7 a set holds.
constexpr std::array<int, 8> kSetCount{0, 18, 4, 4, 4, 4, 2, 2};

struct HeaderKey {
    std::string_view key;
    HeaderField field;
    bool ifEmpty;  // only when no earlier key filled the field
};
// "$TIME:" and "$NOTE:" came with version 3.0.
constexpr std::array<HeaderKey, 8> kHeaderKeys{{
    {"$EVENT:", HeaderField::Event, false},
    {"$SITE:", HeaderField::Place, false},
    {"$START_TIME:", HeaderField::StartDateTime, false},
    {"$END_TIME:", HeaderField::EndDateTime, false},
    {"$TIME_LIMIT:", HeaderField::TimeLimit, false},
    {"$OPENING:", HeaderField::Opening, false},
    {"$TIME:", HeaderField::TimeLimit, true},
    {"$NOTE:", HeaderField::Remarks, false},
}};

// Terminal words after "%", compared over the given length.
struct TerminalWord {
    std::string_view word;
    std::size_t length;
    TerminalCode code;
    bool bySign;    // "ILLEGAL_ACTION": the sign names the offender; the side to move decides
    bool database;  // in Dalmir's vocabulary too
};
constexpr std::array<TerminalWord, 14> kTerminalWords{{
    {"TORYO", 5, TerminalCode::Resign, false, true},
    {"CHUDAN", 6, TerminalCode::Suspend, false, true},
    {"ILLEGAL_MOVE", 12, TerminalCode::FoulLoss, false, false},
    {"+ILLEGAL_ACTION", 15, TerminalCode::FoulLoss, true, false},
    {"-ILLEGAL_ACTION", 15, TerminalCode::FoulLoss, true, false},
    {"JISHOGI", 7, TerminalCode::Impasse, false, true},
    {"HIKIWAKE", 8, TerminalCode::Impasse, false, true},
    {"TSUMI", 5, TerminalCode::Mate, false, true},
    {"SENNICHITE", 9, TerminalCode::Repetition, false, true},
    {"FUZUMI", 6, TerminalCode::NoMate, false, false},
    {"TIME_UP", 7, TerminalCode::TimeLoss, false, false},
    {"KACHI", 5, TerminalCode::EnteringKingWin, false, true},
    // Version 3.0: the game reached its move limit.
    {"MAX_MOVES", 9, TerminalCode::Suspend, false, false},
    {"", 0, TerminalCode::Resign, false, false},
}};

struct Texts {
    std::string lineMark = std::string("行: ");
    std::string ply{kWordPly};
    std::string noPiece = std::string("手目 駒がありません。");
    std::string cannotDrop = std::string("手目 打てません。");
    std::string badMove = std::string("手目 指せません。");
    std::string moreGames =
        std::string("警告：ファイルに複数の棋譜があります。最初の棋譜だけを読み込みました。");
};

const Texts& texts() {
    static const Texts t;
    return t;
}

std::string lineMessage(int line, std::string_view text, int ply, const std::string& tail) {
    std::string m = std::to_string(line) + texts().lineMark;
    m.append(text);
    m += '\n';
    m += std::to_string(ply);
    m += tail;
    return m;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// Up to two digits after optional blanks (as a width-2 number field); advances s.
std::optional<int> readTwoDigits(std::string_view& s) {
    std::size_t i = 0;
    while (i < s.size() && isBlank(s[i])) ++i;
    int value = 0;
    int digits = 0;
    while (i < s.size() && digits < 2 && s[i] >= '0' && s[i] <= '9') {
        value = value * 10 + (s[i] - '0');
        ++i;
        ++digits;
    }
    if (digits == 0) return std::nullopt;
    s.remove_prefix(i);
    return value;
}

// Up to two non-blank characters after optional blanks (a width-2 word field); advances s.
std::string_view readCode(std::string_view& s) {
    std::size_t i = 0;
    while (i < s.size() && isBlank(s[i])) ++i;
    std::size_t n = 0;
    while (i + n < s.size() && n < 2 && !isBlank(s[i + n])) ++n;
    std::string_view code = s.substr(i, n);
    s.remove_prefix(i + n);
    return code;
}

// A decimal number as "T" carries it (a sign allowed, a fraction ignored); 0..65535.
std::uint16_t readSeconds(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && isBlank(s[i])) ++i;
    bool negative = i < s.size() && s[i] == '-';
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) ++i;
    long value = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
        if (value <= 65535) value = value * 10 + (s[i] - '0');
        ++i;
    }
    if (negative) return 0;
    return static_cast<std::uint16_t>(std::min<long>(value, 65535));
}

bool isSideChar(char c, SideByte& side) {
    if (c == ' ' || c == '+' || c == '^') {
        side = kSideBlack;
        return true;
    }
    if (c == '-' || c == 'V' || c == 'v') {
        side = kSideWhite;
        return true;
    }
    return false;
}

class CsaReader {
public:
    CsaReader(RecordStore& store, const ReadOptions& options, ReadReport& report)
        : m_store(store), m_options(options), m_report(report) {}

    void begin();
    // One physical line without its line end. False when reading stops.
    bool line(std::string_view text);
    void finish();

private:
    bool database() const { return m_options.database; }
    Position& pos() { return m_store.position(); }

    // Dispatches one line or the part of a move line after a comma.
    bool dispatch(std::string_view l);
    bool afterEnd(std::string_view l);
    void header(std::string_view l);
    void positionLine(std::string_view l);
    void rowLine(int rank, std::string_view cells);
    void handLine(SideByte side, std::string_view text);
    void initialLine(std::string_view rest);
    void fixStart();
    bool moveStep(std::string_view l);
    bool terminal(std::string_view word);
    void setLastSeconds(std::uint16_t seconds);
    bool fail(const std::string& tail);

    RecordStore& m_store;
    const ReadOptions& m_options;
    ReadReport& m_report;

    int m_lineNumber = 0;
    std::string_view m_physical;  // the line being read, for messages
    SideByte m_startSide = kSideBlack;
    bool m_sideGiven = false;
    bool m_startFixed = false;
    bool m_ended = false;  // a terminal word was read: only its time may follow
    bool m_stopped = false;
    // "00AL" in a hand line: the side that takes every piece not placed (kWall when none).
    SideByte m_allRest = kWall;
};

void CsaReader::begin() {
    clearPosition(pos());
    m_store.reset();
    m_store.clearHeader();
    m_store.setHandicap(kHandicapEven);
    m_store.setFirstMover(kSideBlack);
    m_store.setCustomStart(false);
    m_store.setFlipped(false);
    m_store.setReadingError("");
    pos().sideToMove = kSideBlack;
}

bool CsaReader::fail(const std::string& tail) {
    const int ply = m_store.currentPly() + 1;
    std::string e = std::to_string(ply) + texts().ply + ":\"";
    e += cutToBytes(m_physical, kErrorTextBytes);
    e += "\"";
    m_store.setReadingError(e);
    m_report.message = lineMessage(m_lineNumber, m_physical, ply, tail);
    m_report.result = ReadResult::LineFailed;
    m_stopped = true;
    return false;
}

bool CsaReader::line(std::string_view text) {
    ++m_lineNumber;
    m_physical = text;
    if (text.empty()) return true;
    if (text == "/") {
        // Several games in one file: the first is read.
        m_report.warnings.push_back(msgCsaMoreGames());
        m_stopped = true;
        return false;
    }
    if (m_ended) return afterEnd(text);
    return dispatch(text);
}

bool CsaReader::afterEnd(std::string_view l) {
    if (l.size() >= 2 && l[0] == ' ' && l[1] != ' ') l.remove_prefix(1);
    if (l.starts_with('T')) setLastSeconds(readSeconds(l.substr(1)));
    return true;
}

bool CsaReader::dispatch(std::string_view l) {
    if (l.size() >= 2 && l[0] == ' ' && !isBlank(l[1])) l.remove_prefix(1);
    if (l.empty()) return true;
    switch (l[0]) {
        case '\'':
            if (!database() && l.size() >= 2 && l[1] == '*') {
                // A line beyond the comment's size limit is not stored; reading goes on.
                (void)m_store.appendComment(m_store.currentPly(), l.substr(2));
            }
            return true;
        case 'V':
            return true;
        case '$':
            header(l);
            return true;
        case 'N':
            if (l.size() >= 2 && (l[1] == '+' || l[1] == '-')) {
                m_store.setPlayerName(l[1] == '+' ? PlayerField::Black : PlayerField::White,
                                      cutToBytes(l.substr(2), kNameBytes));
            }
            return true;
        case 'P':
            // Once the moves began, the start position is settled.
            if (!m_startFixed) positionLine(l);
            return true;
        default:
            break;
    }
    if (l.size() == 1 && (l[0] == '+' || l[0] == '-')) {
        if (!m_startFixed) {
            m_startSide = l[0] == '+' ? kSideBlack : kSideWhite;
            m_sideGiven = true;
        }
        return true;
    }
    return moveStep(l);
}

void CsaReader::header(std::string_view l) {
    for (const HeaderKey& k : kHeaderKeys) {
        if (!l.starts_with(k.key)) continue;
        if (k.ifEmpty && !m_store.header(k.field).empty()) return;
        std::string_view value = l.substr(k.key.size());
        m_store.setHeader(k.field,
                          cutToBytes(value, database() ? kDatabaseHeaderBytes : kHeaderFieldBytes));
        return;
    }
}

void CsaReader::positionLine(std::string_view l) {
    if (l.size() >= 2 && l[1] == 'I') {
        initialLine(l.substr(2));
        return;
    }
    m_store.setCustomStart(true);
    if (l.size() < 2) return;
    if (l[1] >= '1' && l[1] <= '9') {
        rowLine(l[1] - '0', l.substr(2));
    } else if (l[1] == '+' || l[1] == '-') {
        handLine(l[1] == '+' ? kSideBlack : kSideWhite, l.substr(2));
    }
}

// "PI" sets up the even game; square and code pairs after it take those pieces away.
void CsaReader::initialLine(std::string_view rest) {
    Position& p = pos();
    clearPosition(p);
    setupHandicap(p, kHandicapEven, false);
    m_store.setCustomStart(false);
    for (;;) {
        auto square = readTwoDigits(rest);
        int type = square ? csaPieceType(readCode(rest)) : 0;
        if (type == 0) break;
        if (isSquare(*square) && pieceType(p.cells[static_cast<std::size_t>(*square)]) == type) {
            p.cells[static_cast<std::size_t>(*square)] = 0;
            m_store.setCustomStart(true);
        }
    }
}

void CsaReader::rowLine(int rank, std::string_view cells) {
    Position& p = pos();
    auto place = [&](int file, SideByte side, int type) {
        p.cells[static_cast<std::size_t>(makeSquare(file, rank))] = makePiece(side, type);
    };
    // Nine cells of three characters from file 9 to file 1; " * " is an empty square.
    bool unknownSide = false;
    std::array<PieceByte, 10> row{};
    for (int file = 9; file >= 1; --file) {
        std::size_t at = static_cast<std::size_t>(9 - file) * 3;
        if (at + 3 > cells.size()) break;
        SideByte side = kSideBlack;
        if (!isSideChar(cells[at], side)) {
            unknownSide = true;
            continue;
        }
        int type = csaPieceType(cells.substr(at + 1, 2));
        if (type != 0) row[static_cast<std::size_t>(file)] = makePiece(side, type);
    }
    if (!unknownSide) {
        for (int file = 1; file <= 9; ++file) {
            PieceByte piece = row[static_cast<std::size_t>(file)];
            if (piece != 0) place(file, sideOf(piece), pieceType(piece));
        }
        return;
    }
    // A row whose empty squares are written as a single "*" between blanks: read it as tokens.
    std::size_t i = 0;
    for (int file = 9; file >= 1; --file) {
        while (i < cells.size() && isBlank(cells[i])) ++i;
        if (i >= cells.size()) break;
        SideByte side = kSideBlack;
        if (cells[i] == '*') {
            ++i;
        } else if (isSideChar(cells[i], side) && i + 3 <= cells.size() &&
                   csaPieceType(cells.substr(i + 1, 2)) != 0) {
            place(file, side, csaPieceType(cells.substr(i + 1, 2)));
            i += 3;
        } else if (i + 2 <= cells.size() && csaPieceType(cells.substr(i, 2)) != 0) {
            place(file, kSideBlack, csaPieceType(cells.substr(i, 2)));
            i += 2;
        } else {
            break;
        }
    }
}

void CsaReader::handLine(SideByte side, std::string_view text) {
    Position& p = pos();
    std::size_t i = 0;
    while (i < text.size()) {
        char c = text[i];
        if (isBlank(c) || c == ',') {
            ++i;
            continue;
        }
        if (c == '\r' || c == '\n') return;
        int square = 0;
        if (c >= '0' && c <= '9') {
            if (i + 1 < text.size() && text[i + 1] >= '0' && text[i + 1] <= '9') {
                square = (c - '0') * 10 + (text[i + 1] - '0');
                i += 2;
            } else {
                ++i;
                continue;
            }
            if (square != 0 && !isSquare(square)) continue;
        }
        std::string_view code = text.substr(i, std::min<std::size_t>(2, text.size() - i));
        i += code.size();
        if (code == "AL") {
            m_allRest = side;
            continue;
        }
        int type = csaPieceType(code);
        if (type == 0) continue;
        if (square != 0) {
            // A square other than 00 places the piece on the board.
            p.cells[static_cast<std::size_t>(square)] = makePiece(side, type);
        } else if (type >= kPawn && type <= kRook && p.handEnd < kHandSlotEnd) {
            p.cells[p.handEnd] = makePiece(side, type);
            ++p.handEnd;
        }
    }
}

// Every piece of the set neither on the board nor in a hand goes to side's hand.
void giveRestToHand(Position& p, SideByte side) {
    std::array<int, 8> used{};
    for (int sq = 11; sq < kHandSlotEnd; ++sq) {
        PieceByte c = p.cells[static_cast<std::size_t>(sq)];
        if (c == 0 || c == kWall) continue;
        int type = pieceType(c);
        if (type == kKing) continue;
        if (type > kKing) type -= 8;
        if (type >= kPawn && type <= kRook) ++used[static_cast<std::size_t>(type)];
    }
    for (int type = kRook; type >= kPawn; --type) {
        for (int n = used[static_cast<std::size_t>(type)];
             n < kSetCount[static_cast<std::size_t>(type)] && p.handEnd < kHandSlotEnd; ++n) {
            p.cells[p.handEnd] = makePiece(side, type);
            ++p.handEnd;
        }
    }
}

void CsaReader::fixStart() {
    Position& p = pos();
    const SideByte side = m_startSide;
    if (m_store.customStart()) {
        if (m_allRest != kWall) giveRestToHand(p, m_allRest);
        buildPieceList(p);
        m_store.setHandicap(inferHandicap(p, kHandicapEven));
    } else {
        setupHandicap(p, kHandicapEven, false);
        m_store.setHandicap(kHandicapEven);
    }
    p.sideToMove = side;
    m_store.setFirstMover(side);
    m_store.saveStartPosition(p);
    // A position equal to a standard set-up with its usual first mover is that set-up.
    Position standard;
    const HandicapType type = m_store.handicap();
    const bool isStandard = setupHandicap(standard, type) && comparePositions(p, standard) == 0;
    m_store.setCustomStart(!(isStandard && side == firstMoverOf(type)));
    m_startFixed = true;
}

void CsaReader::setLastSeconds(std::uint16_t seconds) {
    NodeIndex last = m_store.nodeAtPly(m_store.lineEnd());
    // `last` is a node of the line: cannot fail.
    if (last != kNoNode) (void)m_store.setSeconds(last, seconds);
}

bool CsaReader::terminal(std::string_view word) {
    std::optional<TerminalCode> code;
    for (const TerminalWord& w : kTerminalWords) {
        if (w.length == 0) break;
        if (database() && !w.database) continue;
        if (word.substr(0, w.length) != w.word.substr(0, w.length)) continue;
        code = w.code;
        if (w.bySign) {
            const SideByte offender = word[0] == '+' ? kSideBlack : kSideWhite;
            code = pos().sideToMove == offender ? TerminalCode::FoulLoss : TerminalCode::FoulWin;
        }
        break;
    }
    m_ended = true;
    if (!code) {
        // A word without a code ends the record without a terminal entry.
        m_stopped = true;
        return false;
    }
    AddResult r = m_store.addAndAdvance(kAddStoreAll, terminalMove(*code), 0);
    if (r == AddResult::CapacityReached) {
        m_report.result = ReadResult::CapacityReached;
        m_stopped = true;
        return false;
    }
    return true;
}

bool CsaReader::moveStep(std::string_view l) {
    const char lead = l[0];
    if (lead == '%') {
        if (!m_startFixed) fixStart();
        if (!terminal(l.substr(1))) return false;
    } else if (lead == 'T') {
        setLastSeconds(readSeconds(l.substr(1)));
    } else {
        std::string_view s = l.substr(1);
        auto origin = readTwoDigits(s);
        std::optional<int> destination;
        if (origin) destination = readTwoDigits(s);
        const int type = destination ? csaPieceType(readCode(s)) : 0;
        if (type != 0) {
            if (!m_startFixed) {
                // Without a side-to-move line the first move's sign gives it.
                if (!m_sideGiven && lead == '-') m_startSide = kSideWhite;
                fixStart();
            }
            Position& p = pos();
            const SideByte side = m_store.moverOfPly(m_store.currentPly() + 1);
            int from = *origin;
            if (from == 0) {
                from = findHandSlot(p, side, type);
                if (from == 0) return fail(texts().cannotDrop);
            } else if (!isSquare(from) || p.cells[static_cast<std::size_t>(from)] == 0) {
                return fail(texts().noPiece);
            }
            const PieceByte mover = p.cells[static_cast<std::size_t>(from)];
            const int to = *destination;
            // The code names the piece after the move: the same type, or its promotion.
            const int moverType = pieceType(mover);
            const bool promote =
                moverType <= kRook && moverType != kGold && type == moverType + kPromotedBit;
            if (!promote && type != moverType) return fail(texts().badMove);
            if (!belongsTo(mover, side) || !isSquare(to) ||
                belongsTo(p.cells[static_cast<std::size_t>(to)], side) ||
                (from >= kFirstHandSlot && (promote || p.cells[static_cast<std::size_t>(to)]))) {
                return fail(texts().badMove);
            }
            AddResult r = m_store.addAndAdvance(
                kAddStoreAll, packMove(from, to | (promote ? kPromoteFlag : 0)), 0);
            if (r == AddResult::CapacityReached) {
                m_report.result = ReadResult::CapacityReached;
                m_stopped = true;
                return false;
            }
            if (r != AddResult::Ok) return fail(texts().badMove);
        }
    }
    // A move line carries its time after a comma: the rest is read as a line of its own.
    std::size_t comma = l.find(',');
    if (comma == std::string_view::npos) return true;
    std::string_view rest = l.substr(comma + 1);
    return m_ended ? afterEnd(rest) : dispatch(rest);
}

void CsaReader::finish() {
    if (!m_startFixed) fixStart();
    m_store.restoreStartPosition(m_store.position());
    // The root is always in use: cannot fail.
    (void)m_store.goTo(kRootNode);
    m_store.markClean();
}

void feedLines(CsaReader& reader, std::string_view text, std::size_t maxBytes) {
    while (!text.empty()) {
        std::size_t nl = text.find('\n');
        std::string_view physical = nl == std::string_view::npos ? text : text.substr(0, nl);
        text.remove_prefix(nl == std::string_view::npos ? text.size() : nl + 1);
        if (physical.ends_with('\r')) physical.remove_suffix(1);
        if (physical.size() > maxBytes) {
            std::string_view cut = cutToBytes(physical, maxBytes);
            physical = cut.empty() ? physical.substr(0, maxBytes) : cut;
        }
        if (!reader.line(physical)) return;
    }
}

// The encoding a version 3.0 file declares on its first line: "UTF-8", "SHIFT_JIS" or empty.
std::string declaredEncoding(std::string_view bytes) {
    constexpr std::string_view kKey = "'CSA encoding=";
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
    if (!bytes.starts_with(kKey)) return "";
    bytes.remove_prefix(kKey.size());
    std::string name;
    for (char c : bytes) {
        if (c == '\r' || c == '\n' || isBlank(c) || name.size() > 16) break;
        name += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return name;
}

void readInto(RecordStore& store, std::string_view text, const ReadOptions& options,
              ReadReport& report) {
    CsaReader reader(store, options, report);
    reader.begin();
    feedLines(reader, text, options.database ? kDatabaseLineBytes : kViewerLineBytes);
    reader.finish();
}

}  // namespace

bool isCsaPath(std::string_view path) {
    std::string ext = lowerExtension(path);
    return ext == "csa" || ext == "csau";
}

std::string msgCsaNoPiece(int line, std::string_view text, int ply) {
    return lineMessage(line, text, ply, texts().noPiece);
}
std::string msgCsaCannotDrop(int line, std::string_view text, int ply) {
    return lineMessage(line, text, ply, texts().cannotDrop);
}
std::string msgCsaBadMove(int line, std::string_view text, int ply) {
    return lineMessage(line, text, ply, texts().badMove);
}
const std::string& msgCsaMoreGames() { return texts().moreGames; }

DecodedText decodeCsaBytes(std::string bytes, std::string_view extension) {
    std::string encoding = declaredEncoding(bytes);
    if (encoding == "SHIFT_JIS" || encoding == "SHIFT-JIS" || encoding == "CP932") {
        Utf8Decoding d = decodeCp932(bytes, "？");
        DecodedText decoded;
        decoded.text = std::move(d.text);
        decoded.replaced = d.replaced;
        return decoded;
    }
    return decodeRecordBytes(std::move(bytes), encoding == "UTF-8" ? "csau" : extension);
}

ReadReport readCsaLines(RecordStore& store, std::string_view text, const ReadOptions& options) {
    ReadReport report;
    readInto(store, text, options, report);
    return report;
}

ReadReport readCsaFile(RecordStore& store, const std::string& path, const ReadOptions& options) {
    std::optional<std::string> bytes = readFile(path);
    if (!bytes) {
        ReadReport report;
        report.result = ReadResult::CannotOpen;
        return report;
    }
    DecodedText decoded = decodeCsaBytes(std::move(*bytes), lowerExtension(path));
    ReadReport report;
    report.wasUtf8 = decoded.wasUtf8;
    report.invalidUtf8 = !decoded.invalidLines.empty();
    report.warnings = decodeWarnings(decoded);
    readInto(store, decoded.text, options, report);
    return report;
}

}  // namespace core
