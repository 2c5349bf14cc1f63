#include "core/text/streamed_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <vector>

#include "core/text/path_text.h"

namespace core {

namespace {

constexpr std::size_t kBufferBytes = 1 << 16;

void syncFolderOf(const std::string& path) {
    std::string folder(folderOf(path));
    if (folder.empty()) folder = ".";
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

StreamedFile::~StreamedFile() { discard(); }

void StreamedFile::discard() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temporary.empty()) {
        ::unlink(m_temporary.c_str());
        m_temporary.clear();
    }
}

WriteResult StreamedFile::open(const std::string& path) {
    discard();
    m_failed = false;
    m_buffer.clear();
    if (path.empty() || path.back() == '/') return WriteResult::CannotCreate;
    std::string target = path;
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        std::error_code ec;
        std::filesystem::path resolved = std::filesystem::weakly_canonical(path, ec);
        if (ec) return WriteResult::CannotCreate;
        target = resolved.string();
    }
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode)) return WriteResult::CannotCreate;
    std::string tmpl = target + ".tmpXXXXXX";
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    m_fd = ::mkstemp(name.data());
    if (m_fd < 0) return WriteResult::CannotCreate;
    m_temporary = name.data();
    m_target = target;
    mode_t mode;
    if (exists) {
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
    const char* p = m_buffer.data();
    std::size_t left = m_buffer.size();
    while (left > 0 && !m_failed) {
        ssize_t n = ::write(m_fd, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            m_failed = true;
            break;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    m_buffer.clear();
    return !m_failed;
}

bool StreamedFile::write(std::string_view bytes) {
    if (m_fd < 0 || m_failed) return false;
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
    syncFolderOf(m_target);
    return WriteResult::Ok;
}

}  // namespace core
