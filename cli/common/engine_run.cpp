#include "cli/common/engine_run.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace cli {

namespace {

// The longest one wait lasts, so that deadlines set meanwhile are seen.
constexpr std::int64_t kMaxWaitMs = 1000;

}  // namespace

void runEngine(ChildProcess& child, usi::UsiEngine& engine, const usi::UsiEngine::Clock& clock,
               int exitGraceMs, const std::function<void()>& poll) {
    const std::int64_t longestWait = poll ? kPollMs : kMaxWaitMs;
    std::string line;
    bool closed = false;
    int code = 0;
    bool crashed = false;
    while (engine.state() != usi::UsiEngine::State::Ended) {
        const std::int64_t deadline = engine.deadline();
        const int wait = static_cast<int>(
            deadline < 0 ? longestWait
                         : std::clamp<std::int64_t>(deadline - clock(), 0, longestWait));
        if (closed) {
            if (child.waitFor(wait, code, crashed)) engine.exited(code, crashed);
        } else {
            switch (child.readLine(line, wait)) {
                case ChildProcess::Read::Line:
                    engine.receive(line);
                    break;
                case ChildProcess::Read::Timeout:
                    // A program whose children hold its output open has ended all the same.
                    if (child.waitFor(0, code, crashed)) {
                        while (child.readLine(line, 0) == ChildProcess::Read::Line) {
                            engine.receive(line);
                        }
                        engine.exited(code, crashed);
                    }
                    break;
                case ChildProcess::Read::Closed:
                    closed = true;
                    if (child.waitFor(exitGraceMs, code, crashed)) {
                        engine.exited(code, crashed);
                    } else {
                        engine.outputClosed();
                    }
                    break;
            }
        }
        engine.tick();
        if (poll) poll();
    }
    // The session gave the program up (and killed it) or saw it end: nothing of it stays.
    if (child.running()) {
        child.kill();
        // The engine is being ended; how it ended is not reported.
        (void)child.wait(crashed);
    }
}

}  // namespace cli
