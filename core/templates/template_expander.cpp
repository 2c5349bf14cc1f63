#include "core/templates/template_expander.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <optional>
#include <system_error>
#include <utility>

#include "core/formats/diagram_block.h"
#include "core/formats/ki2_writer.h"
#include "core/formats/kif_writer.h"
#include "core/notation/english_notation.h"
#include "core/notation/piece_text.h"
#include "core/text/path_text.h"
#include "core/text/sjis.h"
#include "core/text/version.h"

namespace core {

namespace {

constexpr std::string_view kEol = "\r\n";
constexpr std::string_view kUrlEol = "%0D%0A";

// What a placeholder character stands for in a context.
enum class Ph : std::uint8_t {
    Unknown,
    Percent,         // "%%"
    MoveNumber,      // "%n"
    MoveText,        // "%a", "%l"
    MoveMarked,      // "%A"
    MoveMarkedFull,  // "%L"
    PrevText,        // "%p"
    PrevMarked,      // "%P"
    Black,
    White,
    LineBreak,
    RecordName,     // "%f"
    FolderAndName,  // "%F"
    StartDate,      // "%g": cut at the first blank or "("
    StartDateFull,  // "%G"
    EndDate,
    EndDateFull,
    Event,
    Opening,
    Title,
    TimeLimit,
    Site,
    LastMover,  // "%h" where it names players
    ToMove,     // "%o"
    Bookmark,   // "%o" in print headers
    Published,
    User,  // "%1".."%5"
    Today,
    Now,
    Problem,        // "%/" and a character
    LineKind,       // "%+"
    Comment,        // "%*"
    Board,          // "%d"
    BoardAlt,       // "%v"
    HeaderBlock,    // "%I"
    HeaderAtStart,  // "%0" and "i"
    Brace,          // "%{"
    Include,        // "%" and a quoted file name
    Record,         // "%k"
    RecordWithHeader,
    ChessNumber,  // "%n" in English
    PlainNumber,  // "%N" in English
    Documents,
    Desktop,
    Pictures,
    RecordDir,
    ProgramDir,
    PathNoExt,
    DateCompact,
    DateShort,
    TimeCompact,
    RecordPath,
    RecordFileName,
    Nothing,   // listed, but expands to nothing
    KeepZero,  // "%0" kept as it stands
};

enum class Unknown : std::uint8_t { Literal, Nothing, Error };

struct ContextRule {
    std::array<Ph, 256> table{};
    Unknown unknown = Unknown::Nothing;
    std::string caption;  // of the error dialog
    bool print = false;
    bool mail = false;           // plain marks, mover from the side to move
    bool urlBreaks = false;      // line breaks and inserted texts use "%0D%0A"
    bool startPosition = false;  // "%p" at move 0 gives "開始局面"
    int glyphTarget = -1;        // index of the "外字使用" switch, -1 none
};

Ph commonMeaning(char c) {
    switch (c) {
        case '%':
            return Ph::Percent;
        case 'n':
            return Ph::MoveNumber;
        case 'a':
        case 'l':
            return Ph::MoveText;
        case 'A':
            return Ph::MoveMarked;
        case 'L':
            return Ph::MoveMarkedFull;
        case 'p':
            return Ph::PrevText;
        case 'P':
            return Ph::PrevMarked;
        case 'b':
            return Ph::Black;
        case 'w':
            return Ph::White;
        case 'c':
            return Ph::LineBreak;
        case 'f':
            return Ph::RecordName;
        case 'F':
            return Ph::FolderAndName;
        case 'g':
            return Ph::StartDate;
        case 'G':
            return Ph::StartDateFull;
        case 'e':
            return Ph::EndDate;
        case 'E':
            return Ph::EndDateFull;
        case 'i':
            return Ph::Event;
        case 's':
            return Ph::Opening;
        case 'u':
            return Ph::Title;
        case 'm':
            return Ph::TimeLimit;
        case 'h':
            return Ph::Site;
        case 'o':
            return Ph::ToMove;
        case 'r':
            return Ph::Published;
        case '1':
        case '2':
        case '3':
        case '4':
        case '5':
            return Ph::User;
        case 'y':
            return Ph::Today;
        case 't':
            return Ph::Now;
        case '/':
            return Ph::Problem;
        case '+':
            return Ph::LineKind;
        case '*':
            return Ph::Comment;
        case 'd':
            return Ph::Board;
        case 'I':
            return Ph::HeaderBlock;
        case '0':
            return Ph::HeaderAtStart;
        case '{':
            return Ph::Brace;
        case '"':
            return Ph::Include;
        case 'k':
            return Ph::Record;
        case 'K':
            return Ph::RecordWithHeader;
        default:
            return Ph::Unknown;
    }
}

void set(ContextRule& r, char c, Ph ph) { r.table[static_cast<unsigned char>(c)] = ph; }

// The context's letters with their common meanings.
void listed(ContextRule& r, std::string_view letters) {
    for (char c : letters) set(r, c, commonMeaning(c));
}

// A letter listed in one case only is matched in either case.
void foldCase(ContextRule& r) {
    for (int c = 'a'; c <= 'z'; ++c) {
        const auto lower = static_cast<std::size_t>(c);
        const auto upper = static_cast<std::size_t>(c - 'a' + 'A');
        if (r.table[lower] == Ph::Unknown) r.table[lower] = r.table[upper];
        if (r.table[upper] == Ph::Unknown) r.table[upper] = r.table[lower];
    }
}

ContextRule makeRule(TemplateContext context) {
    ContextRule r;
    switch (context) {
        case TemplateContext::InfoLine:
            listed(r, "nalALpPbwcfgGeEisumhr12345yt/+*%");
            r.unknown = Unknown::Literal;
            r.glyphTarget = static_cast<int>(GlyphTarget::Display);
            break;
        case TemplateContext::PositionFile:
            listed(r, "nalALpPbwcdfFho%{ytgeIisumr12345\"*0");
            set(r, 'h', Ph::LastMover);
            r.unknown = Unknown::Nothing;
            r.glyphTarget = static_cast<int>(GlyphTarget::File);
            break;
        case TemplateContext::PositionClipboard:
            listed(r, "nalALpPbwcdfF%geIisumhr12345yt\"*0");
            r.unknown = Unknown::Error;
            r.caption = captionPositionTemplateError();
            r.glyphTarget = static_cast<int>(GlyphTarget::Clipboard);
            break;
        case TemplateContext::EnglishBoard:
            listed(r, "nalALpPbwcdfFho%{ytgeismu12345\"*");
            set(r, 'n', Ph::ChessNumber);
            set(r, 'N', Ph::PlainNumber);
            set(r, 'v', Ph::BoardAlt);
            set(r, 'h', Ph::LastMover);
            r.unknown = Unknown::Error;
            r.caption = captionBoardTemplateError();
            break;
        case TemplateContext::MailFile:
            listed(r, "nalALpPbwckdfho%{ytgeiusmr12345\"*");
            set(r, 'h', Ph::LastMover);
            r.unknown = Unknown::Error;
            r.caption = captionMailTemplateError();
            r.mail = true;
            break;
        case TemplateContext::MailClipboard:
            listed(r, "nalALpPbwckdfFho%ytiusmr12345\"");
            set(r, 'h', Ph::LastMover);
            r.unknown = Unknown::Error;
            r.caption = captionMailTemplateError();
            r.mail = true;
            break;
        case TemplateContext::MailLink:
        case TemplateContext::SimpleMail:
            listed(r, "nalALpPbwcdkfFho%GgEeisumr012345yt/*");
            set(r, 'h', Ph::LastMover);
            r.unknown = Unknown::Error;
            r.caption = captionMailTemplateError();
            r.mail = true;
            r.startPosition = true;
            if (context == TemplateContext::MailLink) {
                r.urlBreaks = true;
            } else {
                set(r, 'k', Ph::Nothing);
                set(r, '0', Ph::KeepZero);
                set(r, 'f', Ph::RecordFileName);
                set(r, 'F', Ph::RecordPath);
            }
            break;
        case TemplateContext::PrintPosition:
        case TemplateContext::PrintRecord:
            listed(r, "nalALpPbwcdkKfF%ytgeisumhr12345/*\"");
            set(r, 'o', Ph::Bookmark);
            set(r, 'g', Ph::StartDateFull);
            set(r, 'e', Ph::EndDateFull);
            r.unknown = Unknown::Nothing;
            r.print = true;
            r.glyphTarget = static_cast<int>(GlyphTarget::Printing);
            break;
        case TemplateContext::ImageName:
            listed(r, "alALbwnhisur12345+/*");
            set(r, 'M', Ph::Documents);
            set(r, 'E', Ph::Desktop);
            set(r, 'P', Ph::Pictures);
            set(r, 'K', Ph::RecordDir);
            set(r, 'D', Ph::ProgramDir);
            set(r, 'f', Ph::RecordName);
            set(r, 'F', Ph::PathNoExt);
            set(r, 'N', Ph::MoveNumber);
            set(r, 'B', Ph::Black);
            set(r, 'W', Ph::White);
            set(r, 'Y', Ph::DateCompact);
            set(r, 'y', Ph::DateShort);
            set(r, 'T', Ph::TimeCompact);
            r.unknown = Unknown::Literal;
            break;
        case TemplateContext::ToolCommand:
            set(r, 'K', Ph::RecordPath);
            set(r, 'N', Ph::MoveNumber);
            set(r, 'D', Ph::ProgramDir);
            set(r, '%', Ph::Percent);
            r.unknown = Unknown::Nothing;
            break;
    }
    foldCase(r);
    return r;
}

const ContextRule& ruleOf(TemplateContext context) {
    static const auto kRules = [] {
        std::array<ContextRule, 12> rules;
        for (std::size_t i = 0; i < rules.size(); ++i) {
            rules[i] = makeRule(static_cast<TemplateContext>(i));
        }
        return rules;
    }();
    return kRules[static_cast<std::size_t>(context)];
}

bool refreshesSnapshot(TemplateContext c) {
    switch (c) {
        case TemplateContext::MailFile:
        case TemplateContext::MailClipboard:
        case TemplateContext::MailLink:
        case TemplateContext::SimpleMail:
        case TemplateContext::PrintPosition:
        case TemplateContext::PrintRecord:
        case TemplateContext::ImageName:
            return true;
        default:
            return false;
    }
}

struct Texts {
    std::string startPosition{kWordStartPosition};
    std::string variationLine = sjis("変化手順");
    std::string mainLine = sjis("本手順");
    std::string positionError = sjis("局面書式エラー");
    std::string boardError = sjis("盤面書式エラー");
    std::string mailError = sjis("メール書式エラー");
    std::string unusable = sjis(" は、使用できません。");
    std::string badFileName = sjis("ファイル名の指定が正しくありません。");
    std::string cannotRead1 = sjis("ファイル(");
    std::string cannotRead2 = sjis(")が読めません。\nカレントフォルダ=");
    std::string noCwd = sjis("_getcwd 関数でエラーが起こりました");
};

const Texts& texts() {
    static const Texts t;
    return t;
}

// The mating-problem field of "%/" and a character; Unknown-like -1 for any other character.
int problemField(char c) {
    switch (c) {
        case '0':
            return static_cast<int>(HeaderField::Remarks);
        case '1':
            return static_cast<int>(HeaderField::WorkNumber);
        case '2':
            return static_cast<int>(HeaderField::WorkName);
        case '3':
            return static_cast<int>(HeaderField::Author);
        case '4':
            return static_cast<int>(HeaderField::Magazine);
        case '5':
            return static_cast<int>(HeaderField::PublicationDate);
        case '6':
            return static_cast<int>(HeaderField::Source);
        case '7':
            return static_cast<int>(HeaderField::MoveCount);
        case '8':
            return static_cast<int>(HeaderField::Completeness);
        case '9':
            return static_cast<int>(HeaderField::Classification);
        case 'a':
        case 'A':
            return static_cast<int>(HeaderField::Award);
        default:
            return -1;
    }
}

// A date-time field up to its first blank or "(".
std::string_view dateOnly(std::string_view field) {
    std::size_t cut = std::min(findByte(field, ' '), findByte(field, '('));
    return cut == std::string_view::npos ? field : field.substr(0, cut);
}

void replaceLineBreaks(std::string& s, std::string_view with) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') continue;
        if (s[i] == '\n') {
            out += with;
        } else {
            out += s[i];
        }
    }
    s = std::move(out);
}

std::string withSlash(const std::string& folder) {
    if (folder.empty() || folder.back() == '/') return folder;
    return folder + '/';
}

// Appends text into a string, line breaks as given.
class StringSink : public TemplateSink {
public:
    StringSink(std::string& out, std::string_view eol) : m_out(out), m_eol(eol) {}
    void text(std::string_view s) override { m_out += s; }
    void lineBreak() override { m_out += m_eol; }

private:
    std::string& m_out;
    std::string_view m_eol;
};

}  // namespace

const std::string& captionPositionTemplateError() { return texts().positionError; }
const std::string& captionBoardTemplateError() { return texts().boardError; }
const std::string& captionMailTemplateError() { return texts().mailError; }

std::string msgPlaceholderUnusable(char c) { return std::string("%") + c + texts().unusable; }

MarkStyle markStyleOf(const TextOutputOptions& options, bool userMarks) {
    const bool down = (options.moveStyle & 1) != 0;
    if (userMarks) return down ? MarkStyle::UserDown : MarkStyle::UserUp;
    return down ? MarkStyle::Down : MarkStyle::Up;
}

std::string moveText(const RecordStore& store, const TextOutputOptions& options, NodeIndex node,
                     SameSquare same, MarkStyle style) {
    if (node == kRootNode || !store.isInUse(node)) return {};
    const MoveNode& m = store.node(node);
    const NodeIndex parent = m.parent;
    int previous = 0;
    if (parent != kRootNode && parent != kNoNode && same != SameSquare::Never) {
        const MoveNode& p = store.node(parent);
        if (!p.isTerminal()) previous = p.destination();
    }
    const bool traditional = options.moveStyle >= 2 && options.ruleCheck;
    if (!traditional) return originFormText(m, previous, style, 0, options.notation);
    if (same == SameSquare::FullInTradition) previous = 0;
    return traditionalText(m, previous, DestinationForm::SquareAndSame, style, 0, options.notation);
}

// ---- The expansion ----

struct TemplateExpander::Run {
    std::string_view tpl;
    TemplateContext context;
    const ContextRule& rule;
    TemplateSink& sink;
    // Literal characters not yet handed to the sink.
    std::string pending;
    // A position text inside a mail: the mail's marks.
    bool mailMarks = false;

    void flush() {
        if (!pending.empty()) {
            sink.text(pending);
            pending.clear();
        }
    }
    void put(std::string_view s) {
        flush();
        if (!s.empty()) sink.text(s);
    }
    // A multi-line text inserted whole: CR LF breaks become the context's line breaks.
    void putLines(std::string s) {
        if (rule.urlBreaks) replaceLineBreaks(s, kUrlEol);
        put(s);
    }
};

TemplateExpander::TemplateExpander(const RecordStore& store, const TextOutputOptions& options,
                                   const TemplateEnvironment& environment,
                                   DateTimeSnapshot& snapshot, TemplateErrorHandler onError)
    : m_store(store),
      m_options(options),
      m_env(environment),
      m_snapshot(snapshot),
      m_onError(std::move(onError)) {}

void TemplateExpander::report(std::string_view caption, std::string_view text) const {
    if (m_onError) m_onError(caption, text);
}

std::string TemplateExpander::expand(std::string_view tpl, TemplateContext context) {
    std::string out;
    StringSink sink(out, ruleOf(context).urlBreaks ? kUrlEol : kEol);
    expand(tpl, context, sink);
    return out;
}

void TemplateExpander::expand(std::string_view tpl, TemplateContext context, TemplateSink& sink) {
    if (refreshesSnapshot(context)) m_snapshot.refresh();
    Run r{tpl, context, ruleOf(context), sink, {}, false};
    run(r);
    r.flush();
}

namespace {

// Where a relative include name is looked up, CP932; nullopt when it cannot be determined.
std::optional<std::string> includeFolder(const TemplateEnvironment& env) {
    if (!env.currentFolder.empty()) return env.currentFolder;
    std::error_code ec;
    std::filesystem::path cwd = std::filesystem::current_path(ec);
    if (ec) return std::nullopt;
    return utf8ToCp932(cwd.string()).text;
}

// A CP932 path as the file system spells it (UTF-8); bytes that are not CP932 pass unchanged.
std::string nativePath(const std::string& cp932) {
    std::optional<std::string> utf8 = cp932ToUtf8(cp932);
    return utf8 ? *utf8 : cp932;
}

}  // namespace

void TemplateExpander::run(Run& r) {
    const RecordStore& store = m_store;
    const ContextRule& rule = r.rule;
    const std::string_view tpl = r.tpl;
    const int ply = store.currentPly();
    const NodeIndex current = store.current();
    const SideByte toMove = store.position().sideToMove;
    const bool english = r.context == TemplateContext::EnglishBoard;
    const bool userMarks =
        rule.glyphTarget >= 0 && m_options.userMarks[static_cast<std::size_t>(rule.glyphTarget)];
    const bool mail = rule.mail || r.mailMarks;
    const MarkStyle marks = markStyleOf(m_options, userMarks && !mail);

    auto header = [&](HeaderField f) -> const std::string& { return store.header(f); };
    // The mover's mark of a node; in mail the mover follows the side to move of the position.
    auto markOf = [&](NodeIndex node, bool previous) -> std::string_view {
        SideByte mover = moverOf(store.node(node));
        if (mail) mover = previous ? toMove : opponent(toMove);
        return sideMark(mover, marks);
    };
    auto marked = [&](NodeIndex node, SameSquare same, bool previous) {
        std::string s(markOf(node, previous));
        s += moveText(store, m_options, node, same, MarkStyle::None);
        return s;
    };
    auto englishMove = [&](NodeIndex node, bool dots) {
        const MoveNode& m = store.node(node);
        std::string s = dots && moverOf(m) == kSideWhite ? ".." : "";
        return s + englishMoveText(m, 0);
    };
    auto playerOf = [&](SideByte side) -> const std::string& {
        return store.playerName(side == kSideBlack ? PlayerField::Black : PlayerField::White);
    };
    auto headerBlock = [&]() {
        std::string s;
        appendHeaderLines(s, store, m_options.writer);
        r.putLines(std::move(s));
    };

    std::size_t i = 0;
    while (i < tpl.size()) {
        const char ch = tpl[i];
        if (rule.print && ch == '&') {
            // Print controls: "&C" centres the rest of the line, "&&" is "&", anything else goes.
            if (i + 1 >= tpl.size()) break;
            const char c = tpl[i + 1];
            if (c == 'C' || c == 'c') {
                r.flush();
                r.sink.centreRest();
            } else if (c == '&') {
                r.pending += '&';
            }
            i += charLength(tpl, i + 1) + 1;
            continue;
        }
        if (ch != '%') {
            std::size_t n = charLength(tpl, i);
            r.pending.append(tpl.substr(i, n));
            i += n;
            continue;
        }
        if (i + 1 >= tpl.size()) break;  // a lone "%" at the end
        const std::size_t at = i + 1;
        const char c = tpl[at];
        const std::size_t clen = charLength(tpl, at);
        Ph ph = isLeadByte(c) ? Ph::Unknown : rule.table[static_cast<unsigned char>(c)];
        i = at + clen;
        switch (ph) {
            case Ph::Unknown:
                if (rule.unknown == Unknown::Literal) {
                    r.pending += '%';
                    r.pending.append(tpl.substr(at, clen));
                } else if (rule.unknown == Unknown::Error) {
                    r.flush();
                    std::string msg = "%";
                    msg.append(tpl.substr(at, clen));
                    msg += texts().unusable;
                    report(rule.caption, msg);
                }
                break;
            case Ph::Nothing:
                break;
            case Ph::Percent:
                r.pending += '%';
                break;
            case Ph::Brace:
                r.pending += '{';
                break;
            case Ph::MoveNumber:
            case Ph::PlainNumber:
                r.put(std::to_string(ply));
                break;
            case Ph::ChessNumber: {
                int a = ply + (store.firstMover() == kSideWhite ? 1 : 0);
                r.put(std::to_string(a > 0 ? (a - 1) / 2 + 1 : 0));
                break;
            }
            case Ph::MoveText:
                if (ply == 0) break;
                r.put(english ? englishMove(current, true)
                              : moveText(store, m_options, current, SameSquare::Allowed,
                                         MarkStyle::None));
                break;
            case Ph::MoveMarked:
            case Ph::MoveMarkedFull:
                if (ply == 0) break;
                if (english) {
                    r.put(englishMove(current, false));
                } else {
                    r.put(marked(
                        current,
                        ph == Ph::MoveMarked ? SameSquare::Allowed : SameSquare::FullInTradition,
                        false));
                }
                break;
            case Ph::PrevText:
            case Ph::PrevMarked: {
                if (ply == 0 && rule.startPosition) {
                    r.put(texts().startPosition);
                    break;
                }
                if (ply < 2) break;
                const NodeIndex prev = store.parentOf(current);
                if (english) {
                    r.put(englishMove(prev, ph == Ph::PrevText));
                } else if (ph == Ph::PrevText) {
                    r.put(moveText(store, m_options, prev, SameSquare::Never, MarkStyle::None));
                } else {
                    r.put(marked(prev, SameSquare::Never, true));
                }
                break;
            }
            case Ph::Black:
                r.put(store.playerName(PlayerField::Black));
                break;
            case Ph::White:
                r.put(store.playerName(PlayerField::White));
                break;
            case Ph::LineBreak:
                r.flush();
                r.sink.lineBreak();
                break;
            case Ph::RecordName:
                r.put(m_env.recordName);
                break;
            case Ph::FolderAndName:
                r.put(m_env.recordFolder + m_env.recordName);
                break;
            case Ph::StartDate:
                r.put(dateOnly(header(HeaderField::StartDateTime)));
                break;
            case Ph::StartDateFull:
                r.put(header(HeaderField::StartDateTime));
                break;
            case Ph::EndDate:
                r.put(dateOnly(header(HeaderField::EndDateTime)));
                break;
            case Ph::EndDateFull:
                r.put(header(HeaderField::EndDateTime));
                break;
            case Ph::Event:
                r.put(header(HeaderField::Event));
                break;
            case Ph::Opening:
                r.put(header(HeaderField::Opening));
                break;
            case Ph::Title:
                r.put(header(HeaderField::Title));
                break;
            case Ph::TimeLimit:
                r.put(header(HeaderField::TimeLimit));
                break;
            case Ph::Site:
                r.put(header(HeaderField::Place));
                break;
            case Ph::Published:
                r.put(header(HeaderField::PublishedIn));
                break;
            case Ph::LastMover:
                r.put(playerOf(opponent(toMove)));
                break;
            case Ph::ToMove:
                r.put(playerOf(toMove));
                break;
            case Ph::Bookmark: {
                int b = store.bookmarkOf(current);
                const Bookmark* mark = b >= 0 ? store.bookmarkAt(b) : nullptr;
                if (mark) r.put(mark->name);
                break;
            }
            case Ph::User:
                r.put(header(
                    static_cast<HeaderField>(static_cast<int>(HeaderField::User1) + (c - '1'))));
                break;
            case Ph::Today:
                r.put(m_snapshot.date());
                break;
            case Ph::Now:
                r.put(m_snapshot.time());
                break;
            case Ph::DateCompact:
                r.put(m_snapshot.compactDate());
                break;
            case Ph::DateShort:
                r.put(m_snapshot.shortDate());
                break;
            case Ph::TimeCompact:
                r.put(m_snapshot.compactTime());
                break;
            case Ph::Problem: {
                if (i >= tpl.size()) return;
                const char which = tpl[i];
                i += charLength(tpl, i);
                int field = problemField(which);
                if (field >= 0) r.put(header(static_cast<HeaderField>(field)));
                break;
            }
            case Ph::HeaderAtStart: {
                if (i >= tpl.size()) return;
                const char which = tpl[i];
                const std::size_t wlen = charLength(tpl, i);
                if (which == 'i' || which == 'I') {
                    if (ply == 0) headerBlock();
                } else if (rule.urlBreaks) {
                    // Not a header request: "%0D%0A" and the like are URL escapes.
                    r.pending += '%';
                    r.pending += '0';
                    r.pending.append(tpl.substr(i, wlen));
                }
                i += wlen;
                break;
            }
            case Ph::KeepZero:
                r.pending += "%0";
                break;
            case Ph::HeaderBlock:
                headerBlock();
                break;
            case Ph::LineKind:
                r.put(store.isInVariation(current) ? texts().variationLine : texts().mainLine);
                break;
            case Ph::Comment: {
                std::string_view comment = store.node(current).commentText();
                if (comment.empty()) break;
                if (r.context == TemplateContext::InfoLine) {
                    r.put(comment);
                } else if (r.context == TemplateContext::ImageName) {
                    std::string s;
                    for (char x : comment) {
                        if (x != '\r' && x != '\n') s += x;
                    }
                    r.put(s);
                } else if (rule.print) {
                    r.flush();
                    std::size_t from = 0;
                    while (from < comment.size()) {
                        std::size_t nl = comment.find('\n', from);
                        if (nl == std::string_view::npos) nl = comment.size();
                        std::string_view lineText = comment.substr(from, nl - from);
                        if (!lineText.empty() && lineText.back() == '\r') lineText.remove_suffix(1);
                        r.put(lineText);
                        r.sink.lineBreak();
                        from = nl + 1;
                    }
                } else {
                    std::string s;
                    appendCommentLines(s, comment, m_options.writer);
                    r.putLines(std::move(s));
                }
                break;
            }
            case Ph::Board:
            case Ph::BoardAlt: {
                if (rule.print) {
                    r.flush();
                    r.sink.block(TemplateBlock::Board);
                    break;
                }
                std::string s;
                const std::string& black = store.playerName(PlayerField::Black);
                const std::string& white = store.playerName(PlayerField::White);
                if (english) {
                    appendEnglishDiagram(
                        s, store.position(), black, white,
                        ph == Ph::Board ? EnglishMarkers::Letters : EnglishMarkers::BlankAndV);
                } else if (rule.mail) {
                    // The whole position text, built with the mail's plain marks.
                    const TemplateContext inner = r.context == TemplateContext::MailFile
                                                      ? TemplateContext::PositionFile
                                                      : TemplateContext::PositionClipboard;
                    StringSink innerSink(s, kEol);
                    Run nested{
                        m_options.positionTemplate, inner, ruleOf(inner), innerSink, {}, true};
                    run(nested);
                    nested.flush();
                    appendSideToMoveLine(s, store, inner == TemplateContext::PositionClipboard);
                } else {
                    DiagramNames names{black, white};
                    appendDiagramBlock(s, store.position(), store.handicap(), &names);
                }
                r.putLines(std::move(s));
                break;
            }
            case Ph::Record:
            case Ph::RecordWithHeader:
                if (rule.print) {
                    r.flush();
                    r.sink.block(ph == Ph::Record ? TemplateBlock::Record
                                                  : TemplateBlock::RecordWithHeader);
                    break;
                }
                r.putLines(ki2ClipboardText(store, Ki2ClipboardMode::Mail, m_options.writer));
                break;
            case Ph::Include: {
                const std::size_t close = tpl.find('"', i);
                if (rule.print) {
                    i = close == std::string_view::npos ? tpl.size() : close + 1;
                    break;
                }
                if (close == std::string_view::npos) {
                    report(kProgramName, texts().badFileName);
                    break;
                }
                const std::string name(tpl.substr(i, close - i));
                i = close + 1;
                std::string path = name;
                std::optional<std::string> folder;
                if (name.empty() || name.front() != '/') {
                    folder = includeFolder(m_env);
                    if (!folder) {
                        report(kProgramName, texts().noCwd);
                        break;
                    }
                    path = withSlash(*folder) + name;
                }
                std::optional<std::string> content = readFile(nativePath(path), kMaxIncludeBytes);
                if (!content) {
                    if (!folder) folder = includeFolder(m_env);
                    report(kProgramName, texts().cannotRead1 + name + texts().cannotRead2 +
                                             folder.value_or(std::string()));
                    break;
                }
                r.put(*content);
                break;
            }
            case Ph::Documents:
                r.put(withSlash(m_env.documentsFolder));
                break;
            case Ph::Desktop:
                r.put(withSlash(m_env.desktopFolder));
                break;
            case Ph::Pictures:
                r.put(withSlash(m_env.picturesFolder));
                break;
            case Ph::ProgramDir:
                r.put(m_env.programFolder);
                break;
            case Ph::RecordPath:
                r.put(m_env.recordPath);
                break;
            case Ph::RecordFileName:
                r.put(m_env.recordFileName);
                break;
            case Ph::RecordDir: {
                std::string_view folder = folderOf(m_env.recordPath);
                if (!folder.empty()) r.put(folder.substr(0, folder.size() - 1));
                break;
            }
            case Ph::PathNoExt:
                r.put(withoutExtension(m_env.recordPath));
                break;
        }
    }
}

// ---- Products ----

std::string informationLine(TemplateExpander& expander, std::string_view tpl) {
    std::string line = expander.expand(tpl, TemplateContext::InfoLine);
    if (line.size() < 20) line.append(20 - line.size(), ' ');
    return line;
}

MailTexts mailTexts(TemplateExpander& expander, TemplateContext context) {
    const TextOutputOptions& o = expander.options();
    MailTexts t;
    t.recipient = expander.expand(o.mailRecipient, context);
    t.subject = expander.expand(o.mailSubject, context);
    t.body = expander.expand(o.mailBody, context);
    return t;
}

std::string mailLinkUrl(const MailTexts& texts) {
    return "mailto:" + texts.recipient + "?subject=" + texts.subject + "&body=" + texts.body;
}

std::string imageFileName(TemplateExpander& expander) {
    std::string name =
        expander.expand(expander.options().imageNameTemplate, TemplateContext::ImageName);
    return std::string(cutToBytes(name, 1023));
}

std::string toolArguments(TemplateExpander& expander, std::string_view tpl) {
    return expander.expand(tpl, TemplateContext::ToolCommand);
}

}  // namespace core
