#include "core/notation/notation.h"

#include <array>
#include <cstdio>
#include <cstdlib>

#include "core/notation/piece_text.h"
#include "core/rules/legality.h"
#include "core/text/sjis.h"

namespace core {

namespace {

constexpr std::uint8_t kCodeUp = 3;
constexpr std::uint8_t kCodeStraight = 5;
constexpr std::uint8_t kCodeRight = 7;
constexpr std::uint8_t kCodeLeft = 8;
constexpr std::uint8_t kCodeRightBack = 9;
constexpr std::uint8_t kCodeRightUp = 11;
constexpr std::uint8_t kCodeLeftBack = 12;
constexpr std::uint8_t kCodeLeftUp = 14;

// Offsets (Black's view) each direction word covers. For "右" and "左" the last two (straight
// forward and back) count only for bishops, rooks, horses and dragons.
struct WordOffsets {
    std::uint8_t count;
    std::array<std::int8_t, 10> offsets;
};
constexpr std::array<WordOffsets, kDirectionWordCount> kWordOffsets{{
    {10, {-12, -11, -10, -9, -1, 1, 8, 9, 10, 11}},  // 0: any
    {0, {}},                                         // 1: unambiguous
    {3, {-11, -1, 9}},                               // 2: 行
    {3, {-11, -1, 9}},                               // 3: 上
    {3, {11, 1, -9}},                                // 4: 引
    {1, {-1}},                                       // 5: 直
    {2, {-10, 10}},                                  // 6: 寄
    {6, {8, 9, 10, 11, -1, 1}},                      // 7: 右
    {6, {-9, -10, -11, -12, -1, 1}},                 // 8: 左
    {1, {11}},                                       // 9: 右引
    {1, {10}},                                       // 10: 右寄
    {1, {9}},                                        // 11: 右上
    {1, {-9}},                                       // 12: 左引
    {1, {-10}},                                      // 13: 左寄
    {1, {-11}},                                      // 14: 左上
}};

// Bishops, rooks, horses and dragons: "右"/"左" cover straight moves for them, "直" never applies.
constexpr bool isLongRange(int type) { return (type & 7) == kBishop || (type & 7) == kRook; }

constexpr bool isHorseOrDragon(int type) { return type == kHorse || type == kDragon; }

constexpr int offsetCount(int code, int type) {
    const WordOffsets& w = kWordOffsets[static_cast<std::size_t>(code)];
    if ((code == kCodeRight || code == kCodeLeft) && !isLongRange(type)) return w.count - 2;
    return w.count;
}

bool fits(int code, int direction, int type) {
    const WordOffsets& w = kWordOffsets[static_cast<std::size_t>(code)];
    int n = offsetCount(code, type);
    for (int i = 0; i < n; ++i) {
        if (w.offsets[static_cast<std::size_t>(i)] == direction) return true;
    }
    return false;
}

// Index in the piece movement table of an offset (Black's view); -1 if none.
constexpr std::array<std::int8_t, 25> makeDirectionIndexes() {
    std::array<std::int8_t, 25> t{};
    for (auto& i : t) i = -1;
    for (int i = 0; i < kDirectionCount; ++i) {
        t[static_cast<std::size_t>(kDirectionOffsets[static_cast<std::size_t>(i)] + 12)] =
            static_cast<std::int8_t>(i);
    }
    return t;
}
constexpr std::array<std::int8_t, 25> kDirectionIndexes = makeDirectionIndexes();

constexpr int directionIndex(int offset) {
    if (offset < -12 || offset > 12) return -1;
    return kDirectionIndexes[static_cast<std::size_t>(offset + 12)];
}

// The offsets (Black's view) of the directions each piece type moves in, count first.
struct StepList {
    std::uint8_t count = 0;
    std::array<std::int8_t, kDirectionCount> offsets{};
};
constexpr std::array<StepList, 16> makeStepLists() {
    std::array<StepList, 16> lists{};
    for (std::size_t type = 0; type < lists.size(); ++type) {
        for (std::size_t dir = 0; dir < kDirectionCount; ++dir) {
            if (kPieceMoves[type][dir] == kMoveNone) continue;
            lists[type].offsets[lists[type].count++] =
                static_cast<std::int8_t>(kDirectionOffsets[dir]);
        }
    }
    return lists;
}
constexpr std::array<StepList, 16> kStepLists = makeStepLists();

// Direction words by code.
const std::array<std::string, kDirectionWordCount>& words() {
    static const std::array<std::string, kDirectionWordCount> w{
        "",
        "",
        std::string("行"),
        std::string("上"),
        std::string("引"),
        std::string("直"),
        std::string("寄"),
        std::string("右"),
        std::string("左"),
        std::string("右引"),
        std::string("右寄"),
        std::string("右上"),
        std::string("左引"),
        std::string("左寄"),
        std::string("左上"),
    };
    return w;
}

struct Texts {
    std::array<std::string, 11> terminals{
        std::string("投了"),     std::string("中断"),
        std::string("反則負け"), "",
        std::string("反則勝ち"), std::string("持将棋"),
        std::string("詰み"),     std::string("千日手"),
        std::string("不詰"),     std::string("切れ負け"),
        std::string("入玉勝ち"),
    };
    std::string sameSpace = std::string("同　");
    std::string notPromoting = std::string("不");
};

const Texts& texts() {
    static const Texts t;
    return t;
}

// The one-character direction words, by code ("行" 2 .. "左" 8); a two-character word is
// "右" or "左" followed by "引", "寄" or "上", codes 9..11 and 12..14 in that order.
constexpr unsigned kCodeGo = charCode("行");
constexpr unsigned kCodeUpward = charCode("上");
constexpr unsigned kCodePull = charCode("引");
constexpr unsigned kCodeDirect = charCode("直");
constexpr unsigned kCodeSideways = charCode("寄");
constexpr unsigned kCodeOnRight = charCode("右");
constexpr unsigned kCodeOnLeft = charCode("左");

// The code of a one-character direction word, 0 for any other character.
constexpr int directionCharacter(unsigned c) {
    switch (c) {
        case kCodeGo:
            return 2;
        case kCodeUpward:
            return kCodeUp;
        case kCodePull:
            return 4;
        case kCodeDirect:
            return kCodeStraight;
        case kCodeSideways:
            return 6;
        case kCodeOnRight:
            return kCodeRight;
        case kCodeOnLeft:
            return kCodeLeft;
        default:
            return 0;
    }
}

// "成", "不" (of "不成") and "生" after a direction word say the piece could promote there.
constexpr unsigned kCodePromote = charCode("成");
constexpr unsigned kCodeNot = charCode("不");
constexpr unsigned kCodeRaw = charCode("生");

// For each direction word and piece type, the steps (Black's view) to look back along from the
// destination for the moving piece, in the word's order, with how the piece moves that way.
struct OriginSteps {
    std::uint8_t count = 0;
    std::array<std::int8_t, 10> offsets{};
    std::array<std::uint8_t, 10> how{};
};
constexpr std::array<std::array<OriginSteps, 16>, kDirectionWordCount> makeOriginSteps() {
    std::array<std::array<OriginSteps, 16>, kDirectionWordCount> table{};
    for (int code = 0; code < kDirectionWordCount; ++code) {
        const WordOffsets& w = kWordOffsets[static_cast<std::size_t>(code)];
        for (int type = 0; type < 16; ++type) {
            OriginSteps& steps =
                table[static_cast<std::size_t>(code)][static_cast<std::size_t>(type)];
            for (int i = 0; i < offsetCount(code, type); ++i) {
                int offset = w.offsets[static_cast<std::size_t>(i)];
                int dir = directionIndex(offset);
                if (dir < 0) continue;
                std::uint8_t how =
                    kPieceMoves[static_cast<std::size_t>(type)][static_cast<std::size_t>(dir)];
                if (how == kMoveNone) continue;
                steps.offsets[steps.count] = static_cast<std::int8_t>(offset);
                steps.how[steps.count] = how;
                ++steps.count;
            }
        }
    }
    return table;
}
constexpr std::array<std::array<OriginSteps, 16>, kDirectionWordCount> kOriginSteps =
    makeOriginSteps();

void padTo(std::string& s, int width) {
    const std::size_t w = cp932Width(s);
    if (width > 0 && w < static_cast<std::size_t>(width)) {
        s.append(static_cast<std::size_t>(width) - w, ' ');
    }
}

// The two squares, lowest first, holding exactly piece; second is 0 when there is only one.
std::pair<int, int> twoSquaresOf(const Position& pos, PieceByte piece) {
    int first = 0;
    int second = 0;
    for (int sq = 11; sq <= 99; ++sq) {
        if (pos.cells[static_cast<std::size_t>(sq)] != piece) continue;
        if (first == 0) {
            first = sq;
        } else {
            second = sq;
        }
    }
    return {first, second};
}

bool canPromoteFrom(int origin, int destination, PieceByte piece) {
    return promotionState(origin, destination, piece) != Promotion::Impossible;
}

// Whether the piece on square from can move to square to (empty or the opponent's, which the
// caller knows), along its one line towards it.
bool canReach(const Position& pos, int from, int to) {
    PieceByte p = pos.cells[static_cast<std::size_t>(from)];
    // Pieces that only step reach no farther than a knight's jump.
    int type = pieceType(p);
    if (!isLongRange(type) && type != kLance &&
        (std::abs(fileOf(to) - fileOf(from)) > 1 || std::abs(rankOf(to) - rankOf(from)) > 2)) {
        return false;
    }
    int sign = sideOf(p) == kSideBlack ? 1 : -1;
    int dir = moveDirection(from, to);
    if (dir == 100) return false;
    int k = directionIndex(dir * sign);
    if (k < 0) return false;
    std::uint8_t how =
        kPieceMoves[static_cast<std::size_t>(pieceType(p))][static_cast<std::size_t>(k)];
    if (how == kMoveNone) return false;
    if (from + dir == to) return true;
    if (how != kMoveSlide) return false;
    for (int sq = from + dir; sq != to; sq += dir) {
        if (pos.cells[static_cast<std::size_t>(sq)] != 0) return false;
    }
    return true;
}

}  // namespace

int moveDirection(int o, int d) {
    int diff = d - o;
    if (diff == 0 || !isSquare(o) || !isSquare(d)) return 100;
    int sign = diff > 0 ? 1 : -1;
    int df = fileOf(d) - fileOf(o);
    int dr = rankOf(d) - rankOf(o);
    // The file test comes first: a slide from rank 9 to rank 1 differs by 8 like a knight jump.
    if (df == 0) return sign;
    if (dr == 0) return 10 * sign;
    if (std::abs(df) == 1 && std::abs(dr) == 2) return diff;  // ±12 or ±8
    if (df == dr) return 11 * sign;
    if (df == -dr) return 9 * sign;
    return 100;
}

std::string_view directionWord(int code) {
    if (code < 0 || code >= kDirectionWordCount) return {};
    return words()[static_cast<std::size_t>(code)];
}

std::string_view terminalWord(int code) {
    if (code < 0 || code > kLastTerminalCode) return {};
    return texts().terminals[static_cast<std::size_t>(code)];
}

std::string_view pieceWord(int type, bool dragonAsRyu) {
    switch (type) {
        case kPromotedLance:
            return kPromotedLanceName;
        case kPromotedKnight:
            return kPromotedKnightName;
        case kPromotedSilver:
            return kPromotedSilverName;
        case kDragon:
            return dragonAsRyu ? kDragonRyu : kPieceKanji[kDragon];
        default:
            break;
    }
    if (type < 0 || type > 15) return {};
    return kPieceKanji[static_cast<std::size_t>(type)];
}

std::string_view sideMark(SideByte side, MarkStyle style) {
    bool black = side == kSideBlack;
    switch (style) {
        case MarkStyle::None:
            return {};
        case MarkStyle::Up:
            return black ? kMarkBlack : kMarkWhite;
        case MarkStyle::Down:
            return black ? kMarkBlack : kMarkWhiteAlt;
        case MarkStyle::UserUp:
            return black ? kMarkBlackUser : kMarkWhiteUser1;
        case MarkStyle::UserDown:
            return black ? kMarkBlackUser : kMarkWhiteUser2;
    }
    return {};
}

std::string originFormText(const MoveNode& node, int previousDestination, MarkStyle style,
                           int width, const NotationOptions& options) {
    std::string s(sideMark(moverOf(node), style));
    if (node.isTerminal()) {
        s += terminalWord(node.to);
        padTo(s, width);
        return s;
    }
    int dest = node.destination();
    if (dest == (previousDestination & ~kPromoteFlag)) {
        s += texts().sameSpace;
    } else {
        s += kFullWidthDigits[static_cast<std::size_t>(fileOf(dest))];
        s += kRankNumerals[static_cast<std::size_t>(rankOf(dest))];
    }
    s += pieceWord(pieceType(node.piece), options.dragonAsRyu);
    if (node.isDrop()) {
        s += kWordDrop;
    } else {
        if (node.promotes()) s += kWordPromote;
        char origin[8];
        std::snprintf(origin, sizeof origin, "(%d)", node.from);
        s += origin;
    }
    padTo(s, width);
    return s;
}

std::string traditionalText(const MoveNode& node, int previousDestination, DestinationForm form,
                            MarkStyle style, int width, const NotationOptions& options) {
    const Texts& t = texts();
    std::string s(sideMark(moverOf(node), style));
    std::size_t afterMark = s.size();
    if (node.isTerminal()) {
        s += terminalWord(node.to);
        padTo(s, width);
        return s;
    }
    int dest = node.destination();
    bool repeat = dest == (previousDestination & ~kPromoteFlag);
    switch (form) {
        case DestinationForm::FullWidth:
            if (repeat) {
                s += t.sameSpace;
                break;
            }
            [[fallthrough]];
        case DestinationForm::SquareAndSame:
            s += kFullWidthDigits[static_cast<std::size_t>(fileOf(dest))];
            s += kRankNumerals[static_cast<std::size_t>(rankOf(dest))];
            if (repeat) s += kWordSame;
            break;
        case DestinationForm::HalfWidth:
        case DestinationForm::HalfWidthAlt:
            if (repeat) {
                s += kWordSame;
            } else {
                s += std::to_string(dest);
            }
            break;
    }
    s += pieceWord(pieceType(node.piece), options.dragonAsRyu);
    int code = node.notation & kHintCodeMask;
    if (node.isDrop()) {
        if (code == kHintAmbiguous ||
            (form == DestinationForm::SquareAndSame && options.dropMarkOnLast)) {
            s += kWordDrop;
        }
    } else {
        s += directionWord(code);
        if (node.promotes()) {
            s += kWordPromote;
        } else if (node.notation & kHintNoPromotion) {
            s += kWordNoPromote;
        }
    }
    if (form == DestinationForm::FullWidth || form == DestinationForm::SquareAndSame) {
        std::string_view body(s);
        body.remove_prefix(afterMark);
        if (body.starts_with(t.sameSpace) && cp932Width(body) > cp932Width(t.sameSpace) + 2) {
            s.erase(afterMark + kWordSame.size(), kFullWidthSpace.size());
        }
    }
    padTo(s, width);
    return s;
}

std::uint8_t computeNotationHint(const Position& before, int origin, int destination) {
    if (destination <= kLastTerminalCode) return kHintUnique;
    int dest = destination & ~kPromoteFlag;
    bool promote = (destination & kPromoteFlag) != 0;
    if (origin < 0 || origin >= kCellCount || !isSquare(dest)) return kHintUnique;
    bool drop = origin >= 100;
    PieceByte mover = before.cells[static_cast<std::size_t>(origin)];
    if (mover == 0 || mover == kWall) return kHintUnique;
    std::uint8_t hint = 0;
    if (!drop && !promote && canPromoteFrom(origin, dest, mover)) hint |= kHintNoPromotion;

    SideByte side = sideOf(mover);
    // Other pieces of exactly the same kind that can reach the destination: only the ids of the
    // mover's type range can be such pieces.
    std::array<int, 18> others{};
    int otherCount = 0;
    int base = pieceType(mover) == kKing ? kKing : (pieceType(mover) & 7);
    auto consider = [&](int sq) {
        if (sq != origin && before.cells[static_cast<std::size_t>(sq)] == mover &&
            canReach(before, sq, dest)) {
            others[static_cast<std::size_t>(otherCount++)] = sq;
        }
    };
    if (base == kKing) {
        // A side has one king.
    } else if (isLongRange(pieceType(mover)) || pieceType(mover) == kLance) {
        // Few of them, and they may stand far away: look where each one is.
        for (int id = kPieceIdFirst[static_cast<std::size_t>(base)];
             id <= kPieceIdLast[static_cast<std::size_t>(base)]; ++id) {
            int sq = before.whereIs[static_cast<std::size_t>(id)];
            if (isSquare(sq)) consider(sq);
        }
    } else {
        // A piece that steps stands one of its own steps short of the destination: look only
        // there (a pawn never has a rival).
        const StepList& steps = kStepLists[static_cast<std::size_t>(pieceType(mover))];
        const int sign = side == kSideBlack ? 1 : -1;
        for (int i = 0; i < steps.count; ++i) {
            int sq = dest - steps.offsets[static_cast<std::size_t>(i)] * sign;
            if (isSquare(sq) && before.cells[static_cast<std::size_t>(sq)] == mover) consider(sq);
        }
    }
    if (otherCount == 0) return hint | kHintUnique;
    if (drop) return hint | kHintAmbiguous;

    int type = pieceType(mover);
    int sign = side == kSideBlack ? 1 : -1;
    bool horseOrDragon = isHorseOrDragon(type);
    bool pairOnSameRank = false;
    if (horseOrDragon) {
        auto [low, high] = twoSquaresOf(before, mover);
        if (high != 0 && fileOf(low) != fileOf(high)) {
            int r = rankOf(dest);
            if ((r < rankOf(low) && r < rankOf(high)) || (r > rankOf(low) && r > rankOf(high))) {
                int other = low == origin ? high : low;
                bool otherOnSmallerFile = fileOf(other) < fileOf(origin);
                bool left = side == kSideBlack ? otherOnSmallerFile : !otherOnSmallerFile;
                return hint | (left ? kCodeLeft : kCodeRight);
            }
        }
        pairOnSameRank = high != 0 && rankOf(low) == rankOf(high);
    }

    int direction = moveDirection(origin, dest) * sign;
    for (int code = kCodeUp; code < kDirectionWordCount; ++code) {
        if (code == kCodeStraight && isLongRange(type)) continue;
        if (!fits(code, direction, type)) continue;
        int word = code;
        if (horseOrDragon && pairOnSameRank) {
            if (code == kCodeRightBack || code == kCodeRightUp) word = kCodeRight;
            if (code == kCodeLeftBack || code == kCodeLeftUp) word = kCodeLeft;
        }
        bool separates = true;
        for (int i = 0; i < otherCount; ++i) {
            int other = others[static_cast<std::size_t>(i)];
            if (horseOrDragon && (word == kCodeRight || word == kCodeLeft) &&
                fileOf(other) != fileOf(origin)) {
                continue;
            }
            if (fits(word, moveDirection(other, dest) * sign, type)) {
                separates = false;
                break;
            }
        }
        if (separates) return static_cast<std::uint8_t>(hint | word);
    }
    return hint | kHintAmbiguous;
}

int readDirectionWord(std::string_view text, std::size_t& length) {
    const int first = directionCharacter(charCode(text));
    length = first == 0 ? 0 : charLength(text, 0);
    if (first != kCodeRight && first != kCodeLeft) return first;
    // Longest first: "右引" before "右".
    int second = 0;
    const std::size_t firstLength = length;
    switch (charCode(text.substr(firstLength))) {
        case kCodePull:
            second = 0;
            break;
        case kCodeSideways:
            second = 1;
            break;
        case kCodeUpward:
            second = 2;
            break;
        default:
            return first;
    }
    length = firstLength + charLength(text, firstLength);
    return (first == kCodeRight ? kCodeRightBack : kCodeLeftBack) + second;
}

int findOrigin(const Position& pos, int destination, PieceByte piece, std::string_view text) {
    int dest = destination & ~kPromoteFlag;
    if (!isSquare(dest)) return 0;
    std::size_t wordLength = 0;
    int code = readDirectionWord(text, wordLength);
    const unsigned after = charCode(text.substr(wordLength));
    bool mustPromote = after == kCodePromote || after == kCodeNot || after == kCodeRaw;
    auto accept = [&](int origin) { return !mustPromote || canPromoteFrom(origin, dest, piece); };
    SideByte side = sideOf(piece);
    int type = pieceType(piece);

    if (isHorseOrDragon(type) && (code == kCodeRight || code == kCodeLeft)) {
        auto [low, high] = twoSquaresOf(pos, piece);
        if (high != 0 && fileOf(low) != fileOf(high)) {
            // low has the smaller file number: it stands on Black's right.
            bool wantSmallerFile = (code == kCodeRight) == (side == kSideBlack);
            int origin = wantSmallerFile ? low : high;
            return accept(origin) ? origin : 0;
        }
    }

    int sign = side == kSideBlack ? 1 : -1;
    const OriginSteps& steps =
        kOriginSteps[static_cast<std::size_t>(code)][static_cast<std::size_t>(type)];
    for (int i = 0; i < steps.count; ++i) {
        int step = steps.offsets[static_cast<std::size_t>(i)] * sign;
        bool slides = steps.how[static_cast<std::size_t>(i)] != kMoveStep;
        for (int cell = dest - step; isSquare(cell); cell -= step) {
            PieceByte p = pos.cells[static_cast<std::size_t>(cell)];
            if (p == piece && accept(cell)) return cell;
            if (p != 0 || !slides) break;
        }
    }
    return 0;
}

}  // namespace core
