#include "dalmir/app/analysis_engines.h"

#include <chrono>
#include <filesystem>

#include "cli/common/child_process.h"
#include "cli/common/engine_run.h"

namespace dalmir {

std::int64_t steadyMilliseconds() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

DatabaseAnalysisCommand::Sessions childProcessSessions() {
    return [](const std::string& program,
              const std::vector<std::pair<std::string, std::string>>& options) {
        std::error_code ec;
        std::filesystem::path path = std::filesystem::absolute(program, ec);
        if (ec) path = program;
        return model::EngineSessionRunner([path, options](model::AnalysisJob& job,
                                                          std::string& reason) {
            cli::ChildProcess child;
            if (!child.start(path.string(), {path.string()}, path.parent_path().string(), reason)) {
                reason = path.string() + ": " + reason;
                return false;
            }
            cli::ChildLink link(child);
            usi::UsiEngine engine(link, job, steadyMilliseconds);
            engine.setStartOptions(options);
            job.attach(engine);
            engine.start();
            cli::runEngine(child, engine, steadyMilliseconds, 1000, [&job] { job.poll(); });
            return true;
        });
    };
}

}  // namespace dalmir
