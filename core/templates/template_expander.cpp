#include "core/templates/template_expander.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>
#include <utility>

#include "core/base/path_text.h"
#include "core/base/version.h"
#include "core/formats/diagram_block.h"
#include "core/formats/ki2_writer.h"
#include "core/formats/kif_writer.h"
#include "core/notation/english_notation.h"
#include "core/notation/piece_text.h"
#include "core/text/sjis.h"

namespace core {

namespace {

constexpr std::string_view kEol = "\r\n";
constexpr std::string_view kUrlEol = "%0D%0A";

struct Texts {
    std::string startPosition{kWordStartPosition};
    std::string variationLine = std::string("変化手順");
    std::string mainLine = std::string("本手順");
    std::string unusable = std::string(" は、使用できません。");
    std::string badFileName = std::string("ファイル名の指定が正しくありません。");
    std::string cannotRead1 = std::string("ファイル(");
    std::string cannotRead2 = std::string(")が読めません。\nカレントフォルダ=");
    std::string noCwd = std::string("_getcwd 関数でエラーが起こりました");
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

// A text put into a mail link: the characters a mailto link reads as its own syntax (and blanks,
// quotes, angle brackets and line breaks) percent-encoded. They are all below 0x40, so they are
// never the second byte of a two-byte character.
std::string urlEscaped(std::string_view s) {
    static constexpr std::string_view kEscaped = " \"#%&+<=>?\r\n";
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        if (kEscaped.find(c) == std::string_view::npos) {
            out += c;
            continue;
        }
        const auto u = static_cast<unsigned char>(c);
        out += '%';
        out += kHex[u >> 4];
        out += kHex[u & 0x0F];
    }
    return out;
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

namespace {

// Where a relative include name is looked up; nullopt when it cannot be determined.
std::optional<std::string> includeFolder(const TemplateEnvironment& env) {
    if (!env.currentFolder.empty()) return env.currentFolder;
    std::error_code ec;
    std::filesystem::path cwd = std::filesystem::current_path(ec);
    if (ec) return std::nullopt;
    return cwd.string();
}

// A path as the file system spells it: the text itself (paths are UTF-8 bytes).
std::string nativePath(const std::string& path) { return path; }

// Whether the context's "外字使用" switch is on.
bool userMarksOn(const ContextRule& rule, const TextOutputOptions& options) {
    return rule.glyphTarget >= 0 && options.userMarks[static_cast<std::size_t>(rule.glyphTarget)];
}

// One expansion of a template into a sink: the cursor, the literal text not yet handed on, and
// what the record shows when the expansion starts. run walks the template; each placeholder goes
// to the handler of its group.
class Expansion {
public:
    Expansion(TemplateExpander& expander, std::string_view tpl, TemplateContext context,
              TemplateSink& sink, bool mailMarks)
        : m_expander(expander),
          m_store(expander.store()),
          m_options(expander.options()),
          m_env(expander.environment()),
          m_tpl(tpl),
          m_context(context),
          m_rule(contextRule(context)),
          m_sink(sink),
          m_ply(m_store.currentPly()),
          m_current(m_store.current()),
          m_toMove(m_store.position().sideToMove),
          m_english(context == TemplateContext::EnglishBoard),
          m_mail(m_rule.mail || mailMarks),
          m_marks(markStyleOf(m_options, userMarksOn(m_rule, m_options) && !m_mail)) {}

    // Expands the whole template and hands every text to the sink.
    void run() {
        while (m_pos < m_tpl.size()) {
            const char ch = m_tpl[m_pos];
            const bool printControl = m_rule.print && ch == '&';
            if (!printControl && ch != '%') {
                const std::size_t n = charLength(m_tpl, m_pos);
                m_pending.append(m_tpl.substr(m_pos, n));
                m_pos += n;
                continue;
            }
            if (m_pos + 1 >= m_tpl.size()) break;  // a lone "%" or "&" at the end
            if (printControl) {
                putPrintControl();
            } else {
                putPlaceholder();
            }
        }
        flush();
    }

private:
    // "&C" centres the rest of the line, "&&" is "&", anything else goes.
    void putPrintControl() {
        const char c = m_tpl[m_pos + 1];
        if (c == 'C' || c == 'c') {
            flush();
            m_sink.centreRest();
        } else if (c == '&') {
            m_pending += '&';
        }
        m_pos += charLength(m_tpl, m_pos + 1) + 1;
    }

    // The placeholder after the "%" at the cursor; handlers that read characters after the
    // letter move the cursor past them.
    void putPlaceholder() {
        const std::size_t at = m_pos + 1;
        const std::string_view letter = m_tpl.substr(at, charLength(m_tpl, at));
        m_pos = at + letter.size();
        const Placeholder ph =
            isLeadByte(letter[0]) ? Placeholder::Unknown : m_rule.meaning(letter[0]);
        switch (placeholderGroup(ph)) {
            case PlaceholderGroup::Control:
                putControl(ph, letter);
                break;
            case PlaceholderGroup::Move:
                putMove(ph);
                break;
            case PlaceholderGroup::Player:
                putPlayer(ph);
                break;
            case PlaceholderGroup::Header:
                putHeaderField(ph, letter[0]);
                break;
            case PlaceholderGroup::HeaderLines:
                putHeaderLines(ph);
                break;
            case PlaceholderGroup::DateTime:
                putDateTime(ph);
                break;
            case PlaceholderGroup::Comment:
                putComment();
                break;
            case PlaceholderGroup::Board:
                putBoard(ph);
                break;
            case PlaceholderGroup::Record:
                putRecord(ph);
                break;
            case PlaceholderGroup::Include:
                putInclude();
                break;
            case PlaceholderGroup::Path:
                putPath(ph);
                break;
        }
    }

    void putControl(Placeholder ph, std::string_view letter) {
        switch (ph) {
            case Placeholder::Unknown:
                if (m_rule.unknown == UnknownPlaceholder::Literal) {
                    m_pending += '%';
                    m_pending.append(letter);
                } else if (m_rule.unknown == UnknownPlaceholder::Error) {
                    flush();
                    std::string msg = "%";
                    msg.append(letter);
                    msg += texts().unusable;
                    m_expander.report(m_rule.caption, msg);
                }
                break;
            case Placeholder::Percent:
                m_pending += '%';
                break;
            case Placeholder::Brace:
                m_pending += '{';
                break;
            case Placeholder::KeepZero:
                m_pending += "%0";
                break;
            case Placeholder::LineBreak:
                flush();
                m_sink.lineBreak();
                break;
            default:  // Nothing
                break;
        }
    }

    void putMove(Placeholder ph) {
        switch (ph) {
            case Placeholder::MoveNumber:
            case Placeholder::PlainNumber:
                put(std::to_string(m_ply));
                break;
            case Placeholder::ChessNumber: {
                const int a = m_ply + (m_store.firstMover() == kSideWhite ? 1 : 0);
                put(std::to_string(a > 0 ? (a - 1) / 2 + 1 : 0));
                break;
            }
            case Placeholder::MoveText:
                if (m_ply == 0) break;
                put(m_english ? englishMove(m_current, true)
                              : moveText(m_store, m_options, m_current, SameSquare::Allowed,
                                         MarkStyle::None));
                break;
            case Placeholder::MoveMarked:
            case Placeholder::MoveMarkedFull:
                if (m_ply == 0) break;
                if (m_english) {
                    put(englishMove(m_current, false));
                } else {
                    put(marked(m_current,
                               ph == Placeholder::MoveMarked ? SameSquare::Allowed
                                                             : SameSquare::FullInTradition,
                               false));
                }
                break;
            case Placeholder::PrevText:
            case Placeholder::PrevMarked:
                putPreviousMove(ph);
                break;
            case Placeholder::LineKind:
                put(m_store.isInVariation(m_current) ? texts().variationLine : texts().mainLine);
                break;
            case Placeholder::Bookmark: {
                const int b = m_store.bookmarkOf(m_current);
                const Bookmark* mark = b >= 0 ? m_store.bookmarkAt(b) : nullptr;
                if (mark) put(mark->name);
                break;
            }
            default:
                break;
        }
    }

    void putPreviousMove(Placeholder ph) {
        if (m_ply == 0 && m_rule.startPosition) {
            put(texts().startPosition);
            return;
        }
        if (m_ply < 2) return;
        const NodeIndex prev = m_store.parentOf(m_current);
        if (m_english) {
            put(englishMove(prev, ph == Placeholder::PrevText));
        } else if (ph == Placeholder::PrevText) {
            put(moveText(m_store, m_options, prev, SameSquare::Never, MarkStyle::None));
        } else {
            put(marked(prev, SameSquare::Never, true));
        }
    }

    void putPlayer(Placeholder ph) {
        switch (ph) {
            case Placeholder::Black:
                put(m_store.playerName(PlayerField::Black));
                break;
            case Placeholder::White:
                put(m_store.playerName(PlayerField::White));
                break;
            case Placeholder::LastMover:
                put(playerOf(opponent(m_toMove)));
                break;
            case Placeholder::ToMove:
                put(playerOf(m_toMove));
                break;
            default:
                break;
        }
    }

    void putHeaderField(Placeholder ph, char letter) {
        switch (ph) {
            case Placeholder::StartDate:
                put(dateOnly(header(HeaderField::StartDateTime)));
                break;
            case Placeholder::StartDateFull:
                put(header(HeaderField::StartDateTime));
                break;
            case Placeholder::EndDate:
                put(dateOnly(header(HeaderField::EndDateTime)));
                break;
            case Placeholder::EndDateFull:
                put(header(HeaderField::EndDateTime));
                break;
            case Placeholder::Event:
                put(header(HeaderField::Event));
                break;
            case Placeholder::Opening:
                put(header(HeaderField::Opening));
                break;
            case Placeholder::Title:
                put(header(HeaderField::Title));
                break;
            case Placeholder::TimeLimit:
                put(header(HeaderField::TimeLimit));
                break;
            case Placeholder::Site:
                put(header(HeaderField::Place));
                break;
            case Placeholder::Published:
                put(header(HeaderField::PublishedIn));
                break;
            case Placeholder::User:
                put(header(static_cast<HeaderField>(static_cast<int>(HeaderField::User1) +
                                                    (letter - '1'))));
                break;
            case Placeholder::Problem:
                putProblemField();
                break;
            default:
                break;
        }
    }

    // "%/" and a character: a field of the mating problem. At the end of the template the
    // expansion ends.
    void putProblemField() {
        if (m_pos >= m_tpl.size()) return;
        const char which = m_tpl[m_pos];
        m_pos += charLength(m_tpl, m_pos);
        const int field = problemField(which);
        if (field >= 0) put(header(static_cast<HeaderField>(field)));
    }

    void putHeaderLines(Placeholder ph) {
        if (ph == Placeholder::HeaderBlock) {
            putHeaderBlock();
            return;
        }
        // "%0" and a character: "%0i" is the header block at the start only. At the end of the
        // template the expansion ends.
        if (m_pos >= m_tpl.size()) return;
        const char which = m_tpl[m_pos];
        const std::size_t length = charLength(m_tpl, m_pos);
        if (which == 'i' || which == 'I') {
            if (m_ply == 0) putHeaderBlock();
        } else if (m_rule.urlBreaks) {
            // Not a header request: "%0D%0A" and the like are URL escapes.
            m_pending += '%';
            m_pending += '0';
            m_pending.append(m_tpl.substr(m_pos, length));
        }
        m_pos += length;
    }

    void putHeaderBlock() {
        std::string s;
        appendHeaderLines(s, m_store, m_options.writer);
        putLines(std::move(s));
    }

    void putDateTime(Placeholder ph) {
        DateTimeSnapshot& now = m_expander.snapshot();
        switch (ph) {
            case Placeholder::Today:
                put(now.date());
                break;
            case Placeholder::Now:
                put(now.time());
                break;
            case Placeholder::DateCompact:
                put(now.compactDate());
                break;
            case Placeholder::DateShort:
                put(now.shortDate());
                break;
            case Placeholder::TimeCompact:
                put(now.compactTime());
                break;
            default:
                break;
        }
    }

    // The current move's comment: as it stands in an information line, on one line in an image
    // name, line by line for print, as comment lines elsewhere.
    void putComment() {
        const std::string_view comment = m_store.node(m_current).commentText();
        if (comment.empty()) return;
        if (m_context == TemplateContext::InfoLine) {
            put(comment);
        } else if (m_context == TemplateContext::ImageName) {
            std::string s;
            for (char x : comment) {
                if (x != '\r' && x != '\n') s += x;
            }
            put(s);
        } else if (m_rule.print) {
            flush();
            std::size_t from = 0;
            while (from < comment.size()) {
                std::size_t nl = comment.find('\n', from);
                if (nl == std::string_view::npos) nl = comment.size();
                std::string_view lineText = comment.substr(from, nl - from);
                if (!lineText.empty() && lineText.back() == '\r') lineText.remove_suffix(1);
                put(lineText);
                m_sink.lineBreak();
                from = nl + 1;
            }
        } else {
            std::string s;
            appendCommentLines(s, comment, m_options.writer);
            putLines(std::move(s));
        }
    }

    // The position: a block for print, the English diagram, in mail the whole position text
    // with the mail's plain marks, else the diagram block.
    void putBoard(Placeholder ph) {
        if (m_rule.print) {
            flush();
            m_sink.block(TemplateBlock::Board);
            return;
        }
        std::string s;
        const std::string& black = m_store.playerName(PlayerField::Black);
        const std::string& white = m_store.playerName(PlayerField::White);
        if (m_english) {
            appendEnglishDiagram(
                s, m_store.position(), black, white,
                ph == Placeholder::Board ? EnglishMarkers::Letters : EnglishMarkers::BlankAndV);
        } else if (m_rule.mail) {
            const TemplateContext inner = m_context == TemplateContext::MailFile
                                              ? TemplateContext::PositionFile
                                              : TemplateContext::PositionClipboard;
            StringSink innerSink(s, kEol);
            Expansion(m_expander, m_options.positionTemplate, inner, innerSink, true).run();
            appendSideToMoveLine(s, m_store, inner == TemplateContext::PositionClipboard);
        } else {
            DiagramNames names{black, white};
            appendDiagramBlock(s, m_store.position(), m_store.handicap(), &names);
        }
        putLines(std::move(s));
    }

    void putRecord(Placeholder ph) {
        if (m_rule.print) {
            flush();
            m_sink.block(ph == Placeholder::Record ? TemplateBlock::Record
                                                   : TemplateBlock::RecordWithHeader);
            return;
        }
        putLines(ki2ClipboardText(m_store, Ki2ClipboardMode::Mail, m_options.writer));
    }

    // '"' name '"': the file's contents. A name not relative to "/" is looked up in the current
    // folder; print headers skip the name.
    void putInclude() {
        const std::size_t close = m_tpl.find('"', m_pos);
        if (m_rule.print) {
            m_pos = close == std::string_view::npos ? m_tpl.size() : close + 1;
            return;
        }
        if (close == std::string_view::npos) {
            m_expander.report(kProgramName, texts().badFileName);
            return;
        }
        const std::string name(m_tpl.substr(m_pos, close - m_pos));
        m_pos = close + 1;
        std::string path = name;
        std::optional<std::string> folder;
        if (name.empty() || name.front() != '/') {
            folder = includeFolder(m_env);
            if (!folder) {
                m_expander.report(kProgramName, texts().noCwd);
                return;
            }
            path = withSlash(*folder) + name;
        }
        std::optional<std::string> content = readFile(nativePath(path), kMaxIncludeBytes);
        if (!content) {
            if (!folder) folder = includeFolder(m_env);
            m_expander.report(kProgramName, texts().cannotRead1 + name + texts().cannotRead2 +
                                                folder.value_or(std::string()));
            return;
        }
        put(ownTextFileText(*content));
    }

    void putPath(Placeholder ph) {
        switch (ph) {
            case Placeholder::RecordName:
                put(m_env.recordName);
                break;
            case Placeholder::FolderAndName:
                put(m_env.recordFolder + m_env.recordName);
                break;
            case Placeholder::RecordFileName:
                put(m_env.recordFileName);
                break;
            case Placeholder::RecordPath:
                put(m_env.recordPath);
                break;
            case Placeholder::RecordDir: {
                std::string_view folder = folderOf(m_env.recordPath);
                if (!folder.empty()) put(folder.substr(0, folder.size() - 1));
                break;
            }
            case Placeholder::PathNoExt:
                put(withoutExtension(m_env.recordPath));
                break;
            case Placeholder::ProgramDir:
                put(m_env.programFolder);
                break;
            case Placeholder::Documents:
                put(withSlash(m_env.documentsFolder));
                break;
            case Placeholder::Desktop:
                put(withSlash(m_env.desktopFolder));
                break;
            case Placeholder::Pictures:
                put(withSlash(m_env.picturesFolder));
                break;
            default:
                break;
        }
    }

    const std::string& header(HeaderField f) const { return m_store.header(f); }
    const std::string& playerOf(SideByte side) const {
        return m_store.playerName(side == kSideBlack ? PlayerField::Black : PlayerField::White);
    }
    // The mover's mark of a node; in mail the mover follows the side to move of the position.
    std::string_view markOf(NodeIndex node, bool previous) const {
        SideByte mover = moverOf(m_store.node(node));
        if (m_mail) mover = previous ? m_toMove : opponent(m_toMove);
        return sideMark(mover, m_marks);
    }
    std::string marked(NodeIndex node, SameSquare same, bool previous) const {
        std::string s(markOf(node, previous));
        s += moveText(m_store, m_options, node, same, MarkStyle::None);
        return s;
    }
    std::string englishMove(NodeIndex node, bool dots) const {
        const MoveNode& m = m_store.node(node);
        std::string s = dots && moverOf(m) == kSideWhite ? ".." : "";
        return s + englishMoveText(m, 0);
    }

    void flush() {
        if (!m_pending.empty()) {
            m_sink.text(m_pending);
            m_pending.clear();
        }
    }
    // A text of the record or the program (never of the template) inserted; in a mail link it is
    // percent-encoded, so that it stays one value of the link.
    void put(std::string_view s) {
        flush();
        if (s.empty()) return;
        if (m_rule.urlBreaks) {
            m_sink.text(urlEscaped(s));
        } else {
            m_sink.text(s);
        }
    }
    // A multi-line text inserted whole: CR LF breaks become the context's line breaks (in a mail
    // link "%0D%0A", by the escaping of put).
    void putLines(std::string s) {
        if (m_rule.urlBreaks) replaceLineBreaks(s, "\r\n");
        put(s);
    }

    TemplateExpander& m_expander;
    const RecordStore& m_store;
    const TextOutputOptions& m_options;
    const TemplateEnvironment& m_env;
    const std::string_view m_tpl;
    const TemplateContext m_context;
    const ContextRule& m_rule;
    TemplateSink& m_sink;
    // The cursor: the first template byte not yet expanded.
    std::size_t m_pos = 0;
    // Literal characters not yet handed to the sink.
    std::string m_pending;
    const int m_ply;
    const NodeIndex m_current;
    const SideByte m_toMove;
    const bool m_english;
    // Plain marks and the mover from the side to move: a mail, or a position text inside one.
    const bool m_mail;
    const MarkStyle m_marks;
};

}  // namespace

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
    StringSink sink(out, contextRule(context).urlBreaks ? kUrlEol : kEol);
    expand(tpl, context, sink);
    return out;
}

void TemplateExpander::expand(std::string_view tpl, TemplateContext context, TemplateSink& sink) {
    if (refreshesSnapshot(context)) m_snapshot.refresh();
    Expansion(*this, tpl, context, sink, false).run();
}

// ---- Products ----

std::string informationLine(TemplateExpander& expander, std::string_view tpl) {
    std::string line = expander.expand(tpl, TemplateContext::InfoLine);
    if (const std::size_t w = cp932Width(line); w < 20) line.append(20 - w, ' ');
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
