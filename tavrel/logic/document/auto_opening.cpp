#include "tavrel/logic/document/auto_opening.h"

#include "core/classify/classifier.h"
#include "core/notation/piece_text.h"
#include "core/text/sjis.h"
#include "core/text/translation.h"

namespace tavrel {

AutoOpeningText autoOpeningText(const core::RecordStore& store) {
    core::Classification c = core::classifyRecord(store);
    AutoOpeningText text;
    text.name = core::openingText(c);
    std::string summary = core::summaryText(c);
    switch (c.status) {
        case core::ClassifyStatus::Classified:
        case core::ClassifyStatus::Handicap:
            break;
        case core::ClassifyStatus::CustomStart:
            summary = std::string(core::translate("（任意の開始局面のため分類しません）"));
            break;
        case core::ClassifyStatus::TooShort:
            summary = std::string(core::translate("（手数が少ないため分類できません）"));
            break;
    }
    text.shown = std::string(core::translate("自動戦型：")) + summary;
    if (c.status == core::ClassifyStatus::Classified) {
        const std::string black = core::sideLabel(c.black);
        const std::string white = core::sideLabel(c.white);
        const std::string opening = core::openingName(c.opening);
        if (!opening.empty() && opening != black && opening != white) text.brief = opening + " ";
        text.brief +=
            std::string(core::kMarkBlack) + black + " " + std::string(core::kMarkWhite) + white;
    }
    return text;
}

}  // namespace tavrel
