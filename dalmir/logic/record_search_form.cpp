#include "dalmir/logic/record_search_form.h"

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
    for (model::GameEnd end : kEnds) out.emplace_back(model::gameEndWord(end));
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
        model::MaterialParse parsed = model::parseMaterial(form.material);
        if (!parsed.pattern) {
            ui.showMessage(parsed.error);
            return std::nullopt;
        }
        c.material = parsed.pattern;
        c.materialPly = form.materialPly < 0 ? -1 : form.materialPly;
    }
    c.comment = form.comment;
    return c;
}

}  // namespace dalmir
