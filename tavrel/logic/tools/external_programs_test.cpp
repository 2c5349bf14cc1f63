#include "tavrel/logic/tools/external_programs.h"

#include <gtest/gtest.h>

#include <deque>
#include <set>

#include "tavrel/logic/output/copy_commands.h"
#include "tavrel/logic/output/export_test_fixture.h"

namespace tavrel {
namespace {

using testsupport::ExportFixture;

// A system in which servers answer or not, programs start or not, and timers run when the test
// says: every wait is recorded with its length instead of being waited.
struct FakeLink : ProgramLink {
    std::set<std::string> answering;
    bool starts = true;
    // After a start, the started program answers from this look on (0: never).
    int answersFromLook = 0;
    std::string startedServer;
    int looks = 0;
    std::vector<std::string> log;  // "start P", "send S LINE", "wait MS", "waiting on/off"
    std::deque<std::function<void()>> timers;

    bool send(const std::string& server, std::string_view line) override {
        if (server == startedServer && !answering.contains(server)) {
            ++looks;
            if (answersFromLook > 0 && looks >= answersFromLook) answering.insert(server);
        }
        if (!answering.contains(server)) return false;
        log.push_back("send " + server + " " + std::string(line));
        return true;
    }
    bool start(const std::string& program, const std::vector<std::string>& arguments) override {
        std::string entry = "start " + program;
        for (const std::string& a : arguments) entry += " [" + a + "]";
        log.push_back(entry);
        return starts;
    }
    void after(int ms, std::function<void()> then) override {
        log.push_back("wait " + std::to_string(ms));
        timers.push_back(std::move(then));
    }
    void setWaiting(bool waiting) override {
        log.push_back(waiting ? "waiting on" : "waiting off");
    }
    void runTimers() {
        while (!timers.empty()) {
            auto t = std::move(timers.front());
            timers.pop_front();
            t();
        }
    }
};

class ProgramTest : public ExportFixture {
protected:
    ProgramTest() {
        places.dalmir = "/opt/bin/dalmir";
        places.pellam = "/opt/bin/pellam";
        places.dalmirServer = "DalmirClass.7";
        places.pellamServer = "PellamClass.7";
        link.startedServer = places.dalmirServer;
    }
    FakeLink link;
    ProgramStarter starter{doc, link};
    ProgramPlaces places;
};

TEST_F(ProgramTest, ARunningDatabaseIsOnlyShown) {
    link.answering.insert(places.dalmirServer);
    showDatabase(starter, places);
    EXPECT_EQ(link.log, (std::vector<std::string>{"send DalmirClass.7 SHOW"}));
}

TEST_F(ProgramTest, AStartedDatabaseIsLookedForThenSentF4ThenTheRequest) {
    link.answersFromLook = 3;  // the look with the SHOW probe is the first
    load("a.kif");
    std::optional<bool> reached;
    starter.start(places.dalmir, places.dalmirServer, core::DatabaseRequest::SearchPosition,
                  [&](bool r) { reached = r; });
    EXPECT_TRUE(starter.busy());
    link.runTimers();
    EXPECT_EQ(link.log, (std::vector<std::string>{"start /opt/bin/dalmir", "waiting on", "wait 500",
                                                  "wait 500", "send DalmirClass.7 F4", "wait 1000",
                                                  "send DalmirClass.7 SHOW", "waiting off",
                                                  "send DalmirClass.7 F5"}));
    EXPECT_EQ(reached, true);
    EXPECT_FALSE(starter.busy());
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ProgramTest, ADatabaseThatNeverAppearsIsGivenUpSilentlyAfterFiveLooks) {
    std::optional<bool> reached;
    starter.start(places.dalmir, places.dalmirServer, core::DatabaseRequest::RegisterRecord,
                  [&](bool r) { reached = r; });
    link.runTimers();
    EXPECT_EQ(reached, false);
    EXPECT_EQ(std::count(link.log.begin(), link.log.end(), "wait 500"), 5);
    EXPECT_EQ(link.looks, 6);  // the first probe and five looks
    EXPECT_EQ(std::count(link.log.begin(), link.log.end(), "start /opt/bin/dalmir"), 1);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(ui.beeps, 0);
    EXPECT_EQ(link.log.back(), "waiting off");
}

TEST_F(ProgramTest, AStartFailureBeepsAndNamesTheProgram) {
    link.starts = false;
    std::optional<bool> reached;
    showProblemDatabase(starter, places);
    starter.start(places.pellam, places.pellamServer, std::nullopt, [&](bool r) { reached = r; });
    EXPECT_EQ(reached, false);
    EXPECT_EQ(ui.beeps, 2);
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(core::toUtf8Lossy(ui.messages[0].first), "起動に失敗しました。(/opt/bin/pellam)");
    EXPECT_TRUE(link.timers.empty());
}

TEST_F(ProgramTest, ASecondCommandWhileLookingIsIgnored) {
    starter.start(places.dalmir, places.dalmirServer, std::nullopt);
    starter.start(places.dalmir, places.dalmirServer, core::DatabaseRequest::SearchPosition);
    EXPECT_EQ(std::count(link.log.begin(), link.log.end(), "start /opt/bin/dalmir"), 1);
}

TEST_F(ProgramTest, TimersAfterTheStarterIsGoneDoNothing) {
    std::deque<std::function<void()>> pending;
    {
        ProgramStarter shortLived(doc, link);
        shortLived.start(places.dalmir, places.dalmirServer, std::nullopt);
        pending = std::move(link.timers);
    }
    link.answering.insert(places.dalmirServer);
    for (auto& t : pending) t();
    EXPECT_EQ(std::count(link.log.begin(), link.log.end(), "send DalmirClass.7 F4"), 0);
}

TEST_F(ProgramTest, PositionSearchCopiesThePositionFirst) {
    load("a.kif");
    link.answering.insert(places.dalmirServer);
    searchPositionInDatabase(doc, desktop, starter, places);
    ASSERT_TRUE(desktop.clipboard);
    EXPECT_EQ(*desktop.clipboard, productText(doc, CopyProduct::Position));
    EXPECT_EQ(link.log,
              (std::vector<std::string>{"send DalmirClass.7 SHOW", "send DalmirClass.7 F5"}));
    desktop.clipboardWorks = false;
    link.log.clear();
    searchPositionInDatabase(doc, desktop, starter, places);
    EXPECT_TRUE(link.log.empty());
}

TEST_F(ProgramTest, RegistrationPutsThePathOnTheClipboardForAnExistingFileOnly) {
    link.answering.insert(places.dalmirServer);
    EXPECT_FALSE(registerInDatabaseEnabled(doc));  // 新規棋譜
    registerInDatabase(doc, desktop, starter, places);
    EXPECT_TRUE(link.log.empty());

    load("登録.kif");
    EXPECT_TRUE(registerInDatabaseEnabled(doc));
    registerInDatabase(doc, desktop, starter, places);
    EXPECT_EQ(desktop.clipboard, pathToText(path("登録.kif")));
    EXPECT_EQ(link.log.back(), "send DalmirClass.7 1324");

    link.log.clear();
    desktop.clipboardWorks = false;
    registerInDatabase(doc, desktop, starter, places);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(core::toUtf8Lossy(ui.messages[0].first), "クリップボードが使用できません。");
    EXPECT_EQ(core::toUtf8Lossy(ui.messages[0].second), "エラー");
    EXPECT_TRUE(link.log.empty());

    desktop.clipboardWorks = true;
    std::filesystem::remove(path("登録.kif"));
    registerInDatabase(doc, desktop, starter, places);
    EXPECT_TRUE(link.log.empty());
}

TEST(LocateProgramTest, BareNamesAreFoundBesideTheBinaryThenOnThePath) {
    std::set<std::string> executables{"/usr/lib/tavrel/dalmir", "/usr/bin/dalmir", "/b/pellam",
                                      "/home/u/my tool"};
    auto isExecutable = [&](const std::string& p) { return executables.contains(p); };
    const std::string data = "/home/u/.local/share/tavrel/";
    auto locate = [&](const std::string& configured) {
        return locateProgram(configured, data, "/usr/lib/tavrel", "/a:/usr/bin::/b", isExecutable);
    };
    EXPECT_EQ(locate(data + "dalmir"), "/usr/lib/tavrel/dalmir");  // made absolute at start-up
    EXPECT_EQ(locate("dalmir"), "/usr/lib/tavrel/dalmir");
    EXPECT_EQ(locate("pellam"), "/b/pellam");
    EXPECT_EQ(locate("/home/u/my tool"), "/home/u/my tool");
    EXPECT_EQ(locate("/elsewhere/dalmir"), "/elsewhere/dalmir");  // the user's own path stays
    EXPECT_EQ(locate("nowhere"), "nowhere");
    EXPECT_EQ(locate(""), "");
}

TEST(ToolTemplateTest, TemplatesExpandToTheirParameters) {
    ToolContext context;
    context.recordPath = "/home/u/棋譜/a b.kif";
    context.ply = 37;
    context.programFolder = "/opt/tavrel/";
    struct Case {
        const char* argumentTemplate;
        const char* parameters;
    };
    for (const Case& c : {
             Case{"\"%K\"", "\"/home/u/棋譜/a b.kif\""},
             Case{"\"%k\" +%N", "\"/home/u/棋譜/a b.kif\" +37"},
             Case{"+%n", "+37"},
             Case{"%D%d", "/opt/tavrel//opt/tavrel/"},
             Case{"100%%", "100%"},
             Case{"a%xb", "ab"},
             Case{"end%", "end"},
             Case{"%表示", "示"},  // a two-byte character after '%' goes whole
             Case{"", ""},
         }) {
        EXPECT_EQ(core::toUtf8Lossy(expandToolArguments(std::string(c.argumentTemplate), context)),
                  c.parameters)
            << c.argumentTemplate;
    }
}

TEST(ToolTemplateTest, ParametersAreCutToTheirCapacityOnACharacter) {
    ToolContext context;
    std::string longTemplate = "x";
    for (int i = 0; i < 600; ++i) longTemplate += std::string("表");
    const std::string out = expandToolArguments(longTemplate, context);
    EXPECT_EQ(core::cp932Width(out), 1023u);  // "x" and 511 two-byte characters
    EXPECT_TRUE(core::isValidUtf8(out));
}

TEST(ToolArgumentsTest, ParametersSplitAsAShellUserExpects) {
    struct Case {
        const char* parameters;
        std::vector<std::string> arguments;
    };
    for (const Case& c : {
             Case{"\"/home/u/a b.kif\" +37", {"/home/u/a b.kif", "+37"}},
             Case{"  one   two\tthree ", {"one", "two", "three"}},
             Case{"'single \"kept\"' x", {"single \"kept\"", "x"}},
             Case{"a\\ b c", {"a b", "c"}},
             Case{"\"say \\\"hi\\\" \\n\"", {"say \"hi\" \\n"}},
             Case{"\"\" x", {"", "x"}},
             Case{"pre\"fix mid\"post", {"prefix midpost"}},
             Case{"表 能", {"表", "能"}},  // trail byte 0x5C is no backslash
             Case{"\"unclosed text", {"unclosed text"}},
             Case{"", {}},
         }) {
        std::vector<std::string> got;
        for (const std::string& a : splitArguments(std::string(c.parameters))) {
            got.push_back(core::toUtf8Lossy(a));
        }
        EXPECT_EQ(got, c.arguments) << c.parameters;
    }
}

TEST_F(ProgramTest, ToolEntriesNeedAProgramAndARecordFileWhenTheTemplateAsksForIt) {
    // The defaults: 1 opens the record in the editor, 3 to 5 are empty.
    EXPECT_FALSE(toolEnabled(settings, 0, false));
    EXPECT_TRUE(toolEnabled(settings, 0, true));
    EXPECT_FALSE(toolEnabled(settings, 2, true));
    settings.tools[2] = ToolEntry{"", "calc", "%N"};
    EXPECT_TRUE(toolEnabled(settings, 2, false));
    settings.tools[2].arguments = "-f %k";
    EXPECT_FALSE(toolEnabled(settings, 2, false));
    EXPECT_FALSE(toolEnabled(settings, 5, true));
    EXPECT_EQ(core::toUtf8Lossy(toolMenuLabel(settings, 0)), "棋譜ファイルをエディタで開く(&1)");
    settings.tools[4].menu.clear();
    EXPECT_EQ(core::toUtf8Lossy(toolMenuLabel(settings, 4)), "ツールメニュー5(&5)");
}

TEST_F(ProgramTest, RunningAToolStartsItsProgramWithTheSplitParameters) {
    load("a b.kif");
    ToolContext context{doc.recordPath(), 37, "/opt/tavrel/"};
    EXPECT_TRUE(runTool(doc, link, 1, context));
    EXPECT_EQ(link.log.back(), "start kestrin8 [" + path("a b.kif") + "] [+37]");

    link.starts = false;
    EXPECT_FALSE(runTool(doc, link, 1, context));
    EXPECT_EQ(ui.beeps, 1);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(core::toUtf8Lossy(ui.messages[0].first),
              "起動に失敗しました。(kestrin8 \"" + path("a b.kif") + "\" +37)");

    // A new record cannot give its path: the entry does nothing.
    doc.setNewRecordNames();
    link.log.clear();
    EXPECT_FALSE(runTool(doc, link, 0, context));
    EXPECT_TRUE(link.log.empty());
}

// The template is split before the values go in: a record path with quotes and blanks is one
// argument, whatever it holds, and a template without quotes around %K works as well.
TEST(ToolArgumentsTest, ValuesNeverAddArguments) {
    const ToolContext context{"/r/a\" --injected \"b.kif", 5, "/opt/t a/"};
    EXPECT_EQ(toolArguments("\"%K\" +%N", context),
              (std::vector<std::string>{"/r/a\" --injected \"b.kif", "+5"}));
    EXPECT_EQ(toolArguments("%K --dir=%D", context),
              (std::vector<std::string>{"/r/a\" --injected \"b.kif", "--dir=/opt/t a/"}));
    EXPECT_EQ(toolArguments("'%K' 100%% x%%K", context),
              (std::vector<std::string>{"/r/a\" --injected \"b.kif", "100%", "x%K"}));
    const ToolContext quoted{"/r/it's here.kif", 0, "/opt/"};
    EXPECT_EQ(toolArguments("%k", quoted), (std::vector<std::string>{"/r/it's here.kif"}));
    EXPECT_EQ(toolArguments("", quoted), (std::vector<std::string>{}));
}

TEST(EditorToolTest, ListFilesOpenInToolOneOrTheDesktopsProgram) {
    FakeLink link;
    Settings settings;
    settings.tools[0].command = "mousepad";
    settings.tools[0].arguments = "--line 1 \"%K\"";
    EXPECT_TRUE(openInEditorTool(settings, link, "/opt/t a/しおり.txt", "/opt/t a"));
    EXPECT_EQ(link.log.back(), "start mousepad [--line] [1] [/opt/t a/しおり.txt]");

    // A tool 1 that takes no file, or none at all: the desktop's program for the file.
    settings.tools[0].arguments = "--new-window";
    EXPECT_TRUE(openInEditorTool(settings, link, "/opt/l.txt", "/opt"));
    EXPECT_EQ(link.log.back(), "start xdg-open [/opt/l.txt]");
    settings.tools[0].command.clear();
    link.starts = false;
    EXPECT_FALSE(openInEditorTool(settings, link, "/opt/l.txt", "/opt"));
}

}  // namespace
}  // namespace tavrel
