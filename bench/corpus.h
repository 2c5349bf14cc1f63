// The benchmark corpus on disk (bench/run.sh writes it with make_corpus): where it is and its
// files of one kind.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace benchcorpus {

// TAVREL_CORPUS, else bench/corpus beside the sources.
inline std::filesystem::path folder() {
    if (const char* env = std::getenv("TAVREL_CORPUS")) return env;
    return std::filesystem::path(TAVREL_SOURCE_DIR) / "bench" / "corpus";
}

// The files of one kind ("kif", "ki2", "csa"), sorted; empty when the corpus is missing.
inline std::vector<std::string> files(const char* kind) {
    std::vector<std::string> out;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(folder() / kind, ec)) {
        out.push_back(e.path().string());
    }
    std::sort(out.begin(), out.end());
    return out;
}

}  // namespace benchcorpus
