#include "cli/common/cli_help.h"

#include <algorithm>
#include <cstdio>
#include <set>

#include "core/base/version.h"

namespace cli {

namespace {

// ---- tavrel-cli ----

constexpr OptionHelp kTavrelCommon[] = {
    {"--ply N",
     "make ply N of the main line current before writing or showing (default: the "
     "position the setting 棋譜読込局面 chooses)",
     ""},
    {"--env FILE", "read settings from this environment file first", ""},
    {"--set KEY=VALUE",
     "set one setting by its environment-file key, e.g. --set KI2半角形式=1 "
     "(repeatable; applied after --env)",
     ""},
    {"--encoding ENC", "encoding of printed text: utf8 (default) or sjis", "utf8 sjis"},
    {"--help", "print this help, or a command's help after the command", ""},
    {"--version", "print the program's version", ""},
};

constexpr OptionHelp kAnalyseOptions[] = {
    {"--engine PATH", "the USI engine program to run (required); it runs in its own folder", ""},
    {"--movetime MS", "thinking time per position in milliseconds (default 1000)", ""},
    {"--multipv N", "lines the engine is asked for (default 1); the best one is written", ""},
    {"--verbose",
     "print on stderr the lines of the engine that the USI protocol does not know (banners, "
     "debug text) and its warnings; without it they are skipped quietly",
     ""},
};

constexpr OptionHelp kClassifyOptions[] = {
    {"--why", "print below each line the rules that gave the labels", ""},
};

constexpr CommandHelp kTavrelCommands[] = {
    {"convert",
     "IN OUT",
     "Read IN and write OUT in the format of OUT's extension: .kif .ki2 .csa (records), .kifu "
     ".ki2u (KIF and KI2 as UTF-8), .jkf (the JSON kifu format), .usi (the USI line), .bod (the "
     "position diagram of the current position), .gam (English record), .txt (English "
     "position). IN is read by its extension: .csa by the CSA reader, .jkf by the JKF reader, "
     ".usi and .sfen as a USI position command or a bare SFEN, anything else by the KIF/KI2 "
     "reader.",
     {}},
    {"show",
     "IN",
     "Print the header fields, the position diagram of the current position and the record "
     "window's move list.",
     {}},
    {"usi",
     "IN",
     "Print the main line as one USI position command (position startpos moves ... or position "
     "sfen SFEN moves ...).",
     {}},
    {"sfen", "IN", "Print the SFEN of every position of the main line, ply 0 first.", {}},
    {"check",
     "PATH...",
     "Read each file (a folder: every record file below it) with rule checking on and print "
     "each warning and reading error as FILE: TEXT.",
     {}},
    {"env",
     "",
     "Print the environment file the options produce, byte for byte as Tavrel writes it.",
     {}},
    {"classify", "PATH...",
     "Label the opening of each record file (a folder: every record file below it), one line "
     "each, tab-separated: file, Black's strategy (castle), White's strategy (castle), game type "
     "(相居飛車, 対抗形, 相振り飛車; a handicap game its handicap), castles, named opening. A "
     "record from a position of its own or shorter than 12 moves gets empty labels. A file that "
     "cannot be read is reported on stderr and the exit code is 1.",
     kClassifyOptions},
    {"analyse", "IN OUT",
     "Let a USI engine search every position of IN's main line and write the record as OUT (in "
     "the format of OUT's extension, as convert does) with each position's score and best line "
     "in the comment of the move that led to it, as one line \"解析：評価値 +123 深さ 12 読み筋 "
     "▲７六歩△３四歩\" (scores from Black's view; \"+詰5\" is a mate in 5 for Black). A second "
     "analysis replaces that line and leaves the rest of the comment alone. Each position is "
     "searched with \"go infinite\" and \"stop\" after the time. When the engine fails, or any "
     "position could not be analysed (no score, an illegal best move), what was analysed is "
     "still written and the exit code is 1.",
     kAnalyseOptions},
};

// ---- dalmir-cli ----

constexpr OptionHelp kAddOptions[] = {
    {"--subfolders", "walk the folders' subfolders too", ""},
    {"--kind N",
     "which files a folder add takes: 0 kif, 1 ki2, 2 kif and ki2, 3 csa, 4 bod, 5 "
     "every record type (default: every record type)",
     "0 1 2 3 4 5"},
    {"--player T", "only records with T in a player's name", ""},
    {"--event T", "only records with T in the event", ""},
    {"--opening T", "only records with T in the opening", ""},
    {"--skip-duplicates", "leave out records already registered from another file", ""},
};
constexpr OptionHelp kListOptions[] = {
    {"--all-columns", "print every column, not only the shown ones", ""},
    {"--format F", "csv or jsonl: rows as the export command writes them", "csv jsonl"},
    {"--moves M", "with --format: add the main line in usi or kif notation", "usi kif"},
    {"--raw",
     "with csv: every text exactly as stored; without it a text a spreadsheet would take for a "
     "formula (starting with = + - @) gets a leading '",
     ""},
};
constexpr OptionHelp kExportOptions[] = {
    {"--format F", "csv (RFC 4180, UTF-8; the default) or jsonl (one JSON object a line)",
     "csv jsonl"},
    {"--moves M",
     "add the main line, read from each record file: usi (the USI position command) "
     "or kif (origin-form moves)",
     "usi kif"},
    {"-o FILE", "write to FILE (it appears only when complete) instead of stdout", ""},
    {"--raw",
     "with csv: every text exactly as stored; without it a text a spreadsheet would take for a "
     "formula (starting with = + - @) gets a leading '",
     ""},
    {"--marks S,D,B[,CAP]",
     "the least loss in centipawns of a 緩手, a 疑問手 and a 悪手 in the analysis columns "
     "(default 100,200,400), and the cap of scores and losses (default 1000)",
     ""},
};
constexpr OptionHelp kUpdateOptions[] = {
    {"--missing M",
     "what happens to the entries of files gone missing: keep (default) or "
     "delete",
     "keep delete"},
};
constexpr OptionHelp kRemoveOptions[] = {
    {"--subfolders", "the folder's subfolders too", ""},
    {"--kind N", "0 kif, 1 ki2, 2 any ki?, 3 csa, 4 all", "0 1 2 3 4"},
};
constexpr OptionHelp kFindOptions[] = {
    {"--black T", "Black's name contains T", ""},
    {"--white T", "White's name contains T", ""},
    {"--player T", "either player's name contains T (twice: both players)", ""},
    {"--event T", "the event contains T", ""},
    {"--opening T",
     "the opening contains T: the record's 戦型, or where it has none its 自動戦型 label", ""},
    {"--file T", "the file path contains T", ""},
    {"--published T", "the published-in field contains T", ""},
    {"--handicap CODE", "the handicap code (0..15)", ""},
    {"--from Y/M/D", "started on or after the date", ""},
    {"--to Y/M/D", "started on or before the date", ""},
    {"--ignore-blanks", "ignore blanks when comparing texts", ""},
    {"--end WORD", "the game ended so: 詰み 投了 千日手 持将棋 入玉宣言 反則 中断 時間切れ",
     "詰み 投了 千日手 持将棋 入玉宣言 反則 中断 時間切れ"},
    {"--material PATTERN",
     "the pieces on the board at the end (or at --ply N), e.g. \"飛車2枚 先手\", \"角0枚\", "
     "\"金2枚以上 後手\"; without 先手 or 後手 either side",
     ""},
    {"--ply N", "with --material: look at the position after N moves", ""},
    {"--comment T", "a comment of the main line contains T (the record files are read)", ""},
};
constexpr OptionHelp kClassifyOptions2[] = {
    {"--all", "label every record again, not only those without a label", ""},
};
constexpr OptionHelp kReportOptions[] = {
    {"--player NAME",
     "the player; blanks, full-width letters and titles (名人, 九段...) do not "
     "matter",
     ""},
    {"--format F", "text (default) or json", "text json"},
    {"--aliases FILE",
     "the alias list, lines \"正式名 = 別名, 別名\" (default: "
     "$XDG_CONFIG_HOME/dalmir/player_aliases.txt when it exists)",
     ""},
    {"--marks S,D,B[,CAP]", "the thresholds of the marked moves, as for export", ""},
};
constexpr OptionHelp kPositionOptions[] = {
    {"--ply N", "the position at ply N of RECORD's main line instead of its end", ""},
    {"--side", "the side to move must match too", ""},
    {"--reverse", "also find the position with the sides exchanged", ""},
    {"--ignore-edge-pawns", "ignore the pawns on the edge files", ""},
};
constexpr OptionHelp kStatsOptions[] = {
    {"--position RECORD",
     "first search for RECORD's position (with --ply --side --reverse "
     "--ignore-edge-pawns)",
     ""},
    {"--sequence PATTERN", "first search for the move pattern", ""},
};
constexpr OptionHelp kDuplicateOptions[] = {
    {"--no-date", "the dates need not match", ""},
    {"--no-players", "the players need not match", ""},
    {"--name-bytes N", "compare the names over N bytes", ""},
    {"--ignore-blanks", "ignore blanks in the names", ""},
    {"--no-count", "the move counts need not match", ""},
    {"--moves T", "moves that may differ (binary databases)", ""},
    {"--delete W", "delete the first or the second record of every pair", "first second"},
};

constexpr OptionHelp kTreeOptions[] = {
    {"--usi TEXT",
     "the position after a USI line: \"startpos moves 7g7f 3c3d\" or \"sfen SFEN moves ...\" "
     "(default: the even start)",
     ""},
    {"--sfen SFEN", "the position of an SFEN", ""},
    {"--format F",
     "text (a table), csv or jsonl (UTF-8; columns move, notation, count, black_wins, "
     "white_wins, draws, other, last_date, best_record, best_ply; the records that end at the "
     "position come last with an empty move and the notation \"(ended here)\")",
     "text csv jsonl"},
    {"--min-count N", "only moves that at least N records played", ""},
    {"--black T", "Black's name contains T", ""},
    {"--white T", "White's name contains T", ""},
    {"--player T", "either player's name contains T (twice: both players)", ""},
    {"--event T", "the event contains T", ""},
    {"--opening T", "the opening contains T", ""},
    {"--handicap CODE", "the handicap code (0..15)", ""},
    {"--from Y/M/D", "started on or after the date", ""},
    {"--to Y/M/D", "started on or before the date", ""},
    {"--ignore-blanks", "ignore blanks when comparing names", ""},
};
constexpr OptionHelp kDatabaseAnalyseOptions[] = {
    {"--engine PATH", "the USI engine program to run (required)", ""},
    {"--byoyomi MS", "the time of each search in milliseconds (default 1000)", ""},
    {"--nodes N", "search each position for N nodes instead of a time", ""},
    {"--jobs N", "how many engine programs run at once (default: the number of cores)", ""},
    {"--max-ply N", "only the positions of the first N plies", ""},
    {"--option NAME=VALUE", "set an engine option before the searches (repeatable)", ""},
    {"--redo", "analyse the positions the store already holds again", ""},
};
constexpr OptionHelp kBookOptions[] = {
    {"-o FILE", "the book file to write (required)", ""},
    {"--format F", "yaneuraou (the text book engines read; the default)", "yaneuraou"},
    {"--max-ply N", "positions of the first N plies (default 40)", ""},
    {"--min-count N", "only moves that at least N records played (default 1)", ""},
    {"--side S", "whose moves: black, white or both (default)", "black white both"},
    {"--winner-only", "only the moves of the side that won", ""},
    {"--black T", "Black's name contains T", ""},
    {"--white T", "White's name contains T", ""},
    {"--player T", "either player's name contains T (twice: both players)", ""},
    {"--handicap CODE", "the handicap code (0..15)", ""},
    {"--from Y/M/D", "started on or after the date", ""},
    {"--to Y/M/D", "started on or before the date", ""},
};

constexpr CommandHelp kDalmirCommands[] = {
    {"add", "DB PATH...",
     "Register record files and folders (folders are walked as by フォルダ指定追加) and print "
     "the final status. A missing .dls or .dlb database is created. A folder that holds nothing "
     "of the chosen kinds is reported.",
     kAddOptions},
    {"list", "DB", "One line per listed record: the shown columns' cell texts, tab-separated.",
     kListOptions},
    {"export", "DB",
     "One row per listed record for analysis tools: players, dates (ISO 8601 where they parse), "
     "title, event, opening, time limit, place, published-in, user fields, handicap, result, "
     "move count, marks, path and the 自動戦型 label and opening name, in UTF-8; streamed in "
     "constant memory. A database analysed with the analyse command adds per side the 悪手, "
     "疑問手 and 緩手 and the average loss of its moves (black_blunders, black_dubious, "
     "black_slack, black_average_loss, the same for white, unscored_moves).",
     kExportOptions},
    {"update", "DB", "Re-read every record file (全データ更新).", kUpdateOptions},
    {"remove", "DB DIR", "Remove the records of a folder (フォルダ指定削除).", kRemoveOptions},
    {"convert", "DB OUT.DLB", "Write the binary pair from a text database.", {}},
    {"find", "DB", "Search by header fields (条件検索) and print the hits as list does.",
     kFindOptions},
    {"search-position", "DB RECORD",
     "Records that reach the position of RECORD after its last main-line move (局面検索).",
     kPositionOptions},
    {"search-sequence", "DB PATTERN", "Records that play the move pattern (手順検索).", {}},
    {"stats", "DB KIND",
     "The statistics report over the listed records; KIND is results, handicaps, openings, next "
     "or player NAME.",
     kStatsOptions},
    {"duplicates", "DB",
     "Pairs of records of the same game (棋譜の重複を調べる), printed as No.N<TAB>No.M<TAB>PATH1"
     "<TAB>PATH2.",
     kDuplicateOptions},
    {"classify", "DB",
     "Give the records without one their 自動戦型 label (opening, strategies and castles), from "
     "the move lists of a binary database or by reading the record files of a text one, and "
     "save. The labels are kept in NAME.DOL beside the database; new records get theirs when "
     "they are added.",
     kClassifyOptions2},
    {"report", "DB",
     "A player's report: games, wins, losses and draws in all, as Black and as White, by year, "
     "by the player's own opening and the opponent's, by opponent, and the longest streaks; for "
     "a database analysed with the analyse command, the player's analysed games and moves, "
     "their average loss and how many of them are marked.",
     kReportOptions},
    {"tree", "DB",
     "The opening tree of a position: one row per next move the records' main lines play there "
     "(a record counts where it first reaches the position, by any move order), with the "
     "records' results (black_wins, white_wins, draws for 千日手 and 持将棋, other), the last "
     "date and the newest record; sorted by count, then by move. A position no record reaches "
     "gives an empty tree. Uses the tree index beside a binary database when it is up to date.",
     kTreeOptions},
    {"book", "DB -o FILE",
     "An opening book from the records: every position of their first plies with the moves "
     "played there and their counts (value and depth 0; for a database analysed with the "
     "analyse command, the stored score of the position each move leads to, for its player, and "
     "its depth), in the text format of the engines "
     "(#YANEURAOU-DB2016 1.00). The moves are sorted through temporary files beside FILE "
     "(removed when the command ends, however it ends), so memory stays bounded whatever the "
     "number of records.",
     kBookOptions},
    {"analyse", "DB --engine PATH",
     "Analyse every position of the listed records' main lines with a USI engine and keep each "
     "result (score, depth, nodes, best move, the first moves of the PV, the engine and the "
     "time) in the evaluation store NAME.DEV beside the database. A position reached by several "
     "records or move orders is analysed once; positions the store holds already are skipped, "
     "so a second run does only what is missing. Each result is written as it comes: Ctrl+C "
     "stops the run (exit 130) and keeps everything done. Progress goes to stderr.",
     kDatabaseAnalyseOptions},
    {"tree-index",
     "DB",
     "Build the tree index of a binary database (NAME.DTR beside it), which makes the trees of "
     "positions that many records reach fast. Build it again after the database changed; an "
     "index that no longer fits is not used.",
     {}},
};

constexpr OptionHelp kDalmirCommon[] = {
    {"--set SECTION/KEY=VALUE",
     "a setting Dalmir keeps in its profile, e.g. --set "
     "Env/user1=棋戦名",
     ""},
    {"--encoding ENC", "encoding of printed text: utf8 (default) or sjis", "utf8 sjis"},
    {"--no-wait",
     "fail at once when another program is changing or saving DB, instead of waiting for it", ""},
    {"--wait SECONDS",
     "how long a command that changes DB waits for another program's lock before it gives up "
     "(default 60)",
     ""},
    {"--help", "print this help, or a command's help after the command", ""},
    {"--version", "print the program's version", ""},
};

const ProgramHelp kTavrel{
    "tavrel-cli", "Tavrel's record engine from the command line",
    "Reads, converts and checks shogi game records with the same readers, writers and settings "
    "as Tavrel. Text is printed as UTF-8 (Shift-JIS with --encoding sjis); errors go to stderr "
    "with the system's own message text.",
    kTavrelCommands, kTavrelCommon};

const ProgramHelp kDalmir{
    "dalmir-cli", "Dalmir's record database from the command line",
    "Adds records to a Dalmir database, lists, searches and exports them with the same engine "
    "as Dalmir. DB is a .dls text index or a .dlb/.kix binary pair. Every command that changes "
    "the database holds its lock from load to save. A database takes at most 100,000 records, "
    "the window's default; --set Option/max_records=N changes the limit.",
    kDalmirCommands, kDalmirCommon};

void appendOptions(std::string& out, std::span<const OptionHelp> options, const char* indent) {
    for (const OptionHelp& o : options) {
        if (*o.name == '\0') continue;
        out += indent;
        out += o.name;
        out += "\n";
        out += indent;
        out += "    ";
        out += o.text;
        out += "\n";
    }
}

// roff text: a leading dot or quote escaped, backslashes doubled, "-" as "\-".
std::string roff(std::string_view s) {
    std::string out;
    for (char c : s) {
        if (c == '\\') {
            out += "\\e";
        } else if (c == '-') {
            out += "\\-";
        } else {
            out += c;
        }
    }
    if (!out.empty() && (out[0] == '.' || out[0] == '\'')) out.insert(0, "\\&");
    return out;
}

}  // namespace

const ProgramHelp& tavrelCliHelp() { return kTavrel; }
const ProgramHelp& dalmirCliHelp() { return kDalmir; }

std::string_view exitCodeHelp() {
    return "0  success\n"
           "1  some records or files had problems: a file could not be read or written, a record "
           "had a reading error or was refused (the message says which)\n"
           "2  wrong usage\n"
           "130  stopped by Ctrl+C (dalmir-cli analyse); what was done is kept\n";
}

std::string helpText(const ProgramHelp& h) {
    std::string out = std::string("usage: ") + h.program + " COMMAND [options] ARGS\n";
    out += h.description;
    out += "\n\ncommands:\n";
    for (const CommandHelp& c : h.commands) {
        out += "  ";
        out += c.name;
        if (*c.synopsis != '\0') {
            out += ' ';
            out += c.synopsis;
        }
        out += "\n      ";
        out += c.summary;
        out += "\n";
        appendOptions(out, c.options, "      ");
    }
    out += "\noptions for all commands:\n";
    appendOptions(out, h.commonOptions, "  ");
    out += "\nexit codes:\n";
    out += exitCodeHelp();
    return out;
}

std::string usageText(const ProgramHelp& h) {
    std::string out = std::string("usage: ") + h.program + " COMMAND [options] ARGS\n";
    for (const CommandHelp& c : h.commands) {
        out += "  ";
        out += c.name;
        if (*c.synopsis != '\0') {
            out += ' ';
            out += c.synopsis;
        }
        out += '\n';
    }
    out += std::string("See '") + h.program + " --help' for the options.\n";
    return out;
}

std::optional<std::string> commandHelpText(const ProgramHelp& h, std::string_view command) {
    for (const CommandHelp& c : h.commands) {
        if (command != c.name) continue;
        std::string out = std::string("usage: ") + h.program + " " + c.name;
        if (*c.synopsis != '\0') {
            out += ' ';
            out += c.synopsis;
        }
        out += " [options]\n";
        out += c.summary;
        out += "\n";
        if (!c.options.empty()) {
            out += "\noptions:\n";
            appendOptions(out, c.options, "  ");
        }
        out += "\noptions for all commands:\n";
        appendOptions(out, h.commonOptions, "  ");
        return out;
    }
    return std::nullopt;
}

std::string manPage(const ProgramHelp& h, std::string_view version) {
    std::string upper;
    for (const char* p = h.program; *p; ++p) {
        upper += static_cast<char>(*p >= 'a' && *p <= 'z' ? *p - 'a' + 'A' : *p);
    }
    std::string out =
        ".TH " + upper + " 1 \"\" \"" + std::string(version) + "\" \"User Commands\"\n";
    out += ".SH NAME\n" + roff(h.program) + " \\- " + roff(h.title) + "\n";
    out += ".SH SYNOPSIS\n.B " + roff(h.program) + "\n.I COMMAND\n[\\fIoptions\\fR] \\fIARGS\\fR\n";
    out += ".SH DESCRIPTION\n" + roff(h.description) + "\n";
    out += ".SH COMMANDS\n";
    auto options = [&](std::span<const OptionHelp> list) {
        for (const OptionHelp& o : list) {
            if (*o.name == '\0') continue;
            out += ".TP\n.B " + roff(o.name) + "\n" + roff(o.text) + "\n";
        }
    };
    for (const CommandHelp& c : h.commands) {
        out += ".TP\n.B " + roff(c.name);
        if (*c.synopsis != '\0') out += " \\fI" + roff(c.synopsis) + "\\fR";
        out += "\n" + roff(c.summary) + "\n";
        if (!c.options.empty()) {
            out += ".RS\n";
            options(c.options);
            out += ".RE\n";
        }
    }
    out += ".SH OPTIONS\nFor all commands:\n";
    options(h.commonOptions);
    out += ".SH \"EXIT STATUS\"\n";
    std::string_view codes = exitCodeHelp();
    while (!codes.empty()) {
        std::size_t nl = codes.find('\n');
        std::string_view line = codes.substr(0, nl);
        codes.remove_prefix(nl == std::string_view::npos ? codes.size() : nl + 1);
        const std::size_t gap = std::min(line.find(' '), line.size());
        const std::size_t text = std::min(line.find_first_not_of(' ', gap), line.size());
        out += ".TP\n.B " + roff(line.substr(0, gap)) + "\n" + roff(line.substr(text)) + "\n";
    }
    return out;
}

std::string bashCompletion(const ProgramHelp& h) {
    std::string fn = "_";
    for (const char* p = h.program; *p; ++p) fn += *p == '-' ? '_' : *p;
    std::string commands;
    for (const CommandHelp& c : h.commands) {
        if (!commands.empty()) commands += ' ';
        commands += c.name;
    }
    std::set<std::string> options;
    std::string valueCases;
    auto take = [&](std::span<const OptionHelp> list) {
        for (const OptionHelp& o : list) {
            if (*o.name == '\0') continue;
            std::string name(o.name);
            name = name.substr(0, name.find(' '));
            if (!options.insert(name).second) continue;
            if (*o.words != '\0') {
                valueCases += "        " + name + ") COMPREPLY=($(compgen -W \"" + o.words +
                              "\" -- \"$cur\")); return ;;\n";
            }
        }
    };
    for (const CommandHelp& c : h.commands) take(c.options);
    take(h.commonOptions);
    std::string optionWords;
    for (const std::string& o : options) {
        if (!optionWords.empty()) optionWords += ' ';
        optionWords += o;
    }
    std::string out = "# bash completion for " + std::string(h.program) + "\n";
    out += fn + "() {\n";
    out += "    local cur=\"${COMP_WORDS[COMP_CWORD]}\" prev=\"${COMP_WORDS[COMP_CWORD-1]}\"\n";
    out += "    case \"$prev\" in\n" + valueCases + "    esac\n";
    out += "    if [[ \"$cur\" == -* ]]; then\n";
    out += "        COMPREPLY=($(compgen -W \"" + optionWords + "\" -- \"$cur\")); return\n";
    out += "    fi\n";
    out += "    if [[ $COMP_CWORD -eq 1 ]]; then\n";
    out += "        COMPREPLY=($(compgen -W \"" + commands + "\" -- \"$cur\")); return\n";
    out += "    fi\n";
    if (std::string_view(h.program) == "dalmir-cli") {
        out += "    if [[ \"${COMP_WORDS[1]}\" == stats && $COMP_CWORD -eq 3 ]]; then\n";
        out +=
            "        COMPREPLY=($(compgen -W \"results handicaps openings next player\" -- "
            "\"$cur\")); return\n";
        out += "    fi\n";
    }
    out += "    COMPREPLY=($(compgen -f -- \"$cur\"))\n";
    out += "}\n";
    out += "complete -o filenames -F " + fn + " " + h.program + "\n";
    return out;
}

namespace {

// Whether the option takes a value ("--ply N"), by any table of the program.
bool takesValue(const ProgramHelp& h, std::string_view option) {
    auto in = [&](std::span<const OptionHelp> list) {
        for (const OptionHelp& o : list) {
            std::string_view name = o.name;
            std::size_t blank = name.find(' ');
            if (blank != std::string_view::npos && name.substr(0, blank) == option) return true;
        }
        return false;
    };
    if (in(h.commonOptions)) return true;
    for (const CommandHelp& c : h.commands) {
        if (in(c.options)) return true;
    }
    return false;
}

}  // namespace

std::optional<int> answerInfoOptions(const ProgramHelp& h, int argc, char** argv) {
    std::string command;
    bool help = false;
    for (int i = 1; i < argc; ++i) {
        std::string_view a = argv[i];
        if (a.starts_with('-') && takesValue(h, a) && i + 1 < argc) {
            ++i;  // its value is no command
            continue;
        }
        std::string text;
        if (a == "--version") {
            text = std::string(h.program) + " (" + std::string(core::kProgramName) + " " +
                   std::string(core::kProgramVersion) + ")\n";
        } else if (a == "--help-man") {
            text = manPage(
                h, std::string(core::kProgramName) + " " + std::string(core::kProgramVersion));
        } else if (a == "--help-completion") {
            text = bashCompletion(h);
        } else if (a == "--help" || a == "-h") {
            help = true;
            continue;
        } else {
            if (command.empty() && !a.starts_with('-')) command = a;
            continue;
        }
        std::fwrite(text.data(), 1, text.size(), stdout);
        return 0;
    }
    if (!help) return std::nullopt;
    if (command.empty()) {
        std::string text = helpText(h);
        std::fwrite(text.data(), 1, text.size(), stdout);
        return 0;
    }
    std::optional<std::string> text = commandHelpText(h, command);
    if (!text) {
        std::fprintf(stderr, "%s: unknown command %s\n", h.program, command.c_str());
        return 2;
    }
    std::fwrite(text->data(), 1, text->size(), stdout);
    return 0;
}

}  // namespace cli
