#include "viewer/logic/info_lines.h"

#include <cstdio>

#include "core/notation.h"
#include "core/piece_text.h"
#include "core/sjis.h"

namespace viewer {

namespace {

std::string timeText(std::uint32_t moveSeconds, std::uint32_t total) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%02u:%02u / %02u:%02u:%02u", moveSeconds / 60 % 100,
                  moveSeconds % 60, total / 3600 % 100, total / 60 % 60, total % 60);
    return buf;
}

// The consumed-time text of side's last move up to the current node; empty before its first.
std::string consumedText(const core::RecordStore& store, core::SideByte side) {
    core::NodeIndex n = store.current();
    while (n != core::kRootNode && n != core::kNoNode) {
        const core::MoveNode& node = store.node(n);
        if (!node.isTerminal() && core::moverOf(node) == side) {
            return timeText(node.seconds, store.cumulativeSeconds(n));
        }
        n = store.parentOf(n);
    }
    return {};
}

std::string cutAtDateEnd(const std::string& field) {
    std::size_t end = field.size();
    std::size_t blank = core::findByte(field, ' ');
    std::size_t paren = core::findByte(field, '(');
    std::size_t wide = core::findText(field, core::sjis("　"));
    for (std::size_t p : {blank, paren, wide}) {
        if (p != std::string::npos && p < end) end = p;
    }
    return field.substr(0, end);
}

}  // namespace

bool isProblemRecord(const core::RecordStore& store) {
    if (!store.header(core::HeaderField::Author).empty()) return true;
    core::Position start;
    store.restoreStartPosition(start);
    return core::kingSquare(start, core::kSideBlack) == 0;
}

std::string displayMoveText(const core::MoveNode& node, int previousDestination,
                            const Settings& settings) {
    core::NotationOptions options;
    options.dragonAsRyu = settings.dragonNotation != 0;
    options.dropMarkOnLast = settings.markFinalDrop != 0;
    bool traditional = settings.moveTextStyle >= 2 && settings.checkRules != 0;
    std::string text =
        traditional
            ? core::traditionalText(node, previousDestination, core::DestinationForm::SquareAndSame,
                                    core::MarkStyle::None, 0, options)
            : core::originFormText(node, previousDestination, core::MarkStyle::None, 0, options);
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

std::string expandInfoTemplate(std::string_view format, const core::RecordStore& store,
                               const InfoContext& context, const Settings& settings) {
    using core::HeaderField;
    std::string out;
    for (std::size_t i = 0; i < format.size(); ++i) {
        std::size_t n = core::charLength(format, i);
        if (n == 2 || format[i] != '%') {
            out.append(format.substr(i, n));
            i += n - 1;
            continue;
        }
        if (i + 1 >= format.size()) break;
        char c = format[++i];
        switch (c) {
            case '%':
                out += '%';
                break;
            case 'n':
            case 'N':
                out += std::to_string(store.currentPly());
                break;
            case 'b':
            case 'B':
                out += store.playerName(core::PlayerField::Black);
                break;
            case 'w':
            case 'W':
                out += store.playerName(core::PlayerField::White);
                break;
            case 'g':
                out += cutAtDateEnd(store.header(HeaderField::StartDateTime));
                break;
            case 'G':
                out += store.header(HeaderField::StartDateTime);
                break;
            case 'e':
                out += cutAtDateEnd(store.header(HeaderField::EndDateTime));
                break;
            case 'E':
                out += store.header(HeaderField::EndDateTime);
                break;
            case 'i':
            case 'I':
                out += store.header(HeaderField::Event);
                break;
            case 's':
            case 'S':
                out += store.header(HeaderField::Opening);
                break;
            case 'u':
            case 'U':
                out += store.header(HeaderField::Title);
                break;
            case 'm':
            case 'M':
                out += store.header(HeaderField::TimeLimit);
                break;
            case 'h':
            case 'H':
                out += store.header(HeaderField::Place);
                break;
            case 'r':
            case 'R':
                out += store.header(HeaderField::PublishedIn);
                break;
            case 'f':
            case 'F':
                out += context.recordName;
                break;
            case '1':
            case '2':
            case '3':
            case '4':
            case '5':
                out += store.header(
                    static_cast<HeaderField>(static_cast<int>(HeaderField::User1) + (c - '1')));
                break;
            case '/': {
                if (i + 1 >= format.size()) break;
                char k = format[++i];
                static constexpr HeaderField kProblem[] = {
                    HeaderField::Remarks,      HeaderField::WorkNumber,
                    HeaderField::WorkName,     HeaderField::Author,
                    HeaderField::Magazine,     HeaderField::PublicationDate,
                    HeaderField::Source,       HeaderField::MoveCount,
                    HeaderField::Completeness, HeaderField::Classification};
                if (k >= '0' && k <= '9') {
                    out += store.header(kProblem[k - '0']);
                } else if (k == 'a' || k == 'A') {
                    out += store.header(HeaderField::Award);
                }
                break;
            }
            default:
                break;
        }
    }
    (void)settings;
    return out;
}

InfoLines informationLines(const core::RecordStore& store, const Settings& settings,
                           const InfoContext& context) {
    using core::sjis;
    InfoLines lines;
    bool handicap = store.handicap() != core::kHandicapEven;
    bool downMark = settings.moveTextStyle == 1 || settings.moveTextStyle == 3;
    const std::string black = sjis("▲");
    const std::string white = sjis(downMark ? "▽" : "△");

    lines[0] = sjis("▲") + store.playerName(core::PlayerField::Black);
    lines[1] = context.blackClock ? *context.blackClock : consumedText(store, core::kSideBlack);
    lines[2] = sjis("△") + store.playerName(core::PlayerField::White);
    lines[3] = context.whiteClock ? *context.whiteClock : consumedText(store, core::kSideWhite);
    lines[4] = sjis("手合割：") + std::string(core::handicapName(store.handicap()));
    char ply[16];
    std::snprintf(ply, sizeof ply, "%3d", store.currentPly());
    lines[5] = sjis("手　数：") + ply + "     ";

    core::NodeIndex cur = store.current();
    if (cur == core::kRootNode) {
        lines[6] = sjis("　　　　　　");
    } else {
        const core::MoveNode& node = store.node(cur);
        if (node.isTerminal() && node.to == core::terminalByte(core::Terminal::Suspend)) {
            lines[6] = std::nullopt;
        } else {
            core::NodeIndex parent = store.parentOf(cur);
            int previous = 0;
            if (parent != core::kRootNode && parent != core::kNoNode) {
                const core::MoveNode& p = store.node(parent);
                if (!p.isTerminal()) previous = p.destination();
            }
            bool byBlack = core::moverOf(node) == core::kSideBlack;
            lines[6] = (byBlack ? black : white) + displayMoveText(node, previous, settings) +
                       sjis("まで　");
        }
    }
    bool blackToMove = store.position().sideToMove == core::kSideBlack;
    lines[7] = handicap ? sjis(blackToMove ? "下手番" : "上手番")
                        : sjis(blackToMove ? "先手番" : "後手番");

    const auto& formats =
        isProblemRecord(store) ? settings.problemInfoFormats : settings.infoFormats;
    for (int k = 0; k < kInfoFormatCount; ++k) {
        lines[static_cast<std::size_t>(8 + k)] =
            expandInfoTemplate(formats[static_cast<std::size_t>(k)], store, context, settings);
    }
    return lines;
}

}  // namespace viewer
