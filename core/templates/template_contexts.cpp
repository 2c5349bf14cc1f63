#include "core/templates/template_contexts.h"

#include <cstddef>
#include <string_view>

#include "core/templates/text_output_options.h"
#include "core/text/sjis.h"

namespace core {

namespace {

struct Captions {
    std::string position = std::string("局面書式エラー");
    std::string board = std::string("盤面書式エラー");
    std::string mail = std::string("メール書式エラー");
};

const Captions& captions() {
    static const Captions c;
    return c;
}

// What a letter stands for in the contexts that list it, unless a context says otherwise.
Placeholder commonMeaning(char c) {
    switch (c) {
        case '%':
            return Placeholder::Percent;
        case 'n':
            return Placeholder::MoveNumber;
        case 'a':
        case 'l':
            return Placeholder::MoveText;
        case 'A':
            return Placeholder::MoveMarked;
        case 'L':
            return Placeholder::MoveMarkedFull;
        case 'p':
            return Placeholder::PrevText;
        case 'P':
            return Placeholder::PrevMarked;
        case 'b':
            return Placeholder::Black;
        case 'w':
            return Placeholder::White;
        case 'c':
            return Placeholder::LineBreak;
        case 'f':
            return Placeholder::RecordName;
        case 'F':
            return Placeholder::FolderAndName;
        case 'g':
            return Placeholder::StartDate;
        case 'G':
            return Placeholder::StartDateFull;
        case 'e':
            return Placeholder::EndDate;
        case 'E':
            return Placeholder::EndDateFull;
        case 'i':
            return Placeholder::Event;
        case 's':
            return Placeholder::Opening;
        case 'u':
            return Placeholder::Title;
        case 'm':
            return Placeholder::TimeLimit;
        case 'h':
            return Placeholder::Site;
        case 'o':
            return Placeholder::ToMove;
        case 'r':
            return Placeholder::Published;
        case '1':
        case '2':
        case '3':
        case '4':
        case '5':
            return Placeholder::User;
        case 'y':
            return Placeholder::Today;
        case 't':
            return Placeholder::Now;
        case '/':
            return Placeholder::Problem;
        case '+':
            return Placeholder::LineKind;
        case '*':
            return Placeholder::Comment;
        case 'd':
            return Placeholder::Board;
        case 'I':
            return Placeholder::HeaderBlock;
        case '0':
            return Placeholder::HeaderAtStart;
        case '{':
            return Placeholder::Brace;
        case '"':
            return Placeholder::Include;
        case 'k':
            return Placeholder::Record;
        case 'K':
            return Placeholder::RecordWithHeader;
        default:
            return Placeholder::Unknown;
    }
}

void set(ContextRule& r, char c, Placeholder placeholder) {
    r.table[static_cast<unsigned char>(c)] = placeholder;
}

// The context's letters with their common meanings.
void listed(ContextRule& r, std::string_view letters) {
    for (char c : letters) set(r, c, commonMeaning(c));
}

// A letter listed in one case only is matched in either case.
void foldCase(ContextRule& r) {
    for (int c = 'a'; c <= 'z'; ++c) {
        const auto lower = static_cast<std::size_t>(c);
        const auto upper = static_cast<std::size_t>(c - 'a' + 'A');
        if (r.table[lower] == Placeholder::Unknown) r.table[lower] = r.table[upper];
        if (r.table[upper] == Placeholder::Unknown) r.table[upper] = r.table[lower];
    }
}

// The context table: each context's letters, its unknown-placeholder rule and its behaviours.
ContextRule makeRule(TemplateContext context) {
    ContextRule r;
    switch (context) {
        case TemplateContext::InfoLine:
            listed(r, "nalALpPbwcfgGeEisumhr12345yt/+*%");
            r.unknown = UnknownPlaceholder::Literal;
            r.glyphTarget = static_cast<int>(GlyphTarget::Display);
            break;
        case TemplateContext::PositionFile:
            listed(r, "nalALpPbwcdfFho%{ytgeIisumr12345\"*0");
            set(r, 'h', Placeholder::LastMover);
            r.unknown = UnknownPlaceholder::Nothing;
            r.glyphTarget = static_cast<int>(GlyphTarget::File);
            break;
        case TemplateContext::PositionClipboard:
            listed(r, "nalALpPbwcdfF%geIisumhr12345yt\"*0");
            r.unknown = UnknownPlaceholder::Error;
            r.caption = captionPositionTemplateError();
            r.glyphTarget = static_cast<int>(GlyphTarget::Clipboard);
            break;
        case TemplateContext::EnglishBoard:
            listed(r, "nalALpPbwcdfFho%{ytgeismu12345\"*");
            set(r, 'n', Placeholder::ChessNumber);
            set(r, 'N', Placeholder::PlainNumber);
            set(r, 'v', Placeholder::BoardAlt);
            set(r, 'h', Placeholder::LastMover);
            r.unknown = UnknownPlaceholder::Error;
            r.caption = captionBoardTemplateError();
            break;
        case TemplateContext::MailFile:
            listed(r, "nalALpPbwckdfho%{ytgeiusmr12345\"*");
            set(r, 'h', Placeholder::LastMover);
            r.unknown = UnknownPlaceholder::Error;
            r.caption = captionMailTemplateError();
            r.mail = true;
            break;
        case TemplateContext::MailClipboard:
            listed(r, "nalALpPbwckdfFho%ytiusmr12345\"");
            set(r, 'h', Placeholder::LastMover);
            r.unknown = UnknownPlaceholder::Error;
            r.caption = captionMailTemplateError();
            r.mail = true;
            break;
        case TemplateContext::MailLink:
        case TemplateContext::SimpleMail:
            listed(r, "nalALpPbwcdkfFho%GgEeisumr012345yt/*");
            set(r, 'h', Placeholder::LastMover);
            r.unknown = UnknownPlaceholder::Error;
            r.caption = captionMailTemplateError();
            r.mail = true;
            r.startPosition = true;
            if (context == TemplateContext::MailLink) {
                r.urlBreaks = true;
            } else {
                set(r, 'k', Placeholder::Nothing);
                set(r, '0', Placeholder::KeepZero);
                set(r, 'f', Placeholder::RecordFileName);
                set(r, 'F', Placeholder::RecordPath);
            }
            break;
        case TemplateContext::PrintPosition:
        case TemplateContext::PrintRecord:
            listed(r, "nalALpPbwcdkKfF%ytgeisumhr12345/*\"");
            set(r, 'o', Placeholder::Bookmark);
            set(r, 'g', Placeholder::StartDateFull);
            set(r, 'e', Placeholder::EndDateFull);
            r.unknown = UnknownPlaceholder::Nothing;
            r.print = true;
            r.glyphTarget = static_cast<int>(GlyphTarget::Printing);
            break;
        case TemplateContext::ImageName:
            listed(r, "alALbwnhisur12345+/*");
            set(r, 'M', Placeholder::Documents);
            set(r, 'E', Placeholder::Desktop);
            set(r, 'P', Placeholder::Pictures);
            set(r, 'K', Placeholder::RecordDir);
            set(r, 'D', Placeholder::ProgramDir);
            set(r, 'f', Placeholder::RecordName);
            set(r, 'F', Placeholder::PathNoExt);
            set(r, 'N', Placeholder::MoveNumber);
            set(r, 'B', Placeholder::Black);
            set(r, 'W', Placeholder::White);
            set(r, 'Y', Placeholder::DateCompact);
            set(r, 'y', Placeholder::DateShort);
            set(r, 'T', Placeholder::TimeCompact);
            r.unknown = UnknownPlaceholder::Literal;
            break;
        case TemplateContext::ToolCommand:
            set(r, 'K', Placeholder::RecordPath);
            set(r, 'N', Placeholder::MoveNumber);
            set(r, 'D', Placeholder::ProgramDir);
            set(r, '%', Placeholder::Percent);
            r.unknown = UnknownPlaceholder::Nothing;
            break;
    }
    foldCase(r);
    return r;
}

}  // namespace

const ContextRule& contextRule(TemplateContext context) {
    static const auto kRules = [] {
        std::array<ContextRule, kTemplateContextCount> rules;
        for (std::size_t i = 0; i < rules.size(); ++i) {
            rules[i] = makeRule(static_cast<TemplateContext>(i));
        }
        return rules;
    }();
    return kRules[static_cast<std::size_t>(context)];
}

bool refreshesSnapshot(TemplateContext context) {
    switch (context) {
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

PlaceholderGroup placeholderGroup(Placeholder placeholder) {
    using P = Placeholder;
    using G = PlaceholderGroup;
    switch (placeholder) {
        case P::Unknown:
        case P::Nothing:
        case P::Percent:
        case P::Brace:
        case P::KeepZero:
        case P::LineBreak:
            return G::Control;
        case P::MoveNumber:
        case P::ChessNumber:
        case P::PlainNumber:
        case P::MoveText:
        case P::MoveMarked:
        case P::MoveMarkedFull:
        case P::PrevText:
        case P::PrevMarked:
        case P::LineKind:
        case P::Bookmark:
            return G::Move;
        case P::Black:
        case P::White:
        case P::LastMover:
        case P::ToMove:
            return G::Player;
        case P::StartDate:
        case P::StartDateFull:
        case P::EndDate:
        case P::EndDateFull:
        case P::Event:
        case P::Opening:
        case P::Title:
        case P::TimeLimit:
        case P::Site:
        case P::Published:
        case P::User:
        case P::Problem:
            return G::Header;
        case P::HeaderBlock:
        case P::HeaderAtStart:
            return G::HeaderLines;
        case P::Today:
        case P::Now:
        case P::DateCompact:
        case P::DateShort:
        case P::TimeCompact:
            return G::DateTime;
        case P::Comment:
            return G::Comment;
        case P::Board:
        case P::BoardAlt:
            return G::Board;
        case P::Record:
        case P::RecordWithHeader:
            return G::Record;
        case P::Include:
            return G::Include;
        case P::RecordName:
        case P::FolderAndName:
        case P::RecordFileName:
        case P::RecordPath:
        case P::RecordDir:
        case P::PathNoExt:
        case P::ProgramDir:
        case P::Documents:
        case P::Desktop:
        case P::Pictures:
            return G::Path;
    }
    return G::Control;
}

const std::string& captionPositionTemplateError() { return captions().position; }
const std::string& captionBoardTemplateError() { return captions().board; }
const std::string& captionMailTemplateError() { return captions().mail; }

}  // namespace core
