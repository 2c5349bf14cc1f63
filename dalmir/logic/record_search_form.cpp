#include "dalmir/logic/record_search_form.h"

#include "core/text/sjis.h"

namespace dalmir {

namespace {

constexpr model::GameEnd kEnds[] = {
    model::GameEnd::Mate,    model::GameEnd::Resign,       model::GameEnd::Repetition,
    model::GameEnd::Impasse, model::GameEnd::EnteringKing, model::GameEnd::Foul,
    model::GameEnd::Suspend, model::GameEnd::TimeLoss,
};

}  // namespace

std::vector<std::string> gameEndChoices() {
    std::vector<std::string> out{"(指定なし)"};
    for (model::GameEnd end : kEnds) out.push_back(core::toUtf8Lossy(model::gameEndWord(end)));
    return out;
}

std::optional<model::RecordConditions> recordConditions(DalmirUi& ui,
                                                        const RecordSearchForm& form) {
    model::RecordConditions c;
    const auto ends = std::size(kEnds);
    if (form.end > 0 && static_cast<std::size_t>(form.end) <= ends) {
        c.end = kEnds[form.end - 1];
    }
    if (!form.material.empty()) {
        model::MaterialParse parsed = model::parseMaterial(core::utf8ToCp932(form.material).text);
        if (!parsed.pattern) {
            ui.showMessage(core::toUtf8Lossy(parsed.error));
            return std::nullopt;
        }
        c.material = parsed.pattern;
        c.materialPly = form.materialPly < 0 ? -1 : form.materialPly;
    }
    // A comment text the records' encoding cannot hold would match nothing it means.
    const core::Cp932Conversion comment = core::utf8ToCp932(form.comment);
    if (!comment.ok || comment.replaced > 0) {
        ui.showMessage("コメントの文字列に棋譜で使えない文字があります。");
        return std::nullopt;
    }
    c.comment = comment.text;
    return c;
}

}  // namespace dalmir
