#include "dalmir/model/table/index_entry.h"

#include "core/text/sjis.h"

namespace dalmir::model {

std::size_t maxTextBytes(IndexText field) {
    switch (field) {
        case IndexText::Path:
            return kPathWidth - 1;
        case IndexText::BlackPlayer:
        case IndexText::WhitePlayer:
            return kPlayerWidth - 1;
        case IndexText::NextMove:
            return kNextMoveWidth - 1;
        case IndexText::AutoOpening:
            return kAutoOpeningWidth - 1;
        default:
            return kIndexTextWidth - 1;
    }
}

std::string_view IndexEntry::text(IndexText field) const {
    auto f = static_cast<std::size_t>(field);
    std::size_t b = begin(f);
    return std::string_view(m_texts).substr(b, m_ends[f] - b);
}

void IndexEntry::setText(IndexText field, std::string_view text) {
    text = core::cutToBytes(text, maxTextBytes(field));
    auto f = static_cast<std::size_t>(field);
    std::size_t b = begin(f);
    std::size_t oldLength = m_ends[f] - b;
    const std::size_t size = m_texts.size() - oldLength + text.size();
    if (size > m_texts.capacity()) {
        // Grown to the size needed, not doubled: a label given to each of a million entries
        // would otherwise double the memory of their texts.
        std::string grown;
        grown.reserve(size);
        grown.append(m_texts, 0, b);
        grown.append(text);
        grown.append(m_texts, b + oldLength);
        m_texts = std::move(grown);
    } else {
        m_texts.replace(b, oldLength, text);
    }
    for (std::size_t i = f; i < kIndexTextCount; ++i) {
        m_ends[i] = static_cast<uint16_t>(m_ends[i] - oldLength + text.size());
    }
}

void IndexEntry::clearSearchResult() {
    setText(IndexText::NextMove, {});
    hitPly = 0;
    nextFrom = 0;
    nextTo = 0;
}

}  // namespace dalmir::model
