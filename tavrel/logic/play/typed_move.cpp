#include "tavrel/logic/play/typed_move.h"

#include <array>
#include <cctype>

#include "core/rules/legality.h"
#include "core/text/sjis.h"
#include "core/text/translation.h"

namespace tavrel {

namespace {

// The piece names of the table with their types; only the first seven can be dropped.
struct PieceName {
    const char* name;
    int type;
};
constexpr std::array<PieceName, 14> kPieceNames{{
    {"FU", core::kPawn},
    {"KY", core::kLance},
    {"KE", core::kKnight},
    {"GI", core::kSilver},
    {"KI", core::kGold},
    {"KA", core::kBishop},
    {"HI", core::kRook},
    {"OU", core::kKing},
    {"TO", core::kPromotedPawn},
    {"NY", core::kPromotedLance},
    {"NK", core::kPromotedKnight},
    {"NG", core::kPromotedSilver},
    {"UM", core::kHorse},
    {"RY", core::kDragon},
}};

bool isDigit19(char c) { return c >= '1' && c <= '9'; }

// The square of two digits (file, rank) at text[i]; 0 when they are not both 1..9.
int squareAt(std::string_view text, std::size_t i) {
    if (text.size() < i + 2 || !isDigit19(text[i]) || !isDigit19(text[i + 1])) return 0;
    return core::makeSquare(text[i] - '0', text[i + 1] - '0');
}

TypedMove error(const char* utf8) {
    TypedMove m;
    m.error = std::string(utf8);
    return m;
}

TypedMove word(TypedKind kind) {
    TypedMove m;
    m.kind = kind;
    return m;
}

}  // namespace

TypedMove parseTypedMove(std::string_view input, const core::Position& pos) {
    std::string text;
    for (char c : input) {
        text += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\r' || text.back() == '\n')) {
        text.pop_back();
    }
    if (text == "make") return word(TypedKind::Resign);
    if (text == "quit") return word(TypedKind::Suspend);
    if (text.starts_with("ret")) return word(TypedKind::EndInput);
    if (text.starts_with("back")) return word(TypedKind::TakeBack);

    const core::SideByte side = pos.sideToMove;
    const int destination = squareAt(text, 0);
    const bool promote = text.size() >= 5 && (text[4] == 'n' || text[4] == '+');
    int origin = 0;
    if (text.size() >= 3 && !isDigit19(text[2])) {
        if (destination == 0 || pos.cells[static_cast<std::size_t>(destination)] != 0) {
            return error(core::translate("エラー  打てません。"));
        }
        std::string name = text.substr(2, 2);
        for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        int type = 0;
        for (const PieceName& p : kPieceNames) {
            if (name == p.name) type = p.type;
        }
        if (type < core::kPawn || type > core::kRook)
            return error(core::translate("エラー　駒の名前が違います。"));
        origin = core::findHandSlot(pos, side, type);
        if (origin == 0) return error(core::translate("エラー　駒がありません。"));
    } else {
        origin = squareAt(text, 2);
        if (destination == 0 || origin == 0 ||
            !core::belongsTo(pos.cells[static_cast<std::size_t>(origin)], side)) {
            return error(core::translate("エラー　動けません。"));
        }
    }
    int to = destination;
    if (promote) to |= core::kPromoteFlag;
    if (!promote && core::isSquare(origin) &&
        core::promotionState(origin, destination, pos.cells[static_cast<std::size_t>(origin)]) ==
            core::Promotion::Compulsory) {
        to |= core::kPromoteFlag;
    }
    if (core::checkMove(pos, origin, to, side) != core::MoveCheckResult::Legal) {
        return error(core::translate("ルール　エラー"));
    }
    TypedMove m;
    m.kind = TypedKind::Move;
    m.move = core::packMove(origin, to);
    return m;
}

bool enterTypedMove(Document& doc, MoveClock& clock, std::string_view text) {
    if (!isPlaying(doc.mode())) return false;
    TypedMove m = parseTypedMove(text, doc.store().position());
    switch (m.kind) {
        case TypedKind::Error:
            doc.warningSound();
            doc.ui().showMessage(m.error, programCaption());
            return true;
        case TypedKind::Resign:
            enterTerminal(doc, clock, core::TerminalCode::Resign);
            return false;
        case TypedKind::Suspend:
            enterTerminal(doc, clock, core::TerminalCode::Suspend);
            return false;
        case TypedKind::EndInput:
            endGame(doc, clock);
            return false;
        case TypedKind::TakeBack:
            takeBack(doc, clock);
            return false;
        case TypedKind::Move: {
            doc.ui().setStatusText({});
            doc.setMode(ViewerMode::Playing);
            PlayResult r = playMove(doc, clock, PlayKind::Entered, m.move, kDisplayByHand);
            finishEntry(doc, clock, r);
            return false;
        }
    }
    return false;
}

}  // namespace tavrel
