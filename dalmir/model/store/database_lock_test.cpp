#include "dalmir/model/store/database_lock.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "tests/support/test_records.h"

namespace dalmir::model {
namespace {

using testsupport::TempFolder;

TEST(DatabaseLockTest, BothFilesOfAPairShareOneLock) {
    TempFolder files("lock");
    EXPECT_EQ(lockPathOf(files.file("a.dls")), files.file("a.dls.lock"));
    EXPECT_EQ(lockPathOf(files.file("a.DLB")), files.file("a.dlb.lock"));
    EXPECT_EQ(lockPathOf(files.file("a.kix")), files.file("a.dlb.lock"));
}

// A second holder is refused while the first holds the lock (flock refuses another open of the
// lock file even in the same program); moving hands the lock over, releasing frees it.
TEST(DatabaseLockTest, OneHolderAtATime) {
    TempFolder files("lock");
    const std::string db = files.file("a.KIX");
    DatabaseLock first;
    ASSERT_EQ(lockDatabase(db, first, false), LockResult::Ok);
    EXPECT_TRUE(first.isHeld());
    DatabaseLock second;
    EXPECT_EQ(lockDatabase(files.file("a.DLB"), second, false), LockResult::Busy);
    EXPECT_FALSE(second.isHeld());

    DatabaseLock moved(std::move(first));
    EXPECT_FALSE(first.isHeld());  // NOLINT(bugprone-use-after-move): moved-from is empty
    EXPECT_EQ(lockDatabase(db, second, false), LockResult::Busy);
    moved.release();
    EXPECT_EQ(lockDatabase(db, second, false), LockResult::Ok);

    EXPECT_EQ(lockDatabase(files.file("missing/a.dls"), first, true), LockResult::CannotCreate);
}

// No lock file stays behind: releasing removes it, and one who waited on the removed file locks
// the file now at the path, so that two holders never both believe they hold the lock.
TEST(DatabaseLockTest, ReleasingRemovesTheLockFile) {
    TempFolder files("lock");
    const std::string db = files.file("a.dls");
    DatabaseLock first;
    ASSERT_EQ(lockDatabase(db, first, false), LockResult::Ok);
    EXPECT_TRUE(std::filesystem::exists(lockPathOf(db)));
    first.release();
    EXPECT_FALSE(std::filesystem::exists(lockPathOf(db)));

    ASSERT_EQ(lockDatabase(db, first, false), LockResult::Ok);
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        first.release();  // the inherited copy: the parent still holds the lock and its file
        DatabaseLock mine;
        const LockResult r = lockDatabase(db, mine, true);
        mine.release();
        ::_exit(r == LockResult::Ok ? 0 : 3);
    }
    first.release();
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_FALSE(std::filesystem::exists(lockPathOf(db)));
    DatabaseLock again;
    EXPECT_EQ(lockDatabase(db, again, false), LockResult::Ok);
}

// A lock file this user may not write (another user's, in a shared folder) still locks: flock
// works on a descriptor opened for reading. As root the check runs in a child as "nobody".
TEST(DatabaseLockTest, AnotherUsersLockFileStillLocks) {
    TempFolder files("lock");
    ASSERT_EQ(::chmod(files.path().c_str(), 0777), 0);
    const std::string db = files.file("shared.dls");
    // A lock file left behind by another user's program.
    files.writeBytes("shared.dls.lock", "");
    ASSERT_EQ(::chmod(lockPathOf(db).c_str(), 0444), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 && ::setuid(65534) != 0) ::_exit(3);
        if (::access(files.path().c_str(), R_OK | X_OK) != 0) ::_exit(4);  // folder unreachable
        DatabaseLock lock;
        ::_exit(lockDatabase(db, lock, false) == LockResult::Ok && lock.isHeld() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 4) GTEST_SKIP() << "the temporary folder is closed to other users";
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

// Another process waits for the lock: it says so (through a pipe here), gets the lock when the
// holder releases it, and not before.
TEST(DatabaseLockTest, ASecondProcessWaitsForTheHolder) {
    TempFolder files("lock");
    const std::string db = files.file("a.dls");
    DatabaseLock held;
    ASSERT_EQ(lockDatabase(db, held, false), LockResult::Ok);
    int toParent[2];
    ASSERT_EQ(::pipe(toParent), 0);
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::close(toParent[0]);
        // The inherited descriptor shares the parent's lock; closing it here leaves that lock.
        held.release();
        DatabaseLock mine;
        if (lockDatabase(db, mine, false) != LockResult::Busy) ::_exit(2);
        LockResult r = lockDatabase(db, mine, true, [&] { (void)!::write(toParent[1], "w", 1); });
        // Got it: the parent must have released it by now, which it says by closing its end.
        (void)!::write(toParent[1], "g", 1);
        ::_exit(r == LockResult::Ok ? 0 : 3);
    }
    ::close(toParent[1]);
    char c = 0;
    ASSERT_EQ(::read(toParent[0], &c, 1), 1);
    EXPECT_EQ(c, 'w');
    held.release();
    ASSERT_EQ(::read(toParent[0], &c, 1), 1);
    EXPECT_EQ(c, 'g');
    ::close(toParent[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 4) GTEST_SKIP() << "the temporary folder is closed to other users";
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace dalmir::model
