#include "core/formats/csa_writer.h"

#include <array>
#include <string_view>

#include "core/base/version.h"
#include "core/formats/csa_codes.h"
#include "core/formats/record_encoding.h"
#include "core/text/sjis.h"

namespace core {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

// The word of each terminal code 0..10; code 3 has none, code 4 takes its sign separately.
constexpr std::array<std::string_view, 11> kTerminalWords{
    "%TORYO", "%CHUDAN",     "%ILLEGAL_MOVE", "",         "ILLEGAL_ACTION", "%JISHOGI",
    "%TSUMI", "%SENNICHITE", "%FUZUMI",       "%TIME_UP", "%KACHI"};

// Hands are written grouped by type in this order.
constexpr std::array<int, 7> kHandOrder{kRook, kBishop, kGold, kSilver, kKnight, kLance, kPawn};

struct HeaderLine {
    std::string_view key;
    HeaderField field;
    bool dropParenthesis;  // the first "(...)" (a weekday mark) is left out
};
constexpr std::array<HeaderLine, 6> kHeaderLines{{
    {"$EVENT:", HeaderField::Event, false},
    {"$SITE:", HeaderField::Place, false},
    {"$START_TIME:", HeaderField::StartDateTime, true},
    {"$END_TIME:", HeaderField::EndDateTime, true},
    {"$TIME_LIMIT:", HeaderField::TimeLimit, false},
    {"$OPENING:", HeaderField::Opening, false},
}};

// The text without its first parenthesised part; cut at a "(" that is never closed.
std::string withoutParenthesis(std::string_view value) {
    std::size_t open = findByte(value, '(');
    if (open == std::string_view::npos) return std::string(value);
    std::size_t close = findByte(value, ')', open);
    std::string out(value.substr(0, open));
    if (close != std::string_view::npos) out.append(value.substr(close + 1));
    return out;
}

void appendTwoDigits(std::string& out, int n) {
    out += static_cast<char>('0' + n / 10 % 10);
    out += static_cast<char>('0' + n % 10);
}

void appendComment(std::string& out, std::string_view comment) {
    while (!comment.empty()) {
        std::size_t nl = comment.find('\n');
        std::string_view line = comment.substr(0, nl);
        out += "'*";
        out.append(line);
        out += kLineEnd;
        if (nl == std::string_view::npos) break;
        comment.remove_prefix(nl + 1);
    }
}

void appendStart(std::string& out, const RecordStore& store) {
    Position start;
    store.restoreStartPosition(start);
    for (int rank = 1; rank <= 9; ++rank) {
        out += 'P';
        out += static_cast<char>('0' + rank);
        for (int file = 9; file >= 1; --file) {
            PieceByte piece = start.cells[makeSquare(file, rank)];
            if (piece == 0) {
                out += " * ";
            } else {
                out += sideOf(piece) == kSideBlack ? '+' : '-';
                out.append(kCsaPieceCodes[static_cast<std::size_t>(pieceType(piece))]);
            }
        }
        out += kLineEnd;
    }
    const HandCounts hands = countHand(start);
    for (SideByte side : {kSideBlack, kSideWhite}) {
        std::string line;
        for (int type : kHandOrder) {
            for (int n = 0; n < hands.count(side, type); ++n) {
                line += "00";
                line.append(kCsaPieceCodes[static_cast<std::size_t>(type)]);
            }
        }
        if (line.empty()) continue;
        out += side == kSideBlack ? "P+" : "P-";
        out += line;
        out += kLineEnd;
    }
    out += store.firstMover() == kSideBlack ? '+' : '-';
    out += kLineEnd;
}

}  // namespace

std::string csaText(const RecordStore& store) {
    std::string out;
    out.reserve(4096);
    out += "' ---- ";
    out.append(kProgramName);
    out += ' ';
    out.append(kProgramVersion);
    out += std::string(" CSA形式棋譜ファイル ----");
    out += kLineEnd;
    out += "V2.2";
    out += kLineEnd;

    auto line = [&](std::string_view key, std::string_view value) {
        if (value.empty()) return;
        out.append(key);
        out.append(value);
        out += kLineEnd;
    };
    line("N+", store.playerName(PlayerField::Black));
    line("N-", store.playerName(PlayerField::White));
    for (const HeaderLine& h : kHeaderLines) {
        const std::string& value = store.header(h.field);
        line(h.key, h.dropParenthesis ? withoutParenthesis(value) : value);
    }

    appendStart(out, store);
    appendComment(out, store.node(kRootNode).commentText());

    int ply = 1;
    for (NodeIndex x = store.node(kRootNode).next; x != kNoNode; x = store.node(x).next, ++ply) {
        const MoveNode& n = store.node(x);
        if (n.isTerminal()) {
            if (n.to == terminalByte(TerminalCode::FoulWin)) {
                // The side that broke the rules: the one not to move at the terminal entry.
                out += store.moverOfPly(ply) == kSideBlack ? "%-" : "%+";
            }
            out.append(kTerminalWords[n.to]);
            out += ",T";
            out += std::to_string(n.seconds);
            out += kLineEnd;
            break;
        }
        out += sideOf(n.piece) == kSideBlack ? '+' : '-';
        appendTwoDigits(out, n.isDrop() ? 0 : n.from);
        appendTwoDigits(out, n.destination());
        const int type = pieceType(n.piece) + (n.promotes() ? kPromotedBit : 0);
        out.append(kCsaPieceCodes[static_cast<std::size_t>(type & kTypeMask)]);
        out += ",T";
        out += std::to_string(n.seconds);
        out += kLineEnd;
        appendComment(out, n.commentText());
    }
    return out;
}

std::string csaUtf8Text(const RecordStore& store) {
    return "'CSA encoding=UTF-8" + std::string(kLineEnd) + csaText(store);
}

WriteResult writeCsaFile(RecordStore& store, const std::string& path) {
    std::optional<std::string> bytes = cp932FileBytes(csaText(store), store, {});
    if (!bytes) return WriteResult::Unencodable;
    WriteResult r = writeFileAtomically(path, *bytes);
    if (r == WriteResult::Ok) store.markClean();
    return r;
}

}  // namespace core
