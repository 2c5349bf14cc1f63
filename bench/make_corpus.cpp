// Writes the benchmark corpus: N reproducible pseudo-random legal games (fixed seed; 40..200
// plies; about 10% handicap games; some with variations, comments, bookmarks and times; ending in
// 投了, 中断, 切れ負け or nothing) as KIF, KI2 and CSA files in Shift-JIS with CR LF.
//
//   make_corpus DIR [N] [SEED]   ->  DIR/kif/00001.kif, DIR/ki2/00001.ki2, DIR/csa/00001.csa
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "core/formats/csa_writer.h"
#include "core/formats/ki2_writer.h"
#include "core/formats/kif_writer.h"
#include "core/text/safe_file.h"
#include "tests/support/random_record.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_corpus DIR [N] [SEED]\n");
        return 2;
    }
    namespace fs = std::filesystem;
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
                                      core::kifText(store, options)) == core::WriteResult::Ok &&
            core::writeFileAtomically((dir / "ki2" / (std::string(name) + ".ki2")).string(),
                                      core::ki2Text(store, options)) == core::WriteResult::Ok &&
            core::writeFileAtomically((dir / "csa" / (std::string(name) + ".csa")).string(),
                                      core::csaText(store)) == core::WriteResult::Ok;
        if (!ok) {
            std::fprintf(stderr, "make_corpus: cannot write into %s\n", dir.c_str());
            return 1;
        }
    }
    std::printf("%d records in %s\n", count, dir.c_str());
    return 0;
}
