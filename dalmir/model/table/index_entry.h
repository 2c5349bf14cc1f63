// One registered record of a Dalmir database: where its file is and what its header and main
// line say. The texts are kept together in one buffer, so an entry is small (about 80
// bytes plus its texts) and cheap to copy and move; the `IndexTable` owns the entries.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "dalmir/model/table/index_codes.h"

namespace dalmir::model {

// The text fields of an entry, in the order they are kept.
enum class IndexText : uint8_t {
    Path,         // record file: absolute, or relative to the index file's folder
    BlackPlayer,  // 先手, or 下手 in a handicap game
    WhitePlayer,  // 後手, or 上手
    Title,        // 表題
    Event,        // 棋戦
    Opening,      // 戦型
    TimeLimit,    // 持ち時間
    Place,        // 場所
    PublishedIn,  // 掲載
    User1,
    User2,
    User3,
    User4,
    User5,
    NextMove,  // the move after the last search hit; never stored in files
    // 自動戦型: the opening the classifier gave the record. Never in the index or binary files:
    // it is kept in the database's label file beside them.
    AutoOpening,
    // The opening's name alone ("四間飛車", "角換わり"), as a 戦型 header would give it; kept
    // with AutoOpening.
    AutoOpeningName,
};
inline constexpr std::size_t kIndexTextCount = 17;
inline constexpr int kUserFieldCount = 5;

// Buffer widths of the text fields; a field holds at most its width less one byte.
inline constexpr std::size_t kPathWidth = 260;
inline constexpr std::size_t kPlayerWidth = 40;
inline constexpr std::size_t kIndexTextWidth = 60;
inline constexpr std::size_t kNextMoveWidth = 20;
inline constexpr std::size_t kAutoOpeningWidth = 100;

// The most bytes the field holds.
std::size_t maxTextBytes(IndexText field);

// The user field k (0..4).
constexpr IndexText userField(int k) {
    return static_cast<IndexText>(static_cast<int>(IndexText::User1) + k);
}

// A date of the index; 0 in any part means "not given".
struct IndexDate {
    uint16_t year = 0;
    uint8_t month = 0;
    uint8_t day = 0;

    bool operator==(const IndexDate&) const = default;
    auto operator<=>(const IndexDate&) const = default;
};

class IndexEntry {
public:
    std::string_view text(IndexText field) const;
    // Stores text cut to the field's width less one, never inside a two-byte character.
    void setText(IndexText field, std::string_view text);
    // Room for this many bytes of text in all, so that filling the fields allocates once.
    void reserveTexts(std::size_t bytes) { m_texts.reserve(bytes); }

    std::string_view path() const { return text(IndexText::Path); }
    std::string_view blackPlayer() const { return text(IndexText::BlackPlayer); }
    std::string_view whitePlayer() const { return text(IndexText::WhitePlayer); }
    std::string_view title() const { return text(IndexText::Title); }
    std::string_view event() const { return text(IndexText::Event); }
    std::string_view opening() const { return text(IndexText::Opening); }
    std::string_view timeLimit() const { return text(IndexText::TimeLimit); }
    std::string_view place() const { return text(IndexText::Place); }
    std::string_view publishedIn() const { return text(IndexText::PublishedIn); }
    std::string_view user(int k) const { return text(userField(k)); }
    std::string_view nextMove() const { return text(IndexText::NextMove); }
    std::string_view autoOpening() const { return text(IndexText::AutoOpening); }
    std::string_view autoOpeningName() const { return text(IndexText::AutoOpeningName); }
    // The opening as searches and 戦型分析 take it: the record's own 戦型, or else the
    // classifier's label (its full text, or its name alone).
    std::string_view openingOrLabel() const {
        return opening().empty() ? autoOpening() : opening();
    }
    std::string_view openingOrName() const {
        return opening().empty() ? autoOpeningName() : opening();
    }

    // Clears the results of the last search: next-move text, hit ply and next move.
    void clearSearchResult();

    bool operator==(const IndexEntry&) const = default;

    uint8_t handicap = 0;    // handicap code 0..15 (index_codes.h)
    uint8_t result = 0;      // result code 0..7
    uint8_t marks = 0;       // kMark* bits (index_codes.h)
    IndexDate start;         // 対局日 / 開始日時
    IndexDate end;           // 終了日時
    uint16_t moveCount = 0;  // main-line moves, not counting a closing entry
    // Not stored in files: where the last position or sequence search matched and the move
    // played after it (origin square or dropped piece kind, destination byte).
    uint16_t hitPly = 0;
    uint8_t nextFrom = 0;
    uint8_t nextTo = 0;

private:
    std::size_t begin(std::size_t field) const { return field == 0 ? 0 : m_ends[field - 1]; }

    std::string m_texts;                             // every text field, one after the other
    std::array<uint16_t, kIndexTextCount> m_ends{};  // end offset of each field in m_texts
};

}  // namespace dalmir::model
