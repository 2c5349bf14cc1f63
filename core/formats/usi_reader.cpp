#include "core/formats/usi_reader.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "core/base/safe_file.h"
#include "core/formats/rule_warning.h"
#include "core/notation/piece_text.h"
#include "core/rules/legality.h"
#include "core/text/sjis.h"

namespace core {

namespace {

constexpr std::size_t kErrorTextBytes = 250;

struct Texts {
    std::string badSfen = std::string("SFENが正しくありません：");
    std::string tooManyPieces = std::string("SFENの駒が多すぎます：");
    std::string pieceUnit = std::string("枚");
    std::string ply{kWordPly};
    std::string noPiece = std::string("手目 駒がありません：");
    std::string cannotDrop = std::string("手目 打てません：");
    std::string badMove = std::string("手目 指せません：");
};

const Texts& texts() {
    static const Texts t;
    return t;
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> w;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && isBlank(line[i])) ++i;
        std::size_t start = i;
        while (i < line.size() && !isBlank(line[i])) ++i;
        if (i > start) w.push_back(line.substr(start, i - start));
    }
    return w;
}

std::string_view firstLine(std::string_view text) {
    while (!text.empty()) {
        std::size_t nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        text.remove_prefix(nl == std::string_view::npos ? text.size() : nl + 1);
        if (!words(line).empty()) return line;
    }
    return {};
}

// Piece type 1..8 of a SFEN letter (either case), 0 for anything else.
int typeOfLetter(char c) {
    switch (c | 0x20) {
        case 'p':
            return kPawn;
        case 'l':
            return kLance;
        case 'n':
            return kKnight;
        case 's':
            return kSilver;
        case 'g':
            return kGold;
        case 'b':
            return kBishop;
        case 'r':
            return kRook;
        case 'k':
            return kKing;
        default:
            return 0;
    }
}

// The board part of a SFEN into pos (cleared first); false when it is not nine ranks of nine.
bool readBoard(std::string_view board, Position& pos) {
    clearPosition(pos);
    int rank = 1;
    int file = 9;
    bool promoted = false;
    for (char c : board) {
        if (c == '/') {
            if (file != 0 || promoted) return false;
            ++rank;
            file = 9;
            if (rank > 9) return false;
            continue;
        }
        if (c >= '1' && c <= '9') {
            if (promoted) return false;
            file -= c - '0';
            if (file < 0) return false;
            continue;
        }
        if (c == '+') {
            if (promoted) return false;
            promoted = true;
            continue;
        }
        int type = typeOfLetter(c);
        if (type == 0 || file < 1) return false;
        if (promoted) {
            if (type == kGold || type == kKing) return false;
            type += kPromotedBit;
        }
        const SideByte side = (c >= 'A' && c <= 'Z') ? kSideBlack : kSideWhite;
        pos.cells[makeSquare(file, rank)] = makePiece(side, type);
        --file;
        promoted = false;
    }
    return rank == 9 && file == 0 && !promoted;
}

bool readHands(std::string_view hands, Position& pos) {
    if (hands == "-") return true;
    int count = 0;
    for (char c : hands) {
        if (c >= '0' && c <= '9') {
            count = count * 10 + (c - '0');
            if (count > 18) return false;
            continue;
        }
        const int type = typeOfLetter(c);
        if (type < kPawn || type > kRook) return false;
        const SideByte side = (c >= 'A' && c <= 'Z') ? kSideBlack : kSideWhite;
        for (int n = 0; n < std::max(count, 1) && pos.handEnd < kHandSlotEnd; ++n) {
            pos.cells[pos.handEnd] = makePiece(side, type);
            ++pos.handEnd;
        }
        count = 0;
    }
    return count == 0;
}

// The pieces of each unpromoted type a set holds (index: type).
constexpr std::array<int, kKing + 1> kPiecesInASet = {0, 18, 4, 4, 4, 4, 2, 2, 2};

// The first piece type of which board and hands of a SFEN hold more than one set has, as
// "歩19枚"; empty when every type is within the set. The board and hands read already.
std::string excessPieces(std::string_view board, std::string_view hands) {
    std::array<int, kKing + 1> count{};
    for (char c : board) {
        const int type = typeOfLetter(c);
        if (type != 0) ++count[static_cast<std::size_t>(type)];
    }
    int n = 0;
    for (char c : hands == "-" ? std::string_view() : hands) {
        if (c >= '0' && c <= '9') {
            n = n * 10 + (c - '0');
            if (n > 18) return {};  // not a SFEN count: reading the hands says so
            continue;
        }
        const int type = typeOfLetter(c);
        if (type != 0) {
            int& total = count[static_cast<std::size_t>(type)];
            total = std::min(total + std::max(n, 1), 1000);
        }
        n = 0;
    }
    for (int type = kPawn; type <= kKing; ++type) {
        const auto t = static_cast<std::size_t>(type);
        if (count[t] > kPiecesInASet[t]) {
            return std::string(kPieceKanji[t]) + std::to_string(count[t]) + texts().pieceUnit;
        }
    }
    return {};
}

class UsiReader {
public:
    UsiReader(RecordStore& store, const ReadOptions& options, ReadReport& report)
        : m_store(store), m_options(options), m_report(report) {}

    void read(std::string_view line) {
        begin();
        std::vector<std::string_view> w = words(line);
        std::size_t i = 0;
        if (i < w.size() && w[i] == "position") ++i;
        if (i < w.size() && w[i] == "startpos") {
            setStandard();
            ++i;
        } else {
            if (i < w.size() && w[i] == "sfen") ++i;
            // board, side, hands, and an optional move number
            std::size_t end = i;
            while (end < w.size() && end < i + 4 && w[end] != "moves") ++end;
            if (std::string excess = end - i < 3 ? std::string() : excessPieces(w[i], w[i + 2]);
                !excess.empty()) {
                fail(texts().tooManyPieces + excess);
                finish();
                return;
            }
            if (end - i < 3 || !setSfen(w[i], w[i + 1], w[i + 2])) {
                std::string_view bad = i < w.size() ? w[i] : std::string_view("");
                fail(texts().badSfen + std::string(bad));
                finish();
                return;
            }
            i = end;
        }
        if (i < w.size() && w[i] == "moves") ++i;
        for (; i < w.size(); ++i) {
            if (!move(w[i])) break;
        }
        finish();
    }

private:
    void begin() {
        m_savedAddMode = m_store.options().addMode;
        m_store.setAddMode(AddMode::Branch);
        m_store.reset();
        m_store.clearHeader();
        m_store.setFlipped(false);
        m_store.setReadingError("");
        setStandard();
    }

    void finish() {
        m_store.restoreStartPosition(m_store.position());
        // The root is always in use: cannot fail.
        (void)m_store.goTo(kRootNode);
        m_store.setAddMode(m_savedAddMode);
        m_store.markClean();
    }

    void setStandard() {
        Position& p = m_store.position();
        setupHandicap(p, kHandicapEven);
        m_store.setHandicap(kHandicapEven);
        m_store.setFirstMover(kSideBlack);
        m_store.setCustomStart(false);
        m_store.saveStartPosition(p);
    }

    bool setSfen(std::string_view board, std::string_view side, std::string_view hands) {
        Position p;
        if (!readBoard(board, p) || (side != "b" && side != "w") || !readHands(hands, p)) {
            return false;
        }
        buildPieceList(p);
        const SideByte first = side == "b" ? kSideBlack : kSideWhite;
        p.sideToMove = first;
        m_store.position() = p;
        m_store.setFirstMover(first);
        m_store.saveStartPosition(p);
        // A standard set-up with its usual first mover is that set-up; SFEN names none, so
        // every one is tried.
        for (HandicapType type = 0; type < kHandicapOther; ++type) {
            Position standard;
            if (setupHandicap(standard, type) && comparePositions(p, standard) == 0 &&
                first == firstMoverOf(type)) {
                m_store.setHandicap(type);
                m_store.setCustomStart(false);
                return true;
            }
        }
        m_store.setHandicap(inferHandicap(p, kHandicapEven));
        m_store.setCustomStart(true);
        return true;
    }

    void fail(const std::string& text) {
        m_store.setReadingError(cutToBytes(text, kErrorTextBytes));
        m_report.message = text;
        m_report.result = ReadResult::LineFailed;
    }
    bool failAtPly(const std::string& tail, std::string_view word) {
        fail(std::to_string(m_store.currentPly() + 1) + tail + std::string(word));
        return false;
    }

    static std::optional<int> squareOf(std::string_view s) {
        if (s.size() < 2 || s[0] < '1' || s[0] > '9' || s[1] < 'a' || s[1] > 'i') {
            return std::nullopt;
        }
        return makeSquare(s[0] - '0', s[1] - 'a' + 1);
    }

    bool move(std::string_view word) {
        const Texts& t = texts();
        Position& p = m_store.position();
        const int ply = m_store.currentPly() + 1;
        const SideByte side = p.sideToMove;
        int origin = 0;
        std::optional<int> destination;
        bool promote = false;
        if (word.size() == 4 && word[1] == '*') {
            const int type = typeOfLetter(word[0]);
            destination = squareOf(word.substr(2));
            if (word[0] < 'A' || word[0] > 'Z' || type < kPawn || type > kRook || !destination) {
                return failAtPly(t.badMove, word);
            }
            origin = findHandSlot(p, side, type);
            if (origin == 0 || p.cells[static_cast<std::size_t>(*destination)] != 0) {
                return failAtPly(t.cannotDrop, word);
            }
        } else if (word.size() == 4 || (word.size() == 5 && word[4] == '+')) {
            std::optional<int> from = squareOf(word.substr(0, 2));
            destination = squareOf(word.substr(2, 2));
            if (!from || !destination) return failAtPly(t.badMove, word);
            origin = *from;
            promote = word.size() == 5;
            const PieceByte mover = p.cells[static_cast<std::size_t>(origin)];
            if (mover == 0) return failAtPly(t.noPiece, word);
            const PieceByte target = p.cells[static_cast<std::size_t>(*destination)];
            const int type = pieceType(mover);
            if (!belongsTo(mover, side) || (target != 0 && belongsTo(target, side)) ||
                (promote && type >= kGold && type != kBishop && type != kRook)) {
                return failAtPly(t.badMove, word);
            }
        } else {
            return failAtPly(t.badMove, word);
        }
        const int to = *destination | (promote ? kPromoteFlag : 0);
        MoveCheckResult check = MoveCheckResult::Legal;
        if (m_options.ruleCheck) check = checkMove(p, origin, to, side);
        AddResult r = m_store.addAndAdvance(kAddStoreAll, packMove(origin, to), 0);
        if (r == AddResult::CapacityReached) {
            m_report.result = ReadResult::CapacityReached;
            return false;
        }
        if (r != AddResult::Ok) return failAtPly(t.badMove, word);
        if (check != MoveCheckResult::Legal) {
            warnRuleViolation(m_store, m_report, m_options, check, ply);
        }
        return true;
    }

    RecordStore& m_store;
    const ReadOptions& m_options;
    ReadReport& m_report;
    AddMode m_savedAddMode = AddMode::Branch;
};

}  // namespace

bool looksLikeUsi(std::string_view text) {
    std::vector<std::string_view> w = words(firstLine(text));
    if (w.empty()) return false;
    if (w[0] == "position" || w[0] == "startpos" || w[0] == "sfen") return true;
    Position p;
    return w.size() >= 3 && readBoard(w[0], p) && (w[1] == "b" || w[1] == "w");
}

ReadReport readUsiText(RecordStore& store, std::string_view text, const ReadOptions& options) {
    ReadReport report;
    UsiReader(store, options, report).read(firstLine(text));
    return report;
}

ReadReport readUsiFile(RecordStore& store, const std::string& path, const ReadOptions& options) {
    std::optional<std::string> bytes = readFile(path);
    if (!bytes) {
        ReadReport report;
        report.result = ReadResult::CannotOpen;
        return report;
    }
    return readUsiText(store, *bytes, options);
}

}  // namespace core
