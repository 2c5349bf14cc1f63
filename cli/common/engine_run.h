// The command-line tool's side of a session with a USI engine: the program runs as a child
// process whose lines feed a UsiEngine, with the session's deadlines kept while the program
// prints, trickles or falls silent, and its end taken however it comes (an exit, a closed output,
// children that hold the output open).
#pragma once

#include <functional>

#include "cli/common/child_process.h"
#include "usi/usi_engine.h"

namespace cli {

// The session's lines go to the child; kill() ends the child's whole process group.
class ChildLink : public usi::UsiLink {
public:
    explicit ChildLink(ChildProcess& child) : m_child(child) {}
    // A lost line is noticed by the engine's deadline.
    void send(std::string_view line) override { (void)m_child.writeLine(line); }
    void kill() override { m_child.kill(); }

private:
    ChildProcess& m_child;
};

// Feeds the child's lines to engine (whose link is a ChildLink on child) until the session has
// ended, then makes sure the program and its group are gone. clock is the engine's. A program
// that closes its output is given exitGraceMs to end before the session counts it as failed.
// poll, when given, is called after every line and at least every kPollMs while the program is
// silent (to stop a run from outside).
inline constexpr int kPollMs = 200;
void runEngine(ChildProcess& child, usi::UsiEngine& engine, const usi::UsiEngine::Clock& clock,
               int exitGraceMs = 1000, const std::function<void()>& poll = {});

}  // namespace cli
