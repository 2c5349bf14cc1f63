#include "core/ipc/open_database.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <map>

namespace core {
namespace {

struct FakeProbe : OpenDatabaseProbe {
    std::optional<std::string> text;
    std::map<long, uint64_t> running;
    std::optional<std::string> noteText() override { return text; }
    uint64_t startTime(long pid) override {
        auto it = running.find(pid);
        return it == running.end() ? 0 : it->second;
    }
};

TEST(OpenDatabaseNote, ReadsBackWhatWasWrittenPathsWithBlanksAndLineEndsIncluded) {
    for (const std::string path : {"/home/u/db.DLB", "/a b/改行\nあり.dls", ""}) {
        OpenDatabaseNote note{4242, 99, path, false};
        const auto read = parseOpenDatabaseNote(openDatabaseNoteText(note));
        ASSERT_TRUE(read) << path;
        EXPECT_EQ(read->pid, 4242);
        EXPECT_EQ(read->started, 99u);
        EXPECT_EQ(read->path, path);
        EXPECT_FALSE(read->saved);
    }
    for (const char* bad :
         {"", "pid 1\nstarted 2\nsaved 1\n", "pid x\nstarted 2\nsaved 1\npath /a",
          "pid 0\nstarted 2\nsaved 1\npath /a", "pid 1\nstarted 2\nsaved 3\npath /a",
          "started 2\npid 1\nsaved 1\npath /a"}) {
        EXPECT_FALSE(parseOpenDatabaseNote(bad)) << bad;
    }
}

// Only a note whose process still runs, started when the note says, tells of a program.
TEST(OpenDatabaseNote, TheStateIsTheLiveProgramsAndAStaleNoteIsNone) {
    FakeProbe probe;
    EXPECT_EQ(openDatabaseState(probe).program, DatabaseProgram::NotRunning);
    probe.text = openDatabaseNoteText({77, 500, "/d/x.DLB", true});
    EXPECT_EQ(openDatabaseState(probe).program, DatabaseProgram::NotRunning);
    probe.running[77] = 501;  // the pid was taken by another process
    EXPECT_EQ(openDatabaseState(probe).program, DatabaseProgram::NotRunning);
    probe.running[77] = 500;
    OpenDatabaseState s = openDatabaseState(probe);
    EXPECT_EQ(s.program, DatabaseProgram::Open);
    EXPECT_EQ(s.path, "/d/x.DLB");
    EXPECT_TRUE(s.saved);
    probe.text = openDatabaseNoteText({77, 500, "", true});
    EXPECT_EQ(openDatabaseState(probe).program, DatabaseProgram::NoDatabase);
    probe.text = "garbage";
    EXPECT_EQ(openDatabaseState(probe).program, DatabaseProgram::NotRunning);
}

TEST(OpenDatabaseNote, ThisProcessIsFoundRunning) {
    const OpenDatabaseNote me = noteOfThisProcess("/x", true);
    EXPECT_EQ(me.pid, static_cast<long>(::getpid()));
    EXPECT_GT(me.started, 0u);
    EXPECT_EQ(processStartTime(me.pid), me.started);
    EXPECT_EQ(processStartTime(0), 0u);
    EXPECT_EQ(processStartTime(0x7FFFFFF0), 0u);
}

}  // namespace
}  // namespace core
