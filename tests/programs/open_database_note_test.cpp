// The viewer's tree pane learning which database the database program has open, over the real
// note the program keeps: none yet, one opened, another one opened, the window gone.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <filesystem>

#include "core/ipc/open_database.h"
#include "dalmir/app/main_window.h"
#include "dalmir/app/qt_text.h"
#include "dalmir/model/store/database.h"
#include "tavrel/logic/tree/dalmir_source.h"
#include "tests/support/qt_application.h"
#include "tests/support/temp_folder.h"

namespace {

std::string writeDatabase(const std::string& file) {
    dalmir::model::Database db;
    db.reset(true);
    dalmir::model::IndexEntry e;
    e.setText(dalmir::model::IndexText::Path, "/nowhere/1.KIF");
    EXPECT_GE(db.append(std::move(e), {{77, 76}, {33, 34}}), 0);
    EXPECT_EQ(dalmir::model::saveDatabase(db, file), core::WriteResult::Ok);
    return file;
}

TEST(OpenDatabaseNoteBetweenThePrograms, TheViewerFollowsTheDatabaseWindow) {
    testsupport::ensureQApplication();
    testsupport::TempFolder folder;
    const std::string first = writeDatabase(folder.file("first.dlb"));
    const std::string second = writeDatabase(folder.file("second.dlb"));
    const std::string note = core::openDatabaseNotePath(folder.path());
    core::NoteFileProbe probe(note, static_cast<unsigned>(::getuid()));
    tavrel::DalmirFollower follow;
    auto step = [&] {
        return follow.refresh(core::openDatabaseState(probe),
                              static_cast<int64_t>(std::filesystem::file_size(first)));
    };
    EXPECT_EQ(core::openDatabaseState(probe).program, core::DatabaseProgram::NotRunning);
    {
        dalmir::AppSettings settings;
        dalmir::DalmirContext context;
        context.settings = &settings;
        context.quiet = true;
        dalmir::MainWindow window(context);
        window.publishOpenDatabase(note);
        EXPECT_EQ(core::openDatabaseState(probe).program, core::DatabaseProgram::NoDatabase);
        EXPECT_EQ(std::filesystem::status(note).permissions() & std::filesystem::perms::all,
                  std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);

        ASSERT_TRUE(window.openFile(dalmir::fromFsPath(first)));
        core::OpenDatabaseState state = core::openDatabaseState(probe);
        EXPECT_EQ(state.program, core::DatabaseProgram::Open);
        // A binary database is known by its index file, which the pane opens as well.
        const std::string firstIndex = std::filesystem::path(first).replace_extension(".kix");
        const std::string secondIndex = std::filesystem::path(second).replace_extension(".kix");
        EXPECT_EQ(state.path, firstIndex);
        EXPECT_TRUE(state.saved);
        EXPECT_EQ(step().open, firstIndex);

        EXPECT_EQ(step().open, std::nullopt);

        ASSERT_TRUE(window.openFile(dalmir::fromFsPath(second)));
        EXPECT_EQ(core::openDatabaseState(probe).path, secondIndex);
        EXPECT_EQ(step().open, secondIndex);
    }
    // The window went: its note with it.
    EXPECT_FALSE(std::filesystem::exists(note));
    EXPECT_EQ(core::openDatabaseState(probe).program, core::DatabaseProgram::NotRunning);
}

}  // namespace
