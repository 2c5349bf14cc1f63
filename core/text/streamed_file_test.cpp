#include "core/text/streamed_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <string>

namespace core {
namespace {

namespace fs = std::filesystem;

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
