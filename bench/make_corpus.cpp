// Writes the benchmark corpus: N reproducible pseudo-random legal games (fixed seed; 40..200
// plies; about 10% handicap games; some with variations, comments, bookmarks and times; ending in
// 投了, 中断, 切れ負け or nothing) as KIF, KI2 and CSA files in Shift-JIS with CR LF.
//
//   make_corpus DIR [N] [SEED]   ->  DIR/kif/00001.kif, DIR/ki2/00001.ki2, DIR/csa/00001.csa
//
// The large corpus: N records as one file each, CSA and KIF in turn, in folders of 1,000
// (DIR/0000/0000000.csa, DIR/0000/0000001.kif, ...), written on every core. Record i depends
// only on SEED and i. One record in ten opens with one of 24 fixed openings (12 to 24 plies),
// so positions and sequences from them have many hits; one in 200 repeats an earlier record in the
// other format, for the duplicate check; players, events, openings and dates are drawn from lists
// large enough for the statistics and header searches to have work.
//
//   make_corpus --scale DIR N [SEED]
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "core/base/safe_file.h"
#include "core/formats/csa_writer.h"
#include "core/formats/ki2_writer.h"
#include "core/formats/kif_writer.h"
#include "core/text/sjis.h"
#include "tests/support/random_record.h"

namespace {

namespace fs = std::filesystem;

constexpr int kPerFolder = 1000;
constexpr int kOpenings = 24;
constexpr int kSharedEvery = 10;
constexpr int kDuplicateEvery = 200;

int draw(std::mt19937& rng, int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(rng);
}

template <std::size_t N>
std::vector<std::string> sjisList(const char* const (&items)[N]) {
    std::vector<std::string> out;
    for (const char* s : items) out.push_back(std::string(s));
    return out;
}

struct ScaleTexts {
    std::vector<std::string> players, events, openings, places;
    ScaleTexts() {
        static const char* const family[] = {"山田", "佐藤", "鈴木", "高橋", "田中", "伊藤", "渡辺",
                                             "中村", "小林", "加藤", "吉田", "山本", "松本", "井上",
                                             "木村", "林",   "清水", "森",   "池田", "橋本"};
        static const char* const given[] = {"太郎", "花子", "一郎", "次郎", "三郎",
                                            "明",   "健",   "誠",   "聡",   "翔"};
        for (const char* f : family) {
            for (const char* g : given) players.push_back(std::string(f) + std::string(g));
        }
        static const char* const ev[] = {"練習対局", "順位戦",     "名人戦", "新人戦",
                                         "王座戦",   "棋聖戦",     "竜王戦", "銀河戦",
                                         "早指し戦", "オープン戦", "選手権", "研究会"};
        events = sjisList(ev);
        static const char* const op[] = {"矢倉",       "角換わり", "相掛かり", "横歩取り",
                                         "四間飛車",   "三間飛車", "中飛車",   "向かい飛車",
                                         "相振り飛車", "雁木",     "その他"};
        openings = sjisList(op);
        static const char* const pl[] = {"東京", "大阪", "名古屋", "福岡", "札幌", "対局サーバ"};
        places = sjisList(pl);
    }
};

// An empty record from the even start (whatever the store held before).
void evenStart(core::RecordStore& store) {
    store.reset();
    store.clearHeader();
    store.setCustomStart(false);
    store.setFlipped(false);
    store.setHandicap(core::kHandicapEven);
    store.setFirstMover(core::firstMoverOf(core::kHandicapEven));
    core::setupHandicap(store.position(), core::kHandicapEven);
    store.saveStartPosition();
    (void)store.goTo(core::kRootNode);
}

// The fixed openings: random legal lines from the start, the same for every run.
std::vector<std::vector<core::PackedMove>> openingLines(unsigned seed) {
    std::mt19937 rng(seed ^ 0x0BE1u);
    std::vector<std::vector<core::PackedMove>> out;
    core::RecordStore store;
    for (int k = 0; k < kOpenings; ++k) {
        evenStart(store);
        std::vector<core::PackedMove> line;
        const int plies = draw(rng, 12, 24);
        for (int p = 0; p < plies; ++p) {
            core::PackedMove m = testsupport::randomLegalMove(store.position(), rng);
            if (m == 0 || store.addAndAdvance(core::kAddStoreAll, m, 0) != core::AddResult::Ok) {
                break;
            }
            line.push_back(m);
        }
        out.push_back(std::move(line));
    }
    return out;
}

// Record i of the large corpus. One record in 200 is record i - 101 again (in the other format),
// so that the duplicate check finds pairs.
void makeScaleRecord(core::RecordStore& store, unsigned seed, int i, const ScaleTexts& texts,
                     const std::vector<std::vector<core::PackedMove>>& openings) {
    if (i % kDuplicateEvery == kDuplicateEvery - 1) i -= 101;
    std::seed_seq seq{seed, static_cast<unsigned>(i), 0x5CA1Eu};
    std::mt19937 rng(seq);
    testsupport::RandomRecordOptions options;
    options.handicapPercent = 5;
    options.variationPercent = 5;
    options.commentPercent = 10;
    options.bookmarkPercent = 5;
    if (i % kSharedEvery == 0) {
        evenStart(store);
        for (core::PackedMove m : openings[static_cast<std::size_t>(draw(rng, 0, kOpenings - 1))]) {
            if (store.addAndAdvance(core::kAddStoreAll, m, 0) != core::AddResult::Ok) break;
        }
        const int plies = draw(rng, 60, 180);
        while (store.currentPly() < plies) {
            core::PackedMove m = testsupport::randomLegalMove(store.position(), rng);
            if (m == 0 || store.addAndAdvance(core::kAddStoreAll, m,
                                              static_cast<uint16_t>(draw(rng, 0, 120))) !=
                              core::AddResult::Ok) {
                break;
            }
        }
        (void)store.addAndAdvance(core::kAddStoreAll,
                                  core::terminalMove(core::TerminalCode::Resign), 0);
        (void)store.goTo(core::kRootNode);
    } else {
        testsupport::makeRandomRecord(store, rng, options);
    }
    auto pick = [&](const std::vector<std::string>& list) -> const std::string& {
        return list[static_cast<std::size_t>(draw(rng, 0, static_cast<int>(list.size()) - 1))];
    };
    store.setPlayerName(core::PlayerField::Black, pick(texts.players));
    store.setPlayerName(core::PlayerField::White, pick(texts.players));
    store.setHeader(core::HeaderField::Event, pick(texts.events));
    store.setHeader(core::HeaderField::Opening, pick(texts.openings));
    store.setHeader(core::HeaderField::Place, pick(texts.places));
    char date[32];
    std::snprintf(date, sizeof date, "%04d/%02d/%02d", draw(rng, 1970, 2026), draw(rng, 1, 12),
                  draw(rng, 1, 28));
    store.setHeader(core::HeaderField::StartDateTime, date);
}

int writeScaleCorpus(const fs::path& dir, int count, unsigned seed) {
    const ScaleTexts texts;
    const auto openings = openingLines(seed);
    for (int f = 0; f * kPerFolder < count; ++f) {
        char name[32];
        std::snprintf(name, sizeof name, "%04d", f);
        fs::create_directories(dir / name);
    }
    std::atomic<int> next{0};
    std::atomic<bool> failed{false};
    auto work = [&] {
        core::RecordStore store;
        core::RecordWriteOptions options;
        char name[48];
        for (int i = next++; i < count && !failed; i = next++) {
            makeScaleRecord(store, seed, i, texts, openings);
            const bool csa = i % 2 == 0;
            std::snprintf(name, sizeof name, "%04d/%07d.%s", i / kPerFolder, i,
                          csa ? "csa" : "kif");
            // Plain writes: the corpus can be made again, and a million synced files take long.
            std::ofstream out(dir / name, std::ios::binary | std::ios::trunc);
            out << core::utf8ToCp932(csa ? core::csaText(store) : core::kifText(store, options))
                       .text;
            if (!out.flush()) failed = true;
        }
    };
    const unsigned threads = std::max(1u, std::thread::hardware_concurrency());
    std::vector<std::thread> pool;
    for (unsigned t = 0; t < threads; ++t) pool.emplace_back(work);
    for (auto& t : pool) t.join();
    if (failed) {
        std::fprintf(stderr, "make_corpus: cannot write into %s\n", dir.c_str());
        return 1;
    }
    std::printf("%d records in %s\n", count, dir.c_str());
    return 0;
}

}  // namespace

// The files are Shift-JIS, as record files mostly are.
std::string sjisFile(std::string_view text) { return core::utf8ToCp932(text).text; }

int main(int argc, char** argv) {
    if (argc >= 4 && std::string(argv[1]) == "--scale") {
        unsigned seed = argc > 4 ? static_cast<unsigned>(std::atoi(argv[4])) : 20261209u;
        return writeScaleCorpus(argv[2], std::atoi(argv[3]), seed);
    }
    if (argc < 2) {
        std::fprintf(
            stderr, "usage: make_corpus DIR [N] [SEED]\n       make_corpus --scale DIR N [SEED]\n");
        return 2;
    }
    fs::path dir = argv[1];
    int count = argc > 2 ? std::atoi(argv[2]) : 10000;
    unsigned seed = argc > 3 ? static_cast<unsigned>(std::atoi(argv[3])) : 20261208u;
    for (const char* sub : {"kif", "ki2", "csa"}) fs::create_directories(dir / sub);

    std::mt19937 rng(seed);
    core::RecordStore store;
    core::RecordWriteOptions options;
    char name[32];
    for (int i = 1; i <= count; ++i) {
        testsupport::makeRandomRecord(store, rng);
        std::snprintf(name, sizeof name, "%05d", i);
        bool ok =
            core::writeFileAtomically((dir / "kif" / (std::string(name) + ".kif")).string(),
                                      sjisFile(core::kifText(store, options))) ==
                core::WriteResult::Ok &&
            core::writeFileAtomically((dir / "ki2" / (std::string(name) + ".ki2")).string(),
                                      sjisFile(core::ki2Text(store, options))) ==
                core::WriteResult::Ok &&
            core::writeFileAtomically((dir / "csa" / (std::string(name) + ".csa")).string(),
                                      sjisFile(core::csaText(store))) == core::WriteResult::Ok;
        if (!ok) {
            std::fprintf(stderr, "make_corpus: cannot write into %s\n", dir.c_str());
            return 1;
        }
    }
    std::printf("%d records in %s\n", count, dir.c_str());
    return 0;
}
