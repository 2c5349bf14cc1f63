#include "tavrel/settings/settings.h"

#include "core/text/sjis.h"

namespace tavrel {

namespace {

FontSetting font(std::string_view faceUtf8, int height) {
    return FontSetting{std::string(faceUtf8), height, false, false};
}

}  // namespace

Settings::Settings()
    : coordinateFont(font("ＭＳ 明朝", -12)),
      informationFont(font("ＭＳ ゴシック", -13)),
      commentFont(font("ＭＳ ゴシック", -12)),
      statusFont(font("ＭＳ Ｐゴシック", -13)),
      recordFont(font("ＭＳ ゴシック", -13)),
      infoFormats{"%g", "%i", ""},
      problemInfoFormats{std::string("作者：%/3"), std::string("発表：%/4"),
                         std::string("作品：%/2")},
      saveNameTemplate("%G%b4%w4"),
      databaseProgram("dalmir"),
      problemDatabaseProgram("pellam"),
      tools{ToolEntry{std::string("棋譜ファイルをエディタで開く"), "xdg-open", "\"%K\""},
            ToolEntry{std::string("棋譜をKestrinで開く"), "kestrin8", "\"%K\" +%N"},
            ToolEntry{std::string("ツール3"), "", ""}, ToolEntry{std::string("ツール4"), "", ""},
            ToolEntry{std::string("ツール5"), "", ""}},
      printPositionFormat(std::string("印刷：%y %t%c%c%f%c&C【%o第%n手%Aまで】%c%d%*")),
      printRecordFormat(std::string("印刷：%y %t%c%cファイル：%F%c%K")),
      printFont(font("ＭＳ ゴシック", -21)),
      imageNameFormat(std::string("%M%f%N手.gif")),
      printHandFont(font("ＭＳ ゴシック", -19)),
      userInfoNames{"", "", "", "", std::string("相手アドレス")},
      diagramFormat(std::string("%d手数＝%n  %A  まで%c%*")),
      englishDiagramFormat("%dup to %n.%l.%c"),
      mailForm1(std::string("題名：第%n手、%Pに%Lです。%c%D")),
      mailForm2(std::string("題名：第%n手、%Pに%Lです。%c%D%c%K")),
      mailAppendName("PAD"),
      internetMailTo("%5"),
      internetMailSubject(std::string("第%n手、%Pに%Lです。")),
      internetMailBody(std::string("%Oさん、こんにちは。%C%C%D")) {}

}  // namespace tavrel
