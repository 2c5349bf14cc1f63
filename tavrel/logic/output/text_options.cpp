#include "tavrel/logic/output/text_options.h"

#include "tavrel/settings/engine_options.h"

namespace tavrel {

core::TextOutputOptions textOutputOptions(const Settings& s) {
    core::TextOutputOptions o;
    o.moveStyle = static_cast<int>(s.moveTextStyle);
    o.ruleCheck = s.checkRules != 0;
    o.userMarks = {s.privateCharUse.screen != 0, s.privateCharUse.file != 0,
                   s.privateCharUse.clipboard != 0, s.privateCharUse.print != 0};
    o.notation.dragonAsRyu = s.dragonNotation != 0;
    o.notation.dropMarkOnLast = s.markFinalDrop != 0;
    o.writer = writeOptions(s);
    o.positionTemplate = s.diagramFormat;
    for (std::size_t i = 0; i < 3; ++i) {
        o.infoTemplates[i] = s.infoFormats[i];
        o.problemInfoTemplates[i] = s.problemInfoFormats[i];
    }
    o.englishTemplate = s.englishDiagramFormat;
    o.englishNumbering = s.englishNumbering >= core::EnglishNumbering::Chess &&
                                 s.englishNumbering <= core::EnglishNumbering::None
                             ? s.englishNumbering
                             : core::EnglishNumbering::Chess;
    o.englishColumns = s.englishColumns;
    o.mailTemplate1 = s.mailForm1;
    o.mailTemplate2 = s.mailForm2;
    o.mailRecipient = s.internetMailTo;
    o.mailSubject = s.internetMailSubject;
    o.mailBody = s.internetMailBody;
    o.printPositionTemplate = s.printPositionFormat;
    o.printRecordTemplate = s.printRecordFormat;
    o.imageNameTemplate = s.imageNameFormat;
    o.variationTree.maxDepth = s.recordTree[0];
    o.variationTree.compact = s.recordTree[1] != 0;
    o.variationTree.columnWidth = s.recordTree[2];
    o.variationTree.compactColumnWidth = s.recordTree[3];
    return o;
}

}  // namespace tavrel
