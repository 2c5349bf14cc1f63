#include "core/formats/jkf_writer.h"

#include <nlohmann/json.hpp>

#include "core/formats/csa_codes.h"
#include "core/formats/jkf_format.h"
#include "core/formats/kif_writer.h"
#include "core/notation/notation.h"
#include "core/notation/piece_text.h"
#include "core/text/sjis.h"

namespace core {

namespace {

using Json = nlohmann::ordered_json;

constexpr std::string_view kEol = "\r\n";

std::string utf8(std::string_view text) { return toUtf8Lossy(text); }

std::string dumped(const Json& j) {
    return j.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

// The handicap name without the full-width spaces that pad it.
std::string_view trimmedHandicapName(HandicapType type) {
    std::string_view name = handicapName(type);
    while (name.ends_with(kFullWidthSpace)) name.remove_suffix(kFullWidthSpace.size());
    return name;
}

int color(SideByte side) { return side == kSideBlack ? 0 : 1; }

Json squareJson(int sq) { return Json{{"x", fileOf(sq)}, {"y", rankOf(sq)}}; }

class JkfWriter {
public:
    JkfWriter(const RecordStore& store, const RecordWriteOptions& options)
        : m_store(store), m_options(options) {
        for (NodeIndex i = 1; i < store.capacity() && !m_withTimes; ++i) {
            if (store.isInUse(i) && store.node(i).seconds != 0) m_withTimes = true;
        }
    }

    std::string text() {
        m_out += "{";
        m_out += kEol;
        m_out += "\"header\":" + dumped(header()) + ",";
        m_out += kEol;
        m_out += "\"initial\":" + dumped(initial()) + ",";
        m_out += kEol;
        m_out += "\"moves\":[";
        m_out += kEol;
        Json start = Json::object();
        addNotes(start, kRootNode);
        m_out += dumped(start);
        writeLine(m_store.node(kRootNode).next, 1);
        m_out += kEol;
        m_out += "]";
        m_out += kEol;
        m_out += "}";
        m_out += kEol;
        return std::move(m_out);
    }

private:
    Json header() const {
        Json h = Json::object();
        // The KIF writer decides which fields and user fields are written; take its lines apart.
        std::string lines;
        appendHeaderLines(lines, m_store, m_options);
        const std::string colon = std::string("：");
        std::string_view rest(lines);
        while (!rest.empty()) {
            std::size_t eol = rest.find(kEol);
            std::string_view line = rest.substr(0, eol);
            rest.remove_prefix(eol == std::string_view::npos ? rest.size() : eol + kEol.size());
            std::size_t at = findText(line, colon);
            if (at == std::string_view::npos) continue;
            h[utf8(line.substr(0, at))] = utf8(line.substr(at + colon.size()));
        }
        const bool handicap = m_store.handicap() != kHandicapEven;
        h[utf8(std::string("手合割"))] = utf8(trimmedHandicapName(m_store.handicap()));
        auto player = [&](const char* key, PlayerField field) {
            const std::string& name = m_store.playerName(field);
            if (!name.empty()) h[utf8(std::string(key))] = utf8(name);
        };
        player(handicap ? "下手" : "先手", PlayerField::Black);
        player(handicap ? "上手" : "後手", PlayerField::White);
        player("先手省略名", PlayerField::BlackShort);
        player("後手省略名", PlayerField::WhiteShort);
        if (m_store.flipped()) h[utf8(kKeyFlipped)] = "";
        return h;
    }

    Json initial() const {
        if (!m_store.customStart()) {
            return Json{{"preset", std::string(jkfPreset(m_store.handicap()))}};
        }
        Position start;
        m_store.restoreStartPosition(start);
        Json board = Json::array();
        for (int file = 1; file <= 9; ++file) {
            Json column = Json::array();
            for (int rank = 1; rank <= 9; ++rank) {
                PieceByte p = start.cells[makeSquare(file, rank)];
                if (p == 0) {
                    column.push_back(Json::object());
                } else {
                    column.push_back(Json{
                        {"color", color(sideOf(p))},
                        {"kind",
                         std::string(kCsaPieceCodes[static_cast<std::size_t>(pieceType(p))])}});
                }
            }
            board.push_back(std::move(column));
        }
        HandCounts counts = countHand(start);
        Json hands = Json::array();
        for (SideByte side : {kSideBlack, kSideWhite}) {
            Json hand = Json::object();
            for (int type : {kPawn, kLance, kKnight, kSilver, kGold, kBishop, kRook}) {
                hand[std::string(kCsaPieceCodes[static_cast<std::size_t>(type)])] =
                    counts.count(side, type);
            }
            hands.push_back(std::move(hand));
        }
        return Json{{"preset", "OTHER"},
                    {"data",
                     {{"color", color(m_store.firstMover())},
                      {"board", std::move(board)},
                      {"hands", std::move(hands)}}}};
    }

    void addNotes(Json& j, NodeIndex x) const {
        const MoveNode& n = m_store.node(x);
        if (x != kRootNode && m_withTimes) {
            const std::uint32_t total = m_store.cumulativeSeconds(x);
            j["time"] = {
                {"now", {{"m", n.seconds / 60}, {"s", n.seconds % 60}}},
                {"total", {{"h", total / 3600}, {"m", total / 60 % 60}, {"s", total % 60}}}};
        }
        std::string_view comment = n.commentText();
        if (!comment.empty()) {
            Json lines = Json::array();
            while (!comment.empty()) {
                std::size_t nl = comment.find('\n');
                lines.push_back(utf8(comment.substr(0, nl)));
                comment.remove_prefix(nl == std::string_view::npos ? comment.size() : nl + 1);
            }
            j["comments"] = std::move(lines);
        }
        if (const Bookmark* b = m_store.bookmarkAt(m_store.bookmarkOf(x)); b && !b->name.empty()) {
            j["bookmark"] = utf8(b->name);
        }
    }

    Json moveJson(NodeIndex x, int ply) const {
        const MoveNode& n = m_store.node(x);
        Json j = Json::object();
        if (n.isTerminal()) {
            j["special"] =
                std::string(jkfSpecial(static_cast<TerminalCode>(n.to), m_store.moverOfPly(ply)));
        } else {
            Json m = Json::object();
            m["color"] = color(sideOf(n.piece));
            if (!n.isDrop()) m["from"] = squareJson(n.from);
            m["to"] = squareJson(n.destination());
            m["piece"] = std::string(kCsaPieceCodes[static_cast<std::size_t>(pieceType(n.piece))]);
            const MoveNode& previous = m_store.node(n.parent);
            if (n.parent != kRootNode && !previous.isTerminal() &&
                previous.destination() == n.destination()) {
                m["same"] = true;
            }
            if (n.promotes()) {
                m["promote"] = true;
            } else if (n.notation & kHintNoPromotion) {
                m["promote"] = false;
            }
            if (n.captured != 0) {
                m["capture"] =
                    std::string(kCsaPieceCodes[static_cast<std::size_t>(pieceType(n.captured))]);
            }
            std::string_view relative = jkfRelative(n.notation & kHintCodeMask, n.isDrop());
            if (!relative.empty()) m["relative"] = std::string(relative);
            j["move"] = std::move(m);
        }
        addNotes(j, x);
        return j;
    }

    // The line from x to its end, each move on its own line. A move that has younger
    // alternatives carries them as forks, each a line of its own (x itself, an alternative
    // written as the first move of a fork, leaves its siblings to the move that lists them).
    void writeLine(NodeIndex x, int ply, bool firstIsFork = false) {
        bool first = true;
        while (x != kNoNode) {
            const MoveNode& n = m_store.node(x);
            std::string object = dumped(moveJson(x, ply));
            if (!first || !m_out.ends_with('[')) m_out += ',';
            m_out += kEol;
            const bool withForks = n.sibling != kNoNode && !(first && firstIsFork);
            if (!withForks) {
                m_out += object;
            } else {
                object.pop_back();  // the closing brace
                m_out += object;
                m_out += object.size() > 1 ? ",\"forks\":[" : "\"forks\":[";
                for (NodeIndex s = n.sibling; s != kNoNode; s = m_store.node(s).sibling) {
                    if (s != n.sibling) m_out += ',';
                    m_out += '[';
                    writeLine(s, ply, true);
                    m_out += ']';
                }
                m_out += "]}";
            }
            first = false;
            x = n.next;
            ++ply;
        }
    }

    const RecordStore& m_store;
    const RecordWriteOptions& m_options;
    bool m_withTimes = false;
    std::string m_out;
};

}  // namespace

std::string jkfText(const RecordStore& store, const RecordWriteOptions& options) {
    return JkfWriter(store, options).text();
}

WriteResult writeJkfFile(RecordStore& store, const std::string& path,
                         const RecordWriteOptions& options) {
    WriteResult r = writeFileAtomically(path, jkfText(store, options));
    if (r == WriteResult::Ok) store.markClean();
    return r;
}

}  // namespace core
