#include "core/base/safe_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace core {
namespace {

namespace fs = std::filesystem;

class SafeFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "tavrel-safe-XXXXXX").string();
        ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
        m_dir = tmpl;
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string path(const std::string& name) const { return (m_dir / name).string(); }

    // Names in the folder other than the given one: leftovers of a failed write.
    std::vector<std::string> others(const std::string& keep) const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(m_dir)) {
            if (e.path().filename() != keep) names.push_back(e.path().filename().string());
        }
        return names;
    }

    fs::path m_dir;
};

TEST_F(SafeFileTest, WritesAndReadsBack) {
    std::string data("a\0b\r\n\x8F\x5C", 7);
    ASSERT_EQ(writeFileAtomically(path("r.kif"), data), WriteResult::Ok);
    EXPECT_EQ(readFile(path("r.kif")), data);
    ASSERT_EQ(writeFileAtomically(path("r.kif"), "second"), WriteResult::Ok);
    EXPECT_EQ(readFile(path("r.kif")), "second");
    ASSERT_EQ(writeFileAtomically(path("empty"), ""), WriteResult::Ok);
    EXPECT_EQ(readFile(path("empty")), "");
    EXPECT_TRUE(others("r.kif").size() == 1);  // only "empty" besides it
}

// A write told in pieces: stopped at any step the old file stays and no temporary file is
// left; let go on, it tells every byte before the file is in place. A staged file stopped so
// leaves no staged file either.
TEST_F(SafeFileTest, AWriteStoppedByItsStepKeepsTheOldFile) {
    ASSERT_EQ(writeFileAtomically(path("db"), "old"), WriteResult::Ok);
    const std::string bytes((std::size_t{9} << 20) + 5, 'x');  // two pieces
    for (int stopAt = 1; stopAt <= 3; ++stopAt) {
        SCOPED_TRACE(stopAt);
        int steps = 0;
        const WriteStep step = [&](std::size_t) { return ++steps < stopAt; };
        EXPECT_EQ(writeFileAtomically(path("db"), bytes, FileAccess::Keep, step),
                  WriteResult::Cancelled);
        EXPECT_EQ(readFile(path("db"), bytes.size() + 1), "old");
        EXPECT_TRUE(others("db").empty());
    }
    std::vector<std::size_t> told;
    const WriteStep tell = [&](std::size_t written) {
        told.push_back(written);
        return true;
    };
    ASSERT_EQ(writeFileAtomically(path("db"), bytes, FileAccess::Keep, tell), WriteResult::Ok);
    EXPECT_EQ(told, (std::vector<std::size_t>{0, std::size_t{8} << 20, bytes.size()}));
    EXPECT_EQ(readFile(path("db"), bytes.size()), bytes);

    EXPECT_EQ(stageFile(path("pair"), "new", [](std::size_t) { return false; }),
              WriteResult::Cancelled);
    EXPECT_TRUE(others("db").empty());
}

TEST_F(SafeFileTest, KeepsPermissionsOfTheOldFile) {
    ASSERT_EQ(writeFileAtomically(path("p"), "old"), WriteResult::Ok);
    ASSERT_EQ(::chmod(path("p").c_str(), 0640), 0);
    ASSERT_EQ(writeFileAtomically(path("p"), "new"), WriteResult::Ok);
    struct stat st {};
    ASSERT_EQ(::stat(path("p").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

// Saving through a symbolic link writes its target and keeps the link, through a chain of
// links, a relative one and one whose target does not exist yet.
TEST_F(SafeFileTest, SavingThroughALinkWritesItsTarget) {
    fs::create_directories(m_dir / "real");
    ASSERT_EQ(writeFileAtomically(path("real/game.kif"), "old"), WriteResult::Ok);
    fs::create_symlink("real/game.kif", m_dir / "near.kif");
    fs::create_symlink(m_dir / "near.kif", m_dir / "far.kif");
    ASSERT_EQ(writeFileAtomically(path("far.kif"), "new"), WriteResult::Ok);
    EXPECT_TRUE(fs::is_symlink(m_dir / "far.kif"));
    EXPECT_TRUE(fs::is_symlink(m_dir / "near.kif"));
    EXPECT_EQ(readFile(path("real/game.kif")), "new");

    fs::create_symlink("real/later.kif", m_dir / "dangling.kif");
    ASSERT_EQ(writeFileAtomically(path("dangling.kif"), "made"), WriteResult::Ok);
    EXPECT_TRUE(fs::is_symlink(m_dir / "dangling.kif"));
    EXPECT_EQ(readFile(path("real/later.kif")), "made");

    // A loop of links has no target: nothing is written over either link.
    fs::create_symlink(m_dir / "loop2", m_dir / "loop1");
    fs::create_symlink(m_dir / "loop1", m_dir / "loop2");
    EXPECT_NE(writeFileAtomically(path("loop1"), "x"), WriteResult::Ok);
    EXPECT_TRUE(fs::is_symlink(m_dir / "loop1"));
}

TEST_F(SafeFileTest, MissingFolderOrDirectoryTargetFails) {
    EXPECT_EQ(writeFileAtomically(path("no/such/file"), "x"), WriteResult::CannotCreate);
    fs::create_directory(path("sub"));
    EXPECT_EQ(writeFileAtomically(path("sub"), "x"), WriteResult::CannotCreate);
    EXPECT_EQ(writeFileAtomically("", "x"), WriteResult::CannotCreate);
    EXPECT_TRUE(fs::is_directory(path("sub")));
}

// A write that runs out of space (here: the file size limit, which fails write() the way a full
// disk does) reports failure, keeps the old file and leaves no temporary file behind.
TEST_F(SafeFileTest, FailedWriteKeepsOldFile) {
    ASSERT_EQ(writeFileAtomically(path("t"), "old content"), WriteResult::Ok);
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        struct rlimit lim {
            4096, 4096
        };
        ::setrlimit(RLIMIT_FSIZE, &lim);
        WriteResult r = writeFileAtomically(path("t"), std::string(100000, 'x'));
        ::_exit(r == WriteResult::WriteFailed ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(readFile(path("t")), "old content");
    EXPECT_TRUE(others("t").empty());
}

// Each refusal leaves the reason in errno, for messages that say why.
TEST_F(SafeFileTest, ReadRefusesFoldersMissingFilesAndOversizedFiles) {
    ASSERT_EQ(writeFileAtomically(path("big"), std::string(1000, 'b')), WriteResult::Ok);
    struct Case {
        std::string path;
        std::size_t maxBytes;
        int error;
    };
    for (const Case& c :
         {Case{path("missing"), kMaxReadBytes, ENOENT}, Case{m_dir.string(), kMaxReadBytes, EISDIR},
          Case{path("big"), 999, EFBIG}, Case{"/dev/null", kMaxReadBytes, EINVAL}}) {
        errno = 0;
        EXPECT_FALSE(readFile(c.path, c.maxBytes).has_value()) << c.path;
        EXPECT_EQ(errno, c.error) << c.path;
        errno = 0;
        EXPECT_FALSE(readFileBytes(c.path, c.maxBytes).has_value()) << c.path;
        EXPECT_EQ(errno, c.error) << c.path;
    }
    EXPECT_TRUE(readFile(path("big"), 1000).has_value());
    EXPECT_TRUE(readFileBytes(path("big"), 1000).has_value());
}

// A file may hold more than fstat says, as the kernel's own files (size 0) do, or a file that grows
// while it is read: reading goes on to the real end, within the size limit.
TEST_F(SafeFileTest, ReadGoesOnPastTheSizeFstatGave) {
    const std::string proc = "/proc/self/environ";
    std::FILE* in = std::fopen(proc.c_str(), "rb");
    if (in == nullptr) GTEST_SKIP() << "no " << proc << " here";
    std::string want;
    char piece[512];
    for (std::size_t n; (n = std::fread(piece, 1, sizeof piece, in)) > 0;) want.append(piece, n);
    std::fclose(in);
    ASSERT_FALSE(want.empty());
    EXPECT_EQ(readFile(proc), want);
    std::optional<LargeBytes> bytes = readFileBytes(proc);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_TRUE(bytes->view() == want);
    EXPECT_EQ(readFile(proc, want.size()), want);
    errno = 0;
    EXPECT_FALSE(readFile(proc, want.size() - 1).has_value());
    EXPECT_EQ(errno, EFBIG);
}

// Large contents: read whole, appended past the first mapping's room, copied and moved.
TEST_F(SafeFileTest, LargeBytesHoldWhatWasReadAndGrow) {
    std::string data;
    for (int i = 0; data.size() < (std::size_t{5} << 20); ++i) data += std::to_string(i) + ",";
    ASSERT_EQ(writeFileAtomically(path("large"), data), WriteResult::Ok);
    std::optional<LargeBytes> read = readFileBytes(path("large"), std::size_t{16} << 20);
    ASSERT_TRUE(read.has_value());
    EXPECT_TRUE(read->view() == data);
    ASSERT_EQ(writeFileAtomically(path("none"), ""), WriteResult::Ok);
    std::optional<LargeBytes> none = readFileBytes(path("none"));
    ASSERT_TRUE(none.has_value());
    EXPECT_TRUE(none->view().empty());

    LargeBytes grown;
    std::string want;
    for (int i = 0; want.size() < (std::size_t{7} << 20); ++i) {
        const std::string piece(static_cast<std::size_t>(1000 + i % 7),
                                static_cast<char>('a' + i % 26));
        grown.append(piece.data(), piece.size());
        want += piece;
    }
    EXPECT_TRUE(grown.view() == want);
    LargeBytes copy = grown;
    LargeBytes moved = std::move(grown);
    EXPECT_TRUE(copy.view() == want);
    EXPECT_TRUE(moved.view() == want);
    EXPECT_TRUE(grown.view().empty());  // NOLINT(bugprone-use-after-move): moved from is empty
    copy = moved;
    copy.resize(3);
    EXPECT_EQ(copy.view(), want.substr(0, 3));
    EXPECT_TRUE(moved.view() == want);
}

// A FIFO (or any file that is not a regular file) is refused at once, never waited on: opening a
// FIFO for reading would otherwise block until some writer appears. The read runs in a child
// process with an alarm, so a regression fails the test (the child dies of SIGALRM) instead of
// hanging it.
TEST_F(SafeFileTest, ReadRefusesAFifoWithoutWaiting) {
    ASSERT_EQ(::mkfifo(path("pipe.kif").c_str(), 0600), 0);
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::alarm(5);
        bool refused = !readFile(path("pipe.kif")).has_value() &&
                       !readFile("/dev/null").has_value() && !readFile("/dev/zero", 10).has_value();
        ::_exit(refused ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status)) << "the read blocked (killed by signal "
                                   << (WIFSIGNALED(status) ? WTERMSIG(status) : 0) << ")";
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

// A writer killed at any point leaves the target either entirely old or entirely new.
TEST_F(SafeFileTest, KilledWriterNeverLeavesAPartialTarget) {
    const std::string oldData(300000, 'o');
    const std::string newData(300000, 'n');
    std::mt19937 rng(12345);
    for (int round = 0; round < 12; ++round) {
        ASSERT_EQ(writeFileAtomically(path("k"), oldData), WriteResult::Ok);
        pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            for (;;) {
                if (writeFileAtomically(path("k"), newData) != WriteResult::Ok) ::_exit(1);
                if (writeFileAtomically(path("k"), oldData) != WriteResult::Ok) ::_exit(1);
            }
        }
        ::usleep(std::uniform_int_distribution<int>(0, 20000)(rng));
        ::kill(pid, SIGKILL);
        int status = 0;
        ::waitpid(pid, &status, 0);
        auto got = readFile(path("k"));
        ASSERT_TRUE(got.has_value());
        EXPECT_TRUE(*got == oldData || *got == newData) << "partial target, size " << got->size();
        for (const auto& name : others("k")) fs::remove(path(name));
    }
}

// The temporary files of killed writers go with the next successful save of the same target;
// a writer still at work (its file locked), other targets' files and look-alikes stay.
TEST_F(SafeFileTest, SaveRemovesTemporariesOfKilledWriters) {
    ASSERT_EQ(writeFileAtomically(path("k"), "old"), WriteResult::Ok);
    for (const char* name : {"k.tmpAb12Cd", "k.tmpzzzzzz", "k.tmpLIVE00", "k.tmpshort",
                             "j.tmpAb12Cd", "k.tmpAb12Cd.x"}) {
        ASSERT_EQ(writeFileAtomically(path(name), "partial"), WriteResult::Ok);
    }
    int live = ::open(path("k.tmpLIVE00").c_str(), O_RDONLY);
    ASSERT_GE(live, 0);
    ASSERT_EQ(::flock(live, LOCK_EX | LOCK_NB), 0);

    ASSERT_EQ(writeFileAtomically(path("k"), "new"), WriteResult::Ok);
    ::close(live);
    std::vector<std::string> left = others("k");
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"j.tmpAb12Cd", "k.tmpAb12Cd.x", "k.tmpLIVE00",
                                              "k.tmpshort"}));
    EXPECT_EQ(readFile(path("k")), "new");
}

class StreamedFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("streamed_" + std::to_string(::getpid()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }
    std::string path(const char* name) const { return (m_dir / name).string(); }
    int entries() const {
        int n = 0;
        for ([[maybe_unused]] const auto& e : fs::directory_iterator(m_dir)) ++n;
        return n;
    }
    fs::path m_dir;
};

TEST_F(StreamedFileTest, PiecesArriveOnlyOnCommit) {
    const std::string target = path("out.csv");
    ASSERT_EQ(writeFileAtomically(target, "old"), WriteResult::Ok);
    {
        StreamedFile f;
        ASSERT_EQ(f.open(target), WriteResult::Ok);
        std::string big(100000, 'x');
        ASSERT_TRUE(f.write("a,"));
        ASSERT_TRUE(f.write(big));
        EXPECT_EQ(readFile(target), "old");
        ASSERT_EQ(f.commit(), WriteResult::Ok);
        EXPECT_EQ(readFile(target), "a," + big);
    }
    EXPECT_EQ(entries(), 1);
}

TEST_F(StreamedFileTest, AnAbandonedWriteLeavesTheOldFileAndNoTemporary) {
    const std::string target = path("out.csv");
    ASSERT_EQ(writeFileAtomically(target, "old"), WriteResult::Ok);
    {
        StreamedFile f;
        ASSERT_EQ(f.open(target), WriteResult::Ok);
        ASSERT_TRUE(f.write(std::string(200000, 'y')));
    }
    EXPECT_EQ(readFile(target), "old");
    EXPECT_EQ(entries(), 1);
    StreamedFile f;
    EXPECT_EQ(f.open(path("missing/out.csv")), WriteResult::CannotCreate);
    EXPECT_EQ(f.open(m_dir.string() + "/"), WriteResult::CannotCreate);
}

TEST_F(StreamedFileTest, AFullDiskFailsTheCommitAndKeepsTheOldFile) {
    const std::string target = path("out.csv");
    ASSERT_EQ(writeFileAtomically(target, "old"), WriteResult::Ok);
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit {
            4096, 4096
        };
        ::setrlimit(RLIMIT_FSIZE, &limit);
        StreamedFile f;
        if (f.open(target) != WriteResult::Ok) ::_exit(2);
        (void)f.write(std::string(300000, 'z'));
        ::_exit(f.commit() == WriteResult::WriteFailed ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(readFile(target), "old");
    EXPECT_EQ(entries(), 1);
}

}  // namespace
}  // namespace core
