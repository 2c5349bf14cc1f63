// Test support for the templated texts: a game with every header field the templates read, a
// store read from KIF lines, an expander over a fixed clock, and the errors it reported.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/formats/kif_reader.h"
#include "core/templates/template_expander.h"
#include "core/text/sjis.h"

namespace testsupport {
using namespace ::core;

// A game with every header field the templates read: 1.７六歩 2.３四歩 3.２二角成 4.同銀
// 5.５五角打 (Black holds the captured bishop) 6.投了, a comment on move 1, a variation 2.８四歩.
inline const std::vector<std::string> kGame = {
    "開始日時：2013/02/01(金) 10:00",
    "終了日時：2013/02/01 18:30",
    "表題：第1局",
    "棋戦：名人戦",
    "戦型：角換わり",
    "持ち時間：各6時間",
    "場所：東京",
    "掲載：新聞",
    "作者：某氏",
    "発表誌：月刊誌",
    "受賞：大賞",
    "相手アドレス：hanako@example.jp",
    "先手：先手太郎",
    "後手：後手花子",
    "手数----指手---------消費時間--",
    "   1 ７六歩(77)   ( 0:10/00:00:10)",
    "*初手のコメント",
    "   2 ３四歩(33)   ( 0:20/00:00:20)",
    "   3 ２二角成(88) ( 0:05/00:00:15)",
    "   4 同　銀(31)   ( 0:03/00:00:23)",
    "   5 ５五角打     ( 0:01/00:00:16)",
    "   6 投了         ( 0:02/00:00:25)",
    "",
    "変化：2手",
    "   2 ８四歩(83)   ( 0:01/00:00:11)",
};

class Recorder {
public:
    std::vector<std::pair<std::string, std::string>> errors;
    void operator()(std::string_view caption, std::string_view text) {
        errors.emplace_back(toUtf8Lossy(caption), toUtf8Lossy(text));
    }
};

class TemplateTest : public ::testing::Test {
protected:
    TemplateTest() {
        readOptions.userKeys[4] = std::string("相手アドレス");
        env.recordName = "game";
        env.recordFileName = "game.kif";
        env.recordFolder = "/home/u/kifu/";
        env.recordPath = "/home/u/kifu/game.kif";
        env.programFolder = "/opt/tavrel/";
        env.documentsFolder = "/home/u/Documents";
        env.desktopFolder = "/home/u/Desktop/";
        env.picturesFolder = "/home/u/Pictures";
    }

    void load(const std::vector<std::string>& lines) {
        std::string text;
        for (const auto& l : lines) text += std::string(l) + "\r\n";
        ReadReport report = readRecordLines(store, text, readOptions);
        ASSERT_EQ(report.result, ReadResult::Ok) << toUtf8Lossy(store.readingError());
    }
    void go(int ply) { ASSERT_EQ(store.goToPly(ply), EditResult::Ok); }

    std::string expand(const std::string& utf8, TemplateContext context) {
        return toUtf8Lossy(expander.expand(std::string(utf8), context));
    }

    int ticks = 0;
    LocalDateTime now{2013, 2, 1, 9, 5, 7};
    RecordStore store{200};
    ReadOptions readOptions;
    TextOutputOptions options;
    TemplateEnvironment env;
    DateTimeSnapshot snapshot{[this] {
        ++ticks;
        return now;
    }};
    Recorder recorder;
    TemplateExpander expander{store, options, env, snapshot,
                              [this](std::string_view c, std::string_view t) { recorder(c, t); }};
};

}  // namespace testsupport
