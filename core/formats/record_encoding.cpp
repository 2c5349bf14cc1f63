#include "core/formats/record_encoding.h"

#include <algorithm>
#include <vector>

#include "core/text/sjis.h"

namespace core {

namespace {

std::optional<Cp932Problem> problemIn(std::string_view text, std::string field) {
    std::string c = firstNonCp932Char(text);
    if (c.empty()) return std::nullopt;
    return Cp932Problem{std::move(field), std::move(c)};
}

std::string commentField(int ply) {
    return ply <= 0 ? std::string("コメント（開始局面）")
                    : std::string("コメント（") + std::to_string(ply) + std::string("手目）");
}

}  // namespace

std::optional<Cp932Problem> findCp932Problem(const RecordStore& store,
                                             const RecordWriteOptions& options) {
    static constexpr struct {
        PlayerField field;
        const char* name;
    } kPlayers[] = {{PlayerField::Black, "先手"},
                    {PlayerField::White, "後手"},
                    {PlayerField::BlackShort, "先手省略名"},
                    {PlayerField::WhiteShort, "後手省略名"}};
    for (const auto& p : kPlayers) {
        if (auto r = problemIn(store.playerName(p.field), p.name)) return r;
    }
    for (int f = 0; f < kHeaderFieldCount; ++f) {
        const auto field = static_cast<HeaderField>(f);
        std::string name = headerKeyword(field);
        if (f >= kFixedHeaderFieldCount) {
            const std::string& key =
                options.userKeys[static_cast<std::size_t>(f - kFixedHeaderFieldCount)];
            name = key.empty() ? std::string("ユーザ定義情報") +
                                     std::to_string(f - kFixedHeaderFieldCount + 1)
                               : key;
        }
        if (auto r = problemIn(store.header(field), name)) return r;
    }
    // The comments, in tree order.
    std::vector<NodeIndex> stack{kRootNode};
    while (!stack.empty()) {
        const NodeIndex n = stack.back();
        stack.pop_back();
        const MoveNode& node = store.node(n);
        if (auto r = problemIn(node.commentText(), commentField(store.plyOf(n)))) return r;
        if (node.sibling != kNoNode) stack.push_back(node.sibling);
        if (node.next != kNoNode) stack.push_back(node.next);
    }
    for (int i = 0; i < store.bookmarkCount(); ++i) {
        if (auto r = problemIn(store.bookmarkAt(i)->name, std::string("しおり"))) return r;
    }
    for (const std::string& key : options.userKeys) {
        if (auto r = problemIn(key, std::string("ユーザ定義情報の名前"))) return r;
    }
    return std::nullopt;
}

std::optional<std::string> cp932FileBytes(std::string_view text, const RecordStore& store,
                                          const RecordWriteOptions& options,
                                          Cp932Problem* problem) {
    Cp932Conversion c = utf8ToCp932(text);
    if (c.ok && c.replaced == 0) return std::move(c.text);
    if (problem != nullptr) {
        if (auto p = findCp932Problem(store, options)) {
            *problem = *p;
        } else if (!c.ok) {
            *problem = Cp932Problem{std::string("棋譜"), std::string("\xEF\xBF\xBD")};
        } else {
            // A text the writer made itself (a template, a setting): named by its line.
            const std::string_view before = text.substr(0, c.firstUnencodableAt);
            const auto line = std::count(before.begin(), before.end(), '\n') + 1;
            *problem = Cp932Problem{std::to_string(line) + std::string("行目"), c.firstUnencodable};
        }
    }
    return std::nullopt;
}

std::string msgCannotHoldInCp932(const Cp932Problem& problem, std::string_view utf8Form) {
    return std::string("「") + problem.field + std::string("」の文字「") + problem.character +
           std::string("」（") + codePointName(problem.character) +
           std::string("）はShift-JISで書けません。") + std::string(utf8Form) +
           std::string("で保存すれば、すべての文字が残ります。");
}

}  // namespace core
