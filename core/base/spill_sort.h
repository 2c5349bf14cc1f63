// Sorting more records than memory should hold: records (byte strings, compared byte by byte)
// gather in a chunk of fixed size; a full chunk is sorted and written to a temporary file as
// one run, and reading merges the runs. The temporary file has no name in its folder (or loses
// it as soon as it is made), so it is gone when the sorter is, whatever stopped the program.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace core {

class SpillSorter {
public:
    // folder: where the runs go (a folder the user may write to); chunkBytes: the bytes of
    // records held before a run is written. presorted: the records come in ascending order
    // already, so the chunks are written as they are.
    SpillSorter(std::string folder, std::size_t chunkBytes, bool presorted = false);
    ~SpillSorter();
    SpillSorter(const SpillSorter&) = delete;
    SpillSorter& operator=(const SpillSorter&) = delete;

    // Adds a record (at most 16 MiB). False once the temporary file could not be made or
    // written; the sorter then stays failed.
    bool add(std::string_view record);

    class Reader {
    public:
        virtual ~Reader() = default;
        // The next record in ascending order, valid until the next call; false at the end or
        // after a failed read (failed() tells).
        virtual bool next(std::string_view& record) = 0;
        virtual bool failed() const = 0;
    };
    // Ends the adding and reads the records back in ascending byte order. The sorter must
    // outlive the reader. Null when the sorter has failed.
    std::unique_ptr<Reader> read();

    bool failed() const { return m_failed; }
    // What went wrong (errno text), empty when nothing did.
    const std::string& problem() const { return m_problem; }
    std::size_t runs() const { return m_runs.size(); }
    uint64_t records() const { return m_records; }

private:
    struct Run {
        uint64_t begin = 0;
        uint64_t end = 0;
    };
    bool spill();
    bool openFile();
    void fail(const char* what, int error);
    void sortChunk();

    std::string m_folder;
    std::size_t m_chunkBytes;
    bool m_presorted;
    int m_fd = -1;
    uint64_t m_fileBytes = 0;
    std::vector<Run> m_runs;
    std::string m_chunk;              // the records, each after its length (4 bytes)
    std::vector<uint32_t> m_offsets;  // where each record of the chunk starts
    uint64_t m_records = 0;
    bool m_failed = false;
    bool m_reading = false;
    std::string m_problem;
};

}  // namespace core
