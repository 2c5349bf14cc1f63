#include "tavrel/logic/view/info_lines.h"

#include <cstdio>

#include "core/formats/kif_writer.h"
#include "core/notation/notation.h"
#include "core/notation/piece_text.h"
#include "core/text/message_format.h"
#include "core/text/sjis.h"
#include "core/text/translation.h"
#include "tavrel/logic/document/auto_opening.h"
#include "tavrel/logic/output/text_options.h"

namespace tavrel {

std::string timeText(std::uint32_t moveSeconds, std::uint32_t total) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%02u:%02u / %02u:%02u:%02u", moveSeconds / 60 % 100,
                  moveSeconds % 60, total / 3600 % 100, total / 60 % 60, total % 60);
    return buf;
}

namespace {

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

}  // namespace

std::string lastMoveText(const core::MoveNode& node, int previousDestination,
                         const Settings& settings) {
    core::NotationOptions options;
    options.dragonAsRyu = settings.dragonNotation != 0;
    options.dropMarkOnLast = settings.markFinalDrop != 0;
    bool traditional = isTraditional(settings.moveTextStyle) && settings.checkRules != 0;
    std::string text =
        traditional
            ? core::traditionalText(node, previousDestination, core::DestinationForm::SquareAndSame,
                                    core::MarkStyle::None, 0, options)
            : core::originFormText(node, previousDestination, core::MarkStyle::None, 0, options);
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

InfoLines informationLines(const core::RecordStore& store, const Settings& settings,
                           const InfoContext& context) {
    InfoLines lines;
    bool handicap = store.handicap() != core::kHandicapEven;
    bool downMark = usesDownMark(settings.moveTextStyle);
    const std::string black(core::kMarkBlack);
    const std::string white(downMark ? core::kMarkWhiteAlt : core::kMarkWhite);

    lines[0] = black + store.playerName(core::PlayerField::Black);
    lines[1] = context.blackClock ? *context.blackClock : consumedText(store, core::kSideBlack);
    lines[2] = std::string(core::kMarkWhite) + store.playerName(core::PlayerField::White);
    lines[3] = context.whiteClock ? *context.whiteClock : consumedText(store, core::kSideWhite);
    lines[4] = std::string(core::translate("手合割：")) +
               std::string(core::handicapName(store.handicap()));
    char ply[16];
    std::snprintf(ply, sizeof ply, "%3d", store.currentPly());
    lines[5] = std::string(core::translate("手　数：")) + ply + "     ";

    core::NodeIndex cur = store.current();
    if (cur == core::kRootNode) {
        lines[6] = std::string("　　　　　　");
    } else {
        const core::MoveNode& node = store.node(cur);
        if (node.isTerminal() && node.to == core::terminalByte(core::TerminalCode::Suspend)) {
            lines[6] = std::nullopt;
        } else {
            core::NodeIndex parent = store.parentOf(cur);
            int previous = 0;
            if (parent != core::kRootNode && parent != core::kNoNode) {
                const core::MoveNode& p = store.node(parent);
                if (!p.isTerminal()) previous = p.destination();
            }
            bool byBlack = core::moverOf(node) == core::kSideBlack;
            lines[6] = core::formatMessage(
                core::translate("%sまで　"),
                {(byBlack ? black : white) + lastMoveText(node, previous, settings)});
        }
    }
    bool blackToMove = store.position().sideToMove == core::kSideBlack;
    // A terminal entry (投了, 千日手 ...) is no move: the side that would move is still the one
    // before it, though the store counted it as a ply.
    if (cur != core::kRootNode && store.node(cur).isTerminal()) blackToMove = !blackToMove;
    // The record's own words, "先手番" ..., shown in the program's language.
    lines[7] = std::string(
        handicap ? (blackToMove ? core::translate("下手番") : core::translate("上手番"))
                 : (blackToMove ? core::translate("先手番") : core::translate("後手番")));

    const auto& formats =
        core::isMatingProblem(store) ? settings.problemInfoFormats : settings.infoFormats;
    core::TextOutputOptions options = textOutputOptions(settings);
    core::DateTimeSnapshot now;
    core::TemplateExpander expander(store, options, context.environment,
                                    context.snapshot ? *context.snapshot : now);
    for (int k = 0; k < kInfoFormatCount; ++k) {
        lines[static_cast<std::size_t>(8 + k)] =
            core::informationLine(expander, formats[static_cast<std::size_t>(k)]);
    }
    // The box has no spare line: the first template line that shows nothing (no template, or a
    // header the record lacks) carries the opening the classifier sees in the main line, the
    // same for every position shown. A line with text is never displaced.
    for (int k = 0; k < kInfoFormatCount; ++k) {
        std::optional<std::string>& line = lines[static_cast<std::size_t>(8 + k)];
        if (line && line->find_first_not_of(' ') != std::string::npos) continue;
        std::string brief = autoOpeningText(store).brief;
        if (!brief.empty()) line = std::move(brief);
        break;
    }
    return lines;
}

}  // namespace tavrel
