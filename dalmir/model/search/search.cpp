#include "dalmir/model/search/search.h"

#include <algorithm>
#include <thread>

#include "core/base/parallel_for.h"
#include "core/formats/kif_reader.h"
#include "core/text/message_format.h"
#include "core/text/sjis.h"
#include "dalmir/model/store/position_index.h"
#include "dalmir/model/table/duplicate_criteria.h"
#include "dalmir/model/table/fs_paths.h"

namespace dalmir::model {

namespace {

struct Texts {
    std::string notFound = std::string("検出できませんでした。");
    std::string finished = std::string("検索終了　棋譜：%d  検出：%d");
    std::string cancelled = std::string("検索中止　棋譜：%d / %d  検出：%d");
    std::string readError = std::string("棋譜読み込みエラー(%s)\n%s");
    std::string cannotAdvance = std::string("次の手を進められませんでした。");
    std::string noClipboard = std::string("クリップボードが使用できません。");
    std::string targetFailed = std::string("棋譜・局面の読み込みに失敗しました。");
    std::string noTarget = std::string("クリップボードから局面を読み込めませんでした。");
    std::string targetRead = std::string("クリップボードから棋譜、局面を読み込みました。");
};

const Texts& texts() {
    static const Texts t;
    return t;
}

bool contains(std::string_view text, std::string_view part) {
    return part.empty() || core::findText(text, part) != std::string_view::npos;
}

// ASCII letters upper-cased; the bytes of two-byte characters stay as they are.
std::string upperAscii(std::string_view text) {
    std::string out(text);
    core::forEachChar(out, [&](std::size_t i, std::size_t n) {
        if (n == 1 && out[i] >= 'a' && out[i] <= 'z') out[i] = static_cast<char>(out[i] - 32);
    });
    return out;
}

constexpr int kReverse = 110;  // square s turned round is 110 - s
// Records of a binary database compared together on every core before their hits are taken.
constexpr int kParallelBlock = 4096;

bool isEdgePawn(int square, core::PieceByte piece) {
    int file = core::fileOf(square);
    return core::pieceType(piece) == core::kPawn && (file == 1 || file == 9);
}

}  // namespace

bool matchesHeader(const IndexEntry& e, const HeaderCriteria& c) {
    const int key = searchDateKey(e.start);
    const int fromKey = c.fromOn ? searchDateKey(c.from) : 0;
    const int toKey = c.toOn ? searchDateKey(c.to) : 3000 * 512;
    if (key < fromKey || key > toKey) return false;

    std::string black(e.blackPlayer());
    std::string white(e.whitePlayer());
    std::string wantBlack = c.black, wantWhite = c.white, a = c.playerA, b = c.playerB;
    if (c.ignoreBlanks) {
        black = withoutBlanks(black);
        white = withoutBlanks(white);
        wantBlack = withoutBlanks(wantBlack);
        wantWhite = withoutBlanks(wantWhite);
        a = withoutBlanks(a);
        b = withoutBlanks(b);
    }
    if (!contains(black, wantBlack) || !contains(white, wantWhite)) return false;
    if (!a.empty() && !b.empty()) {
        bool pair = (contains(black, a) && contains(white, b)) ||
                    (contains(white, a) && contains(black, b));
        if (!pair) return false;
    } else if (!a.empty() || !b.empty()) {
        const std::string& one = a.empty() ? b : a;
        if (!contains(black, one) && !contains(white, one)) return false;
    }
    if (!contains(e.event(), c.event) || !contains(e.openingOrLabel(), c.opening)) return false;
    if (c.handicap > 0 && e.handicap != c.handicap - 1) return false;
    if (!c.fileName.empty() && !contains(upperAscii(e.path()), upperAscii(c.fileName))) {
        return false;
    }
    return contains(e.publishedIn(), c.publishedIn) && contains(e.user(0), c.user1) &&
           contains(e.user(1), c.user2);
}

PositionMatcher::PositionMatcher(const core::Position& target, PositionSearchOptions options)
    : m_options(options) {
    for (Form& f : m_forms) {
        for (auto& h : f.hand) h.fill(kAny);
    }
    Form& direct = m_forms[0];
    Form& reversed = m_forms[1];
    for (int sq = 11; sq <= 99; ++sq) {
        core::PieceByte p = target.cells[static_cast<std::size_t>(sq)];
        if (!core::isSquare(sq) || p == 0 || p == core::kWall) continue;
        if (options.ignoreEdgePawns && isEdgePawn(sq, p)) continue;
        direct.want[static_cast<std::size_t>(sq)] = p;
        reversed.want[static_cast<std::size_t>(kReverse - sq)] =
            static_cast<core::PieceByte>(p ^ core::kSideBlack);
    }
    ReplayBoard hands;
    hands.load(target);
    for (int side = 0; side < 2; ++side) {
        for (std::size_t t = 1; t < 9; ++t) {
            uint8_t n = hands.hand[static_cast<std::size_t>(side)][t];
            if (n == 0) continue;
            direct.hand[static_cast<std::size_t>(side)][t] = n;
            reversed.hand[static_cast<std::size_t>(1 - side)][t] = n;
        }
    }
    direct.side = target.sideToMove;
    reversed.side = core::opponent(target.sideToMove);
}

int PositionMatcher::misses(const Form& form, const ReplayBoard& board) {
    int n = 0;
    for (std::size_t sq = 11; sq < 100; ++sq) {
        if (form.want[sq] != 0 && board.cells[sq] != form.want[sq]) ++n;
    }
    for (std::size_t side = 0; side < 2; ++side) {
        for (std::size_t t = 1; t < 9; ++t) {
            if (form.hand[side][t] != kAny && board.hand[side][t] != form.hand[side][t]) ++n;
        }
    }
    return n;
}

bool PositionMatcher::useForm(int form, core::SideByte sideToMove) const {
    if (form == 1 && !m_options.alsoReversed) return false;
    if (!m_options.sideMustMatch) return true;
    return m_forms[static_cast<std::size_t>(form)].side == sideToMove;
}

bool PositionMatcher::matches(const ReplayBoard& board) const {
    for (int f = 0; f < 2; ++f) {
        if (useForm(f, board.sideToMove) &&
            misses(m_forms[static_cast<std::size_t>(f)], board) == 0)
            return true;
    }
    return false;
}

LineHit PositionMatcher::find(const ReplayBoard& start, std::span<const ListMove> moves) const {
    ReplayBoard board = start;
    std::array<int, 2> miss = {misses(m_forms[0], board), misses(m_forms[1], board)};
    auto cellChanged = [&](int sq, core::PieceByte before, core::PieceByte after) {
        for (std::size_t f = 0; f < 2; ++f) {
            core::PieceByte w = m_forms[f].want[static_cast<std::size_t>(sq)];
            if (w != 0) miss[f] += (after != w) - (before != w);
        }
    };
    auto handChanged = [&](int side, int type, int before, int after) {
        for (std::size_t f = 0; f < 2; ++f) {
            uint8_t w =
                m_forms[f].hand[static_cast<std::size_t>(side)][static_cast<std::size_t>(type)];
            if (w != kAny) miss[f] += (after != w) - (before != w);
        }
    };
    LineHit hit;
    int previousDestination = 0;
    ReplayStep step;
    for (std::size_t ply = 0;; ++ply) {
        bool match = (miss[0] == 0 && useForm(0, board.sideToMove)) ||
                     (miss[1] == 0 && useForm(1, board.sideToMove));
        if (match) {
            hit.ply = static_cast<int>(ply);
            hit.previousDestination = previousDestination;
            if (ply < moves.size() && playListMove(board, moves[ply], step)) {
                hit.hasNext = true;
                hit.next = step;
                hit.nextMove = moves[ply];
            }
            return hit;
        }
        if (ply >= moves.size()) break;
        const ListMove m = moves[ply];
        const int to = m.destination & ~core::kPromoteFlag;
        const core::PieceByte before =
            core::isSquare(to) ? board.cells[static_cast<std::size_t>(to)] : core::PieceByte{0};
        const int mover = ReplayBoard::handIndex(board.sideToMove);
        if (!playListMove(board, m, step) || step.closing) break;
        if (step.drop) {
            int left = board.hand[static_cast<std::size_t>(mover)][step.from];
            handChanged(mover, step.from, left + 1, left);
        } else {
            cellChanged(step.from, step.moved, 0);
        }
        cellChanged(step.to, before, board.cells[step.to]);
        if (step.captured != 0) {
            core::PieceByte inHand = core::capturedForm(step.captured);
            int type = core::pieceType(inHand) == core::kKing ? core::kKing : (inHand & 0x07);
            int now = board.hand[static_cast<std::size_t>(mover)][static_cast<std::size_t>(type)];
            handChanged(mover, type, now - 1, now);
        }
        previousDestination = step.to;
    }
    return hit;
}

TargetRead readTarget(std::string_view clipboardText) {
    TargetRead out;
    if (clipboardText.empty()) {
        out.message = texts().noClipboard;
        return out;
    }
    core::RecordStore store;
    core::ReadOptions options;
    options.ruleCheck = false;
    core::ReadReport r = core::readRecordText(store, clipboardText, false, options);
    if (r.result != core::ReadResult::Ok) {
        out.message = texts().targetFailed;
        return out;
    }
    const core::NodeIndex first = store.node(core::kRootNode).next;
    const bool hasMove = first != core::kNoNode && !store.node(first).isTerminal();
    if (!hasMove && !store.customStart() && store.handicap() == core::kHandicapEven) {
        out.message = texts().noTarget;
        return out;
    }
    out.ok = true;
    out.position = positionOfRecord(store, -1);
    out.message = texts().targetRead;
    return out;
}

core::Position positionOfRecord(const core::RecordStore& store, int ply) {
    core::NodeIndex node = core::kRootNode;
    int n = 0;
    for (core::NodeIndex x = store.node(core::kRootNode).next; x != core::kNoNode;
         x = store.node(x).next) {
        if (store.node(x).isTerminal() || (ply >= 0 && n >= ply)) break;
        node = x;
        ++n;
    }
    core::Position pos;
    // A line that can't be replayed to the end leaves the position before the failing move.
    (void)store.positionAt(node, pos);
    pos.sideToMove = (n % 2 == 0) ? store.firstMover() : core::opponent(store.firstMover());
    return pos;
}

bool Searcher::narrowByIndex(const core::Position& target, const PositionSearchOptions& options,
                             std::vector<uint8_t>& candidates) const {
    const PositionIndex* index = m_db.isBinary() ? m_db.positionIndex() : nullptr;
    ReplayBoard board;
    board.load(target);
    if (index == nullptr || !holdsEveryPiece(board)) return false;
    // With edge pawns left out, the other pawns may stand anywhere too: only the pawnless key
    // is certain to agree.
    const PositionKey key = options.ignoreEdgePawns ? PositionKey::WithoutPawns : PositionKey::Full;
    candidates.assign(static_cast<std::size_t>(m_db.table().size()), 0);
    auto mark = [&](const ReplayBoard& b) {
        std::optional<std::vector<uint32_t>> slots = index->slotsOf(key, positionKeys(b));
        if (!slots) return false;
        for (uint32_t slot : *slots) candidates[slot] = 1;
        return true;
    };
    return mark(board) && (!options.alsoReversed || mark(reversedBoard(board)));
}

Searcher::Searcher(Database& db, RecordExtractor& extractor, OperationHost& host)
    : m_db(db), m_extractor(extractor), m_host(host) {}

Searcher::Load Searcher::loadLine(int slot, ReplayBoard& start, std::span<const ListMove>& moves) {
    const IndexTable& table = m_db.table();
    const IndexEntry& e = table.entry(slot);
    if (m_db.isBinary()) {
        if (!startBoard(e.handicap, start)) return Load::Skip;
        moves = m_db.lists().list(slot);
        return Load::Ok;
    }
    IndexEntry scratch;
    std::string fsPath = locateFile(fileSystemFromStored(table.resolve(e.path())));
    ExtractResult code = m_extractor.extract(fsPath, scratch);
    if (code == ExtractResult::Ok) {
        core::Position pos;
        m_extractor.store().restoreStartPosition(pos);
        start.load(pos);
        m_extractor.buildMoveList(m_moves);
        moves = m_moves;
        return Load::Ok;
    }
    std::string detail = code == ExtractResult::CannotOpen ? core::msgFileMissing(e.path())
                                                           : m_extractor.errorText();
    std::string question = core::formatMessage(texts().readError, {e.path(), detail});
    return m_host.askSearchReadError(question) ? Load::Stop : Load::Skip;
}

template <class Test>
SearchReport Searcher::run(const char* statusUtf8, const char* progressUtf8, bool autoReplay,
                           const std::vector<uint8_t>* candidates, Test&& test) {
    IndexTable& table = m_db.table();
    const std::vector<int32_t> listed = table.displayOrder();
    const int total = static_cast<int>(listed.size());
    const int every = m_db.isBinary() ? 100 : 10;
    const std::string progress = std::string(progressUtf8);
    m_host.status(std::string(statusUtf8));
    std::vector<int32_t> hits;
    SearchReport result;
    int replayed = 0;
    // A binary database is compared on every core a block at a time; the hits are then taken in
    // list order with the progress and cancel checks at the same records as one by one.
    const int threads =
        m_threads > 0 ? m_threads : static_cast<int>(std::thread::hardware_concurrency());
    const bool parallel = m_db.isBinary() && threads > 1 && total >= 2 * kParallelBlock;
    std::vector<LineHit> block;
    int blockStart = 0;
    for (int k = 0; k < total; ++k) {
        if (parallel && (k == 0 || k - blockStart >= kParallelBlock)) {
            blockStart = k;
            const int end = std::min(total, k + kParallelBlock);
            block.assign(static_cast<std::size_t>(end - k), LineHit{});
            constexpr int kChunk = 64;
            const auto chunks = static_cast<std::size_t>((end - k + kChunk - 1) / kChunk);
            core::parallelFor(
                chunks, static_cast<unsigned>(threads), [&](unsigned, std::size_t chunk) {
                    const int from = k + static_cast<int>(chunk) * kChunk;
                    for (int j = from; j < std::min(end, from + kChunk); ++j) {
                        const int slot = listed[static_cast<std::size_t>(j)];
                        if (candidates && (*candidates)[static_cast<std::size_t>(slot)] == 0) {
                            continue;
                        }
                        ReplayBoard start;
                        if (!startBoard(table.entry(slot).handicap, start)) continue;
                        block[static_cast<std::size_t>(j - k)] =
                            test(start, m_db.lists().list(slot));
                    }
                });
        }
        if (k % every == 0) {
            char buf[80];
            std::snprintf(buf, sizeof buf, "%4d", k);
            m_host.status(core::formatMessage(
                progress, {buf, std::to_string(total), std::to_string(hits.size())}));
            m_host.countProgress(k, total);
            if (m_host.cancelRequested()) {
                m_host.beep();
                result.cancelled = true;
                result.searched = k;
                break;
            }
        }
        const int slot = listed[static_cast<std::size_t>(k)];
        LineHit hit;
        if (parallel) {
            hit = block[static_cast<std::size_t>(k - blockStart)];
        } else {
            if (candidates && (*candidates)[static_cast<std::size_t>(slot)] == 0) continue;
            ReplayBoard start;
            std::span<const ListMove> moves;
            Load load = loadLine(slot, start, moves);
            if (load == Load::Stop) {
                result.cancelled = true;
                result.searched = k;
                break;
            }
            if (load == Load::Skip) continue;
            hit = test(start, moves);
        }
        if (hit.ply < 0) continue;
        setHit(table.entry(slot), hit.ply, hit.hasNext ? &hit.next : nullptr, hit.nextMove,
               hit.previousDestination);
        hits.push_back(slot);
        if (autoReplay && replayed < table.settings().autoReplayCount) {
            ++replayed;
            m_host.openInViewer(slot, hit.ply);
        }
    }
    if (!result.cancelled) result.searched = total;
    result.hits = static_cast<int>(hits.size());
    // The last progress line never stays: the status says how the search ended.
    if (result.cancelled) {
        m_host.status(core::formatMessage(
            texts().cancelled,
            {std::to_string(result.searched), std::to_string(total), std::to_string(result.hits)}));
    } else if (!hits.empty()) {
        m_host.status(core::formatMessage(texts().finished,
                                          {std::to_string(total), std::to_string(result.hits)}));
    }
    if (hits.empty()) {
        m_host.beep();
        if (!result.cancelled) m_host.status(texts().notFound);
    } else {
        table.displayOrder() = std::move(hits);
    }
    return result;
}

SearchReport Searcher::findByHeader(const HeaderCriteria& criteria) {
    IndexTable& table = m_db.table();
    std::vector<int32_t> hits;
    for (int32_t slot : table.displayOrder()) {
        if (matchesHeader(table.entry(slot), criteria)) hits.push_back(slot);
    }
    SearchReport result;
    result.hits = static_cast<int>(hits.size());
    if (hits.empty()) {
        m_host.beep();
        m_host.status(texts().notFound);
    } else {
        table.displayOrder() = std::move(hits);
    }
    return result;
}

SearchReport Searcher::findPosition(const core::Position& target,
                                    const PositionSearchOptions& options) {
    m_target = target;
    m_lastOptions = options;
    IndexTable& table = m_db.table();
    if (options.allRecords && static_cast<int>(table.displayOrder().size()) < table.size()) {
        table.rebuildDisplayOrder();
    }
    PositionMatcher matcher(target, options);
    std::vector<uint8_t> candidates;
    m_usedIndex = narrowByIndex(target, options, candidates);
    return run("局面検索中...", "局面検索中...  棋譜： %s / %d  検出： %d", options.autoReplay,
               m_usedIndex ? &candidates : nullptr,
               [&](const ReplayBoard& start, std::span<const ListMove> moves) {
                   return matcher.find(start, moves);
               });
}

SearchReport Searcher::findSequence(std::string_view patternText, bool autoReplay) {
    PatternParse parsed = parsePattern(patternText);
    if (!parsed.ok()) {
        SearchReport result;
        result.error = parsed.error;
        m_host.message(parsed.error);
        return result;
    }
    return findSequence(parsed.steps, autoReplay);
}

SearchReport Searcher::findSequence(std::span<const PatternStep> steps, bool autoReplay) {
    const std::vector<PatternStep> pattern(steps.begin(), steps.end());
    return run("手順検索中...", "手順検索中...  棋譜： %s / %d  検出： %d", autoReplay, nullptr,
               [&](const ReplayBoard& start, std::span<const ListMove> moves) {
                   LineHit hit;
                   // Each thread of a parallel search keeps its own steps.
                   thread_local std::vector<ReplayStep> played;
                   const int a = firstSequenceMatch(pattern, start, moves, played);
                   if (a < 0) return hit;
                   const auto at = static_cast<std::size_t>(a);
                   hit.ply = a;
                   hit.hasNext = true;
                   hit.next = played[at];
                   hit.nextMove = moves[at];
                   hit.previousDestination = a > 0 ? played[at - 1].to : 0;
                   return hit;
               });
}

SearchReport Searcher::findNextPosition(int row) {
    IndexTable& table = m_db.table();
    const auto& order = table.displayOrder();
    if (!m_target || row < 0 || row >= static_cast<int>(order.size()) ||
        table.entry(order[static_cast<std::size_t>(row)]).nextMove().empty() ||
        core::isTerminalCode(table.entry(order[static_cast<std::size_t>(row)]).nextTo)) {
        m_host.message(texts().cannotAdvance);
        return {};
    }
    const IndexEntry& e = table.entry(order[static_cast<std::size_t>(row)]);
    core::Position next = *m_target;
    const core::SideByte side = next.sideToMove;
    ListMove m{e.nextFrom, e.nextTo};
    int origin = m.origin;
    if (m.isDrop()) origin = core::findHandSlot(next, side, m.origin);
    if (origin == 0 || !core::applyMove(next, origin, m.destination & ~core::kPromoteFlag,
                                        (m.destination & core::kPromoteFlag) != 0)) {
        m_host.message(texts().cannotAdvance);
        return {};
    }
    next.sideToMove = core::opponent(side);
    PositionSearchOptions options = m_lastOptions;
    options.autoReplay = false;
    options.allRecords = false;
    return findPosition(next, options);
}

}  // namespace dalmir::model
