#include "usi/usi_protocol.h"

#include <algorithm>
#include <charconv>

#include "core/formats/usi.h"

namespace usi {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Splits a line into words without copying.
class Words {
public:
    explicit Words(std::string_view line) : m_rest(line) {}

    bool next(std::string_view& word) {
        std::size_t i = 0;
        while (i < m_rest.size() && isBlank(m_rest[i])) ++i;
        std::size_t start = i;
        while (i < m_rest.size() && !isBlank(m_rest[i])) ++i;
        if (i == start) return false;
        word = m_rest.substr(start, i - start);
        m_rest.remove_prefix(i);
        return true;
    }
    // What follows the words read so far, without leading or trailing blanks.
    std::string_view rest() const {
        std::string_view r = m_rest;
        while (!r.empty() && isBlank(r.front())) r.remove_prefix(1);
        while (!r.empty() && isBlank(r.back())) r.remove_suffix(1);
        return r;
    }

private:
    std::string_view m_rest;
};

template <class T>
bool toNumber(std::string_view word, T& out) {
    if (!word.empty() && word.front() == '+') word.remove_prefix(1);
    auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), out);
    return ec == std::errc() && end == word.data() + word.size();
}

template <class T>
bool readNumber(Words& words, T& out) {
    std::string_view w;
    return words.next(w) && toNumber(w, out);
}

bool readScore(Words& words, UsiScore& score) {
    std::string_view kind;
    std::string_view value;
    if (!words.next(kind) || !words.next(value)) return false;
    if (kind == "cp") {
        score.kind = UsiScore::Kind::Centipawns;
        if (!toNumber(value, score.value)) return false;
    } else if (kind == "mate") {
        score.kind = UsiScore::Kind::Mate;
        if (value == "+" || value == "-") {
            score.value = value == "+" ? 1 : -1;
            score.signOnly = true;
        } else if (!toNumber(value, score.value)) {
            return false;
        } else if (value == "-0") {
            score.value = -1;
            score.signOnly = true;
        }
    } else {
        return false;
    }
    return true;
}

std::string_view optionTypeWord(UsiOptionType type) {
    switch (type) {
        case UsiOptionType::Check:
            return "check";
        case UsiOptionType::Spin:
            return "spin";
        case UsiOptionType::Combo:
            return "combo";
        case UsiOptionType::Button:
            return "button";
        case UsiOptionType::String:
            return "string";
        case UsiOptionType::Filename:
            return "filename";
    }
    return "string";
}

// Appends word to text with a blank between words (names and values may hold blanks).
void appendWord(std::string& text, std::string_view word) {
    if (!text.empty()) text += ' ';
    text += word;
}

}  // namespace

bool parseInfo(std::string_view line, UsiInfo& info) {
    info.depth = info.selDepth = info.hashFull = -1;
    info.timeMs = info.nodes = info.nps = -1;
    info.multiPv = 1;
    info.score = {};
    info.pv.clear();
    info.text.clear();
    Words words(line);
    std::string_view w;
    if (!words.next(w) || w != "info") return false;
    while (words.next(w)) {
        bool ok = true;
        if (w == "depth") {
            ok = readNumber(words, info.depth);
        } else if (w == "seldepth") {
            ok = readNumber(words, info.selDepth);
        } else if (w == "time") {
            ok = readNumber(words, info.timeMs);
        } else if (w == "nodes") {
            ok = readNumber(words, info.nodes);
        } else if (w == "nps") {
            ok = readNumber(words, info.nps);
        } else if (w == "hashfull") {
            ok = readNumber(words, info.hashFull);
        } else if (w == "multipv") {
            ok = readNumber(words, info.multiPv) && info.multiPv >= 1;
        } else if (w == "score") {
            ok = readScore(words, info.score);
        } else if (w == "lowerbound") {
            info.score.bound = UsiScore::Bound::Lower;
        } else if (w == "upperbound") {
            info.score.bound = UsiScore::Bound::Upper;
        } else if (w == "string") {
            info.text = std::string(words.rest());
            return true;
        } else if (w == "pv") {
            while (words.next(w)) info.pv.emplace_back(w);
            return true;
        }
        if (!ok) return false;
    }
    return true;
}

std::optional<UsiOption> parseOption(std::string_view line) {
    Words words(line);
    std::string_view w;
    if (!words.next(w) || w != "option" || !words.next(w) || w != "name") return std::nullopt;
    UsiOption option;
    bool typed = false;
    enum class Field { Name, Type, Default, Min, Max, Var, None } field = Field::Name;
    std::string var;
    auto endVar = [&] {
        if (field == Field::Var) option.choices.push_back(var);
        var.clear();
    };
    while (words.next(w)) {
        if (w == "type" || w == "default" || w == "min" || w == "max" || w == "var") {
            endVar();
            field = w == "type"      ? Field::Type
                    : w == "default" ? Field::Default
                    : w == "min"     ? Field::Min
                    : w == "max"     ? Field::Max
                                     : Field::Var;
            if (field == Field::Default) option.defaultValue.clear();
            continue;
        }
        switch (field) {
            case Field::Name:
                appendWord(option.name, w);
                break;
            case Field::Type: {
                bool known = false;
                for (UsiOptionType t :
                     {UsiOptionType::Check, UsiOptionType::Spin, UsiOptionType::Combo,
                      UsiOptionType::Button, UsiOptionType::String, UsiOptionType::Filename}) {
                    if (optionTypeWord(t) == w) {
                        option.type = t;
                        known = true;
                    }
                }
                if (!known) return std::nullopt;
                typed = true;
                field = Field::None;
                break;
            }
            case Field::Default:
                appendWord(option.defaultValue, w);
                break;
            case Field::Min:
                if (!toNumber(w, option.min)) return std::nullopt;
                field = Field::None;
                break;
            case Field::Max:
                if (!toNumber(w, option.max)) return std::nullopt;
                field = Field::None;
                break;
            case Field::Var:
                appendWord(var, w);
                break;
            case Field::None:
                break;
        }
    }
    endVar();
    if (!typed || option.name.empty()) return std::nullopt;
    if (option.defaultValue == "<empty>") option.defaultValue.clear();
    if (option.type == UsiOptionType::Spin && option.min > option.max) {
        std::swap(option.min, option.max);
    }
    return option;
}

std::optional<std::string> normalOptionValue(const UsiOption& option, std::string_view value) {
    switch (option.type) {
        case UsiOptionType::Check:
            if (value == "true" || value == "1") return "true";
            if (value == "false" || value == "0") return "false";
            return std::nullopt;
        case UsiOptionType::Spin: {
            std::int64_t n = 0;
            if (!toNumber(value, n)) return std::nullopt;
            return std::to_string(std::clamp(n, option.min, option.max));
        }
        case UsiOptionType::Combo:
            if (std::find(option.choices.begin(), option.choices.end(), value) ==
                option.choices.end()) {
                return std::nullopt;
            }
            return std::string(value);
        case UsiOptionType::Button:
            return std::string();
        case UsiOptionType::String:
        case UsiOptionType::Filename:
            // A line break would end the command early and start another.
            if (value.find_first_of("\r\n") != std::string_view::npos) return std::nullopt;
            return std::string(value);
    }
    return std::nullopt;
}

std::optional<UsiBestMove> parseBestMove(std::string_view line) {
    Words words(line);
    std::string_view w;
    if (!words.next(w) || w != "bestmove" || !words.next(w)) return std::nullopt;
    UsiBestMove best;
    if (w == "resign") {
        best.kind = UsiBestMove::Kind::Resign;
    } else if (w == "win") {
        best.kind = UsiBestMove::Kind::Win;
    } else {
        best.move = std::string(w);
        if (words.next(w) && w == "ponder" && words.next(w)) best.ponder = std::string(w);
    }
    return best;
}

std::string goCommand(const GoLimits& limits) {
    std::string s = "go";
    if (limits.ponder) s += " ponder";
    auto field = [&s](std::string_view name, std::int64_t value) {
        if (value < 0) return;
        s += ' ';
        s += name;
        s += ' ';
        s += std::to_string(value);
    };
    field("btime", limits.blackTime);
    field("wtime", limits.whiteTime);
    field("binc", limits.blackIncrement);
    field("winc", limits.whiteIncrement);
    field("byoyomi", limits.byoyomi);
    field("nodes", limits.nodes);
    if (limits.infinite) s += " infinite";
    return s;
}

std::string setOptionCommand(std::string_view name, std::string_view value) {
    std::string s = "setoption name ";
    s += name;
    s += " value ";
    s += value;
    return s;
}

std::string setOptionCommand(const UsiOption& option, std::string_view value) {
    if (option.type == UsiOptionType::Button) return "setoption name " + option.name;
    return setOptionCommand(option.name, value);
}

std::string gameOverCommand(GameOutcome outcome) {
    switch (outcome) {
        case GameOutcome::Win:
            return "gameover win";
        case GameOutcome::Lose:
            return "gameover lose";
        case GameOutcome::Draw:
            return "gameover draw";
    }
    return "gameover draw";
}

int firstIllegalPvMove(const core::Position& pos, const std::vector<std::string>& pv) {
    core::Position p = pos;
    for (std::size_t i = 0; i < pv.size(); ++i) {
        std::optional<core::PackedMove> move = core::legalUsiMove(p, pv[i]);
        if (!move) return static_cast<int>(i);
        const int destination = core::moveDestination(*move);
        // LegalUsiMove only gives moves that can be made.
        (void)core::applyMove(p, core::moveOrigin(*move), destination & ~core::kPromoteFlag,
                              (destination & core::kPromoteFlag) != 0);
        p.sideToMove = core::opponent(p.sideToMove);
    }
    return -1;
}

}  // namespace usi
