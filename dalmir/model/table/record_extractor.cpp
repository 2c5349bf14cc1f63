#include "dalmir/model/table/record_extractor.h"

#include <algorithm>
#include <array>

#include "core/base/path_text.h"
#include "core/base/safe_file.h"
#include "core/classify/classifier.h"
#include "core/formats/csa_reader.h"
#include "core/formats/jkf_reader.h"
#include "core/text/sjis.h"
#include "dalmir/model/table/fs_paths.h"
#include "dalmir/model/table/index_codes.h"
#include "dalmir/model/table/index_paths.h"
#include "dalmir/model/table/record_dates.h"

namespace dalmir::model {

namespace {

using core::HeaderField;
using core::NodeIndex;
using core::TerminalCode;

uint8_t winnerResult(core::SideByte winner) {
    return static_cast<uint8_t>(winner == core::kSideBlack ? IndexResult::BlackWins
                                                           : IndexResult::WhiteWins);
}

}  // namespace

bool isRecordExtension(std::string_view extension) {
    static constexpr std::array<std::string_view, 7> kAccepted = {"kif", "ki2", "csa", "bod",
                                                                  "txt", "rsk", "jkf"};
    return std::find(kAccepted.begin(), kAccepted.end(), extension) != kAccepted.end();
}

void setResultAndMoveCount(const core::RecordStore& store, IndexEntry& entry, int& entries) {
    entries = 0;
    NodeIndex last = core::kRootNode;
    for (NodeIndex x = store.node(core::kRootNode).next; x != core::kNoNode;
         x = store.node(x).next) {
        last = x;
        ++entries;
    }
    entry.result = static_cast<uint8_t>(IndexResult::None);
    entry.moveCount = static_cast<uint16_t>(entries);
    if (entries == 0 || !store.node(last).isTerminal()) return;

    entry.moveCount = static_cast<uint16_t>(entries - 1);
    core::SideByte toMove = store.moverOfPly(entries);
    IndexResult result = IndexResult::None;
    switch (static_cast<TerminalCode>(store.node(last).to)) {
        case TerminalCode::Resign:
        case TerminalCode::FoulLoss:
        case TerminalCode::TimeLoss:
            entry.result = winnerResult(core::opponent(toMove));
            return;
        case TerminalCode::FoulWin:
            entry.result = winnerResult(toMove);
            return;
        case TerminalCode::Impasse:
            result = IndexResult::Jishogi;
            break;
        case TerminalCode::Repetition:
            result = IndexResult::Repetition;
            break;
        case TerminalCode::Suspend:
            result = IndexResult::Suspended;
            break;
        case TerminalCode::Mate:
            result = IndexResult::Mate;
            break;
        default:
            break;
    }
    entry.result = static_cast<uint8_t>(result);
}

RecordExtractor::RecordExtractor(std::array<std::string, core::kUserHeaderFieldCount> userKeys)
    : m_store(kExtractStoreCapacity) {
    m_options.database = true;
    m_options.mainLineOnly = true;
    // A rule violation only sets the reader's error text, which the index never shows for a
    // record that reads; checking every move would change nothing and cost most of the time.
    m_options.ruleCheck = false;
    m_options.userKeys = std::move(userKeys);
}

void RecordExtractor::setUserKeys(
    const std::array<std::string, core::kUserHeaderFieldCount>& userKeys) {
    m_options.userKeys = userKeys;
}

ExtractResult RecordExtractor::extract(const std::string& path, IndexEntry& entry) {
    m_errorText.clear();
    m_warnings.clear();
    std::optional<std::string> bytes = core::readFile(path);
    if (!bytes) return ExtractResult::CannotOpen;

    std::string extension = lowerExtension(path);
    // JSON kifu files are UTF-8 by definition; their reader converts the texts itself.
    const bool jkf = core::isJkfPath(path);
    const bool csa = core::isCsaPath(path);
    core::DecodedText decoded;
    if (jkf) {
        decoded.text = std::move(*bytes);
    } else if (csa) {
        decoded = core::decodeCsaBytes(std::move(*bytes), extension);
    } else {
        decoded = core::decodeRecordBytes(std::move(*bytes), extension);
    }
    std::optional<std::string> stored = storedFromFileSystem(path);
    std::string storedPath = stored ? std::move(*stored) : path;
    m_options.fileName = std::string(core::fileNameOf(storedPath));
    core::ReadReport report = jkf   ? core::readJkfText(m_store, decoded.text, m_options)
                              : csa ? core::readCsaLines(m_store, decoded.text, m_options)
                                    : core::readRecordLines(m_store, decoded.text, m_options);
    switch (report.result) {
        case core::ReadResult::Ok:
            break;
        case core::ReadResult::CannotOpen:
            return ExtractResult::CannotOpen;
        case core::ReadResult::CapacityReached:
            m_errorText = core::msgRecordSizeOver();
            return ExtractResult::ReadFailed;
        case core::ReadResult::LineFailed:
            m_errorText = m_store.readingError();
            return ExtractResult::ReadFailed;
    }
    fill(entry, storedPath, report.stoppedAtVariation);
    for (int line : decoded.invalidLines) m_warnings.push_back(core::msgInvalidUtf8(line));
    return ExtractResult::Ok;
}

void RecordExtractor::fill(IndexEntry& entry, std::string_view path, bool variationFollows) {
    const core::RecordStore& s = m_store;
    entry = IndexEntry();
    entry.setText(IndexText::Path, path);

    setResultAndMoveCount(s, entry, m_entries);
    if (s.anyComment()) entry.marks |= kMarkComments;
    if (variationFollows && m_entries > 0) entry.marks |= kMarkVariations;

    entry.setText(IndexText::BlackPlayer, s.playerName(core::PlayerField::Black));
    entry.setText(IndexText::WhitePlayer, s.playerName(core::PlayerField::White));

    core::Position start;
    s.restoreStartPosition(start);
    bool bothKings = core::kingSquare(start, core::kSideBlack) != 0 &&
                     core::kingSquare(start, core::kSideWhite) != 0;
    entry.handicap = bothKings ? static_cast<uint8_t>(std::clamp(s.handicap(), 0, 14))
                               : static_cast<uint8_t>(IndexHandicap::MatingProblem);
    m_setUpStart = s.customStart() || s.firstMover() != core::firstMoverOf(s.handicap());

    entry.start = parseStartDate(s.header(HeaderField::StartDateTime));
    entry.end = parseEndDate(s.header(HeaderField::EndDateTime));

    entry.setText(IndexText::Title, s.header(HeaderField::Title));
    entry.setText(IndexText::Event, s.header(HeaderField::Event));
    entry.setText(IndexText::Opening, s.header(HeaderField::Opening));
    entry.setText(IndexText::TimeLimit, s.header(HeaderField::TimeLimit));
    entry.setText(IndexText::Place, s.header(HeaderField::Place));
    entry.setText(IndexText::PublishedIn, s.header(HeaderField::PublishedIn));
    for (int k = 0; k < kUserFieldCount; ++k) {
        entry.setText(userField(k),
                      s.header(static_cast<HeaderField>(core::kFixedHeaderFieldCount + k)));
    }
    if (!m_labelOpenings) return;
    core::Classification opening = core::classifyRecord(s);
    entry.setText(IndexText::AutoOpening, core::summaryText(opening));
    entry.setText(IndexText::AutoOpeningName, core::openingText(opening));
}

}  // namespace dalmir::model
