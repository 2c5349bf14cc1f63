#include "dalmir/logic/clipboard_record.h"

#include <cstdio>

#include "core/formats/ki2_writer.h"
#include "core/text/sjis.h"

namespace dalmir {

namespace {

std::string dateText(model::IndexDate d) {
    if (d.year == 0) return {};
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d/%02d/%02d", d.year, d.month, d.day);
    return buf;
}

}  // namespace

std::optional<std::string> clipboardRecordText(const model::Database& db, int slot,
                                               std::string_view databaseName) {
    if (!db.isBinary() || slot < 0 || slot >= db.table().size() || !db.lists().hasList(slot)) {
        return std::nullopt;
    }
    const model::IndexEntry& e = db.table().entry(slot);
    core::RecordStore store;
    const model::ReplayResult replayed =
        model::replayList(db.lists().list(slot), e.handicap, store);
    if (replayed == model::ReplayResult::NoList || replayed == model::ReplayResult::BadHandicap) {
        return std::nullopt;
    }
    store.setPlayerName(core::PlayerField::Black, e.blackPlayer());
    store.setPlayerName(core::PlayerField::White, e.whitePlayer());
    store.setHeader(core::HeaderField::StartDateTime, dateText(e.start));
    store.setHeader(core::HeaderField::EndDateTime, dateText(e.end));
    store.setHeader(core::HeaderField::Event, e.event());
    store.setHeader(core::HeaderField::Opening, e.opening());
    store.setHeader(core::HeaderField::TimeLimit, e.timeLimit());
    store.setHeader(core::HeaderField::Place, e.place());
    store.setHeader(core::HeaderField::PublishedIn, e.publishedIn());
    std::string name(databaseName);
    if (name.size() >= 2 && name.compare(name.size() - 2, 2, " *") == 0)
        name.resize(name.size() - 2);
    store.setHeader(core::HeaderField::Title, name + " No." + std::to_string(slot + 1));
    return core::ki2ClipboardText(store, core::Ki2ClipboardMode::Whole, core::RecordWriteOptions{});
}

std::string clipboardRecordStatus() { return "クリップボードへ棋譜(KI2形式)を出力しました。"; }

}  // namespace dalmir
