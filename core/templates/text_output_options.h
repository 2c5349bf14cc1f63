// The settings the templated texts follow (position texts, English notation, information lines,
// mail, print headers, image names, the variation diagram). The viewer fills them from its
// settings object; the member initialisers are the defaults of a fresh environment file.
#pragma once

#include <array>
#include <string>

#include "core/formats/record_writer_options.h"
#include "core/notation/notation.h"
#include "core/text/sjis.h"

namespace core {

// "外字使用": where the user-defined side marks replace "▲", "△" and "▽".
enum class GlyphTarget : std::uint8_t { Display = 0, File = 1, Clipboard = 2, Printing = 3 };

// "英語棋譜形式": how the English record numbers its moves. A settings code: as wide as the
// number a settings file may hold, so that any value is kept as read.
enum class EnglishNumbering : int { Chess = 0, Shogi = 1, None = 2 };

// "棋譜ツリー": the variation diagram's four values.
struct VariationTreeOptions {
    int maxDepth = 10;     // moves written below the current one, at most
    bool compact = false;  // destinations as two ASCII digits
    int columnWidth = 10;  // column of a move with compact off
    int compactColumnWidth = 8;

    int width() const { return compact ? compactColumnWidth : columnWidth; }
};

struct TextOutputOptions {
    // "指し手表記": 0 origin form with "▲"/"△", 1 with "▲"/"▽", 2 traditional form with
    // "▲"/"△", 3 with "▲"/"▽".
    int moveStyle = 2;
    // "ルール確認": without it the traditional styles show the origin form.
    bool ruleCheck = true;
    // "外字使用": display, file, clipboard, printing (index by GlyphTarget).
    std::array<bool, 4> userMarks{};
    // "棋譜竜表記", "棋譜最終手の打".
    NotationOptions notation;
    // Header keys, comment wrapping and the KI2 layout of the record texts that templates insert.
    RecordWriteOptions writer;

    // "盤面書式"
    std::string positionTemplate = std::string("%d手数＝%n  %A  まで%c%*");
    // "情報表示書式1".."3" and the mating-problem set "情報表示書式詰1".."3".
    std::array<std::string, 3> infoTemplates{"%g", "%i", ""};
    std::array<std::string, 3> problemInfoTemplates{
        std::string("作者：%/3"), std::string("発表：%/4"), std::string("作品：%/2")};

    // "英語盤面書式", "英語棋譜形式", "英語カラム".
    std::string englishTemplate = "%dup to %n.%l.%c";
    EnglishNumbering englishNumbering = EnglishNumbering::Chess;
    int englishColumns = 8;

    // "メール書式１", "メール書式２", "Iメール宛先", "Iメール件名", "Iメール本文".
    std::string mailTemplate1 = std::string("題名：第%n手、%Pに%Lです。%c%D");
    std::string mailTemplate2 = std::string("題名：第%n手、%Pに%Lです。%c%D%c%K");
    std::string mailRecipient = "%5";
    std::string mailSubject = std::string("第%n手、%Pに%Lです。");
    std::string mailBody = std::string("%Oさん、こんにちは。%C%C%D");

    // "印刷盤面書式", "印刷棋譜書式".
    std::string printPositionTemplate =
        std::string("印刷：%y %t%c%c%f%c&C【%o第%n手%Aまで】%c%d%*");
    std::string printRecordTemplate = std::string("印刷：%y %t%c%cファイル：%F%c%K");

    // "画像ファイル名書式"
    std::string imageNameTemplate = std::string("%M%f%N手.gif");

    // "棋譜ツリー"
    VariationTreeOptions variationTree;

    bool userMarksFor(GlyphTarget t) const { return userMarks[static_cast<std::size_t>(t)]; }
};

}  // namespace core
