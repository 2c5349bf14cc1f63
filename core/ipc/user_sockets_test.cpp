#include "core/ipc/user_sockets.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "tests/support/temp_folder.h"

namespace core {
namespace {

namespace fs = std::filesystem;

// The runtime folder is taken only when it is the user's own and closed to others; otherwise the
// fallback folder is made private, and one that another user made first is refused.
TEST(UserSocketsTest, OnlyAFolderOfTheUsersOwnClosedToOthers) {
    testsupport::TempFolder base("sockets");
    const unsigned me = static_cast<unsigned>(::getuid());
    const std::string runtime = base.file("run");
    fs::create_directory(runtime);
    ::chmod(runtime.c_str(), 0700);
    EXPECT_EQ(userSocketFolder(me, runtime.c_str(), base.path()), runtime);

    const std::string fallback = base.file("tavrel-" + std::to_string(me));
    ::chmod(runtime.c_str(), 0755);  // open to others: not safe
    EXPECT_EQ(userSocketFolder(me, runtime.c_str(), base.path()), fallback);
    EXPECT_EQ(fs::status(fallback).permissions() & fs::perms::all, fs::perms::owner_all);
    EXPECT_EQ(userSocketFolder(me, "relative/run", base.path()), fallback);
    EXPECT_EQ(userSocketFolder(me, nullptr, base.path()), fallback);

    // A fallback someone opened, or a link in its place, is not used.
    ::chmod(fallback.c_str(), 0777);
    EXPECT_EQ(userSocketFolder(me, nullptr, base.path()), std::nullopt);
    fs::remove(fallback);
    fs::create_directory_symlink(runtime, fallback);
    EXPECT_EQ(userSocketFolder(me, nullptr, base.path()), std::nullopt);
    fs::remove(fallback);

    // Another user's folder (only root can make one here).
    if (::geteuid() == 0) {
        fs::create_directory(fallback);
        ::chmod(fallback.c_str(), 0700);
        ASSERT_EQ(::chown(fallback.c_str(), 65534, 65534), 0);
        EXPECT_EQ(userSocketFolder(me, nullptr, base.path()), std::nullopt);
        EXPECT_FALSE(ownedByUser(fallback, me));
    }
    EXPECT_TRUE(ownedByUser(runtime, me));
    EXPECT_FALSE(ownedByUser(base.file("missing"), me));
}

}  // namespace
}  // namespace core
