#include "core/classify/classifier.h"

#include <algorithm>
#include <array>

#include "core/classify/opening_rules.h"
#include "core/notation/piece_text.h"
#include "core/text/message_format.h"
#include "core/text/sjis.h"

namespace core {

using namespace classify_rules;

void mainLineMoves(const RecordStore& store, std::vector<LineMove>& out) {
    out.clear();
    for (NodeIndex x = store.node(kRootNode).next; x != kNoNode; x = store.node(x).next) {
        const MoveNode& n = store.node(x);
        std::uint8_t origin = n.from;
        // A drop is kept by the kind of piece dropped.
        if (!n.isTerminal() && origin >= 100) origin = static_cast<std::uint8_t>(origin & 0x07);
        out.push_back({origin, n.to});
    }
}

namespace {

constexpr int ownSquare(int side, int sq) { return side == 0 ? sq : 110 - sq; }
constexpr int unpromoted(int type) { return type == kKing ? kKing : (type & 0x07); }

// The even set-up as piece bytes by square number.
using Board = std::array<PieceByte, 100>;
const Board& evenBoard() {
    static const Board board = [] {
        Position pos;
        setupHandicap(pos, kHandicapEven);
        Board b{};
        for (int sq = 11; sq <= 99; ++sq) {
            if (isSquare(sq))
                b[static_cast<std::size_t>(sq)] = pos.cells[static_cast<std::size_t>(sq)];
        }
        return b;
    }();
    return board;
}

PieceByte at(const Board& b, int sq) { return b[static_cast<std::size_t>(sq)]; }

bool castleStands(const Board& b, int side, const CastleRule& rule) {
    SideByte owner = side == 0 ? kSideBlack : kSideWhite;
    for (const CastlePiece& p : rule.pieces) {
        if (p.type == 0) break;
        PieceByte want = makePiece(owner, p.type);
        if (at(b, ownSquare(side, p.square)) == want) continue;
        if (p.orSquare != 0 && at(b, ownSquare(side, p.orSquare)) == want) continue;
        return false;
    }
    return true;
}

void noteCastle(const Board& b, int side, int ply, SideFacts& facts) {
    std::span<const CastleRule> rules = castleRules();
    for (std::size_t i = 0; i < rules.size(); ++i) {
        if (castleStands(b, side, rules[i])) {
            if (facts.castle != rules[i].castle) facts.castlePly = static_cast<std::uint16_t>(ply);
            facts.castle = rules[i].castle;
            facts.castleRule = static_cast<std::int8_t>(i);
            return;
        }
    }
}

void setMin(std::uint16_t& slot, int ply) {
    if (ply < slot) slot = static_cast<std::uint16_t>(ply);
}

// Replays the line (as far as kLineWindow) and gathers the facts. Stops at a closing entry or
// at an element that cannot be played.
void gather(std::span<const LineMove> line, LineFacts& facts) {
    Board board = evenBoard();
    std::array<int, 2> rookSquare{28, 82};
    std::array<bool, 2> rookMoved{false, false};
    std::size_t end = std::min<std::size_t>(line.size(), kLineWindow);
    for (std::size_t i = 0; i < end; ++i) {
        LineMove m = line[i];
        if (isTerminalCode(m.destination)) break;
        int side = static_cast<int>(i % 2);
        SideByte owner = side == 0 ? kSideBlack : kSideWhite;
        int dest = m.destination & ~kPromoteFlag;
        bool promote = (m.destination & kPromoteFlag) != 0;
        if (!isSquare(dest) || belongsTo(at(board, dest), owner)) break;
        bool drop = m.origin < 11;
        PieceByte piece = 0;
        if (drop) {
            if (m.origin < kPawn || m.origin > kRook || at(board, dest) != 0) break;
            piece = makePiece(owner, m.origin);
        } else {
            if (!isSquare(m.origin) || !belongsTo(at(board, m.origin), owner)) break;
            piece = at(board, m.origin);
            board[m.origin] = 0;  // the square is on the board: checked above
        }
        PieceByte captured = at(board, dest);
        board[static_cast<std::size_t>(dest)] =
            promote ? static_cast<PieceByte>(piece | kPromotedBit) : piece;

        int ply = static_cast<int>(i) + 1;
        int other = 1 - side;
        SideFacts& me = facts.sides[static_cast<std::size_t>(side)];
        int type = unpromoted(pieceType(piece));
        int own = ownSquare(side, dest);
        setMin(me.reached[static_cast<std::size_t>(type)][static_cast<std::size_t>(own)], ply);
        if (captured != 0) {
            int taken = pieceType(captured);
            if (taken == kBishop || taken == kHorse) setMin(me.bishopTaken, ply);
            if (type == kRook && !drop && taken == kPawn && own == 34) {
                setMin(me.rookTookPawnAt34, ply);
            }
            if (dest == rookSquare[static_cast<std::size_t>(other)]) {
                rookSquare[static_cast<std::size_t>(other)] = 0;
            }
        }
        if (drop && type == kBishop) setMin(me.bishopDropped, ply);
        if (type == kKing) me.kingMoved = true;
        if (!drop && m.origin == rookSquare[static_cast<std::size_t>(side)]) {
            rookSquare[static_cast<std::size_t>(side)] = promote ? 0 : dest;
            rookMoved[static_cast<std::size_t>(side)] = true;
        }
        int rook = rookSquare[static_cast<std::size_t>(side)];
        if (ply <= kRookWindow && rookMoved[static_cast<std::size_t>(side)] && rook != 0) {
            int ownRook = ownSquare(side, rook);
            if (rankOf(ownRook) >= 6) {
                int file = fileOf(ownRook);
                ++me.rookStay[static_cast<std::size_t>(file)];
                me.lastRookFile = static_cast<std::uint8_t>(file);
            }
        }
        if (ply <= kCastleWindow) noteCastle(board, side, ply, me);
        facts.plies = static_cast<std::uint16_t>(ply);
    }
}

void settle(const SideFacts& facts, SideClass& out) {
    int best = 2;
    int most = 0;
    for (int file = 1; file <= 9; ++file) {
        int n = facts.rookStay[static_cast<std::size_t>(file)];
        if (n > most || (n == most && n > 0 && file == facts.lastRookFile)) {
            best = file;
            most = n;
        }
    }
    out.rookFile = static_cast<std::uint8_t>(best);
    out.rookPlies = static_cast<std::uint8_t>(most);
    out.strategy = strategyOfFile(best);
    out.castle = facts.castle;
    out.castlePly = facts.castlePly;
    out.castleRule = facts.castleRule;
    if (out.castle == Castle::None && !facts.kingMoved) out.castle = Castle::KingAtHome;
}

}  // namespace

Classification classifyLine(std::span<const LineMove> line, HandicapType handicap,
                            bool customStart) {
    Classification c;
    c.handicap = handicap;
    if (customStart || handicap == kHandicapOther || handicap == kHandicapUnknown || handicap < 0 ||
        handicap >= kHandicapCount) {
        c.status = ClassifyStatus::CustomStart;
        return c;
    }
    if (handicap != kHandicapEven) {
        c.status = ClassifyStatus::Handicap;
        return c;
    }
    LineFacts facts;
    gather(line, facts);
    c.plies = facts.plies;
    if (facts.plies < kMinPlies) {
        c.status = ClassifyStatus::TooShort;
        return c;
    }
    settle(facts.sides[0], c.black);
    settle(facts.sides[1], c.white);
    bool blackRanges = isRanging(c.black.strategy);
    bool whiteRanges = isRanging(c.white.strategy);
    c.type = blackRanges && whiteRanges   ? GameType::DoubleRanging
             : blackRanges || whiteRanges ? GameType::StaticRanging
                                          : GameType::DoubleStatic;
    std::span<const OpeningRule> rules = openingRules();
    for (const OpeningRule& rule : rules) {
        if (rule.scope != Scope::Side) continue;
        for (int side = 0; side < 2; ++side) {
            SideClass& sc = side == 0 ? c.black : c.white;
            if (sc.variant == Opening::None && rule.fires(facts, c, side))
                sc.variant = rule.opening;
        }
    }
    for (std::size_t i = 0; i < rules.size(); ++i) {
        if (rules[i].scope == Scope::Game && rules[i].fires(facts, c, 0)) {
            c.opening = rules[i].opening;
            c.openingRule = static_cast<std::int8_t>(i);
            break;
        }
    }
    return c;
}

Classification classifyRecord(const RecordStore& store) {
    std::vector<LineMove> line;
    line.reserve(kLineWindow + 1);
    // Only the opening of the line is looked at.
    for (NodeIndex x = store.node(kRootNode).next;
         x != kNoNode && line.size() < static_cast<std::size_t>(kLineWindow);
         x = store.node(x).next) {
        const MoveNode& n = store.node(x);
        std::uint8_t origin = n.from;
        if (!n.isTerminal() && origin >= 100) origin = static_cast<std::uint8_t>(origin & 0x07);
        line.push_back({origin, n.to});
    }
    bool custom = store.customStart() || store.firstMover() != firstMoverOf(store.handicap());
    return classifyLine(line, store.handicap(), custom);
}

namespace {
std::string strategyNameUncached(Strategy s) {
    switch (s) {
        case Strategy::None:
            return {};
        case Strategy::StaticRook:
            return std::string("居飛車");
        case Strategy::SideRook:
            return std::string("袖飛車");
        case Strategy::RightFourth:
            return std::string("右四間飛車");
        case Strategy::Central:
            return std::string("中飛車");
        case Strategy::Fourth:
            return std::string("四間飛車");
        case Strategy::Third:
            return std::string("三間飛車");
        case Strategy::Opposing:
            return std::string("向かい飛車");
        case Strategy::FarRanging:
            return std::string("振り飛車");
    }
    return {};
}
}  // namespace

// The names are converted once: labels are made for every record a database registers.
std::string strategyName(Strategy v) {
    static const std::array<std::string, 9> names = [] {
        std::array<std::string, 9> out;
        for (std::size_t i = 0; i < out.size(); ++i) {
            out[i] = strategyNameUncached(static_cast<Strategy>(i));
        }
        return out;
    }();
    auto i = static_cast<std::size_t>(v);
    return i < names.size() ? names[i] : std::string();
}

namespace {
std::string castleNameUncached(Castle c) {
    switch (c) {
        case Castle::None:
            return {};
        case Castle::Mino:
            return std::string("美濃囲い");
        case Castle::HighMino:
            return std::string("高美濃囲い");
        case Castle::SilverCrown:
            return std::string("銀冠");
        case Castle::StaticAnaguma:
            return std::string("居飛車穴熊");
        case Castle::RangingAnaguma:
            return std::string("振り飛車穴熊");
        case Castle::Yagura:
            return std::string("矢倉囲い");
        case Castle::Funa:
            return std::string("舟囲い");
        case Castle::LeftMino:
            return std::string("左美濃");
        case Castle::Gangi:
            return std::string("雁木囲い");
        case Castle::Elmo:
            return std::string("エルモ囲い");
        case Castle::Millennium:
            return std::string("ミレニアム");
        case Castle::CentralKing:
            return std::string("中住まい");
        case Castle::KingAtHome:
            return std::string("居玉");
    }
    return {};
}
}  // namespace

// The names are converted once: labels are made for every record a database registers.
std::string castleName(Castle v) {
    static const std::array<std::string, 14> names = [] {
        std::array<std::string, 14> out;
        for (std::size_t i = 0; i < out.size(); ++i) {
            out[i] = castleNameUncached(static_cast<Castle>(i));
        }
        return out;
    }();
    auto i = static_cast<std::size_t>(v);
    return i < names.size() ? names[i] : std::string();
}

namespace {
std::string gameTypeNameUncached(GameType t) {
    switch (t) {
        case GameType::None:
            return {};
        case GameType::DoubleStatic:
            return std::string("相居飛車");
        case GameType::StaticRanging:
            return std::string("対抗形");
        case GameType::DoubleRanging:
            return std::string("相振り飛車");
    }
    return {};
}
}  // namespace

// The names are converted once: labels are made for every record a database registers.
std::string gameTypeName(GameType v) {
    static const std::array<std::string, 4> names = [] {
        std::array<std::string, 4> out;
        for (std::size_t i = 0; i < out.size(); ++i) {
            out[i] = gameTypeNameUncached(static_cast<GameType>(i));
        }
        return out;
    }();
    auto i = static_cast<std::size_t>(v);
    return i < names.size() ? names[i] : std::string();
}

namespace {
std::string openingNameUncached(Opening o) {
    switch (o) {
        case Opening::None:
            return {};
        case Opening::Yagura:
            return std::string("矢倉");
        case Opening::BishopExchange:
            return std::string("角換わり");
        case Opening::DoubleWing:
            return std::string("相掛かり");
        case Opening::SidePawn:
            return std::string("横歩取り");
        case Opening::Gangi:
            return std::string("雁木");
        case Opening::RangingExchange:
            return std::string("角交換振り飛車");
        case Opening::Gokigen:
            return std::string("ゴキゲン中飛車");
        case Opening::Ishida:
            return std::string("石田流");
        case Opening::EarlyIshida:
            return std::string("早石田");
        case Opening::Sujichigai:
            return std::string("筋違い角");
        case Opening::Unclassified:
            return std::string("力戦");
        case Opening::DoubleRanging:
            return std::string("相振り飛車");
    }
    return {};
}
}  // namespace

// The names are converted once: labels are made for every record a database registers.
std::string openingName(Opening v) {
    static const std::array<std::string, 13> names = [] {
        std::array<std::string, 13> out;
        for (std::size_t i = 0; i < out.size(); ++i) {
            out[i] = openingNameUncached(static_cast<Opening>(i));
        }
        return out;
    }();
    auto i = static_cast<std::size_t>(v);
    return i < names.size() ? names[i] : std::string();
}

std::string sideLabel(const SideClass& side) {
    if (side.variant != Opening::None) return openingName(side.variant);
    if (side.strategy == Strategy::StaticRook && side.castle == Castle::StaticAnaguma) {
        return castleName(Castle::StaticAnaguma);
    }
    return strategyName(side.strategy);
}

std::string sideText(const SideClass& side) {
    std::string label = sideLabel(side);
    std::string castle = castleName(side.castle);
    if (castle.empty() || castle == label) return label;
    return label + "(" + castle + ")";
}

namespace {

std::string handicapText(HandicapType type) {
    std::string name(handicapName(type));
    // The stored names are padded with full-width spaces.
    while (name.ends_with(kFullWidthSpace)) name.resize(name.size() - kFullWidthSpace.size());
    return name;
}

}  // namespace

std::string summaryText(const Classification& c) {
    if (c.status == ClassifyStatus::Handicap) return handicapText(c.handicap);
    if (c.status != ClassifyStatus::Classified) return {};
    std::string black = sideText(c.black);
    std::string white = sideText(c.white);
    std::string text;
    std::string opening = openingName(c.opening);
    if (!opening.empty() && opening != sideLabel(c.black) && opening != sideLabel(c.white)) {
        text = opening + " ";
    }
    return text + std::string(kMarkBlack) + black + " " + std::string(kMarkWhite) + white;
}

std::string castlesText(const Classification& c) {
    if (c.status != ClassifyStatus::Classified) return {};
    std::string black = castleName(c.black.castle);
    std::string white = castleName(c.white.castle);
    if (black.empty() && white.empty()) return {};
    std::string text;
    if (!black.empty()) text = std::string(kMarkBlack) + black;
    if (!white.empty()) text += (text.empty() ? "" : " ") + std::string(kMarkWhite) + white;
    return text;
}

namespace {

// The castle in one side's part of a summary ("四間飛車(美濃囲い)" or "居飛車穴熊"), or empty.
std::string castleOfSideText(std::string_view side) {
    if (const std::size_t open = side.find('('); open != std::string_view::npos) {
        const std::size_t close = side.find(')', open);
        if (close == std::string_view::npos) return {};
        return std::string(side.substr(open + 1, close - open - 1));
    }
    for (int k = 1; k <= static_cast<int>(Castle::KingAtHome); ++k) {
        std::string name = castleName(static_cast<Castle>(k));
        if (side == name) return name;
    }
    return {};
}

// The part of the summary after the side's mark, up to the next space.
std::string_view sidePart(std::string_view summary, std::string_view mark) {
    const std::size_t at = summary.find(mark);
    if (at == std::string_view::npos) return {};
    std::string_view rest = summary.substr(at + mark.size());
    return rest.substr(0, rest.find(' '));
}

}  // namespace

std::string castlesOfSummary(std::string_view summary) {
    const std::string black = castleOfSideText(sidePart(summary, kMarkBlack));
    const std::string white = castleOfSideText(sidePart(summary, kMarkWhite));
    std::string text;
    if (!black.empty()) text = std::string(kMarkBlack) + black;
    if (!white.empty()) text += (text.empty() ? "" : " ") + std::string(kMarkWhite) + white;
    return text;
}

std::string openingText(const Classification& c) {
    if (c.status == ClassifyStatus::Handicap) return handicapText(c.handicap);
    if (c.status != ClassifyStatus::Classified) return {};
    if (c.opening != Opening::None) return openingName(c.opening);
    if (isRanging(c.black.strategy)) return sideLabel(c.black);
    if (isRanging(c.white.strategy)) return sideLabel(c.white);
    return {};
}

namespace {

std::string squareText(int sq) {
    return std::string(kFullWidthDigits[static_cast<std::size_t>(fileOf(sq))]) +
           std::string(kRankNumerals[static_cast<std::size_t>(rankOf(sq))]);
}

std::string castleReason(const SideClass& side, int sideIndex) {
    if (side.castle == Castle::KingAtHome) {
        return castleName(side.castle) + std::string(": 玉が動かなかった");
    }
    if (side.castleRule < 0) return {};
    const CastleRule& rule = castleRules()[static_cast<std::size_t>(side.castleRule)];
    std::string text = castleName(rule.castle) + ":";
    for (const CastlePiece& p : rule.pieces) {
        if (p.type == 0) break;
        text += " " + std::string(kPieceKanji[p.type]) + squareText(ownSquare(sideIndex, p.square));
        if (p.orSquare != 0) {
            text += std::string("か") + squareText(ownSquare(sideIndex, p.orSquare));
        }
    }
    return text + formatMessage(std::string("（%d手目）"), {std::to_string(side.castlePly)});
}

}  // namespace

std::vector<std::string> reasons(const Classification& c) {
    std::vector<std::string> out;
    switch (c.status) {
        case ClassifyStatus::Handicap:
            out.push_back(handicapText(c.handicap) + std::string(": 駒落ちは手合割だけで分類する"));
            return out;
        case ClassifyStatus::CustomStart:
            out.push_back(std::string("任意の開始局面からの棋譜は分類しない"));
            return out;
        case ClassifyStatus::TooShort:
            out.push_back(formatMessage(std::string("%d手しかなく分類できない（%d手以上が必要）"),
                                        {std::to_string(c.plies), std::to_string(kMinPlies)}));
            return out;
        case ClassifyStatus::Classified:
            break;
    }
    for (int s = 0; s < 2; ++s) {
        const SideClass& side = s == 0 ? c.black : c.white;
        std::string mark(s == 0 ? kMarkBlack : kMarkWhite);
        if (side.rookPlies == 0) {
            out.push_back(mark + strategyName(side.strategy) +
                          std::string(": 飛車が自陣で動かなかった"));
        } else {
            out.push_back(
                mark + strategyName(side.strategy) +
                formatMessage(
                    std::string(": 飛車が%d筋（自分から見て）に最も長く留まった（%d局面）"),
                    {std::to_string(side.rookFile), std::to_string(side.rookPlies)}));
        }
        if (side.variant != Opening::None) {
            for (const OpeningRule& rule : openingRules()) {
                if (rule.scope == Scope::Side && rule.opening == side.variant) {
                    out.push_back(mark + openingName(rule.opening) + ": " + std::string(rule.why));
                    break;
                }
            }
        }
        std::string castle = castleReason(side, s);
        if (!castle.empty()) out.push_back(mark + castle);
    }
    out.push_back(gameTypeName(c.type));
    if (c.openingRule >= 0) {
        const OpeningRule& rule = openingRules()[static_cast<std::size_t>(c.openingRule)];
        out.push_back(openingName(rule.opening) + ": " + std::string(rule.why));
    }
    return out;
}

}  // namespace core
