#include "core/formats/kif_writer.h"

#include <cstdint>
#include <utility>
#include <vector>

#include "core/base/version.h"
#include "core/formats/diagram_block.h"
#include "core/formats/record_encoding.h"
#include "core/notation/notation.h"
#include "core/notation/piece_text.h"
#include "core/text/sjis.h"

namespace core {

namespace {

constexpr std::string_view kEol = "\r\n";
constexpr int kKifMoveWidth = 12;

struct Words {
    std::string fileTitle = std::string(" 棋譜ファイル ---");
    std::string clipboardTitle = std::string(" 棋譜ファイル  ----");
    std::string flipped{kKeyFlipped};
    std::string colon = std::string("：");
    std::string handicap{kKeyHandicap};
    std::string black{kKeyBlack};
    std::string white{kKeyWhite};
    std::string lower{kKeyLower};
    std::string upper{kKeyUpper};
    std::string blackShort = std::string("先手省略名：");
    std::string whiteShort = std::string("後手省略名：");
    std::string columnsWithTime = std::string("手数----指手---------消費時間--");
    std::string columnsNoTime = std::string("手数----指手--");
    std::string variation{kKeyVariation};
    std::string ply = std::string("手");
    std::string made{kWordUpTo};
    std::string plyAnd = std::string("手で");
    std::string plyMate = std::string("手詰");
    std::string timeOut = std::string("時間切れにより");
    std::string sideBlack = std::string("先");
    std::string sideWhite = std::string("後");
    std::string sideLower = std::string("下");
    std::string sideUpper = std::string("上");
    std::string wins = std::string("手の勝ち");
    std::string foulLoss = std::string("手の反則負け");
    std::string foulWin = std::string("手の反則勝ち");
    std::string enteringKing = std::string("手の入玉勝ち");
    std::string mate = std::string("詰");
    std::string published = std::string("掲載");
    std::string article = std::string("記事");
    std::string remarks = std::string("備考");
    std::string loadBookmark = std::string("読み込み時表示");
    std::string copied = std::string("クリップボードへ棋譜(KIF形式)を出力しました。");
    std::string copiedLine =
        std::string("クリップボードへ棋譜(KIF形式、現変化だけ)を出力しました。");
};

const Words& words() {
    static const Words w;
    return w;
}

// The fixed header fields in the order files carry them.
constexpr HeaderField kHeaderOrder[] = {
    HeaderField::StartDateTime, HeaderField::EndDateTime,     HeaderField::Title,
    HeaderField::Event,         HeaderField::Opening,         HeaderField::TimeLimit,
    HeaderField::TimeUsed,      HeaderField::Place,           HeaderField::PublishedIn,
    HeaderField::WorkNumber,    HeaderField::WorkName,        HeaderField::Author,
    HeaderField::Magazine,      HeaderField::PublicationDate, HeaderField::Source,
    HeaderField::MoveCount,     HeaderField::Completeness,    HeaderField::Classification,
    HeaderField::Award,         HeaderField::Remarks,
};

HeaderField userField(int u) {
    return static_cast<HeaderField>(static_cast<int>(HeaderField::User1) + u);
}

bool userKeyNamed(const RecordWriteOptions& options, std::string_view name) {
    for (const std::string& key : options.userKeys) {
        if (key == name) return true;
    }
    return false;
}

bool userKeyNamedWithValue(const RecordStore& store, const RecordWriteOptions& options,
                           std::string_view name) {
    for (int u = 0; u < kUserHeaderFieldCount; ++u) {
        if (options.userKeys[static_cast<std::size_t>(u)] == name &&
            !store.header(userField(u)).empty()) {
            return true;
        }
    }
    return false;
}

// Whether a fixed field gives way to a user field of the same name.
bool yieldsToUserField(const RecordStore& store, const RecordWriteOptions& options,
                       HeaderField field) {
    const Words& w = words();
    switch (field) {
        case HeaderField::PublishedIn:
            return userKeyNamedWithValue(store, options, w.published);
        case HeaderField::WorkNumber:
        case HeaderField::WorkName:
        case HeaderField::Author:
        case HeaderField::Magazine:
        case HeaderField::PublicationDate:
        case HeaderField::Source:
        case HeaderField::MoveCount:
        case HeaderField::Completeness:
        case HeaderField::Classification:
        case HeaderField::Award:
            return userKeyNamed(options, headerKeyword(field));
        case HeaderField::Remarks:
            return userKeyNamed(options, w.article) || userKeyNamed(options, w.remarks);
        default:
            return false;
    }
}

const std::string& sidePrefix(const RecordStore& store, SideByte side) {
    const Words& w = words();
    if (store.handicap() != kHandicapEven) return side == kSideBlack ? w.sideLower : w.sideUpper;
    return side == kSideBlack ? w.sideBlack : w.sideWhite;
}

// v in decimal, right-aligned in width with fill.
void appendNumber(std::string& out, std::uint32_t v, int width, char fill) {
    char digits[12];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v != 0);
    if (n < width) out.append(static_cast<std::size_t>(width - n), fill);
    while (n > 0) out += digits[--n];
}

// "%2d:%02d/%02d:%02d:%02d": this move's minutes and seconds, the mover's running total (hours
// modulo 100).
void appendTime(std::string& out, std::uint32_t seconds, std::uint32_t total) {
    appendNumber(out, seconds / 60, 2, ' ');
    out += ':';
    appendNumber(out, seconds % 60, 2, '0');
    out += '/';
    appendNumber(out, (total / 3600) % 100, 2, '0');
    out += ':';
    appendNumber(out, (total / 60) % 60, 2, '0');
    out += ':';
    appendNumber(out, total % 60, 2, '0');
}

enum class Layout { File, Clipboard, ClipboardLine };

class KifWriter {
public:
    KifWriter(const RecordStore& store, const RecordWriteOptions& options, Layout layout)
        : m_store(store), m_options(options), m_layout(layout) {
        m_notation.dragonAsRyu = options.dragonAsRyu;
        m_withTimes =
            layout != Layout::File || !options.kifOmitZeroTimes || store.totalSeconds() != 0;
    }

    std::string text() {
        writeHead();
        if (m_layout == Layout::ClipboardLine) {
            writeCurrentLine();
        } else {
            writeTree();
        }
        return std::move(m_out);
    }

private:
    void line(std::string_view s) {
        m_out += s;
        m_out += kEol;
    }

    void writeHead() {
        const Words& w = words();
        bool file = m_layout == Layout::File;
        std::string title = file ? "# --- " : "# ----  ";
        title += kProgramName;
        title += ' ';
        title += kProgramVersion;
        title += file ? w.fileTitle : w.clipboardTitle;
        line(title);
        if (file && m_store.flipped()) line(w.flipped);
        appendHeaderLines(m_out, m_store, m_options);
        line(w.handicap + std::string(handicapName(m_store.handicap())));
        if (m_store.customStart()) appendRecordBoardBlock(m_out, m_store);
        bool handicap = m_store.handicap() != kHandicapEven;
        line((handicap ? w.lower : w.black) + m_store.playerName(PlayerField::Black));
        line((handicap ? w.upper : w.white) + m_store.playerName(PlayerField::White));
        if (file) {
            const std::string& b = m_store.playerName(PlayerField::BlackShort);
            const std::string& wh = m_store.playerName(PlayerField::WhiteShort);
            if (!b.empty()) line(w.blackShort + b);
            if (!wh.empty()) line(w.whiteShort + wh);
        }
        line(m_withTimes ? w.columnsWithTime : w.columnsNoTime);
        appendCommentLines(m_out, m_store.node(kRootNode).commentText(), m_options);
        appendBookmarkLine(m_out, m_store, kRootNode);
    }

    // total: the mover's consumed seconds up to and including this move.
    void writeMove(NodeIndex x, int ply, std::uint32_t total, bool plus) {
        const MoveNode& n = m_store.node(x);
        appendNumber(m_out, static_cast<std::uint32_t>(ply), 4, ' ');
        m_out += ' ';
        int previous = n.parent == kNoNode ? 0 : m_store.node(n.parent).to;
        m_out += originFormText(n, previous, MarkStyle::None, kKifMoveWidth, m_notation);
        if (m_withTimes) {
            m_out += " (";
            appendTime(m_out, n.seconds, total);
            m_out += ')';
            if (plus) m_out += '+';
        } else if (plus) {
            m_out += " +";
        }
        m_out += kEol;
        appendCommentLines(m_out, n.commentText(), m_options);
        appendBookmarkLine(m_out, m_store, x);
    }

    // Depth first: a line to its end, then the alternatives of its deepest branch point first.
    void writeTree() {
        std::vector<std::pair<NodeIndex, int>> pending;
        // Running totals by ply along the line being written; a popped alternative at ply n
        // shares plies below n with the line written before it.
        std::vector<std::uint32_t> totals;
        NodeIndex x = m_store.node(kRootNode).next;
        int ply = 1;
        while (x != kNoNode) {
            const MoveNode& n = m_store.node(x);
            bool hasAlternative = n.sibling != kNoNode;
            auto p = static_cast<std::size_t>(ply);
            if (totals.size() <= p) totals.resize(p + 1, 0);
            totals[p] = n.seconds + (p >= 2 ? totals[p - 2] : 0);
            writeMove(x, ply, totals[p], hasAlternative);
            if (hasAlternative) pending.emplace_back(n.sibling, ply);
            if (n.next != kNoNode) {
                x = n.next;
                ++ply;
                continue;
            }
            line(endOfLineText(m_store, x, ply));
            if (pending.empty()) break;
            std::tie(x, ply) = pending.back();
            pending.pop_back();
            line("");
            line(variationLine(ply));
        }
    }

    void writeCurrentLine() {
        int end = m_store.lineEnd();
        NodeIndex last = kRootNode;
        for (int ply = 1; ply <= end; ++ply) {
            last = m_store.nodeAtPly(ply);
            if (last == kNoNode) break;
            writeMove(last, ply, m_store.cumulativeSeconds(last), false);
        }
        line("");
        line(last == kRootNode || last == kNoNode ? std::string()
                                                  : endOfLineText(m_store, last, end));
    }

    const RecordStore& m_store;
    const RecordWriteOptions& m_options;
    Layout m_layout;
    NotationOptions m_notation;
    bool m_withTimes = true;
    std::string m_out;
};

}  // namespace

const std::string& loadBookmarkName() { return words().loadBookmark; }

const std::string& msgKifCopied(bool currentLineOnly) {
    return currentLineOnly ? words().copiedLine : words().copied;
}

void appendHeaderLines(std::string& out, const RecordStore& store,
                       const RecordWriteOptions& options) {
    const Words& w = words();
    for (HeaderField field : kHeaderOrder) {
        const std::string& value = store.header(field);
        if (value.empty() || yieldsToUserField(store, options, field)) continue;
        out += headerKeyword(field);
        out += w.colon;
        out += value;
        out += kEol;
    }
    for (int u = 0; u < kUserHeaderFieldCount; ++u) {
        const std::string& key = options.userKeys[static_cast<std::size_t>(u)];
        const std::string& value = store.header(userField(u));
        if (key.empty() || value.empty()) continue;
        out += key;
        out += w.colon;
        out += value;
        out += kEol;
    }
}

void appendCommentLines(std::string& out, std::string_view comment,
                        const RecordWriteOptions& options) {
    std::size_t width = options.commentWrap && options.commentWrapColumn > 0
                            ? static_cast<std::size_t>(options.commentWrapColumn)
                            : std::string_view::npos;
    while (!comment.empty()) {
        std::size_t nl = comment.find('\n');
        std::string_view text = comment.substr(0, nl);
        comment.remove_prefix(nl == std::string_view::npos ? comment.size() : nl + 1);
        if (text.ends_with('\r')) text.remove_suffix(1);
        do {
            std::string_view part = text.size() > width ? cutToBytes(text, width) : text;
            // A column narrower than one character still moves on by a character.
            if (part.empty() && !text.empty()) part = text.substr(0, charLength(text, 0));
            out += '*';
            out += part;
            out += kEol;
            text.remove_prefix(part.size());
        } while (!text.empty());
    }
}

void appendBookmarkLine(std::string& out, const RecordStore& store, NodeIndex node) {
    const Bookmark* b = store.bookmarkAt(store.bookmarkOf(node));
    if (!b || b->name.empty()) return;
    out += '&';
    out += b->name;
    out += kEol;
}

bool isMatingProblem(const RecordStore& store) {
    if (!store.header(HeaderField::Author).empty()) return true;
    Position start;
    store.restoreStartPosition(start);
    return kingSquare(start, kSideBlack) == 0;
}

std::string endOfLineText(const RecordStore& store, NodeIndex last, int ply) {
    const MoveNode& n = store.node(last);
    if (!n.isTerminal() || last == kRootNode) return {};
    const Words& w = words();
    SideByte toMove = store.moverOfPly(ply);
    SideByte winner = opponent(toMove);
    std::string moves = std::to_string(ply - 1);
    std::string s = w.made + moves + w.plyAnd;
    switch (static_cast<TerminalCode>(n.to)) {
        case TerminalCode::Resign:
            return s + sidePrefix(store, winner) + w.wins;
        case TerminalCode::FoulLoss:
            return s + sidePrefix(store, toMove) + w.foulLoss;
        case TerminalCode::FoulWin:
            return s + sidePrefix(store, toMove) + w.foulWin;
        case TerminalCode::Mate:
            return isMatingProblem(store) ? w.made + moves + w.plyMate : s + w.mate;
        case TerminalCode::TimeLoss:
            return s + w.timeOut + sidePrefix(store, winner) + w.wins;
        case TerminalCode::EnteringKingWin:
            return s + sidePrefix(store, toMove) + w.enteringKing;
        case TerminalCode::Suspend:
        case TerminalCode::Impasse:
        case TerminalCode::Repetition:
        case TerminalCode::NoMate:
            return s + std::string(terminalWord(n.to));
    }
    return {};
}

std::string variationLine(int ply) { return words().variation + std::to_string(ply) + words().ply; }

std::string kifText(const RecordStore& store, const RecordWriteOptions& options) {
    return KifWriter(store, options, Layout::File).text();
}

std::string kifClipboardText(const RecordStore& store, bool currentLineOnly,
                             const RecordWriteOptions& options) {
    return KifWriter(store, options, currentLineOnly ? Layout::ClipboardLine : Layout::Clipboard)
        .text();
}

void markLoadPosition(RecordStore& store, const RecordWriteOptions& options) {
    if (options.loadPosition != 3) return;
    const std::string& name = loadBookmarkName();
    NodeIndex current = store.current();
    const Bookmark* own = store.bookmarkAt(store.bookmarkOf(current));
    if (own && own->name != name) return;
    for (int i = store.bookmarkCount() - 1; i >= 0; --i) {
        const Bookmark* b = store.bookmarkAt(i);
        if (b && b->name == name && b->node != current) store.deleteBookmarkAt(i);
    }
    // Its name is unique now (the others were deleted): only a full table refuses.
    if (!own) (void)store.setBookmark(current, name);
}

WriteResult writeKifFile(RecordStore& store, const std::string& path,
                         const RecordWriteOptions& options) {
    markLoadPosition(store, options);
    std::optional<std::string> bytes = cp932FileBytes(kifText(store, options), store, options);
    if (!bytes) return WriteResult::Unencodable;
    WriteResult r = writeFileAtomically(path, *bytes);
    if (r == WriteResult::Ok) store.markClean();
    return r;
}

}  // namespace core
