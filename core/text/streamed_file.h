// A file written piece by piece and put in place only when complete: the pieces go to a temporary
// file in the target's folder, and commit() flushes, syncs and renames it over the target, as
// writeFileAtomically does for bytes held in memory. For outputs too large to hold (exports).
// The object owns the temporary file and removes it unless commit() succeeded.
#pragma once

#include <string>
#include <string_view>

#include "core/text/safe_file.h"

namespace core {

class StreamedFile {
public:
    StreamedFile() = default;
    ~StreamedFile();
    StreamedFile(const StreamedFile&) = delete;
    StreamedFile& operator=(const StreamedFile&) = delete;

    // Creates the temporary file for path (a symbolic link: for the file it points to). Ok or
    // CannotCreate.
    [[nodiscard]] WriteResult open(const std::string& path);
    // Adds bytes (buffered). False once any write has failed; the failure is kept for commit.
    bool write(std::string_view bytes);
    // Writes what is buffered, syncs, and renames over the target: Ok, or WriteFailed with the
    // old file untouched and the temporary file removed.
    [[nodiscard]] WriteResult commit();

private:
    bool flushBuffer();
    void discard();

    int m_fd = -1;
    bool m_failed = false;
    std::string m_target;
    std::string m_temporary;
    std::string m_buffer;
};

}  // namespace core
