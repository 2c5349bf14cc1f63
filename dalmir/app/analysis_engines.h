// The engine programs of the window's database analysis: each job's program runs as a child
// process on the job's own thread (no event loop there), fed line by line until its session
// ends, as the command-line tool runs them.
#pragma once

#include "dalmir/logic/database_analysis_command.h"

namespace dalmir {

DatabaseAnalysisCommand::Sessions childProcessSessions();

// Milliseconds of a steady clock.
std::int64_t steadyMilliseconds();

}  // namespace dalmir
