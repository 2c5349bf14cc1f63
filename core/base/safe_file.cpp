#include "core/base/safe_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>
#include <utility>
#include <vector>

#include "core/base/path_text.h"

namespace core {

namespace {

// The folder to open for syncing the rename: "." for a bare name, "/" for the root.
std::string syncedFolderOf(const std::string& path) {
    std::string_view folder = folderOf(path);
    if (folder.empty()) return ".";
    if (folder.size() == 1) return "/";
    return std::string(folder.substr(0, folder.size() - 1));
}

bool writeAll(int fd, std::string_view bytes) {
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) return false;
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

void syncFolder(const std::string& folder) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// The file a save of path writes: path itself, or, when path is a symbolic link, the file at
// the end of its chain of links (which need not exist yet), so that the links stay. nullopt for a
// loop or a link that cannot be read.
std::optional<std::string> saveTarget(std::string path) {
    constexpr int kMaxLinks = 40;  // as the system's own limit on following links
    for (int i = 0; i < kMaxLinks; ++i) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
        std::vector<char> buffer(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
        ssize_t n = ::readlink(path.c_str(), buffer.data(), buffer.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= buffer.size()) return std::nullopt;
        std::string link(buffer.data(), static_cast<std::size_t>(n));
        path = link.front() == '/' ? link : std::string(folderOf(path)) + link;
    }
    return std::nullopt;
}

constexpr std::string_view kTempInfix = ".tmp";
constexpr std::size_t kTempSuffixBytes = 6;  // the XXXXXX that mkstemp fills

// Removes the temporary files that killed writers of path left behind. A writer holds an
// exclusive flock on its temporary file until it renames or removes it, so a file that can be
// locked has no live writer.
void removeStaleTemporaries(const std::string& path) {
    const std::string folder = syncedFolderOf(path);
    const std::string prefix = std::string(fileNameOf(path)) + std::string(kTempInfix);
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return;
    std::vector<std::string> stale;
    while (const dirent* e = ::readdir(dir)) {
        std::string_view name = e->d_name;
        if (name.size() != prefix.size() + kTempSuffixBytes || !name.starts_with(prefix)) continue;
        stale.emplace_back(name);
    }
    ::closedir(dir);
    const std::string base = folder == "/" ? "/" : folder + "/";
    for (const std::string& name : stale) {
        const std::string file = base + name;
        int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
        if (fd < 0) continue;
        struct stat st {};
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            ::unlink(file.c_str());
        }
        ::close(fd);
    }
}

}  // namespace

StreamedFile::~StreamedFile() { discard(); }

void StreamedFile::discard() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
    if (!m_temporary.empty()) ::unlink(m_temporary.c_str());
    m_temporary.clear();
    if (m_keeper >= 0) ::close(m_keeper);
    m_keeper = -1;
    m_buffer.clear();
}

WriteResult StreamedFile::open(const std::string& linkOrPath, FileAccess access) {
    discard();
    m_failed = false;
    if (linkOrPath.empty() || linkOrPath.back() == '/') return WriteResult::CannotCreate;
    const std::optional<std::string> target = saveTarget(linkOrPath);
    if (!target) return WriteResult::CannotCreate;
    struct stat old {};
    const bool exists = ::stat(target->c_str(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode)) return WriteResult::CannotCreate;

    std::string tmpl = *target + std::string(kTempInfix) + std::string(kTempSuffixBytes, 'X');
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    m_fd = ::mkstemp(name.data());
    if (m_fd < 0) return WriteResult::CannotCreate;
    m_temporary = name.data();
    m_target = *target;
    // Held through a second descriptor until the file is renamed or removed: tells a later
    // save that this writer is alive.
    (void)::flock(m_fd, LOCK_EX | LOCK_NB);
    m_keeper = ::dup(m_fd);

    mode_t mode;
    if (access == FileAccess::OwnerOnly) {
        mode = 0600;
    } else if (exists) {
        mode = old.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(m_fd, mode) != 0) m_failed = true;
    return WriteResult::Ok;
}

bool StreamedFile::flushBuffer() {
    if (!m_failed && !writeAll(m_fd, m_buffer)) m_failed = true;
    m_buffer.clear();
    return !m_failed;
}

bool StreamedFile::write(std::string_view bytes) {
    constexpr std::size_t kBufferBytes = 1 << 16;
    if (m_fd < 0 || m_failed) return false;
    if (m_buffer.empty() && bytes.size() >= kBufferBytes) {
        if (!writeAll(m_fd, bytes)) m_failed = true;
        return !m_failed;
    }
    m_buffer += bytes;
    if (m_buffer.size() >= kBufferBytes) return flushBuffer();
    return true;
}

WriteResult StreamedFile::commit() {
    if (m_fd < 0) return WriteResult::WriteFailed;
    bool ok = flushBuffer() && ::fsync(m_fd) == 0;
    if (::close(m_fd) != 0) ok = false;
    m_fd = -1;
    if (ok && ::rename(m_temporary.c_str(), m_target.c_str()) != 0) ok = false;
    if (!ok) {
        discard();
        return WriteResult::WriteFailed;
    }
    m_temporary.clear();
    discard();
    removeStaleTemporaries(m_target);
    syncFolder(syncedFolderOf(m_target));
    return WriteResult::Ok;
}

WriteResult writeFileAtomically(const std::string& path, std::string_view bytes,
                                FileAccess access) {
    return writeFileAtomically(path, bytes, access, {});
}

WriteResult writeFileAtomically(const std::string& path, std::string_view bytes, FileAccess access,
                                const WriteStep& step) {
    // Pieces small enough that a cancel is answered at once, large enough to cost nothing.
    constexpr std::size_t kPiece = std::size_t{8} << 20;
    StreamedFile file;
    if (WriteResult r = file.open(path, access); r != WriteResult::Ok) return r;
    if (!step) {
        // A failed write is remembered and reported by commit().
        (void)file.write(bytes);
        return file.commit();
    }
    // The temporary file goes with `file` when the write stops.
    if (!step(0)) return WriteResult::Cancelled;
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t n = std::min(kPiece, bytes.size() - at);
        if (!file.write(bytes.substr(at, n))) break;  // commit() reports it
        at += n;
        if (!step(at)) return WriteResult::Cancelled;
    }
    return file.commit();
}

std::string stagedPathOf(const std::string& path) {
    return saveTarget(path).value_or(path) + ".new";
}

WriteResult stageFile(const std::string& path, std::string_view bytes, const WriteStep& step) {
    const std::optional<std::string> target = saveTarget(path);
    if (!target) return WriteResult::CannotCreate;
    const std::string staged = *target + ".new";
    WriteResult r = writeFileAtomically(staged, bytes, FileAccess::Keep, step);
    if (r != WriteResult::Ok) return r;
    struct stat old {};
    if (::stat(target->c_str(), &old) == 0 && S_ISREG(old.st_mode) &&
        ::chmod(staged.c_str(), old.st_mode & 07777) != 0) {
        ::unlink(staged.c_str());
        return WriteResult::WriteFailed;
    }
    return WriteResult::Ok;
}

WriteResult commitStaged(const std::string& path) {
    const std::optional<std::string> target = saveTarget(path);
    if (!target) return WriteResult::CannotCreate;
    const std::string staged = *target + ".new";
    if (::rename(staged.c_str(), target->c_str()) != 0) return WriteResult::WriteFailed;
    syncFolder(syncedFolderOf(*target));
    return WriteResult::Ok;
}

namespace {

// Reads the whole of a regular file into data (a std::string or LargeBytes).
template <class Bytes>
std::optional<Bytes> readWhole(const std::string& path, std::size_t maxBytes) {
    // Opening a FIFO for reading waits for a writer; O_NONBLOCK returns at once so that fstat
    // can refuse it (and devices, sockets) before any read.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return std::nullopt;
    // Closes the file keeping the errno that says why reading failed.
    auto fail = [fd](int error) -> std::optional<Bytes> {
        ::close(fd);
        errno = error;
        return std::nullopt;
    };
    struct stat st {};
    if (::fstat(fd, &st) != 0) return fail(errno);
    if (S_ISDIR(st.st_mode)) return fail(EISDIR);
    if (!S_ISREG(st.st_mode)) return fail(EINVAL);
    if (static_cast<std::size_t>(st.st_size) > maxBytes) return fail(EFBIG);
    // O_NONBLOCK does not change reads of a regular file, so it can stay set.
    const auto expected = static_cast<std::size_t>(st.st_size);
    Bytes data;
    // One byte more than fstat gave: a read that comes back short of it has met the end, so the
    // usual file takes one read and no second one to find its end.
    data.resize(expected + 1);
    std::size_t got = 0;
    bool ok = true;
    int error = 0;
    while (true) {
        if (got == data.size()) {
            // The file holds more than fstat said (it grew, or is one of the kernel's files that
            // say size 0): probe before making room for more.
            char probe[4096];
            ssize_t n = ::read(fd, probe, sizeof probe);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                ok = false;
                error = errno;
                break;
            }
            if (n == 0) break;
            if (got + static_cast<std::size_t>(n) > maxBytes) {
                ok = false;
                error = EFBIG;
                break;
            }
            data.append(probe, static_cast<std::size_t>(n));
            got = data.size();
            continue;
        }
        const std::size_t wanted = data.size() - got;
        ssize_t n = ::read(fd, data.data() + got, wanted);
        if (n < 0) {
            if (errno == EINTR) continue;
            ok = false;
            error = errno;
            break;
        }
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
        // A regular file gives less than asked only at its end.
        if (got == expected && static_cast<std::size_t>(n) < wanted) break;
    }
    if (ok && got > maxBytes) {
        ok = false;
        error = EFBIG;
    }
    if (!ok) return fail(error);
    ::close(fd);
    data.resize(got);
    return data;
}

constexpr std::size_t kHugePage = std::size_t{2} << 20;

}  // namespace

std::optional<std::string> readFile(const std::string& path, std::size_t maxBytes) {
    return readWhole<std::string>(path, maxBytes);
}

std::optional<LargeBytes> readFileBytes(const std::string& path, std::size_t maxBytes) {
    return readWhole<LargeBytes>(path, maxBytes);
}

LargeBytes::LargeBytes(LargeBytes&& other) noexcept
    : m_data(std::exchange(other.m_data, nullptr)),
      m_size(std::exchange(other.m_size, 0)),
      m_capacity(std::exchange(other.m_capacity, 0)) {}

LargeBytes::LargeBytes(const LargeBytes& other) {
    resize(other.m_size);
    if (m_size > 0) std::memcpy(m_data, other.m_data, m_size);
}

LargeBytes& LargeBytes::operator=(const LargeBytes& other) {
    if (this != &other) {
        LargeBytes copy(other);
        *this = std::move(copy);
    }
    return *this;
}

LargeBytes& LargeBytes::operator=(LargeBytes&& other) noexcept {
    if (this != &other) {
        if (m_data != nullptr) ::munmap(m_data, m_capacity);
        m_data = std::exchange(other.m_data, nullptr);
        m_size = std::exchange(other.m_size, 0);
        m_capacity = std::exchange(other.m_capacity, 0);
    }
    return *this;
}

LargeBytes::~LargeBytes() {
    if (m_data != nullptr) ::munmap(m_data, m_capacity);
}

void LargeBytes::resize(std::size_t size) {
    if (size > m_capacity) {
        // Whole huge pages, and room to grow by half for a file still being written.
        const std::size_t wanted = std::max(size, m_capacity + m_capacity / 2);
        const std::size_t capacity = (wanted + kHugePage - 1) / kHugePage * kHugePage;
        void* p = m_data == nullptr ? ::mmap(nullptr, capacity, PROT_READ | PROT_WRITE,
                                             MAP_PRIVATE | MAP_ANONYMOUS, -1, 0)
                                    : ::mremap(m_data, m_capacity, capacity, MREMAP_MAYMOVE);
        if (p == MAP_FAILED) throw std::bad_alloc();
        // Only advice: without huge pages the bytes are as good, only slower to fill.
        (void)::madvise(p, capacity, MADV_HUGEPAGE);
        m_data = static_cast<char*>(p);
        m_capacity = capacity;
    }
    m_size = size;
}

void LargeBytes::append(const char* bytes, std::size_t n) {
    if (n == 0) return;  // both may be null then
    const std::size_t at = m_size;
    resize(m_size + n);
    std::memcpy(m_data + at, bytes, n);
}

}  // namespace core
