#include "core/formats/jkf_reader.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/base/path_text.h"
#include "core/base/safe_file.h"
#include "core/formats/csa_codes.h"
#include "core/formats/jkf_format.h"
#include "core/formats/json_tree.h"
#include "core/formats/rule_warning.h"
#include "core/notation/notation.h"
#include "core/notation/piece_text.h"
#include "core/rules/legality.h"
#include "core/text/sjis.h"

namespace core {

namespace {

constexpr std::size_t kErrorTextBytes = 250;
constexpr std::size_t kDatabaseHeaderBytes = 59;

struct Texts {
    std::string notJson = std::string("JSONとして読めません。");
    std::string line = std::string("行");
    std::string column = std::string("桁");
    std::string missing = std::string("項目がありません。");
    std::string wrongType = std::string("型が違います。");
    std::string badValue = std::string("値が正しくありません。");
    std::string ply{kWordPly};
    std::string noPiece = std::string("手目 駒がありません。");
    std::string cannotDrop = std::string("手目 打てません。");
    std::string badMove = std::string("手目 指せません。");
    std::string afterEnd = std::string("手目 終局の後に指し手があります。");
    std::string tooDeep = std::string("変化が深すぎます。");
    std::string unknownSpecial = std::string("警告：終局の種類が分かりません：");
    std::string handicapKey = std::string("手合割");
    std::string blackKeys[2] = {std::string("先手"), std::string("下手")};
    std::string whiteKeys[2] = {std::string("後手"), std::string("上手")};
    std::string blackShort = std::string("先手省略名");
    std::string whiteShort = std::string("後手省略名");
    std::string flipped{kKeyFlipped};
    std::string colon = std::string("：");
};

const Texts& texts() {
    static const Texts t;
    return t;
}

// The fields read before any user key is tried, as the KIF reader does.
constexpr std::array<HeaderField, 5> kFirstFields{HeaderField::StartDateTime,
                                                  HeaderField::EndDateTime, HeaderField::Title,
                                                  HeaderField::Event, HeaderField::Opening};

std::string pointerToken(std::string_view key) {
    std::string s;
    for (char c : key) {
        if (c == '~') {
            s += "~0";
        } else if (c == '/') {
            s += "~1";
        } else {
            s += c;
        }
    }
    return s;
}

// The JSON pointer of a field, written out only when an error names it: a chain of parts, each
// on the stack of the code reading that field, so that reading a move costs no strings.
class Where {
public:
    // A pointer given whole ("" the document, "/initial/data" ...).
    explicit Where(std::string_view whole) : m_whole(whole) {}
    Where(const Where& parent, std::string_view key) : m_parent(&parent), m_key(key) {}
    Where(const Where& parent, std::size_t index)
        : m_parent(&parent), m_index(index), m_isIndex(true) {}

    std::string text() const {
        std::vector<const Where*> chain;
        for (const Where* w = this; w != nullptr; w = w->m_parent) chain.push_back(w);
        std::string s(chain.back()->m_whole);
        for (auto it = chain.rbegin() + 1; it != chain.rend(); ++it) {
            s += '/';
            s += (*it)->m_isIndex ? std::to_string((*it)->m_index) : pointerToken((*it)->m_key);
        }
        return s;
    }

private:
    const Where* m_parent = nullptr;
    std::string_view m_whole;
    std::string_view m_key;
    std::size_t m_index = 0;
    bool m_isIndex = false;
};

// Handicap type of a name as KIF writes it after "手合割：", compared without padding.
std::optional<HandicapType> handicapOfName(std::string_view name) {
    while (name.ends_with(kFullWidthSpace)) name.remove_suffix(kFullWidthSpace.size());
    if (name.empty()) return std::nullopt;
    for (HandicapType t = 0; t < kHandicapCount; ++t) {
        std::string_view n = handicapName(t);
        while (n.ends_with(kFullWidthSpace)) n.remove_suffix(kFullWidthSpace.size());
        if (n == name) return t;
    }
    return std::nullopt;
}

// The direction word of a relative word ("LU" -> "左上"); "H" (a drop) is left out.
std::string directionText(std::string_view relative) {
    std::string s;
    for (char c : relative) {
        switch (c) {
            case 'L':
                s += std::string("左");
                break;
            case 'R':
                s += std::string("右");
                break;
            case 'C':
                s += std::string("直");
                break;
            case 'U':
                s += std::string("上");
                break;
            case 'M':
                s += std::string("寄");
                break;
            case 'D':
                s += std::string("引");
                break;
            default:
                break;
        }
    }
    return s;
}

// Thrown inside the reader only: reading stops at the field the pointer names.
struct Stop {};

// The deepest nesting of arrays and objects a file may have: about a thousand levels of forks
// inside forks (each level is an array, an object and an array), far beyond any real record,
// and small enough that reading it takes little memory and stack.
constexpr int kMaxJsonDepth = 3000;

// The byte offset at which the arrays and objects of a JSON text nest deeper than limit
// (brackets inside strings do not count); npos when they never do.
std::size_t tooDeepAt(std::string_view bytes, int limit) {
    int depth = 0;
    bool inString = false;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (inString) {
            if (c == '\\') {
                ++i;
            } else if (c == '"') {
                inString = false;
            }
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > limit) return i;
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return std::string_view::npos;
}

class JkfReader {
public:
    JkfReader(RecordStore& store, const ReadOptions& options, ReadReport& report)
        : m_store(store), m_options(options), m_report(report) {}

    void read(std::string_view bytes) {
        begin();
        try {
            readDocument(bytes);
        } catch (const Stop&) {
            // The report says why; what was read stays.
        }
        finish();
    }

private:
    bool database() const { return m_options.database; }

    void begin() {
        m_savedAddMode = m_store.options().addMode;
        m_store.setAddMode(AddMode::Branch);
        clearPosition(m_store.position());
        m_store.reset();
        m_store.clearHeader();
        m_store.setHandicap(kHandicapEven);
        m_store.setFirstMover(kSideBlack);
        m_store.setCustomStart(false);
        m_store.setFlipped(false);
        m_store.setReadingError("");
        setupHandicap(m_store.position(), kHandicapEven);
        m_store.saveStartPosition();
    }

    void finish() {
        if (m_options.autoTimeUsed && m_store.header(HeaderField::TimeUsed).empty()) {
            m_store.fillTimeUsed();
        }
        m_store.restoreStartPosition(m_store.position());
        // The root is always in use: cannot fail.
        (void)m_store.goTo(kRootNode);
        m_store.setAddMode(m_savedAddMode);
        m_store.markClean();
    }

    [[noreturn]] void fail(const Where& where, const std::string& detail,
                           ReadResult result = ReadResult::LineFailed) {
        fail(where.text(), detail, result);
    }
    [[noreturn]] void fail(const std::string& where, const std::string& detail,
                           ReadResult result = ReadResult::LineFailed) {
        std::string text = (where.empty() ? std::string("/") : where) + ": " + detail;
        m_store.setReadingError(cutToBytes(text, kErrorTextBytes));
        m_report.message = text;
        m_report.result = result;
        throw Stop{};
    }
    [[noreturn]] void failAtPly(const Where& where, const std::string& tail) {
        fail(where, std::to_string(m_store.currentPly() + 1) + tail);
    }

    // The document's strings are UTF-8 (the parser refuses anything else): kept as they are.
    std::string text(std::string_view utf8) { return std::string(utf8); }

    const JsonValue& require(const JsonValue& object, std::string_view key, const Where& pointer) {
        const JsonValue* found = object.find(key);
        if (found == nullptr) fail(Where(pointer, key), texts().missing);
        return *found;
    }
    static const JsonValue* optional(const JsonValue& object, std::string_view key) {
        return object.find(key);
    }
    void expect(bool ok, const Where& pointer) {
        if (!ok) fail(pointer, texts().wrongType);
    }
    int integer(const JsonValue& j, const Where& pointer, int low, int high) {
        expect(j.isInteger(), pointer);
        if (j.isUnsigned() ? j.unsignedValue() > static_cast<std::uint64_t>(high)
                           : (j.integer() < low || j.integer() > high)) {
            fail(pointer, texts().badValue);
        }
        return static_cast<int>(j.integer());
    }

    void readDocument(std::string_view bytes) {
        if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
        if (std::size_t at = tooDeepAt(bytes, kMaxJsonDepth); at != std::string_view::npos) {
            fail(placeText(bytes, at), texts().tooDeep);
        }
        if (!m_tree.parse(bytes)) fail(placeText(bytes, m_tree.errorAt()), texts().notJson);
        const JsonValue& doc = m_tree.root();
        const Where root("");
        expect(doc.isObject(), root);
        if (const JsonValue* h = optional(doc, "header")) readHeader(*h, Where("/header"));
        readInitial(optional(doc, "initial"));
        const JsonValue& moves = require(doc, "moves", root);
        const Where movesAt("/moves");
        expect(moves.isArray(), movesAt);
        if (!moves.empty()) {
            const JsonValue& first = moves[0];
            const Where firstAt(movesAt, std::size_t{0});
            expect(first.isObject(), firstAt);
            // The first entry stands for the start position unless it holds a move.
            if (!first.contains("move") && !first.contains("special")) {
                readNotes(first, firstAt, kRootNode);
                readLine(moves, movesAt, 1, 0);
            } else {
                readLine(moves, movesAt, 0, 0);
            }
        }
    }

    // "line N column M" of a byte of the file.
    static std::string placeText(std::string_view bytes, std::size_t at) {
        at = std::min(at, bytes.size());
        std::string_view before = bytes.substr(0, at);
        const auto line = std::count(before.begin(), before.end(), '\n') + 1;
        std::size_t lineStart = before.rfind('\n');
        const std::size_t column =
            at - (lineStart == std::string_view::npos ? 0 : lineStart + 1) + 1;
        return std::to_string(line) + texts().line + std::to_string(column) + texts().column;
    }

    void readHeader(const JsonValue& h, const Where& pointer) {
        expect(h.isObject(), pointer);
        const Texts& t = texts();
        for (const JsonValue& member : h.children()) {
            expect(member.isString(), Where(pointer, member.key()));
            const std::string key = text(member.key());
            std::string value = text(member.text());
            if (database()) value = std::string(cutToBytes(value, kDatabaseHeaderBytes));
            if (key == t.handicapKey) {
                m_handicapName = handicapOfName(value);
            } else if (key == t.blackKeys[0] || key == t.blackKeys[1]) {
                m_store.setPlayerName(PlayerField::Black, value);
            } else if (key == t.whiteKeys[0] || key == t.whiteKeys[1]) {
                m_store.setPlayerName(PlayerField::White, value);
            } else if (key == t.blackShort) {
                m_store.setPlayerName(PlayerField::BlackShort, value);
            } else if (key == t.whiteShort) {
                m_store.setPlayerName(PlayerField::WhiteShort, value);
            } else if (key == t.flipped) {
                m_store.setFlipped(true);
            } else {
                headerField(key, value);
            }
        }
    }

    void headerField(const std::string& key, const std::string& value) {
        for (HeaderField f : kFirstFields) {
            if (headerKeyword(f) == key) {
                m_store.setHeader(f, value);
                return;
            }
        }
        for (int u = 0; u < kUserHeaderFieldCount; ++u) {
            const std::string& userKey = m_options.userKeys[static_cast<std::size_t>(u)];
            if (!userKey.empty() && userKey == key) {
                m_store.setHeader(
                    static_cast<HeaderField>(static_cast<int>(HeaderField::User1) + u), value);
                return;
            }
        }
        for (int f = 0; f < kFixedHeaderFieldCount; ++f) {
            if (headerKeyword(static_cast<HeaderField>(f)) == key) {
                m_store.setHeader(static_cast<HeaderField>(f), value);
                return;
            }
        }
    }

    void readInitial(const JsonValue* initial) {
        Position& p = m_store.position();
        if (initial == nullptr) {
            setStandard(m_handicapName.value_or(kHandicapEven));
            return;
        }
        const Where initialAt("/initial");
        expect(initial->isObject(), initialAt);
        const JsonValue& preset = require(*initial, "preset", initialAt);
        const Where presetAt("/initial/preset");
        expect(preset.isString(), presetAt);
        if (auto type = handicapOfJkfPreset(preset.text())) {
            setStandard(*type);
            return;
        }
        if (preset.text() != "OTHER") fail(presetAt, texts().badValue);
        const JsonValue& data = require(*initial, "data", initialAt);
        const Where dataAt("/initial/data");
        expect(data.isObject(), dataAt);
        const int color = integer(require(data, "color", dataAt), Where(dataAt, "color"), 0, 1);
        const JsonValue& board = require(data, "board", dataAt);
        const Where boardAt("/initial/data/board");
        expect(board.isArray() && board.size() == 9, boardAt);
        clearPosition(p);
        for (int file = 1; file <= 9; ++file) {
            const Where column(boardAt, static_cast<std::size_t>(file - 1));
            const JsonValue& cells = board[static_cast<std::size_t>(file - 1)];
            expect(cells.isArray() && cells.size() == 9, column);
            for (int rank = 1; rank <= 9; ++rank) {
                const Where where(column, static_cast<std::size_t>(rank - 1));
                const JsonValue& cell = cells[static_cast<std::size_t>(rank - 1)];
                expect(cell.isObject(), where);
                if (cell.empty()) continue;
                const int side =
                    integer(require(cell, "color", where), Where(where, "color"), 0, 1);
                const JsonValue& kind = require(cell, "kind", where);
                const Where kindAt(where, "kind");
                expect(kind.isString(), kindAt);
                const int type = csaPieceType(kind.text());
                if (type == 0 || kind.text().size() != 2) fail(kindAt, texts().badValue);
                p.cells[makeSquare(file, rank)] =
                    makePiece(side == 0 ? kSideBlack : kSideWhite, type);
            }
        }
        const JsonValue& hands = require(data, "hands", dataAt);
        const Where handsAt("/initial/data/hands");
        expect(hands.isArray() && hands.size() == 2, handsAt);
        for (std::size_t s = 0; s < 2; ++s) {
            const Where where(handsAt, s);
            expect(hands[s].isObject(), where);
            for (const JsonValue& member : hands[s].children()) {
                const std::string_view name = member.key();
                const int type = csaPieceType(name);
                if (type < kPawn || type > kRook || name.size() != 2) {
                    fail(Where(where, name), texts().badValue);
                }
                const int count = integer(member, Where(where, name), 0, 18);
                for (int n = 0; n < count && p.handEnd < kHandSlotEnd; ++n) {
                    p.cells[p.handEnd] = makePiece(s == 0 ? kSideBlack : kSideWhite, type);
                    ++p.handEnd;
                }
            }
        }
        // As the KIF reader settles a diagram: a position equal to a standard set-up with its
        // usual first mover is that set-up.
        buildPieceList(p);
        const HandicapType type = inferHandicap(p, m_handicapName.value_or(kHandicapEven));
        const SideByte first = color == 0 ? kSideBlack : kSideWhite;
        m_store.setHandicap(type);
        m_store.setFirstMover(first);
        m_store.setCustomStart(true);
        p.sideToMove = first;
        m_store.saveStartPosition(p);
        Position standard;
        if (setupHandicap(standard, type) && comparePositions(p, standard) == 0 &&
            first == firstMoverOf(type)) {
            m_store.setCustomStart(false);
        }
    }

    void setStandard(HandicapType type) {
        Position& p = m_store.position();
        setupHandicap(p, type);
        m_store.setHandicap(type);
        m_store.setFirstMover(firstMoverOf(type));
        m_store.setCustomStart(false);
        m_store.saveStartPosition(p);
    }

    // Comments, time and bookmark of an entry, given to node.
    void readNotes(const JsonValue& entry, const Where& pointer, NodeIndex node) {
        if (const JsonValue* c = optional(entry, "comments")) {
            const Where where(pointer, "comments");
            expect(c->isArray(), where);
            for (std::size_t i = 0; i < c->size(); ++i) {
                expect((*c)[i].isString(), Where(where, i));
                // A line beyond the comment's size limit is not stored; reading goes on.
                (void)m_store.appendCommentTo(node, text((*c)[i].text()));
            }
        }
        if (const JsonValue* b = optional(entry, "bookmark")) {
            expect(b->isString(), Where(pointer, "bookmark"));
            // A duplicate name or a full table leaves this bookmark out; reading goes on.
            if (!database()) (void)m_store.setBookmark(node, text(b->text()));
        }
    }

    std::uint16_t seconds(const JsonValue& entry, const Where& pointer) {
        const JsonValue* time = optional(entry, "time");
        if (time == nullptr) return 0;
        const Where where(pointer, "time");
        expect(time->isObject(), where);
        const JsonValue& now = require(*time, "now", where);
        const Where nowAt(where, "now");
        expect(now.isObject(), nowAt);
        long total = 0;
        for (auto [key, factor] :
             {std::pair{"h", 3600L}, std::pair{"m", 60L}, std::pair{"s", 1L}}) {
            if (const JsonValue* v = optional(now, key)) {
                total += factor * integer(*v, Where(nowAt, key), 0, 1000000);
            }
        }
        return static_cast<std::uint16_t>(std::min(total, 65535L));
    }

    int square(const JsonValue& j, const Where& pointer) {
        expect(j.isObject(), pointer);
        const int x = integer(require(j, "x", pointer), Where(pointer, "x"), 1, 9);
        const int y = integer(require(j, "y", pointer), Where(pointer, "y"), 1, 9);
        return makeSquare(x, y);
    }

    // One line of play from moves[first] on, after the current node; then the forks its moves
    // carry, each from the position before the move they stand for. movesAt is the pointer of
    // moves.
    void readLine(const JsonValue& moves, const Where& movesAt, std::size_t first, int depth) {
        if (depth > m_store.capacity()) fail(movesAt, texts().tooDeep);
        struct Forks {
            const JsonValue* forks;
            NodeIndex parent;
            std::size_t entry;  // the index of the entry that carries them
        };
        std::vector<Forks> pending;
        bool ended = false;
        for (std::size_t i = first; i < moves.size(); ++i) {
            const Where where(movesAt, i);
            const JsonValue& entry = moves[i];
            expect(entry.isObject(), where);
            const NodeIndex parent = m_store.current();
            if (const JsonValue* forks = optional(entry, "forks")) {
                expect(forks->isArray(), Where(where, "forks"));
                if (!forks->empty()) pending.push_back({forks, parent, i});
            }
            const JsonValue* move = optional(entry, "move");
            const JsonValue* special = optional(entry, "special");
            if (move == nullptr && special == nullptr) {
                // An entry with notes only belongs to the move before it.
                readNotes(entry, where, parent);
                continue;
            }
            if (ended) failAtPly(where, texts().afterEnd);
            NodeIndex node = kNoNode;
            if (move != nullptr) {
                node = addMove(*move, Where(where, "move"), seconds(entry, where));
            } else {
                node = addSpecial(*special, Where(where, "special"), seconds(entry, where));
                ended = true;
            }
            if (node != kNoNode) readNotes(entry, where, node);
        }
        if (m_options.mainLineOnly) {
            if (!pending.empty()) m_report.stoppedAtVariation = true;
            return;
        }
        for (const Forks& f : pending) {
            const Where entry(movesAt, f.entry);
            const Where forks(entry, "forks");
            for (std::size_t k = 0; k < f.forks->size(); ++k) {
                const Where line(forks, k);
                const JsonValue& fork = (*f.forks)[k];
                expect(fork.isArray(), line);
                if (m_store.goTo(f.parent) != EditResult::Ok) fail(line, texts().badValue);
                readLine(fork, line, 0, depth + 1);
            }
        }
    }

    void capacity(AddResult r) {
        if (r == AddResult::CapacityReached) {
            m_report.result = ReadResult::CapacityReached;
            throw Stop{};
        }
    }

    NodeIndex addSpecial(const JsonValue& special, const Where& pointer, std::uint16_t secs) {
        expect(special.isString(), pointer);
        const SideByte toMove = m_store.moverOfPly(m_store.currentPly() + 1);
        const std::string_view word = special.text();
        std::optional<TerminalCode> code = terminalOfJkfSpecial(word, toMove);
        if (!code) {
            if (!database()) m_report.warnings.push_back(texts().unknownSpecial + text(word));
            return kNoNode;
        }
        const NodeIndex parent = m_store.current();
        const PackedMove move = terminalMove(*code);
        AddResult r = m_store.addAndAdvance(kAddStoreAll, move, secs);
        capacity(r);
        if (r != AddResult::Ok) failAtPly(pointer, texts().badMove);
        if (m_store.current() != parent) return m_store.current();
        // A closing entry other than 投了 does not become current.
        for (NodeIndex c = m_store.node(parent).next; c != kNoNode; c = m_store.node(c).sibling) {
            if (m_store.node(c).sameMove(moveOrigin(move), moveDestination(move))) return c;
        }
        return kNoNode;
    }

    NodeIndex addMove(const JsonValue& move, const Where& pointer, std::uint16_t secs) {
        expect(move.isObject(), pointer);
        const Texts& t = texts();
        Position& p = m_store.position();
        const int ply = m_store.currentPly() + 1;
        const SideByte side = m_store.moverOfPly(ply);
        if (const JsonValue* c = optional(move, "color")) {
            const int color = integer(*c, Where(pointer, "color"), 0, 1);
            if ((color == 0 ? kSideBlack : kSideWhite) != side) failAtPly(pointer, t.badMove);
        }
        const JsonValue& pieceJson = require(move, "piece", pointer);
        expect(pieceJson.isString(), Where(pointer, "piece"));
        const std::string_view code = pieceJson.text();
        const int type = code.size() == 2 ? csaPieceType(code) : 0;
        if (type == 0) fail(Where(pointer, "piece"), t.badValue);
        bool promote = false;
        if (const JsonValue* pr = optional(move, "promote")) {
            expect(pr->isBoolean(), Where(pointer, "promote"));
            promote = pr->boolean();
        }
        bool same = false;
        if (const JsonValue* s = optional(move, "same")) {
            expect(s->isBoolean(), Where(pointer, "same"));
            same = s->boolean();
        }
        std::string_view relative;
        if (const JsonValue* r = optional(move, "relative")) {
            expect(r->isString(), Where(pointer, "relative"));
            relative = r->text();
        }
        int destination = 0;
        if (const JsonValue* to = optional(move, "to")) {
            destination = square(*to, Where(pointer, "to"));
        } else if (same) {
            const NodeIndex previous = m_store.current();
            if (previous == kRootNode || m_store.node(previous).isTerminal()) {
                failAtPly(pointer, t.badMove);
            }
            destination = m_store.node(previous).destination();
        } else {
            fail(Where(pointer, "to"), t.missing);
        }

        int origin = 0;
        if (const JsonValue* from = optional(move, "from")) {
            origin = square(*from, Where(pointer, "from"));
        } else if (relative.find('H') == std::string_view::npos) {
            origin = findOrigin(p, destination, makePiece(side, type), directionText(relative));
        }
        if (origin == 0) {
            origin = findHandSlot(p, side, type);
            if (origin == 0 || promote || type > kRook) failAtPly(pointer, t.cannotDrop);
            if (p.cells[static_cast<std::size_t>(destination)] != 0) failAtPly(pointer, t.badMove);
        } else {
            const PieceByte mover = p.cells[static_cast<std::size_t>(origin)];
            if (mover == 0) failAtPly(pointer, t.noPiece);
            const PieceByte target = p.cells[static_cast<std::size_t>(destination)];
            // The piece named must be the one on the origin, and only an unpromoted piece other
            // than a gold or king can promote.
            if (!belongsTo(mover, side) || pieceType(mover) != type ||
                (target != 0 && belongsTo(target, side)) ||
                (promote && (type >= kGold && type != kBishop && type != kRook))) {
                failAtPly(pointer, t.badMove);
            }
        }
        const int to = destination | (promote ? kPromoteFlag : 0);
        MoveCheckResult check = MoveCheckResult::Legal;
        if (m_options.ruleCheck) check = checkMove(p, origin, to, side);
        AddResult r = m_store.addAndAdvance(kAddStoreAll, packMove(origin, to), secs);
        capacity(r);
        if (r != AddResult::Ok) failAtPly(pointer, t.badMove);
        if (check != MoveCheckResult::Legal) {
            warnRuleViolation(m_store, m_report, m_options, check, ply);
        }
        return m_store.current();
    }

    RecordStore& m_store;
    const ReadOptions& m_options;
    ReadReport& m_report;
    JsonTree m_tree;
    AddMode m_savedAddMode = AddMode::Branch;
    std::optional<HandicapType> m_handicapName;
};

}  // namespace

bool isJkfPath(std::string_view path) { return lowerExtension(path) == "jkf"; }

bool looksLikeJkf(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    std::size_t i = text.find_first_not_of(" \t\r\n");
    return i != std::string_view::npos && text[i] == '{';
}

ReadReport readJkfText(RecordStore& store, std::string_view bytes, const ReadOptions& options) {
    ReadReport report;
    report.wasUtf8 = true;
    JkfReader(store, options, report).read(bytes);
    return report;
}

ReadReport readJkfFile(RecordStore& store, const std::string& path, const ReadOptions& options) {
    std::optional<std::string> bytes = readFile(path);
    if (!bytes) {
        ReadReport report;
        report.result = ReadResult::CannotOpen;
        return report;
    }
    return readJkfText(store, *bytes, options);
}

}  // namespace core
