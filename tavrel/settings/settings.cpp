#include "tavrel/settings/settings.h"

#include "core/text/sjis.h"

namespace tavrel {

namespace {

FontSetting font(std::string_view faceUtf8, int height) {
    return FontSetting{core::sjis(faceUtf8), height, false, false};
}

}  // namespace

Settings::Settings()
    : coordinateFont(font("ＭＳ 明朝", -12)),
      informationFont(font("ＭＳ ゴシック", -13)),
      commentFont(font("ＭＳ ゴシック", -12)),
      statusFont(font("ＭＳ Ｐゴシック", -13)),
      recordFont(font("ＭＳ ゴシック", -13)),
      infoFormats{"%g", "%i", ""},
      problemInfoFormats{core::sjis("作者：%/3"), core::sjis("発表：%/4"), core::sjis("作品：%/2")},
      saveNameTemplate("%G%b4%w4"),
      databaseProgram("dalmir"),
      problemDatabaseProgram("pellam"),
      tools{ToolEntry{core::sjis("棋譜ファイルをエディタで開く"), "xdg-open", "\"%K\""},
            ToolEntry{core::sjis("棋譜をKestrinで開く"), "kestrin8", "\"%K\" +%N"},
            ToolEntry{core::sjis("ツール3"), "", ""}, ToolEntry{core::sjis("ツール4"), "", ""},
            ToolEntry{core::sjis("ツール5"), "", ""}},
      printPositionFormat(core::sjis("印刷：%y %t%c%c%f%c&C【%o第%n手%Aまで】%c%d%*")),
      printRecordFormat(core::sjis("印刷：%y %t%c%cファイル：%F%c%K")),
      printFont(font("ＭＳ ゴシック", -21)),
      imageNameFormat(core::sjis("%M%f%N手.gif")),
      printHandFont(font("ＭＳ ゴシック", -19)),
      userInfoNames{"", "", "", "", core::sjis("相手アドレス")},
      diagramFormat(core::sjis("%d手数＝%n  %A  まで%c%*")),
      englishDiagramFormat("%dup to %n.%l.%c"),
      mailForm1(core::sjis("題名：第%n手、%Pに%Lです。%c%D")),
      mailForm2(core::sjis("題名：第%n手、%Pに%Lです。%c%D%c%K")),
      mailAppendName("PAD"),
      internetMailTo("%5"),
      internetMailSubject(core::sjis("第%n手、%Pに%Lです。")),
      internetMailBody(core::sjis("%Oさん、こんにちは。%C%C%D")) {}

}  // namespace tavrel
