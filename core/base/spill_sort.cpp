#include "core/base/spill_sort.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <queue>
#include <utility>

namespace core {

namespace {

constexpr std::size_t kMaxRecord = std::size_t{16} << 20;

uint32_t lengthAt(const char* p) {
    uint32_t n;
    std::memcpy(&n, p, 4);
    return n;
}

bool writeAll(int fd, const char* data, std::size_t n, uint64_t at) {
    while (n > 0) {
        const ssize_t w = ::pwrite(fd, data, n, static_cast<off_t>(at));
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return false;
        data += w;
        n -= static_cast<std::size_t>(w);
        at += static_cast<uint64_t>(w);
    }
    return true;
}

// The records of the chunk still in memory, in order.
class ChunkReader : public SpillSorter::Reader {
public:
    ChunkReader(const std::string& chunk, const std::vector<uint32_t>& offsets)
        : m_chunk(chunk), m_offsets(offsets) {}
    bool next(std::string_view& record) override {
        if (m_at >= m_offsets.size()) return false;
        const char* p = m_chunk.data() + m_offsets[m_at++];
        record = {p + 4, lengthAt(p)};
        return true;
    }
    bool failed() const override { return false; }

private:
    const std::string& m_chunk;
    const std::vector<uint32_t>& m_offsets;
    std::size_t m_at = 0;
};

// One run of the file, read through a buffer of its own.
class RunReader {
public:
    RunReader(int fd, uint64_t begin, uint64_t end, std::size_t bufferBytes)
        : m_fd(fd), m_next(begin), m_end(end), m_buffer(bufferBytes) {}

    // False at the end of the run or on a failed read (m_failed).
    bool next(std::string_view& record) {
        if (!ensure(4)) return false;
        const uint32_t n = lengthAt(m_buffer.data() + m_at);
        if (n > kMaxRecord || !ensure(4 + std::size_t{n})) {
            if (n > kMaxRecord) m_failed = true;
            return false;
        }
        record = {m_buffer.data() + m_at + 4, n};
        m_at += 4 + std::size_t{n};
        return true;
    }
    bool failed() const { return m_failed; }

private:
    // At least n bytes from m_at in the buffer.
    bool ensure(std::size_t n) {
        if (m_filled - m_at >= n) return true;
        std::memmove(m_buffer.data(), m_buffer.data() + m_at, m_filled - m_at);
        m_filled -= m_at;
        m_at = 0;
        if (m_buffer.size() < n) m_buffer.resize(n);
        while (m_filled < n) {
            if (m_next >= m_end) {
                if (m_filled > 0) m_failed = true;  // a record cut short
                return false;
            }
            const std::size_t want = std::min<uint64_t>(m_buffer.size() - m_filled, m_end - m_next);
            const ssize_t r =
                ::pread(m_fd, m_buffer.data() + m_filled, want, static_cast<off_t>(m_next));
            if (r < 0 && errno == EINTR) continue;
            if (r <= 0) {
                m_failed = true;
                return false;
            }
            m_filled += static_cast<std::size_t>(r);
            m_next += static_cast<uint64_t>(r);
        }
        return true;
    }

    int m_fd;
    uint64_t m_next;
    uint64_t m_end;
    std::vector<char> m_buffer;
    std::size_t m_at = 0;
    std::size_t m_filled = 0;
    bool m_failed = false;
};

// The runs merged: the least current record of all runs first.
class MergeReader : public SpillSorter::Reader {
public:
    explicit MergeReader(std::vector<RunReader> runs) : m_runs(std::move(runs)) {
        for (std::size_t i = 0; i < m_runs.size(); ++i) advance(i);
    }
    bool next(std::string_view& record) override {
        if (m_pending < m_runs.size()) advance(m_pending);
        m_pending = m_runs.size();
        if (m_failed || m_heap.empty()) return false;
        const auto [view, run] = m_heap.top();
        m_heap.pop();
        record = view;
        m_pending = run;  // its buffer holds record until the next call
        return true;
    }
    bool failed() const override { return m_failed; }

private:
    using Head = std::pair<std::string_view, std::size_t>;
    void advance(std::size_t run) {
        std::string_view r;
        if (m_runs[run].next(r)) {
            m_heap.emplace(r, run);
        } else if (m_runs[run].failed()) {
            m_failed = true;
        }
    }
    std::vector<RunReader> m_runs;
    std::priority_queue<Head, std::vector<Head>, std::greater<>> m_heap;
    std::size_t m_pending = SIZE_MAX;
    bool m_failed = false;
};

}  // namespace

SpillSorter::SpillSorter(std::string folder, std::size_t chunkBytes, bool presorted)
    : m_folder(std::move(folder)),
      m_chunkBytes(std::max<std::size_t>(chunkBytes, 64)),
      m_presorted(presorted) {
    if (m_folder.empty()) {
        const char* tmp = std::getenv("TMPDIR");
        m_folder = tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
    }
}

SpillSorter::~SpillSorter() {
    if (m_fd >= 0) ::close(m_fd);
}

void SpillSorter::fail(const char* what, int error) {
    m_failed = true;
    m_problem = std::string(what) + " " + m_folder + ": " + std::strerror(error);
}

bool SpillSorter::openFile() {
    // A file without a name where the file system allows it; else one named and unlinked at once.
    m_fd = ::open(m_folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (m_fd < 0) {
        std::string name = m_folder + "/.sort-XXXXXX";
        m_fd = ::mkostemp(name.data(), O_CLOEXEC);
        if (m_fd >= 0) ::unlink(name.c_str());
    }
    if (m_fd < 0) {
        fail("cannot make a temporary file in", errno);
        return false;
    }
    return true;
}

bool SpillSorter::add(std::string_view record) {
    if (m_failed || m_reading) return false;
    if (record.size() > kMaxRecord) {
        fail("a record too large to sort in", EFBIG);
        return false;
    }
    if (!m_chunk.empty() && m_chunk.size() + 4 + record.size() > m_chunkBytes && !spill()) {
        return false;
    }
    // The chunk grows up to its size, not beyond (a string doubles its room).
    const std::size_t need = m_chunk.size() + 4 + record.size();
    if (need > m_chunk.capacity()) {
        m_chunk.reserve(std::max(need, std::min(m_chunkBytes, 2 * m_chunk.capacity())));
    }
    const auto n = static_cast<uint32_t>(record.size());
    m_offsets.push_back(static_cast<uint32_t>(m_chunk.size()));
    m_chunk.append(reinterpret_cast<const char*>(&n), 4);
    m_chunk.append(record);
    ++m_records;
    return true;
}

void SpillSorter::sortChunk() {
    if (m_presorted) return;
    const char* base = m_chunk.data();
    std::sort(m_offsets.begin(), m_offsets.end(), [base](uint32_t a, uint32_t b) {
        return std::string_view(base + a + 4, lengthAt(base + a)) <
               std::string_view(base + b + 4, lengthAt(base + b));
    });
}

bool SpillSorter::spill() {
    if (m_fd < 0 && !openFile()) return false;
    sortChunk();
    Run run{m_fileBytes, m_fileBytes};
    std::string out;
    out.reserve(std::min<std::size_t>(m_chunk.size(), std::size_t{1} << 20));
    auto flush = [&] {
        if (!writeAll(m_fd, out.data(), out.size(), run.end)) return false;
        run.end += out.size();
        out.clear();
        return true;
    };
    bool ok = true;
    for (uint32_t at : m_offsets) {
        out.append(m_chunk.data() + at, 4 + std::size_t{lengthAt(m_chunk.data() + at)});
        if (out.size() >= (std::size_t{1} << 20) && !(ok = flush())) break;
    }
    if (!ok || (!out.empty() && !flush())) {
        fail("cannot write a temporary file in", errno == 0 ? EIO : errno);
        return false;
    }
    m_fileBytes = run.end;
    m_runs.push_back(run);
    m_chunk.clear();
    m_offsets.clear();
    return true;
}

std::unique_ptr<SpillSorter::Reader> SpillSorter::read() {
    if (m_failed) return nullptr;
    m_reading = true;
    if (m_runs.empty()) {
        sortChunk();
        return std::make_unique<ChunkReader>(m_chunk, m_offsets);
    }
    if (!m_chunk.empty() && !spill()) return nullptr;
    // What the chunk held goes to the runs' buffers.
    std::string().swap(m_chunk);
    std::vector<uint32_t>().swap(m_offsets);
    const std::size_t buffer = std::clamp<std::size_t>(m_chunkBytes / 16, 4096, 1 << 20);
    std::vector<RunReader> runs;
    runs.reserve(m_runs.size());
    for (const Run& r : m_runs) runs.emplace_back(m_fd, r.begin, r.end, buffer);
    return std::make_unique<MergeReader>(std::move(runs));
}

}  // namespace core
