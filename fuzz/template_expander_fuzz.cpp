// The "%" template expander on any template in every context, over a few fixed records (an even
// game with every header field, variations and comments; a handicap game; a diagram start) at
// several moves. The first input byte picks the context, the second the record and the move; the
// rest is the template. Each context's product built on the expansion runs too.
#include <array>
#include <vector>

#include "core/formats/kif_reader.h"
#include "core/templates/text_exports.h"
#include "core/text/sjis.h"
#include "fuzz/fuzz_support.h"

namespace {

std::string kifLines(const std::vector<std::string>& utf8) {
    std::string text;
    for (const std::string& line : utf8) text += std::string(line) + "\r\n";
    return text;
}

const std::array<std::string, 3>& recordTexts() {
    static const std::array<std::string, 3> texts = {
        kifLines({"開始日時：2013/02/01(金) 10:00",
                  "終了日時：2013/02/01 18:30",
                  "表題：第1局",
                  "棋戦：名人戦",
                  "戦型：角換わり",
                  "持ち時間：各6時間",
                  "場所：東京",
                  "掲載：新聞",
                  "作者：某氏",
                  "発表誌：月刊誌",
                  "相手アドレス：hanako@example.jp",
                  "先手：先手太郎",
                  "後手：後手花子",
                  "手数----指手---------消費時間--",
                  "*開始局面のコメント",
                  "   1 ７六歩(77)   ( 0:10/00:00:10)",
                  "*初手のコメント",
                  "&しおり",
                  "   2 ３四歩(33)   ( 0:20/00:00:20)",
                  "   3 ２二角成(88) ( 0:05/00:00:15)",
                  "   4 同　銀(31)   ( 0:03/00:00:23)",
                  "   5 ５五角打     ( 0:01/00:00:16)",
                  "   6 投了         ( 0:02/00:00:25)",
                  "",
                  "変化：2手",
                  "   2 ８四歩(83)   ( 0:01/00:00:11)"}),
        kifLines({"手合割：香落ち", "下手：下手", "上手：上手", "   1 ３四歩(33)",
                  "   2 ７六歩(77)", "   3 中断"}),
        kifLines({"後手の持駒：飛　角　金四　銀四　桂四　香四　歩十八",
                  "  ９ ８ ７ ６ ５ ４ ３ ２ １", "+---------------------------+",
                  "| ・ ・ ・ ・ ・ ・ ・v玉 ・|一", "| ・ ・ ・ ・ ・ ・ ・ ・ ・|二",
                  "| ・ ・ ・ ・ ・ ・ ・ 金 ・|三", "| ・ ・ ・ ・ ・ ・ ・ ・ ・|四",
                  "| ・ ・ ・ ・ ・ ・ ・ ・ ・|五", "| ・ ・ ・ ・ ・ ・ ・ ・ ・|六",
                  "| ・ ・ ・ ・ ・ ・ ・ ・ ・|七", "| ・ ・ ・ ・ ・ ・ ・ ・ ・|八",
                  "| ・ ・ ・ ・ ・ ・ ・ ・ ・|九", "+---------------------------+",
                  "先手の持駒：なし", "作者：某氏", "   1 ２二金(23)", "   2 詰み"}),
    };
    return texts;
}

// Counts what a drawing back end would be handed.
class CountingSink : public core::TemplateSink {
public:
    std::size_t bytes = 0;
    void text(std::string_view cp932) override { bytes += cp932.size(); }
    void lineBreak() override { ++bytes; }
    void block(core::TemplateBlock) override { ++bytes; }
    void centreRest() override { ++bytes; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size < 2) return -1;
    static std::array<core::RecordStore, 3> stores;
    static const bool loaded = [] {
        for (std::size_t i = 0; i < stores.size(); ++i) {
            core::ReadOptions options;
            options.userKeys[4] = std::string("相手アドレス");
            const core::ReadReport r = core::readRecordLines(stores[i], recordTexts()[i], options);
            fuzz::require(r.result == core::ReadResult::Ok, "a fixed record does not read");
        }
        return true;
    }();
    (void)loaded;

    const auto context = static_cast<core::TemplateContext>(data[0] % core::kTemplateContextCount);
    core::RecordStore& store = stores[data[1] % stores.size()];
    (void)store.goToPly((data[1] >> 2) % 8);
    const std::string_view tpl = fuzz::bytesOf(data + 2, size - 2);

    core::TextOutputOptions options = fuzz::cachedOutputOptions(data[1] >> 4);
    core::TemplateEnvironment environment;
    environment.recordName = "game";
    environment.recordFileName = "game.kif";
    environment.recordFolder = "/fuzz/kifu/";
    environment.recordPath = "/fuzz/kifu/game.kif";
    environment.programFolder = "/fuzz/program/";
    environment.currentFolder = "/fuzz/missing/";
    core::DateTimeSnapshot snapshot([] { return core::LocalDateTime{2013, 2, 1, 9, 5, 7}; });
    std::size_t errors = 0;
    core::TemplateExpander expander(store, options, environment, snapshot,
                                    [&](std::string_view, std::string_view) { ++errors; });

    CountingSink sink;
    expander.expand(tpl, context, sink);
    if (!core::contextRule(context).print) (void)expander.expand(tpl, context);

    switch (context) {
        case core::TemplateContext::InfoLine:
            fuzz::require(core::informationLine(expander, tpl).size() >= 20, "short info line");
            break;
        case core::TemplateContext::PositionFile:
        case core::TemplateContext::PositionClipboard:
            options.positionTemplate = std::string(tpl);
            (void)core::positionFileText(expander);
            (void)core::positionClipboardText(expander, true);
            (void)core::positionHtmlText(expander);
            (void)core::variationDiagramText(expander, options.variationTree);
            break;
        case core::TemplateContext::EnglishBoard:
            options.englishTemplate = std::string(tpl);
            (void)core::englishPositionText(expander);
            break;
        case core::TemplateContext::MailLink:
        case core::TemplateContext::SimpleMail: {
            options.mailRecipient = std::string(tpl);
            options.mailSubject = std::string(tpl);
            options.mailBody = std::string(tpl);
            const core::MailTexts texts = core::mailTexts(expander, context);
            (void)core::mailLinkUrl(texts);
            break;
        }
        case core::TemplateContext::ImageName:
            options.imageNameTemplate = std::string(tpl);
            fuzz::require(core::imageFileName(expander).size() <= 1023, "image name too long");
            break;
        case core::TemplateContext::ToolCommand:
            (void)core::toolArguments(expander, tpl);
            break;
        default:
            break;
    }
    return 0;
}
