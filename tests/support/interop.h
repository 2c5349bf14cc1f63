// The record files of other programs that tests read from the folder TAVREL_INTEROP_DATA names
// (set when the build is configured). A clone without that folder still passes: every test that
// reads it uses the fixture below, which skips the test and names the folder it looked for.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#ifndef TAVREL_INTEROP_DATA
#define TAVREL_INTEROP_DATA ""
#endif

namespace testsupport {

inline std::filesystem::path interopFolder() { return TAVREL_INTEROP_DATA; }

inline bool haveInterop() {
    std::error_code ec;
    return !interopFolder().empty() && std::filesystem::is_directory(interopFolder(), ec);
}

// The regular files of one sub-folder ("kif", "ki2", "csa"), sorted by name.
inline std::vector<std::filesystem::path> interopFiles(const std::string& sub) {
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(interopFolder() / sub, ec)) {
        if (entry.is_regular_file()) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// A fixture for tests that read the interop records, over the fixture Base of its suite. Skips
// the test, saying which folder is missing, when the records are not there.
template <class Base = ::testing::Test>
class WithInterop : public Base {
protected:
    void SetUp() override {
        Base::SetUp();
        if (!haveInterop()) {
            GTEST_SKIP() << "the interop records are not at \"" << interopFolder().string()
                         << "\" (configure with -DTAVREL_INTEROP_DATA=FOLDER)";
        }
    }
    static std::filesystem::path interop(const std::string& relative) {
        return interopFolder() / relative;
    }
};

using InteropTest = WithInterop<>;

}  // namespace testsupport
