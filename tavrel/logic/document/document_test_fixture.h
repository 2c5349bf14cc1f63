// Test support for the document and the commands over it: a user interface that records every
// message, question, dialog, status text, sound and redraw in the order they came and answers
// from a script, and a document over a record, settings and a folder of its own.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/text/sjis.h"
#include "tavrel/logic/document/document.h"
#include "tests/support/temp_folder.h"

namespace testsupport {
using namespace ::tavrel;

struct RecordingUi : DocumentUi {
    std::vector<std::pair<std::string, std::string>> messages;  // text, caption
    std::vector<std::string> questions;
    std::vector<std::string> defaultNoQuestions;  // also in questions
    std::vector<std::vector<std::string>> lists;  // of showMessageList; its text is in messages
    std::vector<FileDialogRequest> dialogs;       // Open and Save As
    std::vector<std::string> desktopFiles;
    std::string status;
    int beeps = 0;
    int changes = 0;
    int pieceSounds = 0;
    std::vector<AnimatedMove> animations;
    // Everything in order, as UTF-8: "message: T", "ask: T", "dialog: TITLE", "status: T",
    // "beep", "desktop: PATH", "changed", "piece", "animate", "save game: NAME".
    std::vector<std::string> events;

    // Answers to the questions in turn; `answer` once they are used up.
    std::deque<Answer> answers;
    Answer answer = Answer::No;
    // The buttons chosen in the dialog "棋譜の保存" in turn; 保存しない once they are used up.
    std::deque<GameSaveChoice> gameSaveChoices;
    // The names chosen in the dialogs in turn; cancelled once they are used up.
    std::deque<FileChoice> choices;
    std::optional<std::string> clipboard;
    bool desktopOpens = true;

    void showMessage(const std::string& text, const std::string& caption) override {
        messages.emplace_back(text, caption);
        events.push_back("message: " + core::toUtf8Lossy(text));
    }
    Answer ask(const std::string& text, const std::string&, bool) override {
        questions.push_back(text);
        events.push_back("ask: " + core::toUtf8Lossy(text));
        if (answers.empty()) return answer;
        Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    Answer askDefaultNo(const std::string& text, const std::string& caption) override {
        defaultNoQuestions.push_back(text);
        return ask(text, caption, false);
    }
    void showMessageList(const std::string& text, const std::string& caption,
                         const std::vector<std::string>& lines) override {
        lists.push_back(lines);
        showMessage(text, caption);
    }
    GameSaveChoice askGameSave(const std::string& recordName) override {
        events.push_back("save game: " + core::toUtf8Lossy(recordName));
        if (gameSaveChoices.empty()) return GameSaveChoice::DontSave;
        GameSaveChoice c = gameSaveChoices.front();
        gameSaveChoices.pop_front();
        return c;
    }
    std::optional<FileChoice> chooseOpenFile(const FileDialogRequest& request) override {
        return chooseSaveFile(request);
    }
    std::optional<FileChoice> chooseSaveFile(const FileDialogRequest& request) override {
        dialogs.push_back(request);
        events.push_back("dialog: " + core::toUtf8Lossy(request.title));
        if (choices.empty()) return std::nullopt;
        FileChoice c = choices.front();
        choices.pop_front();
        return c;
    }
    std::optional<std::string> clipboardText() override { return clipboard; }
    void setStatusText(const std::string& text) override {
        status = text;
        if (!text.empty()) events.push_back("status: " + core::toUtf8Lossy(text));
    }
    void beep() override {
        ++beeps;
        events.push_back("beep");
    }
    void setBusy(bool) override {}
    bool openWithDesktop(const std::string& path) override {
        desktopFiles.push_back(path);
        events.push_back("desktop: " + path);
        return desktopOpens;
    }
    void documentChanged() override {
        ++changes;
        events.push_back("changed");
    }
    void pieceSound() override {
        ++pieceSounds;
        events.push_back("piece");
    }
    void animateMove(const AnimatedMove& move) override {
        animations.push_back(move);
        events.push_back("animate");
    }
};

// A record with two moves ending with 中断.
inline const char* const kSampleRecord =
    "開始日時：2026/12/01\r\n棋戦：見本対局\r\n手合割：平手\r\n先手：先手の人\r\n後手：後手の人\r\n"
    "手数----指手---------消費時間--\r\n"
    "   1 ７六歩(77)   ( 0:03/00:00:03)\r\n   2 ３四歩(33)   ( 0:02/00:00:02)\r\n"
    "   3 中断         ( 0:00/00:00:03)\r\n";

class DocumentFixture : public ::testing::Test {
protected:
    std::string write(const std::string& name, const std::string& bytes) {
        std::string path = (dir / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    std::string path(const std::string& name) const { return (dir / name).string(); }

    testsupport::TempFolder tempFolder;
    std::filesystem::path dir = tempFolder.path();
    core::RecordStore store;
    Settings settings;
    RecordingUi ui;
    Document doc{store, settings, ui};
};

}  // namespace testsupport
