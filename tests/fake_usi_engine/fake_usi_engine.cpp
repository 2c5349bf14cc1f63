// A small, deterministic USI engine for the tests. It plays the legal moves of the position in the
// order the move generator gives them: line k of a MultiPV search starts with the k-th move and
// scores 100 - 10 k centipawns for the side to move. Its behaviour is scripted by arguments:
//   --name NAME          the "id name" (default "FakeEngine")
//   --option LINE        prints "option LINE" in the handshake (repeatable)
//   --no-usiok           never answers "usi"; --no-readyok never answers "isready"
//   --bestmove MOVE      answers every search with MOVE (an illegal one for the tests)
//   --resign | --win     answers every search with "bestmove resign" / "bestmove win"
//   --resign-after N     plays N moves, then resigns
//   --mate N             scores the first line "mate N", the others "cp ... lowerbound"
//   --flood N            prints N info lines per search before the result
//   --garbage            prints a line no protocol knows before each search result
//   --exit-on-go CODE    exits with CODE when a search starts; --abort-on-go aborts
//   --abort-after N      answers N searches, then aborts when the next one starts
//   --ignore-stop        never answers "stop"; --ignore-stop-after N answers the first N only
//   --ponder             adds "ponder" and the reply to the best move
//   --log FILE           appends every command received to FILE
//   --delay MS           waits MS milliseconds before it answers each search
//   --no-info            answers searches with the best move alone, as from a book
//   --banner             prints a line no protocol knows before it reads anything
// Hostile ones, for the deadlines of the client:
//   --close-on-go        closes its output when a search starts and keeps running, reading nothing
//   --trickle-on-go MS   prints one byte every MS milliseconds, never a line end, when a search
//                        starts
//   --flood-on-go        prints info lines without end when a search starts
//   --ignore-quit        stays on after "quit", reading nothing more
//   --fork PIDFILE       starts a child that sleeps holding the output open, its id in PIDFILE
// The environment variable FAKE_USI_ARGS adds blank-separated arguments after these (for
// programs that start the engine without arguments).
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "core/formats/usi.h"
#include "core/formats/usi_reader.h"
#include "core/record/record_store.h"
#include "core/rules/move_generator.h"

namespace {

struct Script {
    std::string name = "FakeEngine";
    std::vector<std::string> options;
    bool usiOk = true;
    bool readyOk = true;
    std::string bestMove;
    bool resign = false;
    bool win = false;
    int resignAfter = -1;
    int mate = 0;
    int flood = 0;
    bool garbage = false;
    int exitOnGo = -1;
    bool abortOnGo = false;
    int abortAfter = -1;
    bool ignoreStop = false;
    int ignoreStopAfter = -1;
    bool ponder = false;
    std::string log;
    int delayMs = 0;
    bool noInfo = false;
    bool banner = false;
    bool closeOnGo = false;
    int trickleMs = -1;
    bool floodOnGo = false;
    bool ignoreQuit = false;
    std::string forkPidFile;
};

// Never returns: the hostile modes end only when they are killed.
[[noreturn]] void sleepForever() {
    for (;;) ::pause();
}

void say(const std::string& line) {
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// A line that goes out with the next one said (a search's info lines with its best move), so
// that the client reads one answer in one piece.
void sayLater(const std::string& line) {
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
}

std::vector<std::string> legalWords(const core::Position& pos) {
    std::vector<core::PackedMove> moves;
    core::legalMoves(pos, pos.sideToMove, moves);
    std::vector<std::string> words;
    for (core::PackedMove m : moves) words.push_back(core::usiMove(core::moveNodeOf(pos, m)));
    return words;
}

class FakeEngine {
public:
    explicit FakeEngine(Script script) : m_script(std::move(script)) {
        core::setupHandicap(m_position, core::kHandicapEven);
    }

    int run() {
        if (m_script.banner) say("FakeEngine, a scripted engine for the tests");
        if (!m_script.forkPidFile.empty()) {
            const pid_t child = ::fork();
            if (child == 0) sleepForever();
            std::ofstream(m_script.forkPidFile) << child << '\n';
        }
        std::string line;
        while (std::getline(std::cin, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (!m_script.log.empty()) std::ofstream(m_script.log, std::ios::app) << line << '\n';
            std::istringstream words(line);
            std::string command;
            words >> command;
            if (command == "usi") {
                say("id name " + m_script.name);
                say("id author Tavrel tests");
                for (const std::string& o : m_script.options) say("option " + o);
                if (m_script.usiOk) say("usiok");
            } else if (command == "isready") {
                if (m_script.readyOk) say("readyok");
            } else if (command == "setoption") {
                std::string name, value, word;
                words >> word >> name >> word >> value;
                if (name == "MultiPV") m_multiPv = std::max(1, std::atoi(value.c_str()));
            } else if (command == "position") {
                core::ReadOptions options;
                core::RecordStore store;
                (void)core::readUsiText(store, line, options);
                (void)store.goToPly(store.lineEnd());
                m_position = store.position();
            } else if (command == "go") {
                if (m_script.abortOnGo) std::abort();
                if (m_script.abortAfter >= 0 && m_goes++ >= m_script.abortAfter) std::abort();
                if (m_script.exitOnGo >= 0) std::exit(m_script.exitOnGo);
                hostileSearch();
                if (m_script.delayMs > 0)
                    ::usleep(static_cast<useconds_t>(m_script.delayMs) * 1000);
                search();
                m_waiting = line.find("infinite") != std::string::npos ||
                            line.find("ponder") != std::string::npos;
                if (!m_waiting) finish();
                std::fflush(stdout);
            } else if (command == "stop" || command == "ponderhit") {
                const bool ignored = m_script.ignoreStop || (m_script.ignoreStopAfter >= 0 &&
                                                             m_stops++ >= m_script.ignoreStopAfter);
                if (m_waiting && (command == "ponderhit" || !ignored)) {
                    m_waiting = false;
                    finish();
                }
            } else if (command == "quit") {
                if (m_script.ignoreQuit) sleepForever();
                return 0;
            }
        }
        return 0;
    }

private:
    void hostileSearch() {
        if (m_script.closeOnGo) {
            std::fclose(stdout);
            ::close(STDOUT_FILENO);
            sleepForever();
        }
        if (m_script.trickleMs >= 0) {
            for (;;) {
                std::fputc('i', stdout);
                std::fflush(stdout);
                ::usleep(static_cast<useconds_t>(m_script.trickleMs) * 1000);
            }
        }
        if (m_script.floodOnGo) {
            for (int depth = 1;; depth = depth % 30 + 1) {
                say("info depth " + std::to_string(depth) + " score cp 1 pv 7g7f");
            }
        }
    }

    void search() {
        m_lines.clear();
        std::vector<std::string> moves = legalWords(m_position);
        for (int k = 0; k < m_multiPv && k < static_cast<int>(moves.size()); ++k) {
            std::vector<std::string> pv{moves[static_cast<std::size_t>(k)]};
            core::Position after = m_position;
            std::optional<core::PackedMove> m = core::legalUsiMove(after, pv[0]);
            const int to = core::moveDestination(*m);
            (void)core::applyMove(after, core::moveOrigin(*m), to & ~core::kPromoteFlag,
                                  (to & core::kPromoteFlag) != 0);
            after.sideToMove = core::opponent(after.sideToMove);
            std::vector<std::string> replies = legalWords(after);
            if (!replies.empty()) pv.push_back(replies.front());
            m_lines.push_back(pv);
        }
        if (m_script.noInfo) return;
        for (int i = 0; i < m_script.flood; ++i) info(i % 30 + 1, 0);
        for (std::size_t k = 0; k < m_lines.size(); ++k) info(10, static_cast<int>(k));
    }

    void info(int depth, int k) {
        if (m_lines.empty()) return;
        const auto& pv = m_lines[static_cast<std::size_t>(k)];
        std::string score = "cp " + std::to_string(100 - 10 * k);
        if (m_script.mate != 0) {
            score = k == 0 ? "mate " + std::to_string(m_script.mate)
                           : "cp " + std::to_string(3000 - k) + " lowerbound";
        }
        std::string line = "info depth " + std::to_string(depth) + " seldepth " +
                           std::to_string(depth + 2) + " time 10 nodes 12345 nps 1234500 " +
                           "hashfull 5 multipv " + std::to_string(k + 1) + " score " + score +
                           " pv";
        for (const std::string& m : pv) line += " " + m;
        sayLater(line);
    }

    void finish() {
        if (m_script.garbage) say("this is no protocol line");
        if (m_script.resign) return say("bestmove resign");
        if (m_script.resignAfter >= 0 && m_searches++ >= m_script.resignAfter) {
            return say("bestmove resign");
        }
        if (m_script.win) return say("bestmove win");
        if (!m_script.bestMove.empty()) return say("bestmove " + m_script.bestMove);
        if (m_lines.empty()) return say("bestmove resign");
        std::string best = "bestmove " + m_lines.front().front();
        if (m_script.ponder && m_lines.front().size() > 1) best += " ponder " + m_lines.front()[1];
        say(best);
    }

    Script m_script;
    core::Position m_position;
    int m_multiPv = 1;
    int m_searches = 0;
    int m_goes = 0;
    int m_stops = 0;
    bool m_waiting = false;
    std::vector<std::vector<std::string>> m_lines;
};

}  // namespace

int main(int argc, char** argv) {
    Script s;
    std::vector<std::string> args(argv + 1, argv + argc);
    if (const char* extra = std::getenv("FAKE_USI_ARGS")) {
        std::istringstream words(extra);
        for (std::string w; words >> w;) args.push_back(w);
    }
    const int count = static_cast<int>(args.size());
    for (int i = 0; i < count; ++i) {
        const std::string a = args[static_cast<std::size_t>(i)];
        const bool more = i + 1 < count;
        if (a == "--name" && more)
            s.name = args[static_cast<std::size_t>(++i)];
        else if (a == "--option" && more)
            s.options.emplace_back(args[static_cast<std::size_t>(++i)]);
        else if (a == "--no-usiok")
            s.usiOk = false;
        else if (a == "--no-readyok")
            s.readyOk = false;
        else if (a == "--bestmove" && more)
            s.bestMove = args[static_cast<std::size_t>(++i)];
        else if (a == "--resign")
            s.resign = true;
        else if (a == "--resign-after" && more)
            s.resignAfter = std::atoi(args[static_cast<std::size_t>(++i)].c_str());
        else if (a == "--win")
            s.win = true;
        else if (a == "--mate" && more)
            s.mate = std::atoi(args[static_cast<std::size_t>(++i)].c_str());
        else if (a == "--flood" && more)
            s.flood = std::atoi(args[static_cast<std::size_t>(++i)].c_str());
        else if (a == "--garbage")
            s.garbage = true;
        else if (a == "--exit-on-go" && more)
            s.exitOnGo = std::atoi(args[static_cast<std::size_t>(++i)].c_str());
        else if (a == "--abort-after" && more)
            s.abortAfter = std::atoi(args[static_cast<std::size_t>(++i)].c_str());
        else if (a == "--abort-on-go")
            s.abortOnGo = true;
        else if (a == "--ignore-stop")
            s.ignoreStop = true;
        else if (a == "--ignore-stop-after" && more)
            s.ignoreStopAfter = std::atoi(args[static_cast<std::size_t>(++i)].c_str());
        else if (a == "--ponder")
            s.ponder = true;
        else if (a == "--log" && more)
            s.log = args[static_cast<std::size_t>(++i)];
        else if (a == "--no-info")
            s.noInfo = true;
        else if (a == "--delay" && more)
            s.delayMs = std::atoi(args[static_cast<std::size_t>(++i)].c_str());
        else if (a == "--banner")
            s.banner = true;
        else if (a == "--close-on-go")
            s.closeOnGo = true;
        else if (a == "--trickle-on-go" && more)
            s.trickleMs = std::atoi(args[static_cast<std::size_t>(++i)].c_str());
        else if (a == "--flood-on-go")
            s.floodOnGo = true;
        else if (a == "--ignore-quit")
            s.ignoreQuit = true;
        else if (a == "--fork" && more)
            s.forkPidFile = args[static_cast<std::size_t>(++i)];
    }
    return FakeEngine(s).run();
}
