// Test support for Dalmir's window decisions: a DalmirUi that records every message, question,
// dialog, clipboard text, status text, sound, program start, trashed file and redraw in the
// order they came and answers from a script, and a fixture with a database, its lock, 元に戻す,
// the settings and a folder of its own.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "dalmir/logic/app_settings.h"
#include "dalmir/logic/dalmir_ui.h"
#include "dalmir/logic/recent_databases.h"
#include "dalmir/logic/undo.h"
#include "dalmir/model/store/database.h"
#include "dalmir/model/store/database_lock.h"
#include "tests/support/temp_folder.h"

namespace testsupport {
using namespace ::dalmir;

struct RecordingDalmirUi : DalmirUi {
    std::vector<std::string> messages;
    std::vector<std::vector<std::string>> lists;  // of showMessageList; its text is in messages
    std::vector<Question> questions;              // asked and asked later
    std::vector<FileDialogRequest> dialogs;
    std::vector<std::vector<std::string>> started;  // the program, then its arguments
    std::vector<std::string> trashed;
    std::string clipboard;
    std::string status;
    int beeps = 0;
    // Everything in order: "message: T", "ask: T", "ask later: T", "open dialog: TITLE",
    // "save dialog: TITLE", "folder dialog: TITLE", "clipboard", "status: T", "beep",
    // "start: PROGRAM", "trash: PATH", "desktop: PATH", "later: MS", "recent", "list", "state".
    std::vector<std::string> events;

    // Answers to the modal questions in turn; `answer` once they are used up.
    std::deque<Answer> answers;
    Answer answer = Answer::No;
    // The questions asked without waiting, to be answered by the test.
    std::vector<std::function<void(Answer)>> laterAnswers;
    // The paths chosen in the file dialogs in turn; cancelled once they are used up.
    std::deque<std::string> choices;
    bool startsPrograms = true;
    bool trashes = true;
    bool desktopOpens = true;
    // What runLater was given, to be run by the test.
    std::vector<std::function<void()>> later;
    // Background work (saves, openings) runs at once unless held: then it waits in `held` until
    // the test ends it with finishHeld. refusesBackground plays a window where another
    // operation runs.
    bool holdsBackground = false;
    bool refusesBackground = false;
    std::vector<BackgroundJob> held;
    // Cancel may be pressed from another thread (an engine's, in the analysis tests); the
    // status lines of the work are kept.
    struct Host : model::OperationHost {
        std::atomic<bool> cancel{false};
        std::vector<std::string> statuses;
        bool cancelRequested() override { return cancel.load(); }
        void status(std::string_view text) override { statuses.emplace_back(text); }
        // The progress told, done and total.
        std::vector<std::pair<uint64_t, uint64_t>> steps;
        void progress(uint64_t done, uint64_t total) override { steps.emplace_back(done, total); }
    } backgroundHost;

    void showMessage(const std::string& text) override {
        messages.push_back(text);
        events.push_back("message: " + text);
    }
    void showMessageList(const std::string& text, const std::vector<std::string>& lines) override {
        lists.push_back(lines);
        showMessage(text);
    }
    Answer ask(const Question& question) override {
        questions.push_back(question);
        events.push_back("ask: " + question.text);
        if (answers.empty()) return answer;
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    void askLater(const Question& question, std::function<void(Answer)> answerLater) override {
        questions.push_back(question);
        events.push_back("ask later: " + question.text);
        laterAnswers.push_back(std::move(answerLater));
    }
    std::optional<std::string> chooseOpenFile(const FileDialogRequest& request) override {
        events.push_back("open dialog: " + request.title);
        return choose(request);
    }
    std::optional<std::string> chooseSaveFile(const FileDialogRequest& request) override {
        events.push_back("save dialog: " + request.title);
        return choose(request);
    }
    std::optional<std::string> chooseFolder(const std::string& title) override {
        events.push_back("folder dialog: " + title);
        return choose({title, {}});
    }
    std::string clipboardText() override { return clipboard; }
    void setClipboardText(const std::string& text) override {
        clipboard = text;
        events.push_back("clipboard");
    }
    void setStatusText(const std::string& text) override {
        status = text;
        events.push_back("status: " + text);
    }
    void beep() override {
        ++beeps;
        events.push_back("beep");
    }
    bool startProgram(const std::string& program,
                      const std::vector<std::string>& arguments) override {
        events.push_back("start: " + program);
        std::vector<std::string> line{program};
        line.insert(line.end(), arguments.begin(), arguments.end());
        started.push_back(std::move(line));
        return startsPrograms;
    }
    bool moveToTrash(const std::string& path) override {
        events.push_back("trash: " + path);
        if (trashes) trashed.push_back(path);
        return trashes;
    }
    bool openWithDesktop(const std::string& path) override {
        events.push_back("desktop: " + path);
        return desktopOpens;
    }
    void runLater(int ms, std::function<void()> run) override {
        events.push_back("later: " + std::to_string(ms));
        later.push_back(std::move(run));
    }
    void recentFilesChanged() override { events.push_back("recent"); }
    void listReplaced() override { events.push_back("list"); }
    void startAutoUpdate() override { events.push_back("autoUpdate"); }
    void stateChanged() override { events.push_back("state"); }
    void convertToBinary(const std::string& fsTarget) override {
        events.push_back("convert: " + fsTarget);
    }
    bool runInBackground(BackgroundJob job) override {
        if (refusesBackground) return false;
        events.push_back(std::string(job.kind == BackgroundWork::Saving      ? "saving: "
                                     : job.kind == BackgroundWork::Analysing ? "analysing: "
                                                                             : "opening: ") +
                         job.path);
        if (holdsBackground) {
            held.push_back(std::move(job));
        } else {
            run(job, false);
        }
        return true;
    }
    // Runs the first held job to its end, the user having pressed Cancel when cancel.
    void finishHeld(bool cancel = false) {
        ASSERT_FALSE(held.empty());
        BackgroundJob job = std::move(held.front());
        held.erase(held.begin());
        run(job, cancel);
    }
    void rebuildTreeIndex(const std::string& fsPath) override {
        events.push_back("tree index: " + fsPath);
    }

private:
    void run(BackgroundJob& job, bool cancel) {
        backgroundHost.cancel = cancel;
        job.work(backgroundHost);
        backgroundHost.cancel = false;
        job.done();
    }
    std::optional<std::string> choose(const FileDialogRequest& request) {
        dialogs.push_back(request);
        if (choices.empty()) return std::nullopt;
        std::string path = choices.front();
        choices.pop_front();
        return path;
    }
};

class DalmirFixture : public ::testing::Test {
protected:
    // Appends a record whose file is path (stored as given) with one move list.
    int addRecord(const std::string& path, uint8_t marks = 0) {
        model::IndexEntry e;
        e.setText(model::IndexText::Path, path);
        e.marks = marks;
        e.moveCount = 1;
        return db.append(std::move(e), {model::ListMove{77, 76}});
    }
    // Events of a kind only ("message: ", "start: " ...).
    std::vector<std::string> eventsStartingWith(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const auto& e : ui.events) {
            if (e.rfind(prefix, 0) == 0) out.push_back(e.substr(prefix.size()));
        }
        return out;
    }

    TempFolder folder{"dalmir_logic"};
    AppSettings settings;
    model::Database db{100};
    model::DatabaseLock lock;
    UndoKeeper undo;
    RecentDatabases recent;
    RecordingDalmirUi ui;
};

}  // namespace testsupport
