#include "tavrel/logic/document/info_fields.h"

#include "core/text/sjis.h"

namespace tavrel {

int historySetting(const Settings& settings, HistoryField field) {
    switch (field) {
        case HistoryField::Players:
            return settings.playerHistory;
        case HistoryField::Event:
            return settings.eventHistory;
        case HistoryField::Opening:
            return settings.openingHistory;
        case HistoryField::TimeLimit:
            return settings.timeLimitHistory;
        case HistoryField::Place:
            return settings.placeHistory;
        case HistoryField::Publication:
            return settings.publicationHistory;
        case HistoryField::User1:
        case HistoryField::User2:
        case HistoryField::User3:
        case HistoryField::User4:
        case HistoryField::User5:
            return settings.userHistory;
        default:
            return 0;
    }
}

std::string cutInfoField(std::string_view value) {
    return std::string(core::cutToBytes(value, kInfoFieldBytes));
}

std::vector<std::string> infoFieldChoices(const InfoFieldSource& source, const Settings& settings,
                                          const Histories& histories, const std::string& folder) {
    std::vector<std::string> lines;
    if (source.list) lines = readListFile(folder, *source.list);
    if (!source.history) return lines;
    return fieldChoices(&histories[*source.history], historySetting(settings, *source.history),
                        lines);
}

bool rememberInfoField(const InfoFieldSource& source, const Settings& settings,
                       Histories& histories, const std::string& folder,
                       std::string_view valueAtOpening, std::string_view value, bool* writeFailed) {
    if (!source.history || historySetting(settings, *source.history) == 0) return false;
    if (value == valueAtOpening) return false;
    const std::string cut = cutInfoField(value);
    History& history = histories[*source.history];
    if (history.add(cut) == HistoryAddResult::Ignored) return false;
    const core::WriteResult written = history.write(historyFilePath(folder, *source.history));
    if (writeFailed) *writeFailed = written != core::WriteResult::Ok;
    return true;
}

}  // namespace tavrel
