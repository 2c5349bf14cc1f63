// Shared parts of the fuzz targets: the input as a string, a reused file for readers that take a
// path, the invariant check, and every writer of a record run over what a reader left.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "core/formats/csa_writer.h"
#include "core/formats/diagram_block.h"
#include "core/formats/ki2_writer.h"
#include "core/formats/kif_writer.h"
#include "core/formats/record_loader.h"
#include "core/formats/usi.h"
#include "core/record/record_store.h"
#include "core/templates/english_exports.h"
#include "core/templates/position_text.h"
#include "core/templates/template_expander.h"

namespace fuzz {

inline std::string_view bytesOf(const uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// A broken invariant is a finding like a crash: report it and abort, so that libFuzzer keeps
// the input.
inline void require(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "fuzz invariant broken: %s\n", what);
    std::abort();
}

// One file per process and name, rewritten for every input, for readers that only take a path.
// It lives in $TAVREL_FUZZ_TMP (fuzz/run.sh points it into the build folder) or /tmp.
class InputFile {
public:
    explicit InputFile(std::string_view name) {
        const char* folder = std::getenv("TAVREL_FUZZ_TMP");
        m_path = std::string(folder && *folder ? folder : "/tmp") + "/tavrel-fuzz-" +
                 std::to_string(::getpid()) + "-" + std::string(name);
        m_fd = ::open(m_path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        require(m_fd >= 0, "cannot create the input file");
    }
    ~InputFile() {
        ::close(m_fd);
        ::unlink(m_path.c_str());
    }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    const std::string& write(std::string_view bytes) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            ssize_t n =
                ::pwrite(m_fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
            require(n > 0, "cannot write the input file");
            done += static_cast<std::size_t>(n);
        }
        // Truncating after the write, to the new size: a truncation to 0 makes some file
        // systems (ext4) flush the file at every close, which would cost most of the time.
        require(::ftruncate(m_fd, static_cast<off_t>(bytes.size())) == 0,
                "cannot truncate the input file");
        return m_path;
    }
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
    int m_fd = -1;
};

// Writer settings picked by a few bits, so that the corpus walks the writers' branches too.
inline core::TextOutputOptions outputOptions(unsigned bits) {
    core::TextOutputOptions o;
    o.moveStyle = static_cast<int>(bits & 3u);
    o.ruleCheck = (bits & 4u) == 0;
    o.userMarks = {(bits & 8u) != 0, (bits & 8u) != 0, (bits & 16u) != 0, false};
    o.notation.dragonAsRyu = (bits & 16u) != 0;
    o.notation.dropMarkOnLast = (bits & 32u) != 0;
    o.englishNumbering = static_cast<core::EnglishNumbering>((bits >> 3) % 3u);
    o.englishColumns = 1 + static_cast<int>(bits % 9u);
    core::RecordWriteOptions& w = o.writer;
    w.kifOmitZeroTimes = (bits & 1u) != 0;
    w.commentWrap = (bits & 2u) != 0;
    w.commentWrapColumn = (bits & 64u) ? 1 : 7;
    w.dragonAsRyu = o.notation.dragonAsRyu;
    w.loadPosition = static_cast<int>((bits >> 2) % 5u);
    w.ki2Columns = 1 + static_cast<int>(bits % 7u);
    w.ki2HalfWidthColumns = 1 + static_cast<int>(bits % 9u);
    w.ki2Style = static_cast<int>(bits % 6u);
    w.ki2HalfWidth = (bits & 8u) != 0;
    w.ruleCheck = o.ruleCheck;
    w.userMarksInFiles = (bits & 32u) != 0;
    w.userMarksOnClipboard = (bits & 16u) != 0;
    o.variationTree.compact = (bits & 128u) != 0;
    o.variationTree.maxDepth = 1 + static_cast<int>(bits % 4u);
    return o;
}

// outputOptions(bits & 255), built once: building converts the default texts.
inline const core::TextOutputOptions& cachedOutputOptions(unsigned bits) {
    static const std::vector<core::TextOutputOptions> sets = [] {
        std::vector<core::TextOutputOptions> all;
        for (unsigned b = 0; b < 256; ++b) all.push_back(outputOptions(b));
        return all;
    }();
    return sets[bits & 255u];
}

// Every writer and text of the record over what store holds: KIF, KI2 (file and clipboard forms),
// CSA, the position diagram (.bod), USI and the English texts, at the node a loaded record is
// shown at.
inline void writeEverything(core::RecordStore& store, unsigned bits) {
    const core::TextOutputOptions& options = cachedOutputOptions(bits);
    core::NodeIndex shown = core::nodeAfterLoad(store, static_cast<int>(bits % 5u));
    if (shown != core::kNoNode) (void)store.goTo(shown);

    std::size_t total = 0;  // keeps the texts from being optimised away
    total += core::kifText(store, options.writer).size();
    total += core::kifClipboardText(store, (bits & 1u) != 0, options.writer).size();
    total += core::ki2Text(store, options.writer).size();
    total += core::ki2ClipboardText(store, static_cast<core::Ki2ClipboardMode>(bits % 4u),
                                    options.writer)
                 .size();
    total += core::csaText(store).size();
    total += core::usiPositionCommand(store).size();
    total += core::sfen(store.position(), store.currentPly() + 1).size();
    std::string board;
    core::appendRecordBoardBlock(board, store);
    total += board.size();
    total += core::englishRecordText(store, options).size();

    const core::TemplateEnvironment environment;
    core::DateTimeSnapshot snapshot([] { return core::LocalDateTime{2013, 2, 1, 9, 5, 7}; });
    core::TemplateExpander expander(store, options, environment, snapshot);
    total += core::positionFileText(expander).size();
    total += core::positionClipboardText(expander, (bits & 2u) != 0).size();
    total += core::englishPositionText(expander).size();
    require(total > 0, "every writer gave an empty text");
}

}  // namespace fuzz
