#include "core/rules/legality.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <random>
#include <utility>
#include <vector>

#include "core/rules/move_generator.h"
#include "tests/support/positions.h"

namespace core {
namespace {

using testsupport::B;
using testsupport::diagram;
using testsupport::W;

constexpr int P(int sq) { return sq | kPromoteFlag; }

Position standard() {
    Position pos;
    setupHandicap(pos, kHandicapEven);
    return pos;
}

// White's king on 51 cannot escape a pawn dropped on 52 that Black's golds on 43 and 63 defend;
// silvers on 32 and 72 guard 41 and 61.
Position dropMateFrame(std::initializer_list<std::pair<int, PieceByte>> extra = {}) {
    Position pos = diagram({{99, B(kKing)},
                            {51, W(kKing)},
                            {43, B(kGold)},
                            {63, B(kGold)},
                            {32, B(kSilver)},
                            {72, B(kSilver)},
                            {111, B(kPawn)}});
    for (auto [cell, piece] : extra) pos.cells[cell] = piece;
    buildPieceList(pos);
    return pos;
}

struct CheckCase {
    const char* name;
    Position pos;
    int origin;
    int destination;
    SideByte side;
    MoveCheckResult want;
};

TEST(LegalityTest, EveryResultCode) {
    const Position start = standard();
    const Position hand = diagram({{59, B(kKing)},
                                   {51, W(kKing)},
                                   {111, B(kPawn)},
                                   {112, B(kKnight)},
                                   {113, B(kLance)},
                                   {33, W(kPawn)},
                                   {77, B(kPawn)},
                                   {114, W(kGold)}});
    Position beyondHand = hand;
    beyondHand.cells[120] = B(kGold);  // a stray piece past handEnd
    const Position pin = diagram({{59, B(kKing)}, {57, B(kGold)}, {53, W(kRook)}, {51, W(kKing)}});
    const Position problem = diagram({{57, B(kGold)}, {53, W(kRook)}, {51, W(kKing)}});
    const Position edge = diagram({{59, B(kKing)},
                                   {51, W(kKing)},
                                   {21, B(kKnight)},
                                   {91, B(kKnight)},
                                   {15, B(kLance)},
                                   {55, B(kRook)},
                                   {44, B(kBishop)},
                                   {36, W(kKnight)},
                                   {28, W(kPawn)}});

    const std::vector<CheckCase> cases{
        {"legal pawn push", start, 77, 76, kSideBlack, MoveCheckResult::Legal},
        {"legal white reply", start, 33, 34, kSideWhite, MoveCheckResult::Legal},
        {"pawn drop mate", dropMateFrame(), 111, 52, kSideBlack, MoveCheckResult::PawnDropMate},
        {"origin is a terminal code", start, 5, 76, kSideBlack, MoveCheckResult::NoOrigin},
        {"origin empty", start, 55, 54, kSideBlack, MoveCheckResult::OriginEmpty},
        {"hand slot empty", hand, 115, 55, kSideBlack, MoveCheckResult::OriginEmpty},
        {"opponent's piece", start, 33, 34, kSideBlack, MoveCheckResult::NotOwnPiece},
        {"wall as origin", start, 20, 21, kSideBlack, MoveCheckResult::NotOwnPiece},
        {"opponent's hand piece", hand, 114, 55, kSideBlack, MoveCheckResult::NotOwnPiece},
        {"own piece on destination", start, 88, 79, kSideBlack,
         MoveCheckResult::OwnPieceOnDestination},
        {"drop onto a piece", hand, 111, 33, kSideBlack, MoveCheckResult::DropOnOccupied},
        {"drop onto own piece", hand, 111, 77, kSideBlack, MoveCheckResult::OwnPieceOnDestination},
        {"pawn drop on last rank", hand, 111, 51 - 10, kSideBlack, MoveCheckResult::DeadDrop},
        {"knight drop on rank 2", hand, 112, 42, kSideBlack, MoveCheckResult::DeadDrop},
        {"lance drop on rank 1", hand, 113, 41, kSideBlack, MoveCheckResult::DeadDrop},
        {"knight drop on rank 3", hand, 112, 43, kSideBlack, MoveCheckResult::Legal},
        {"drop asked to promote", hand, 111, P(55), kSideBlack,
         MoveCheckResult::PromotionImpossible},
        {"gold asked to promote", start, 69, P(68), kSideBlack,
         MoveCheckResult::PromotionImpossible},
        {"promotion out of the zone", start, 77, P(76), kSideBlack,
         MoveCheckResult::PromotionImpossible},
        {"lance to rank 1 unpromoted", edge, 15, 11, kSideBlack, MoveCheckResult::PromotionMissing},
        {"lance to rank 1 promoted", edge, 15, P(11), kSideBlack, MoveCheckResult::Legal},
        {"pawn two steps", start, 77, 75, kSideBlack, MoveCheckResult::CannotReach},
        {"rook through a piece", start, 28, 25, kSideBlack, MoveCheckResult::CannotReach},
        {"knight wrapping over the edge", edge, 91, 99, kSideBlack, MoveCheckResult::CannotReach},
        {"knight to a wall", edge, 21, 9, kSideBlack, MoveCheckResult::NotASquare},
        {"shield leaves the file", pin, 57, 67, kSideBlack, MoveCheckResult::LeavesKingAttacked},
        {"shield stays on the file", pin, 57, 56, kSideBlack, MoveCheckResult::Legal},
        {"shield captures the rook", pin, 57, 53, kSideBlack, MoveCheckResult::CannotReach},
        {"no Black king in a problem", problem, 57, 67, kSideBlack, MoveCheckResult::Legal},
        {"king steps into a knight's reach", edge, 59, 48, kSideBlack,
         MoveCheckResult::LeavesKingAttacked},
        {"second pawn on the file", hand, 111, 75, kSideBlack, MoveCheckResult::SecondPawn},
        {"second pawn before drop mate", dropMateFrame({{56, B(kPawn)}}), 111, 52, kSideBlack,
         MoveCheckResult::SecondPawn},
        {"destination 50", start, 59, 50, kSideBlack, MoveCheckResult::NotASquare},
        {"destination 100", edge, 91, 100, kSideBlack, MoveCheckResult::NotASquare},
        {"drop on 50", hand, 111, 50, kSideBlack, MoveCheckResult::NotASquare},
        {"drop on a terminal code", hand, 111, 3, kSideBlack, MoveCheckResult::NotASquare},
        {"hand slot beyond handEnd", beyondHand, 120, 55, kSideBlack, MoveCheckResult::BeyondHand},
        {"origin beyond every cell", start, 200, 55, kSideBlack, MoveCheckResult::BeyondHand},
        {"rook takes the king", edge, 55, 51, kSideBlack, MoveCheckResult::CapturesKing},
        {"king capture before movement", start, 77, 51, kSideBlack, MoveCheckResult::CapturesKing},
    };
    for (const CheckCase& c : cases) {
        const Position before = c.pos;
        EXPECT_EQ(checkMove(c.pos, c.origin, c.destination, c.side), c.want) << c.name;
        EXPECT_EQ(c.pos, before) << c.name;
    }
}

TEST(LegalityTest, PawnDropMateNeedsEveryEscapeClosed) {
    // Undefended pawn: the king takes it.
    Position bare = diagram(
        {{99, B(kKing)}, {51, W(kKing)}, {111, B(kPawn)}, {32, B(kSilver)}, {72, B(kSilver)}});
    EXPECT_FALSE(isPawnDropMate(bare, 111, 52));
    EXPECT_EQ(checkMove(bare, 111, 52, kSideBlack), MoveCheckResult::Legal);

    // A free square left for the king.
    Position open = dropMateFrame();
    open.cells[72] = 0;
    buildPieceList(open);
    EXPECT_EQ(checkMove(open, 111, 52, kSideBlack), MoveCheckResult::Legal);

    // A White silver on 41 takes the pawn.
    Position defended = dropMateFrame({{32, 0}, {41, W(kSilver)}});
    EXPECT_EQ(checkMove(defended, 111, 52, kSideBlack), MoveCheckResult::Legal);

    // The same silver pinned by a Black bishop on the diagonal 51-62..: it may not leave it, mate.
    Position pinned = dropMateFrame({{63, 0}, {62, W(kGold)}, {84, B(kBishop)}});
    PinTable pins = pinnedPieces(pinned, kSideWhite);
    ASSERT_EQ(pins.count, 1);
    EXPECT_EQ(pins.pins[0].square, 62);
    EXPECT_EQ(checkMove(pinned, 111, 52, kSideBlack), MoveCheckResult::PawnDropMate);
    Position unpinned = dropMateFrame({{63, 0}, {62, W(kGold)}});
    EXPECT_EQ(checkMove(unpinned, 111, 52, kSideBlack), MoveCheckResult::Legal);

    // A rook pinned along the file may still take the pawn: the capture stays on the pin line.
    Position onLine = dropMateFrame({{54, W(kRook)}, {57, B(kLance)}});
    ASSERT_EQ(pinnedPieces(onLine, kSideWhite).count, 1);
    EXPECT_EQ(checkMove(onLine, 111, 52, kSideBlack), MoveCheckResult::Legal);

    // White's drop against Black's king mirrors it.
    Position white = diagram({{11, W(kKing)},
                              {59, B(kKing)},
                              {67, W(kGold)},
                              {47, W(kGold)},
                              {78, W(kSilver)},
                              {38, W(kSilver)},
                              {111, W(kPawn)}});
    EXPECT_TRUE(isPawnDropMate(white, 111, 58));
    EXPECT_EQ(checkMove(white, 111, 58, kSideWhite), MoveCheckResult::PawnDropMate);
    // Not in front of the king, or not a pawn: no mate.
    EXPECT_FALSE(isPawnDropMate(white, 111, 57));
}

TEST(LegalityTest, PromotionStates) {
    struct Case {
        int origin;
        int destination;
        PieceByte piece;
        Promotion want;
    };
    const Case cases[] = {
        {55, 22, B(kBishop), Promotion::Optional},
        {15, 11, B(kLance), Promotion::Compulsory},
        {14, 12, B(kLance), Promotion::Optional},
        {33, 44, B(kSilver), Promotion::Optional},  // leaving the zone
        {34, 45, B(kSilver), Promotion::Impossible},
        {34, 22, B(kKnight), Promotion::Compulsory},
        {35, 23, B(kKnight), Promotion::Optional},
        {14, 13, B(kPawn), Promotion::Optional},
        {12, 11, B(kPawn), Promotion::Compulsory},
        {49, 38, B(kGold), Promotion::Impossible},
        {33, 32, B(kHorse), Promotion::Impossible},
        {33, 32, B(kKing), Promotion::Impossible},
        {55, P(22), B(kBishop), Promotion::Impossible},
        {111, 22, B(kBishop), Promotion::Impossible},
        {56, 57, W(kPawn), Promotion::Optional},
        {58, 59, W(kPawn), Promotion::Compulsory},
        {76, 88, W(kKnight), Promotion::Compulsory},
        {65, 77, W(kKnight), Promotion::Optional},
        {75, 76, W(kSilver), Promotion::Impossible},
        {75, 35, W(kRook), Promotion::Impossible},
        {33, 37, W(kRook), Promotion::Optional},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(promotionState(c.origin, c.destination, c.piece), c.want)
            << c.origin << "->" << c.destination;
    }
}

TEST(LegalityTest, DropRulesAndPawnFiles) {
    EXPECT_FALSE(dropAllowed(B(kPawn), 51, kSideBlack));
    EXPECT_TRUE(dropAllowed(B(kPawn), 52, kSideBlack));
    EXPECT_FALSE(dropAllowed(W(kPawn), 59, kSideWhite));
    EXPECT_FALSE(dropAllowed(W(kLance), 19, kSideWhite));
    EXPECT_FALSE(dropAllowed(W(kKnight), 18, kSideWhite));
    EXPECT_TRUE(dropAllowed(W(kKnight), 17, kSideWhite));
    EXPECT_TRUE(dropAllowed(B(kGold), 11, kSideBlack));

    Position pos = diagram({{57, B(kPawn)}, {43, B(kPromotedPawn)}, {23, W(kPawn)}});
    EXPECT_TRUE(pawnOnFile(pos, 51, kSideBlack));
    EXPECT_FALSE(pawnOnFile(pos, 41, kSideBlack));  // a promoted pawn does not count
    EXPECT_FALSE(pawnOnFile(pos, 21, kSideBlack));
    EXPECT_TRUE(pawnOnFile(pos, 29, kSideWhite));
    EXPECT_FALSE(pawnOnFile(pos, 50, kSideBlack));
}

TEST(LegalityTest, DestinationsInDirectionOrderNearestFirst) {
    Position pos = diagram({{55, B(kRook)}, {53, W(kPawn)}, {85, B(kGold)}});
    Destinations rook = destinations(pos, 55, kSideBlack);
    std::vector<int> got(rook.begin(), rook.end());
    // right 45..15, forward 54, 53 (capture, then stop), left 65, 75 (stop before own gold), back.
    std::vector<int> want{45, 35, 25, 15, 54, 53, 65, 75, 56, 57, 58, 59};
    EXPECT_EQ(got, want);

    Position white = diagram({{55, W(kDragon)}});
    Destinations dragon = destinations(white, 55, kSideWhite);
    got.assign(dragon.begin(), dragon.end());
    EXPECT_EQ(got.size(), 20u);
    EXPECT_EQ(got.front(), 65);  // White's right is Black's left

    Position knights = diagram({{91, B(kKnight)}, {11, B(kKnight)}, {99, W(kKnight)}});
    EXPECT_EQ(destinations(knights, 91, kSideBlack).count, 0);
    EXPECT_EQ(destinations(knights, 11, kSideBlack).count, 0);
    EXPECT_EQ(destinations(knights, 99, kSideWhite).count, 0);
    EXPECT_EQ(destinations(knights, 55, kSideBlack).count, 0);
    EXPECT_EQ(destinations(knights, 50, kSideBlack).count, 0);
}

TEST(LegalityTest, AttackersInPieceIdOrder) {
    // On 55: Black pawn 56, knight 67, gold 46, rook 15 (sliding), king 66; White's lance 58 and
    // Black's lance 95 (on another file) do not count.
    Position pos = diagram({{56, B(kPawn)},
                            {67, B(kKnight)},
                            {46, B(kGold)},
                            {15, B(kRook)},
                            {66, B(kKing)},
                            {54, W(kKing)},
                            {58, W(kLance)},
                            {95, B(kLance)}});
    Attackers list = attackers(pos, 55, kSideBlack);
    std::vector<int> got(list.begin(), list.end());
    std::vector<int> want{56, 67, 46, 15, 66};  // ids 1, 23, 31, 37, 39
    EXPECT_EQ(got, want);
    EXPECT_TRUE(isAttacked(pos, 55, kSideBlack));
    EXPECT_TRUE(isAttacked(pos, 91, kSideBlack));   // the lance slides to the edge
    EXPECT_FALSE(isAttacked(pos, 96, kSideBlack));  // but not backwards
    EXPECT_TRUE(isAttacked(pos, 85, kSideBlack));   // the rook along rank 5, past 55
    EXPECT_FALSE(isAttacked(pos, 95, kSideWhite));
    EXPECT_TRUE(isAttacked(pos, 59, kSideWhite));  // White's lance moves towards rank 9
    EXPECT_FALSE(isAttacked(pos, 57, kSideWhite));
    EXPECT_EQ(attackers(pos, 46, kSideBlack).count, 0);  // own piece stands there
    EXPECT_FALSE(isAttacked(pos, 50, kSideBlack));
}

// Legal moves come from the move generator: board moves from destinations with both promotion
// choices where optional, promotion only where compulsory, drops of each kind in hand to every
// empty square.
struct Move {
    int origin;
    int destination;
};

void legalMoves(const Position& pos, SideByte side, std::vector<Move>& out) {
    thread_local std::vector<PackedMove> packed;
    packed.clear();
    core::legalMoves(pos, side, packed);
    out.clear();
    for (PackedMove m : packed) out.push_back({moveOrigin(m), moveDestination(m)});
}

std::uint64_t perft(Position& pos, SideByte side, int depth) {
    std::vector<Move> moves;
    legalMoves(pos, side, moves);
    if (depth == 1) return moves.size();
    std::uint64_t total = 0;
    for (const Move& m : moves) {
        const PieceByte piece = pos.cells[m.origin];
        const PieceByte captured = pos.cells[m.destination & ~kPromoteFlag];
        EXPECT_TRUE(applyMove(pos, m.origin, m.destination, (m.destination & kPromoteFlag) != 0));
        total += perft(pos, opponent(side), depth - 1);
        EXPECT_TRUE(undoMove(pos, m.origin, m.destination, piece, captured));
    }
    return total;
}

TEST(LegalityTest, PerftFromTheStandardStart) {
    Position pos = standard();
    const Position before = pos;
    EXPECT_EQ(perft(pos, kSideBlack, 1), 30u);
    EXPECT_EQ(perft(pos, kSideBlack, 2), 900u);
    EXPECT_EQ(perft(pos, kSideBlack, 3), 25470u);
#if !defined(__SANITIZE_ADDRESS__)
    EXPECT_EQ(perft(pos, kSideBlack, 4), 719731u);
#endif
    EXPECT_EQ(comparePositions(pos, before), 0);
    EXPECT_EQ(pos.pieceAt, before.pieceAt);
}

// A long random game played with applyMove and undone with undoMove returns to its start, with a
// consistent piece list at every step.
TEST(LegalityTest, RandomGameUndoesToItsStart) {
    std::mt19937 rng(12345);
    for (int game = 0; game < 20; ++game) {
        Position pos = standard();
        const Position start = pos;
        struct Played {
            Move move;
            PieceByte piece;
            PieceByte captured;
        };
        std::vector<Played> played;
        std::vector<Move> moves;
        SideByte side = kSideBlack;
        for (int ply = 0; ply < 300; ++ply) {
            legalMoves(pos, side, moves);
            if (moves.empty()) break;
            const Move m = moves[rng() % moves.size()];
            played.push_back({m, pos.cells[m.origin], pos.cells[m.destination & ~kPromoteFlag]});
            ASSERT_TRUE(applyMove(pos, m.origin, m.destination, (m.destination & kPromoteFlag)));
            ASSERT_TRUE(isConsistent(pos)) << "game " << game << " ply " << ply;
            side = opponent(side);
        }
        for (auto it = played.rbegin(); it != played.rend(); ++it) {
            ASSERT_TRUE(
                undoMove(pos, it->move.origin, it->move.destination, it->piece, it->captured));
            ASSERT_TRUE(isConsistent(pos)) << "game " << game;
        }
        ASSERT_EQ(comparePositions(pos, start), 0) << "game " << game;
        for (int id = 1; id < kPieceIdCount; ++id) {
            ASSERT_EQ(pos.pieceAt[pos.whereIs[id]], id) << "game " << game << " id " << id;
        }
    }
}

// Positions met along random games from the even start and a handicap, every few plies, with the
// side to move (its king may stand in check).
std::vector<Position> gamePositions(unsigned seed, int games) {
    std::mt19937 rng(seed);
    std::vector<Position> out;
    std::vector<Move> moves;
    for (int game = 0; game < games; ++game) {
        Position pos;
        setupHandicap(pos, game % 4 == 3 ? 6 : kHandicapEven);
        for (int ply = 0; ply < 240; ++ply) {
            if (ply % 5 == 0) out.push_back(pos);
            legalMoves(pos, pos.sideToMove, moves);
            if (moves.empty()) break;
            const Move m = moves[rng() % moves.size()];
            EXPECT_TRUE(applyMove(pos, m.origin, m.destination, (m.destination & kPromoteFlag)));
            pos.sideToMove = opponent(pos.sideToMove);
        }
    }
    return out;
}

// Every origin of the side to move (board pieces and hand slots) and every square, promoting where
// it must, and both ways where it may.
template <class Visit>
void everyMoveTried(const Position& pos, Visit&& visit) {
    const SideByte side = pos.sideToMove;
    for (int origin = 11; origin < pos.handEnd; ++origin) {
        if (!belongsTo(pos.cells[origin], side)) continue;
        for (int to = 11; to <= 99; ++to) {
            if (!isSquare(to)) continue;
            const Promotion state = promotionState(origin, to, pos.cells[origin]);
            if (state != Promotion::Compulsory) visit(origin, to);
            if (state != Promotion::Impossible) visit(origin, P(to));
        }
    }
}

// Knowing the king safe changes how checkMove looks for attackers, never what it answers; and a
// piece reaches exactly the squares destinations lists.
TEST(LegalityTest, KnownSafeKingGivesTheSameResults) {
    int compared = 0;
    int mismatches = 0;
    for (const Position& pos : gamePositions(777, 16)) {
        const SideByte side = pos.sideToMove;
        const int king = kingSquare(pos, side);
        const bool safe = !isAttacked(pos, king, opponent(side));
        everyMoveTried(pos, [&](int origin, int destination) {
            const MoveCheckResult full = checkMove(pos, origin, destination, side);
            if (safe && checkMove(pos, origin, destination, side, true) != full) {
                if (++mismatches < 5) {
                    ADD_FAILURE() << "origin " << origin << " destination " << destination;
                }
            }
            const int to = destination & ~kPromoteFlag;
            const PieceByte target = pos.cells[to];
            const bool compulsory =
                promotionState(origin, to, pos.cells[origin]) == Promotion::Compulsory;
            if (origin < 100 && !belongsTo(target, side) && pieceType(target) != kKing &&
                (destination != to) == compulsory) {
                const bool listed = destinations(pos, origin, side).contains(to);
                EXPECT_EQ(full != MoveCheckResult::CannotReach, listed)
                    << "origin " << origin << " to " << to;
            }
            ++compared;
        });
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_GT(compared, 300000);
}

// After any legal move made on a position where the other king was not attacked, givesCheck says
// whether it is attacked now.
TEST(LegalityTest, GivesCheckFindsEveryNewAttack) {
    std::vector<Move> moves;
    int checks = 0;
    int moved = 0;
    for (const Position& pos : gamePositions(4242, 24)) {
        const SideByte side = pos.sideToMove;
        const int enemyKing = kingSquare(pos, opponent(side));
        if (isAttacked(pos, enemyKing, side)) continue;
        legalMoves(pos, side, moves);
        for (const Move& m : moves) {
            Position after = pos;
            ASSERT_TRUE(applyMove(after, m.origin, m.destination, (m.destination & kPromoteFlag)));
            const bool attacked = isAttacked(after, enemyKing, side);
            EXPECT_EQ(givesCheck(after, m.origin, m.destination, side), attacked)
                << "origin " << m.origin << " destination " << m.destination;
            checks += attacked ? 1 : 0;
            ++moved;
        }
    }
    EXPECT_GT(moved, 50000);
    EXPECT_GT(checks, 500);
}

// A discovered attack through the emptied origin, a block on the destination and the king's own
// moves, each told apart with the king known safe.
TEST(LegalityTest, KnownSafeKingSeesOpenedLines) {
    const Position pos = diagram({{59, B(kKing)},
                                  {57, B(kGold)},
                                  {53, W(kRook)},
                                  {51, W(kKing)},
                                  {48, B(kSilver)},
                                  {26, W(kBishop)},
                                  {61, W(kLance)},
                                  {111, B(kPawn)}});
    EXPECT_EQ(checkMove(pos, 57, 47, kSideBlack, true), MoveCheckResult::LeavesKingAttacked);
    EXPECT_EQ(checkMove(pos, 57, 56, kSideBlack, true), MoveCheckResult::Legal);
    EXPECT_EQ(checkMove(pos, 48, 47, kSideBlack, true), MoveCheckResult::LeavesKingAttacked);
    EXPECT_EQ(checkMove(pos, 48, 37, kSideBlack, true), MoveCheckResult::Legal);
    EXPECT_EQ(checkMove(pos, 59, 69, kSideBlack, true), MoveCheckResult::LeavesKingAttacked);
    EXPECT_EQ(checkMove(pos, 59, 49, kSideBlack, true), MoveCheckResult::Legal);
    EXPECT_EQ(checkMove(pos, 111, 55, kSideBlack, true), MoveCheckResult::Legal);

    Position after = pos;
    ASSERT_TRUE(applyMove(after, 57, 47, false));
    EXPECT_FALSE(givesCheck(after, 57, 47, kSideBlack));
    Position rookOpens =
        diagram({{59, B(kKing)}, {51, W(kKing)}, {55, B(kSilver)}, {58, B(kRook)}});
    ASSERT_TRUE(applyMove(rookOpens, 55, 44, false));
    EXPECT_TRUE(givesCheck(rookOpens, 55, 44, kSideBlack));
    Position knight = diagram({{59, B(kKing)}, {51, W(kKing)}, {111, B(kKnight)}});
    ASSERT_TRUE(applyMove(knight, 111, 63, false));
    EXPECT_TRUE(givesCheck(knight, 111, 63, kSideBlack));
}

}  // namespace
}  // namespace core
