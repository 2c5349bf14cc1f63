// Test support for the engine session: a link that records what the session sends, an events
// sink that records what it reports (as UTF-8), and a clock the test moves by hand.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/text/sjis.h"
#include "usi/usi_engine.h"

namespace testsupport {
using namespace ::usi;

struct RecordingLink : UsiLink {
    std::vector<std::string> sent;
    int kills = 0;
    void send(std::string_view line) override { sent.emplace_back(line); }
    void kill() override { ++kills; }
    std::string last() const { return sent.empty() ? std::string() : sent.back(); }
};

struct RecordingEvents : UsiEvents {
    int ready = 0;
    int quits = 0;
    std::vector<UsiInfo> infos;
    std::vector<UsiBestMove> bestMoves;
    std::vector<std::string> warnings;  // UTF-8
    std::vector<std::string> failures;  // UTF-8
    std::vector<std::string> unknownLines;

    void engineReady() override { ++ready; }
    void engineInfo(const UsiInfo& info) override { infos.push_back(info); }
    void engineBestMove(const UsiBestMove& best) override { bestMoves.push_back(best); }
    void engineWarning(const std::string& m) override { warnings.push_back(core::toUtf8Lossy(m)); }
    void engineFailed(const std::string& m) override { failures.push_back(core::toUtf8Lossy(m)); }
    void engineUnknownLine(std::string_view line) override { unknownLines.emplace_back(line); }
    void engineQuit() override { ++quits; }
};

struct ManualClock {
    std::int64_t now = 1000;
    UsiEngine::Clock clock() {
        return [this] { return now; };
    }
};

}  // namespace testsupport
