#include "dalmir/model/search/record_conditions.h"

#include <vector>

#include "core/formats/kif_reader.h"
#include "core/rules/move_node.h"
#include "core/text/message_format.h"
#include "core/text/sjis.h"
#include "dalmir/model/table/fs_paths.h"

namespace dalmir::model {

namespace {

struct EndWord {
    GameEnd end;
    const char* utf8;
};
constexpr EndWord kEndWords[] = {
    {GameEnd::Mate, "詰み"},
    {GameEnd::Resign, "投了"},
    {GameEnd::Repetition, "千日手"},
    {GameEnd::Impasse, "持将棋"},
    {GameEnd::EnteringKing, "入玉宣言"},
    {GameEnd::Foul, "反則"},
    {GameEnd::Suspend, "中断"},
    {GameEnd::TimeLoss, "時間切れ"},
};

bool endMatches(GameEnd end, int terminal) {
    using core::TerminalCode;
    auto is = [&](TerminalCode t) { return terminal == static_cast<int>(t); };
    switch (end) {
        case GameEnd::Mate:
            return is(TerminalCode::Mate);
        case GameEnd::Resign:
            return is(TerminalCode::Resign);
        case GameEnd::Repetition:
            return is(TerminalCode::Repetition);
        case GameEnd::Impasse:
            return is(TerminalCode::Impasse);
        case GameEnd::EnteringKing:
            return is(TerminalCode::EnteringKingWin);
        case GameEnd::Foul:
            return is(TerminalCode::FoulLoss) || is(TerminalCode::FoulWin);
        case GameEnd::Suspend:
            return is(TerminalCode::Suspend);
        case GameEnd::TimeLoss:
            return is(TerminalCode::TimeLoss);
    }
    return false;
}

// Piece words, longest first so that "飛車" is read before "飛".
struct PieceWord {
    const char* utf8;
    int type;
};
constexpr PieceWord kPieceWords[] = {
    {"歩兵", 1}, {"香車", 2}, {"桂馬", 3}, {"銀将", 4}, {"金将", 5}, {"角行", 6},
    {"飛車", 7}, {"玉将", 8}, {"王将", 8}, {"歩", 1},   {"香", 2},   {"桂", 3},
    {"銀", 4},   {"金", 5},   {"角", 6},   {"飛", 7},   {"玉", 8},   {"王", 8},
};

// Splits UTF-8 text at half- and full-width blanks.
std::vector<std::string> words(std::string_view text) {
    std::vector<std::string> out;
    std::string word;
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] == ' ' || text[i] == '\t') {
            ++i;
        } else if (text.substr(i, 3) == "\u3000") {
            i += 3;
        } else {
            word += text[i++];
            continue;
        }
        if (!word.empty()) out.push_back(std::move(word));
        word.clear();
    }
    if (!word.empty()) out.push_back(std::move(word));
    return out;
}

// Reads the leading digits (ASCII or full-width) of text; -1 when there are none.
int leadingNumber(std::string_view& text) {
    int n = -1;
    while (!text.empty()) {
        int digit = -1;
        std::size_t length = 1;
        if (text[0] >= '0' && text[0] <= '9') {
            digit = text[0] - '0';
        } else if (text.size() >= 3 && static_cast<unsigned char>(text[0]) == 0xEF &&
                   static_cast<unsigned char>(text[1]) == 0xBC &&
                   static_cast<unsigned char>(text[2]) >= 0x90 &&
                   static_cast<unsigned char>(text[2]) <= 0x99) {
            digit = static_cast<unsigned char>(text[2]) - 0x90;
            length = 3;
        }
        if (digit < 0 || n > 100) break;
        n = (n < 0 ? 0 : n * 10) + digit;
        text.remove_prefix(length);
    }
    return n;
}

bool commentHas(const core::RecordStore& store, std::string_view text) {
    for (core::NodeIndex x = core::kRootNode; x != core::kNoNode; x = store.node(x).next) {
        if (core::findText(store.node(x).commentText(), text) != std::string_view::npos) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::optional<GameEnd> gameEndNamed(std::string_view word) {
    for (const EndWord& w : kEndWords) {
        if (word == w.utf8) return w.end;
    }
    return std::nullopt;
}

std::string gameEndWord(GameEnd end) {
    for (const EndWord& w : kEndWords) {
        if (w.end == end) return std::string(w.utf8);
    }
    return {};
}

MaterialParse parseMaterial(std::string_view text) {
    MaterialParse result;
    std::optional<std::string> utf8;
    if (core::isValidUtf8(text)) utf8 = std::string(text);
    if (!utf8) {
        result.error = std::string("駒の条件が読めません。");
        return result;
    }
    MaterialPattern pattern;
    bool anyPiece = false;
    for (const std::string& word : words(*utf8)) {
        if (word == "先手" || word == "下手") {
            pattern.side = 0;
            continue;
        }
        if (word == "後手" || word == "上手") {
            pattern.side = 1;
            continue;
        }
        std::string_view rest = word;
        int type = 0;
        for (const PieceWord& p : kPieceWords) {
            if (rest.starts_with(p.utf8)) {
                type = p.type;
                rest.remove_prefix(std::string_view(p.utf8).size());
                break;
            }
        }
        int n = type == 0 ? -1 : leadingNumber(rest);
        if (rest.starts_with("枚")) rest.remove_prefix(std::string_view("枚").size());
        if (rest == "以上") {
            pattern.atLeast = true;
            rest = {};
        }
        if (type == 0 || n < 0 || !rest.empty()) {
            result.error =
                core::formatMessageUtf8("駒の条件(%s)が読めません。", {std::string(word)});
            return result;
        }
        pattern.count[static_cast<std::size_t>(type)] = n;
        anyPiece = true;
    }
    if (!anyPiece) {
        result.error = std::string("駒の条件に駒がありません。");
        return result;
    }
    result.pattern = pattern;
    return result;
}

bool matchesMaterial(const ReplayBoard& board, const MaterialPattern& pattern) {
    std::array<std::array<int, 9>, 2> counts{};
    for (int sq = 11; sq <= 99; ++sq) {
        core::PieceByte p = board.cells[static_cast<std::size_t>(sq)];
        if (p == 0 || p == core::kWall) continue;
        int type = core::pieceType(p);
        int kind = type == core::kKing ? core::kKing : (type & 0x07);
        int side = (p & core::kSideBlack) ? 0 : 1;
        ++counts[static_cast<std::size_t>(side)][static_cast<std::size_t>(kind)];
    }
    auto sideMatches = [&](int side) {
        for (int kind = 1; kind <= 8; ++kind) {
            int want = pattern.count[static_cast<std::size_t>(kind)];
            if (want < 0) continue;
            int have = counts[static_cast<std::size_t>(side)][static_cast<std::size_t>(kind)];
            if (pattern.atLeast ? have < want : have != want) return false;
        }
        return true;
    };
    if (pattern.side >= 0) return sideMatches(pattern.side);
    return sideMatches(0) || sideMatches(1);
}

SearchReport findByRecordConditions(Database& db, RecordExtractor& extractor, OperationHost& host,
                                    const RecordConditions& conditions) {
    IndexTable& table = db.table();
    const std::vector<int32_t> listed = table.displayOrder();
    const bool fromFiles = !db.isBinary() || !conditions.comment.empty();
    const int every = fromFiles ? 10 : 100;
    const std::string progress = std::string("検索中...  %s / %s  (%s)");
    std::vector<int32_t> hits;
    std::vector<ListMove> fileMoves;
    SearchReport result;
    for (std::size_t k = 0; k < listed.size(); ++k) {
        if (k % static_cast<std::size_t>(every) == 0) {
            host.status(core::formatMessage(
                progress,
                {std::to_string(k), std::to_string(listed.size()), std::to_string(hits.size())}));
            if (host.cancelRequested()) {
                host.beep();
                result.cancelled = true;
                break;
            }
        }
        const int32_t slot = listed[k];
        const IndexEntry& e = table.entry(slot);
        ReplayBoard board;
        std::span<const ListMove> moves;
        if (fromFiles) {
            IndexEntry scratch;
            std::string fsPath = locateFile(fileSystemFromStored(table.resolve(e.path())));
            ExtractResult code = extractor.extract(fsPath, scratch);
            if (code != ExtractResult::Ok) {
                std::string detail = code == ExtractResult::CannotOpen
                                         ? core::msgFileMissing(e.path())
                                         : extractor.errorText();
                std::string question =
                    core::formatMessageUtf8("棋譜読み込みエラー(%s)\n%s", {e.path(), detail});
                if (host.askSearchReadError(question)) {
                    result.cancelled = true;
                    break;
                }
                continue;
            }
            if (!conditions.comment.empty() && !commentHas(extractor.store(), conditions.comment)) {
                continue;
            }
            core::Position start;
            extractor.store().restoreStartPosition(start);
            board.load(start);
            extractor.buildMoveList(fileMoves);
            moves = fileMoves;
        } else {
            if (!startBoard(e.handicap, board)) continue;
            moves = db.lists().list(slot);
        }
        if (conditions.end) {
            if (moves.empty() || !moves.back().isClosing() ||
                !endMatches(*conditions.end, moves.back().destination)) {
                continue;
            }
        }
        if (conditions.material) {
            const int target = conditions.materialPly;
            int ply = 0;
            for (ListMove m : moves) {
                if ((target >= 0 && ply >= target) || m.isClosing()) break;
                ReplayStep step;
                if (!playListMove(board, m, step)) break;
                ++ply;
            }
            if ((target >= 0 && ply < target) || !matchesMaterial(board, *conditions.material)) {
                continue;
            }
        }
        hits.push_back(slot);
    }
    result.hits = static_cast<int>(hits.size());
    if (hits.empty()) {
        host.beep();
        host.status(std::string("検出できませんでした。"));
    } else {
        table.displayOrder() = std::move(hits);
    }
    return result;
}

}  // namespace dalmir::model
