// Reading whole files and writing them crash-safe. Every file the programs write (records,
// settings, databases) goes through writeFileAtomically: the target is either the old file or
// the complete new one, never a partial write.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace core {

// The result of writing a file, shared by every writer of the programs: 0 success, negative
// failures, positive alternatives. writeFileAtomically gives Ok, CannotCreate or WriteFailed;
// the others come from the writers that decide more than the bytes.
enum class [[nodiscard]] WriteResult : int{
    Ok = 0,
    CannotCreate = -1,  // the file (or its temporary file) could not be created: folder missing,
                        // not writable, or the target is not a regular file
    WriteFailed = -2,   // writing, flushing or renaming failed (disk full, I/O error)
    BadPath = -3,       // the path holds characters the written file cannot store (database index)
    NotReadWhole = -4,  // nothing was written: the file to replace was not read whole, and
                        // saving over it would drop what was not read
    Cancelled = -5,     // the user stopped before anything was written
    Unencodable = -6,   // nothing was written: a text holds a character the file's encoding
                        // (Shift-JIS) cannot hold
    Unsupported = 3,    // nothing was written: the program has no writer for that format
};

// The result of reading a file into the program's data, shared by every reader: 0 success,
// negative failures, positive alternatives. A reader keeps what it read before a fault.
enum class [[nodiscard]] ReadResult : int{
    Ok = 0,
    CannotOpen = -1,       // the file cannot be opened
    CapacityReached = -2,  // the store being filled ran out of room
    LineFailed = 1,        // a line could not be read completely; the reader says which
};

// Who may read a written file: Keep gives an existing target its permissions and a new file
// those of the umask; OwnerOnly makes it 0600 whatever it was (secrets such as passwords).
enum class FileAccess : uint8_t { Keep, OwnerOnly };

// Writes bytes to path through a temporary file in the same folder: write, flush, fsync, rename
// over the target, fsync the folder. The file's permissions follow access. On any failure
// the old file is untouched and the temporary file is removed. A successful save also removes
// the temporary files ("NAME.tmpXXXXXX") that killed writers of the same target left. A path that
// is a symbolic link writes the file at the end of its links, which stay as they are; a loop gives
// CannotCreate.
[[nodiscard]] WriteResult writeFileAtomically(const std::string& path, std::string_view bytes,
                                              FileAccess access = FileAccess::Keep);

// Told of a long write's progress: called before the first byte and after each piece written,
// with the bytes written so far. False stops the write, which then gives Cancelled, the old
// file untouched and the temporary file removed.
using WriteStep = std::function<bool(std::size_t written)>;
// writeFileAtomically in pieces, asking step (when given) as it goes.
[[nodiscard]] WriteResult writeFileAtomically(const std::string& path, std::string_view bytes,
                                              FileAccess access, const WriteStep& step);

// The same crash-safe write for outputs too large to hold (exports): the bytes come piece by
// piece into the temporary file, and commit() puts it in place only when complete. The object
// owns the temporary file and removes it unless commit() succeeded.
class StreamedFile {
public:
    StreamedFile() = default;
    ~StreamedFile();
    StreamedFile(const StreamedFile&) = delete;
    StreamedFile& operator=(const StreamedFile&) = delete;

    // Creates the temporary file for path (a symbolic link: for the file at the end of its
    // links). Ok or CannotCreate.
    [[nodiscard]] WriteResult open(const std::string& path, FileAccess access = FileAccess::Keep);
    // Adds bytes (buffered). False once any write has failed; the failure is kept for commit.
    bool write(std::string_view bytes);
    // Writes what is buffered, syncs, and renames over the target: Ok, or WriteFailed with the
    // old file untouched and the temporary file removed.
    [[nodiscard]] WriteResult commit();

private:
    bool flushBuffer();
    void discard();

    int m_fd = -1;
    int m_keeper = -1;  // holds the flock that tells later saves this writer is alive
    bool m_failed = false;
    std::string m_target;
    std::string m_temporary;
    std::string m_buffer;
};

// Saving files that must change together, in two steps. stageFile writes the complete new
// content crash-safe as stagedPathOf(path), with the permissions of the target when it exists;
// commitStaged then renames the staged file over the target and syncs the folder. A crash
// between the commits of several files leaves each of them either old or new: their content
// must tell which belong together, and a reader may look for the staged file to complete a set.
// step as for writeFileAtomically: Cancelled leaves no staged file.
[[nodiscard]] WriteResult stageFile(const std::string& path, std::string_view bytes,
                                    const WriteStep& step = {});
[[nodiscard]] WriteResult commitStaged(const std::string& path);
// "TARGET.new" beside the file a save of path writes (the end of its symbolic links).
std::string stagedPathOf(const std::string& path);

// The default largest file readFile accepts.
inline constexpr std::size_t kMaxReadBytes = 64u * 1024u * 1024u;

// The whole content of a regular file; nullopt when it cannot be opened or read, is not a
// regular file, or is larger than maxBytes. errno then says why (EISDIR for a folder, EINVAL
// for another file that is not a regular file, EFBIG for one too large).
[[nodiscard]] std::optional<std::string> readFile(const std::string& path,
                                                  std::size_t maxBytes = kMaxReadBytes);

// Bytes of their own for large contents (a file read whole, the move lists of a large database).
// They live in a private mapping that the kernel may back with 2 MiB pages and that grows
// without copying: a heap buffer of a few hundred megabytes is zeroed first and costs a page
// fault per 4 KiB, which made those two the most of opening a large database.
class LargeBytes {
public:
    LargeBytes() = default;
    LargeBytes(LargeBytes&& other) noexcept;
    LargeBytes& operator=(LargeBytes&& other) noexcept;
    // A copy holds the bytes (the size, not the room).
    LargeBytes(const LargeBytes& other);
    LargeBytes& operator=(const LargeBytes& other);
    ~LargeBytes();

    std::string_view view() const { return {m_data, m_size}; }
    char* data() { return m_data; }
    const char* data() const { return m_data; }
    std::size_t size() const { return m_size; }
    // Keeps the first bytes; bytes beyond the old size are unspecified until written. Throws
    // std::bad_alloc when no memory can be had.
    void resize(std::size_t size);
    void append(const char* bytes, std::size_t n);

private:
    char* m_data = nullptr;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};

// readFile into LargeBytes: the same checks and errno.
[[nodiscard]] std::optional<LargeBytes> readFileBytes(const std::string& path,
                                                      std::size_t maxBytes = kMaxReadBytes);

}  // namespace core
