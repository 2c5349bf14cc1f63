#include "tavrel/settings/engine_options.h"

namespace tavrel {

core::ReadOptions readOptions(const Settings& settings) {
    core::ReadOptions o;
    o.ruleCheck = settings.checkRules != 0;
    o.autoTimeUsed = settings.autoThinkingTime != 0;
    o.userKeys = settings.userInfoNames;
    return o;
}

core::RecordWriteOptions writeOptions(const Settings& settings) {
    core::RecordWriteOptions o;
    o.kifOmitZeroTimes = settings.kifOmitZeroTime != 0;
    o.commentWrap = settings.commentAutoWrap != 0;
    o.commentWrapColumn = settings.commentWrapColumn;
    o.dragonAsRyu = settings.dragonNotation != 0;
    o.userKeys = settings.userInfoNames;
    o.loadPosition = static_cast<int>(settings.positionAfterLoad);
    o.ki2Columns = settings.ki2Columns;
    o.ki2HalfWidthColumns = settings.ki2HalfWidthColumns;
    o.ki2Style = static_cast<int>(settings.ki2Style);
    o.ki2HalfWidth = settings.ki2HalfWidth != 0;
    o.ruleCheck = settings.checkRules != 0;
    o.userMarksInFiles = settings.privateCharUse.file != 0;
    o.userMarksOnClipboard = settings.privateCharUse.clipboard != 0;
    return o;
}

core::RecordOptions recordOptions(const Settings& settings) {
    core::RecordOptions o;
    // Any code but Overwrite branches, as the store itself reads it.
    o.addMode = settings.addVariationMode == core::AddMode::Overwrite ? core::AddMode::Overwrite
                                                                      : core::AddMode::Branch;
    o.duplicateBookmarkNames = settings.duplicateBookmarks != 0;
    return o;
}

}  // namespace tavrel
