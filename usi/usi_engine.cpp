#include "usi/usi_engine.h"

#include <algorithm>
#include <utility>

#include "core/formats/usi.h"
#include "core/text/message_format.h"
#include "core/text/sjis.h"
#include "core/text/translation.h"

namespace usi {

namespace {

constexpr std::size_t kQuotedBytes = 60;

// A line of the engine as a message may quote it: printable ASCII only, cut short.
std::string quoted(std::string_view line) {
    std::string s;
    for (char c : line.substr(0, kQuotedBytes)) s += (c >= 0x20 && c < 0x7F) ? c : '?';
    if (line.size() > kQuotedBytes) s += "...";
    return s;
}

std::string_view firstWord(std::string_view line) {
    std::size_t start = line.find_first_not_of(" \t");
    if (start == std::string_view::npos) return {};
    std::size_t end = line.find_first_of(" \t", start);
    return line.substr(start, end == std::string_view::npos ? end : end - start);
}

std::string_view afterWords(std::string_view line, int count) {
    for (int i = 0; i < count; ++i) {
        std::size_t start = line.find_first_not_of(" \t");
        if (start == std::string_view::npos) return {};
        std::size_t end = line.find_first_of(" \t", start);
        line = end == std::string_view::npos ? std::string_view() : line.substr(end);
    }
    std::size_t start = line.find_first_not_of(" \t");
    return start == std::string_view::npos ? std::string_view() : line.substr(start);
}

}  // namespace

std::int64_t searchBudget(const GoLimits& limits, core::SideByte sideToMove) {
    if (limits.infinite) return limits.ponder ? -1 : limits.stopAfter;
    if (limits.ponder) return -1;
    const bool black = sideToMove == core::kSideBlack;
    const std::int64_t time = black ? limits.blackTime : limits.whiteTime;
    const std::int64_t increment = black ? limits.blackIncrement : limits.whiteIncrement;
    if (time < 0 && limits.byoyomi < 0 && increment < 0) return -1;
    return std::max<std::int64_t>(time, 0) + std::max<std::int64_t>(limits.byoyomi, 0) +
           std::max<std::int64_t>(increment, 0);
}

std::string_view awaitedAnswer(UsiEngine::State state) {
    switch (state) {
        case UsiEngine::State::WaitingUsiOk:
            return "usiok";
        case UsiEngine::State::WaitingReadyOk:
            return "readyok";
        case UsiEngine::State::Searching:
        case UsiEngine::State::Stopping:
            return "bestmove";
        case UsiEngine::State::Quitting:
            return "quit";
        default:
            return "";
    }
}

UsiEngine::UsiEngine(UsiLink& link, UsiEvents& events, Clock clock, UsiTimeouts timeouts)
    : m_link(link), m_events(events), m_clock(std::move(clock)), m_timeouts(timeouts) {}

void UsiEngine::setStartOptions(std::vector<std::pair<std::string, std::string>> options) {
    m_startOptions = std::move(options);
}

void UsiEngine::addStartOption(const std::string& name, const std::string& value) {
    for (auto& option : m_startOptions) {
        if (option.first == name) {
            option.second = value;
            return;
        }
    }
    m_startOptions.emplace_back(name, value);
}

void UsiEngine::start() {
    if (m_state != State::NotStarted) return;
    m_state = State::WaitingUsiOk;
    m_deadline = m_clock() + m_timeouts.usiOk;
    m_link.send("usi");
}

void UsiEngine::receive(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
    const std::string_view word = firstWord(line);
    if (word.empty() || m_state == State::Ended || m_state == State::NotStarted) return;
    if (word == "info") {
        if (!searching()) return;
        if (!parseInfo(line, m_info)) {
            garbage(line);
            return;
        }
        // The lines of a search being stopped belong to a position no longer shown.
        if (m_state == State::Searching) m_events.engineInfo(m_info);
        return;
    }
    if (word == "bestmove") {
        if (searching()) {
            searchEnded(line);
        } else {
            garbage(line);
        }
        return;
    }
    if (word == "id") {
        if (firstWord(afterWords(line, 1)) == "name") m_name = std::string(afterWords(line, 2));
        if (firstWord(afterWords(line, 1)) == "author") {
            m_author = std::string(afterWords(line, 2));
        }
        return;
    }
    if (word == "option") {
        if (std::optional<UsiOption> o = parseOption(line)) {
            m_options.push_back(std::move(*o));
        } else {
            garbage(line);
        }
        return;
    }
    if (word == "usiok") {
        if (m_state != State::WaitingUsiOk) return;
        for (const auto& [name, value] : m_startOptions) {
            const UsiOption* known = nullptr;
            for (const UsiOption& o : m_options) {
                if (o.name == name) known = &o;
            }
            if (!known) {
                m_link.send(setOptionCommand(name, value));
                continue;
            }
            if (known->type == UsiOptionType::Button) continue;
            if (std::optional<std::string> v = normalOptionValue(*known, value)) {
                m_link.send(setOptionCommand(*known, *v));
            }
        }
        m_state = State::WaitingReadyOk;
        m_deadline = m_clock() + m_timeouts.readyOk;
        m_link.send("isready");
        return;
    }
    if (word == "readyok") {
        if (m_state != State::WaitingReadyOk) return;
        m_state = State::Ready;
        m_deadline = -1;
        m_events.engineReady();
        if (m_pending && m_state == State::Ready) {
            PendingSearch search = std::move(*m_pending);
            m_pending.reset();
            sendSearch(std::move(search));
        }
        return;
    }
    // Answers to searches this session never asks for.
    if (word == "checkmate") return;
    m_events.engineUnknownLine(line);
}

void UsiEngine::garbage(std::string_view line) {
    static const std::string format =
        std::string(core::translate("エンジンから読めない行があります：%s"));
    m_events.engineWarning(core::formatMessage(format, {quoted(line)}));
}

void UsiEngine::searchEnded(std::string_view line) {
    const bool stopping = m_state == State::Stopping;
    m_state = State::Ready;
    m_deadline = -1;
    std::optional<UsiBestMove> best = parseBestMove(line);
    if (stopping) {
        // The search was dropped for another one; its move is of no interest.
        if (m_pending) {
            PendingSearch search = std::move(*m_pending);
            m_pending.reset();
            sendSearch(std::move(search));
        }
        return;
    }
    if (!best ||
        (best->kind == UsiBestMove::Kind::Move && !core::legalUsiMove(m_position, best->move))) {
        static const std::string format =
            std::string(core::translate("エンジンの指し手が正しくありません：%s"));
        m_events.engineWarning(core::formatMessage(format, {quoted(line)}));
        return;
    }
    m_events.engineBestMove(*best);
}

void UsiEngine::exited(int exitCode, bool crashed) {
    if (m_state == State::Ended) return;
    if (m_state == State::Quitting) {
        endQuit();
        return;
    }
    m_state = State::Ended;
    m_deadline = -1;
    m_pending.reset();
    static const std::string crashFormat =
        std::string(core::translate("エンジンが異常終了しました"));
    static const std::string exitFormat =
        std::string(core::translate("エンジンが終了しました（終了コード %d）"));
    m_events.engineFailed(crashed ? crashFormat
                                  : core::formatMessage(exitFormat, {std::to_string(exitCode)}));
}

void UsiEngine::startFailed(const std::string& reason) {
    if (m_state == State::Ended) return;
    m_state = State::Ended;
    m_deadline = -1;
    m_pending.reset();
    static const std::string format = std::string(core::translate("エンジンを起動できません：%s"));
    m_events.engineFailed(core::formatMessage(format, {reason}));
}

void UsiEngine::outputClosed() {
    if (m_state == State::NotStarted || m_state == State::Quitting || m_state == State::Ended) {
        return;
    }
    static const std::string message = std::string(core::translate("エンジンが出力を閉じました"));
    fail(message);
}

void UsiEngine::fail(const std::string& message) {
    // The engine is asked to go first; the link ends it when it does not.
    m_pending.reset();
    m_failure = message;
    m_link.send("quit");
    m_state = State::Quitting;
    m_deadline = m_clock() + m_timeouts.quit;
}

void UsiEngine::endQuit() {
    m_state = State::Ended;
    m_deadline = -1;
    m_pending.reset();
    if (m_failure.empty()) {
        m_events.engineQuit();
    } else {
        m_events.engineFailed(m_failure);
    }
}

void UsiEngine::tick() {
    if (m_deadline < 0 || m_clock() < m_deadline) return;
    if (m_state == State::Quitting) {
        m_link.kill();
        endQuit();
        return;
    }
    // A search past its time is asked to stop once before the engine counts as hung.
    if (m_state == State::Searching && !m_stopSent) {
        stop();
        return;
    }
    static const std::string format =
        std::string(core::translate("エンジンが応答しません（%sがありません）"));
    fail(core::formatMessage(format, {awaitedAnswer(m_state)}));
}

void UsiEngine::sendSearch(PendingSearch search) {
    if (m_newGame) {
        m_link.send("usinewgame");
        m_newGame = false;
    }
    m_position = search.position;
    m_link.send(search.command);
    m_link.send(goCommand(search.limits));
    m_state = State::Searching;
    m_stopSent = false;
    const std::int64_t budget = searchBudget(search.limits, search.position.sideToMove);
    // An engine on the clock gets a grace before it is stopped; a timed infinite search is
    // stopped on time.
    const std::int64_t grace = search.limits.infinite ? 0 : m_timeouts.stop;
    m_deadline = budget < 0 ? -1 : m_clock() + budget + grace;
}

void UsiEngine::go(const core::Position& pos, std::string positionCommand, const GoLimits& limits) {
    PendingSearch search{pos, std::move(positionCommand), limits};
    switch (m_state) {
        case State::NotStarted:
        case State::WaitingUsiOk:
        case State::WaitingReadyOk:
        case State::Stopping:
            m_pending = std::move(search);
            return;
        case State::Ready:
            sendSearch(std::move(search));
            return;
        case State::Searching:
            m_pending = std::move(search);
            stop();
            m_state = State::Stopping;
            return;
        case State::Quitting:
        case State::Ended:
            return;
    }
}

void UsiEngine::stop() {
    if (m_state == State::WaitingUsiOk || m_state == State::WaitingReadyOk) {
        m_pending.reset();
        return;
    }
    if (m_state != State::Searching && m_state != State::Stopping) return;
    if (m_state == State::Stopping && m_deadline >= 0) {
        m_pending.reset();
        return;
    }
    m_link.send("stop");
    m_stopSent = true;
    m_deadline = m_clock() + m_timeouts.stop;
}

void UsiEngine::ponderHit() {
    if (m_state == State::Searching) m_link.send("ponderhit");
}

void UsiEngine::gameOver(GameOutcome outcome) {
    if (m_state == State::Searching) stop();
    if (m_state == State::Ended || m_state == State::Quitting || m_state == State::NotStarted) {
        return;
    }
    m_link.send(gameOverCommand(outcome));
    m_newGame = true;
}

void UsiEngine::quit() {
    m_pending.reset();
    if (m_state == State::Ended || m_state == State::Quitting) return;
    if (m_state == State::NotStarted) {
        m_state = State::Ended;
        return;
    }
    if (searching() && !m_stopSent) m_link.send("stop");
    m_link.send("quit");
    m_state = State::Quitting;
    m_deadline = m_clock() + m_timeouts.quit;
}

}  // namespace usi
