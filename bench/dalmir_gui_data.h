// What the benchmarks of Dalmir's window share: the offscreen application, temporary file
// names, and the generated records of their databases.
#pragma once

#include <unistd.h>

#include <QApplication>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "dalmir/app/main_window.h"
#include "dalmir/model/store/database.h"
#include "dalmir/model/table/index_entry.h"

namespace benchdalmir {

// The offscreen application the benchmarks' main made.
inline QApplication& app() { return *qobject_cast<QApplication*>(QCoreApplication::instance()); }

// The files tempPath named, and what was written beside them, removed when the program ends.
inline void removeTempFiles() {
    const std::string prefix = "dalmir_bench_" + std::to_string(getpid()) + "_";
    std::error_code ec;
    for (const auto& e :
         std::filesystem::directory_iterator(std::filesystem::temp_directory_path(), ec)) {
        if (e.path().filename().string().rfind(prefix, 0) == 0) {
            std::filesystem::remove(e.path(), ec);
        }
    }
}

// A file in the temporary folder, named for this process.
inline std::string tempPath(const std::string& name) {
    static const bool cleaned = std::atexit(removeTempFiles) == 0;
    (void)cleaned;
    return (std::filesystem::temp_directory_path() /
            ("dalmir_bench_" + std::to_string(getpid()) + "_" + name))
        .string();
}

// The i-th generated record: six players, dates over forty years, seventy events, 矢倉, 60 to
// 209 moves and every result.
inline dalmir::model::IndexEntry generatedEntry(int i) {
    using dalmir::model::IndexText;
    static const std::string players[] = {"羽生善治", "谷川浩司", "森内俊之",
                                          "佐藤康光", "渡辺明",   "藤井聡太"};
    dalmir::model::IndexEntry e;
    e.setText(IndexText::Path,
              "/home/user/kifu/" + std::to_string(i / 100) + "/" + std::to_string(i) + ".KIF");
    e.setText(IndexText::BlackPlayer, players[(i * 7919) % 6] + std::to_string(i % 97));
    e.setText(IndexText::WhitePlayer, players[(i + 2) % 6]);
    e.start = {static_cast<uint16_t>(1980 + i % 40), static_cast<uint8_t>(1 + i % 12),
               static_cast<uint8_t>(1 + i % 28)};
    e.setText(IndexText::Event, "第" + std::to_string(i % 70) + "期名人戦");
    e.setText(IndexText::Opening, "矢倉");
    e.moveCount = static_cast<uint16_t>(60 + i % 150);
    e.result = static_cast<uint8_t>(i % 8);
    return e;
}

// A binary database of `records` generated records, each with the same three moves.
inline void fillBinary(dalmir::model::Database& db, int records) {
    using dalmir::model::ListMove;
    db.reset(true);
    for (int i = 0; i < records; ++i) {
        std::vector<ListMove> list = {i % 2 ? ListMove{27, 26} : ListMove{77, 76}, ListMove{33, 34},
                                      ListMove{88, 22 + 0x80}};
        dalmir::model::IndexEntry e = generatedEntry(i);
        e.moveCount = 3;
        (void)db.append(std::move(e), std::move(list));
    }
}

// A binary pair of `records` generated records, written once per size; empty when it could not
// be written.
inline const std::string& binaryDatabase(int records) {
    static std::map<int, std::string> written;
    auto it = written.find(records);
    if (it != written.end()) return it->second;
    dalmir::model::Database db(records);
    fillBinary(db, records);
    std::string path = tempPath(std::to_string(records) + ".dlb");
    if (dalmir::model::saveDatabase(db, path) != core::WriteResult::Ok) path.clear();
    return written.emplace(records, path).first->second;
}

// A quiet window's context for a database of up to `records` (at least 200,000).
inline dalmir::DalmirContext context(dalmir::AppSettings& settings, int records = 0) {
    dalmir::DalmirContext c;
    settings.maxRecords = std::max(records, 200000);
    c.settings = &settings;
    c.quiet = true;
    return c;
}

}  // namespace benchdalmir
