// The "%" template language: one expansion procedure for every templated text (information
// lines, position texts, English board text, mail texts and links, print headers, image file
// names, tool command lines), told apart by a context that fixes its letters, its line breaks,
// its blocks and what an unknown placeholder does. The expander reads the record store, the
// settings and the names it is given; it owns none of them.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "core/record/record_store.h"
#include "core/templates/date_time_snapshot.h"
#include "core/templates/template_contexts.h"
#include "core/templates/text_output_options.h"

namespace core {

// What a print header asks the back end to draw besides text.
enum class TemplateBlock : std::uint8_t {
    Board,             // "%d": the board picture of the current position
    Record,            // "%k": the printed move list without header lines
    RecordWithHeader,  // "%K": the same with header lines and player names
};

// Receives an expansion piece by piece. Text contexts use a string sink inside the expander; a
// print back end implements all of it.
class TemplateSink {
public:
    virtual ~TemplateSink() = default;
    // text to append (print headers: to draw at the pen).
    virtual void text(std::string_view cp932) = 0;
    virtual void lineBreak() = 0;
    virtual void block(TemplateBlock) {}
    // "&C": centre the rest of the line over the board picture.
    virtual void centreRest() {}
};

// The names and folders around the record. Folders end with "/" where the viewer keeps them so.
struct TemplateEnvironment {
    std::string recordName = "";      // `RecordName` ("新規棋譜" for a record without file)
    std::string recordFileName = "";  // file name with extension
    std::string recordFolder = "";    // `RecordFolder`
    std::string recordPath = "";      // `RecordPath`
    std::string programFolder = "";
    std::string documentsFolder = "";
    std::string desktopFolder = "";
    std::string picturesFolder = "";
    // Where a relative include name is looked up; empty: the process's working folder.
    std::string currentFolder = "";
};

// Shows an error the way the viewer does (a dialog): caption and text.
using TemplateErrorHandler = std::function<void(std::string_view caption, std::string_view text)>;

// An included file larger than this is refused as unreadable.
inline constexpr std::size_t kMaxIncludeBytes = 1024 * 1024;

// The message of an unusable placeholder (CP932); the captions are in template_contexts.h.
std::string msgPlaceholderUnusable(char c);  // "%c は、使用できません。"

class TemplateExpander {
public:
    // Everything is referenced, not copied: the owner keeps it alive while the expander is used.
    // The snapshot is refreshed before each mail, print and image-name expansion.
    TemplateExpander(const RecordStore& store, const TextOutputOptions& options,
                     const TemplateEnvironment& environment, DateTimeSnapshot& snapshot,
                     TemplateErrorHandler onError = {});

    // Text contexts: the expansion with CR LF line breaks ("%0D%0A" for MailLink). Expansion never
    // fails; errors go to the handler and the rest of the template is still used.
    std::string expand(std::string_view tpl, TemplateContext context);
    // Any context, piece by piece.
    void expand(std::string_view tpl, TemplateContext context, TemplateSink& sink);

    const RecordStore& store() const { return m_store; }
    const TextOutputOptions& options() const { return m_options; }
    const TemplateEnvironment& environment() const { return m_env; }
    DateTimeSnapshot& snapshot() { return m_snapshot; }
    // Reports an error through the handler (nothing when there is none).
    void report(std::string_view caption, std::string_view text) const;

private:
    const RecordStore& m_store;
    const TextOutputOptions& m_options;
    const TemplateEnvironment& m_env;
    DateTimeSnapshot& m_snapshot;
    TemplateErrorHandler m_onError;
};

// ---- The products built directly on the expansion ----

// An information line: "情報表示書式n" expanded, padded with blanks to at least 20 bytes.
std::string informationLine(TemplateExpander& expander, std::string_view tpl);

// The three mail texts of the link or the simple send: recipient, subject, body.
struct MailTexts {
    std::string recipient;
    std::string subject;
    std::string body;
};
// context: MailLink or SimpleMail.
MailTexts mailTexts(TemplateExpander& expander, TemplateContext context);
// "mailto:" recipient "?subject=" subject "&body=" body, from MailLink texts.
std::string mailLinkUrl(const MailTexts& texts);
// The longest URL the mail link hands to the shell.
inline constexpr std::size_t kMaxMailLinkBytes = 65535;

// "画像ファイル名書式" expanded into a path of at most 1023 bytes.
std::string imageFileName(TemplateExpander& expander);

// A tool's argument template expanded.
std::string toolArguments(TemplateExpander& expander, std::string_view tpl);

// How a move text may write a destination that repeats the previous move's.
enum class SameSquare : std::uint8_t {
    Allowed,          // "同" (traditional styles: the square followed by "同")
    FullInTradition,  // traditional styles always write the square; the origin form keeps "同"
    Never,            // every style writes the square
};

// The move of `node` in the notation of "指し手表記" (the origin form when "ルール確認" is off),
// preceded by the mark of style; empty for the root.
std::string moveText(const RecordStore& store, const TextOutputOptions& options, NodeIndex node,
                     SameSquare same, MarkStyle style);

// The side marks of "指し手表記": "▲"/"△" or "▲"/"▽", or their user-defined glyphs.
MarkStyle markStyleOf(const TextOutputOptions& options, bool userMarks);

}  // namespace core
