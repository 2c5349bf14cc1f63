#include "core/formats/rule_warning.h"

#include <string>
#include <string_view>

#include "core/notation/notation.h"
#include "core/notation/piece_text.h"
#include "core/text/sjis.h"

namespace core {

namespace {

struct Texts {
    std::string ruleError = std::string("警告：ルールエラー：");
    std::string twoPawns = std::string("警告：ルールエラー（二歩）：");
    std::string pawnDropMate = std::string("警告：ルールエラー（打歩詰）：");
    std::string kingExposed = std::string("警告：ルールエラー（王手になる）：");
};

const Texts& texts() {
    static const Texts t;
    return t;
}

}  // namespace

void warnRuleViolation(RecordStore& store, ReadReport& report, const ReadOptions& options,
                       MoveCheckResult code, int ply, std::string_view moveText) {
    const Texts& t = texts();
    const std::string* kind = &t.ruleError;
    if (code == MoveCheckResult::SecondPawn) kind = &t.twoPawns;
    if (code == MoveCheckResult::PawnDropMate) kind = &t.pawnDropMate;
    if (code == MoveCheckResult::LeavesKingAttacked && !options.database) kind = &t.kingExposed;
    const std::string plyText = std::to_string(ply) + std::string(kWordPly);
    if (!options.database) {
        report.warnings.push_back(*kind + options.fileName + " " + plyText + " " +
                                  std::string(moveText));
    }
    // The reading error keeps the short form; 王手になる has none of its own there.
    const std::string* shortKind = kind == &t.kingExposed ? &t.ruleError : kind;
    store.setReadingError(plyText + ":" + *shortKind + std::string(moveText));
}

void warnRuleViolation(RecordStore& store, ReadReport& report, const ReadOptions& options,
                       MoveCheckResult code, int ply) {
    const MoveNode& n = store.node(store.current());
    const int previous = n.parent == kNoNode ? 0 : store.node(n.parent).to;
    warnRuleViolation(store, report, options, code, ply,
                      originFormText(n, previous, MarkStyle::None, 0));
}

}  // namespace core
