// Narrowing the list: by header criteria, by a position that occurs in a game (directly or
// turned round), and by a sequence of moves. Every search runs over the listed records in list
// order and, when it finds something, makes the hits the new list; position and sequence hits
// keep where they matched and the move that followed. A Searcher works on the document's
// database and reports through the host, as registration does.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/rules/position.h"
#include "dalmir/model/search/sequence_pattern.h"
#include "dalmir/model/store/database.h"
#include "dalmir/model/store/list_replay.h"
#include "dalmir/model/table/operation_host.h"
#include "dalmir/model/table/record_extractor.h"

namespace dalmir::model {

// The dialog "条件検索". Texts are UTF-8; an empty text asks for nothing.
struct HeaderCriteria {
    std::string black;    // 先手(下手)
    std::string white;    // 後手(上手)
    std::string playerA;  // 対局者 (either side)
    std::string playerB;  // 対局者: with playerA, the two must have played each other
    std::string event;
    std::string opening;
    std::string fileName;  // in the path, ASCII letters compared upper-cased
    std::string publishedIn;
    std::string user1;
    std::string user2;
    int handicap = 0;  // 0 any, k: handicap code k - 1
    bool fromOn = false;
    IndexDate from;  // 日以降
    bool toOn = false;
    IndexDate to;               // 日以前
    bool ignoreBlanks = false;  // 対局者名の空白を無視する
};

// year * 512 + month * 32 + day.
constexpr int searchDateKey(IndexDate d) { return d.year * 512 + d.month * 32 + d.day; }

bool matchesHeader(const IndexEntry& entry, const HeaderCriteria& criteria);

struct PositionSearchOptions {
    bool sideMustMatch = false;    // 手番の一致を調べる
    bool alsoReversed = false;     // 反転局面も検索する (find_hanten)
    bool ignoreEdgePawns = false;  // 端歩は調べない (find_hasifu)
    bool allRecords = false;       // 全棋譜を対象にする
    bool autoReplay = false;  // 棋譜を自動再現する: the first 自動再現数 hits open at once
};

// Where a line matched: the ply of the matching position (-1 for none) and the move after it.
struct LineHit {
    int ply = -1;
    bool hasNext = false;
    ReplayStep next;
    ListMove nextMove;
    int previousDestination = 0;  // destination of the move before the hit, 0 at the start
};

// Compares the positions of lines with one target. The scan keeps, per target form, the number
// of squares and hand counts that still differ and updates it with the two squares and the hand
// count each move changes, so every position costs a few operations; the outcome is exactly that
// of comparing each position in full (matches()).
class PositionMatcher {
public:
    PositionMatcher(const core::Position& target, PositionSearchOptions options);

    // The first position of the line (ply 0 = start) that matches.
    LineHit find(const ReplayBoard& start, std::span<const ListMove> moves) const;
    // Whether one position matches, compared in full.
    bool matches(const ReplayBoard& board) const;

private:
    struct Form {
        std::array<core::PieceByte, 100> want{};  // 0: any piece or none
        // Required hand counts by side and type; kAny where the target holds none.
        std::array<std::array<uint8_t, 9>, 2> hand{};
        core::SideByte side = core::kSideBlack;
    };
    static constexpr uint8_t kAny = 0xFF;

    static int misses(const Form& form, const ReplayBoard& board);
    bool useForm(int form, core::SideByte sideToMove) const;

    std::array<Form, 2> m_forms;  // direct, reversed
    PositionSearchOptions m_options;
};

// The target of a position search read from clipboard text (a position diagram or a record,
// read with the shared readers): the position after the last move read.
struct TargetRead {
    bool ok = false;
    core::Position position;
    // The status text on success, else the message to show: "クリップボードが使用できま
    // せん。" for no text, "棋譜・局面の読み込みに失敗しました。" when the reader fails,
    // "クリップボードから局面を読み込めませんでした。" when the text holds no position or move.
    std::string message;
};
TargetRead readTarget(std::string_view clipboardText);

// A game record's position as a search target: the position at ply (the end of the main line
// when ply is negative or beyond it).
core::Position positionOfRecord(const core::RecordStore& store, int ply);

struct [[nodiscard]] SearchReport {
    int hits = 0;
    bool cancelled = false;  // the cancel flag or a read-error answer ended the search
    int searched = 0;        // the listed records looked at before the search ended
    std::string error;       // the pattern's error; the search did not run
};

class Searcher {
public:
    Searcher(Database& db, RecordExtractor& extractor, OperationHost& host);

    SearchReport findByHeader(const HeaderCriteria& criteria);
    // Saves the target for findNextPosition.
    SearchReport findPosition(const core::Position& target, const PositionSearchOptions& options);
    SearchReport findSequence(std::string_view patternText, bool autoReplay = false);
    SearchReport findSequence(std::span<const PatternStep> steps, bool autoReplay = false);
    // 次の手検索 for the record at display row: plays its next move on the saved target and
    // searches the listed records again. "次の手を進められませんでした。" goes to the host when
    // the row has no next move or no position search was made.
    SearchReport findNextPosition(int row);

    const std::optional<core::Position>& target() const { return m_target; }
    // Threads comparing the records of a binary database (0: one per core). The hits, their
    // order and the progress texts are the same for any number.
    void setThreads(int threads) { m_threads = threads; }
    // Whether the last position search was narrowed by the database's position index.
    bool usedPositionIndex() const { return m_usedIndex; }

private:
    enum class Load { Ok, Skip, Stop };
    // Marks the slots the position index leaves to compare; false when there is no usable
    // index or the target leaves pieces out.
    bool narrowByIndex(const core::Position& target, const PositionSearchOptions& options,
                       std::vector<uint8_t>& candidates) const;
    Load loadLine(int slot, ReplayBoard& start, std::span<const ListMove>& moves);
    // candidates, when given, marks the slots worth replaying; the others can't hit.
    template <class Test>
    SearchReport run(const char* statusUtf8, const char* progressUtf8, bool autoReplay,
                     const std::vector<uint8_t>* candidates, Test&& test);

    Database& m_db;
    RecordExtractor& m_extractor;
    OperationHost& m_host;
    std::optional<core::Position> m_target;
    PositionSearchOptions m_lastOptions;
    bool m_usedIndex = false;
    int m_threads = 0;
    std::vector<ListMove> m_moves;
};

}  // namespace dalmir::model
