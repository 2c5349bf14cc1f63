#include "tavrel/logic/output/copy_commands.h"

#include "core/formats/ki2_writer.h"
#include "core/formats/kif_writer.h"
#include "core/templates/english_exports.h"
#include "core/templates/position_text.h"
#include "core/templates/template_expander.h"
#include "core/templates/text_exports.h"
#include "core/text/message_format.h"
#include "core/text/sjis.h"
#include "core/text/translation.h"
#include "tavrel/logic/output/export_text.h"
#include "tavrel/settings/engine_options.h"

namespace tavrel {

namespace {

// Products whose builder has no buffer of its own get one this large.
constexpr std::size_t kLargeBuffer = 16u * 1024u * 1024u;

}  // namespace

std::string msgOutOfMemory() { return std::string(core::translate("メモリ不足です。")); }
std::string msgClipboardBusy() {
    return std::string(core::translate("クリップボードが使用できません。"));
}

std::size_t copyBufferSize(CopyProduct product) {
    switch (product) {
        case CopyProduct::Position:
        case CopyProduct::PositionHtml:
            return 40960;
        case CopyProduct::DharmaWin:
            return 204800;
        case CopyProduct::VariationDiagram:
            return 1048576;
        case CopyProduct::Short:
            return 512;
        default:
            return kLargeBuffer;
    }
}

std::string copiedMessage(CopyProduct product) {
    switch (product) {
        case CopyProduct::Kif:
            return core::msgKifCopied(false);
        case CopyProduct::KifLine:
            return core::msgKifCopied(true);
        case CopyProduct::Ki2:
            return core::msgKi2Copied(core::Ki2ClipboardMode::Whole);
        case CopyProduct::Ki2Line:
            return core::msgKi2Copied(core::Ki2ClipboardMode::CurrentLine);
        case CopyProduct::EnglishRecord:
            return std::string(core::translate("クリップボードへ英語表記棋譜を出力しました。"));
        case CopyProduct::Position:
        case CopyProduct::PositionHtml:
            return std::string(core::translate("クリップボードへ盤面を出力しました。"));
        case CopyProduct::EnglishPosition:
            return std::string(core::translate("クリップボードへ英語表記局面を出力しました。"));
        case CopyProduct::Mail1:
            return std::string(core::translate("クリップボードへメール(1)を出力しました。"));
        case CopyProduct::Mail2:
            return std::string(core::translate("クリップボードへメール(2)を出力しました。"));
        case CopyProduct::DharmaWin:
            return std::string(
                core::translate("クリップボードへ棋譜(dharma/Win用)を出力しました。"));
        case CopyProduct::VariationDiagram:
            return std::string(core::translate("クリップボードへ棋譜の変化図を出力しました。"));
        case CopyProduct::Short:
            break;
    }
    return {};
}

CopyResult copyText(DocumentUi& ui, ExportUi& clipboard, CopyProduct product,
                    std::string_view cp932, const std::string& errorCaption) {
    const std::string caption = errorCaption.empty() ? programCaption() : errorCaption;
    if (cp932.size() + 1 > copyBufferSize(product)) {
        ui.showMessage(msgOutOfMemory(), programCaption());
        return CopyResult::OutOfMemory;
    }
    if (!clipboard.setClipboardText(std::string(cp932))) {
        ui.showMessage(msgClipboardBusy(), caption);
        return CopyResult::ClipboardBusy;
    }
    std::string message = copiedMessage(product);
    if (!message.empty()) ui.setStatusText(message);
    return CopyResult::Ok;
}

std::string productText(Document& doc, CopyProduct product) {
    const core::RecordStore& store = doc.store();
    ExportExpander ex(doc);
    core::TemplateExpander& expander = ex.expander();
    const core::RecordWriteOptions& writer = ex.options().writer;
    switch (product) {
        case CopyProduct::Kif:
            return core::kifClipboardText(store, false, writer);
        case CopyProduct::KifLine:
            return core::kifClipboardText(store, true, writer);
        case CopyProduct::Ki2:
            return core::ki2ClipboardText(store, core::Ki2ClipboardMode::Whole, writer);
        case CopyProduct::Ki2Line:
            return core::ki2ClipboardText(store, core::Ki2ClipboardMode::CurrentLine, writer);
        case CopyProduct::EnglishRecord:
            return core::englishRecordText(store, ex.options());
        case CopyProduct::Position:
            return core::positionClipboardText(expander, false);
        case CopyProduct::PositionHtml:
            return core::positionHtmlText(expander);
        case CopyProduct::EnglishPosition:
            return core::englishPositionText(expander);
        case CopyProduct::Mail1:
            return expander.expand(ex.options().mailTemplate1,
                                   core::TemplateContext::MailClipboard);
        case CopyProduct::Mail2:
            return expander.expand(ex.options().mailTemplate2,
                                   core::TemplateContext::MailClipboard);
        case CopyProduct::DharmaWin:
            return core::dharmaWinText(store);
        case CopyProduct::VariationDiagram: {
            DocumentUi& ui = doc.ui();
            return core::variationDiagramText(
                expander, ex.options().variationTree, [&ui](int alternative) {
                    ui.setStatusText(core::formatMessageUtf8(core::translate("変化図出力中... %d"),
                                                             {std::to_string(alternative)}));
                });
        }
        case CopyProduct::Short:
            break;
    }
    return {};
}

CopyResult copyProduct(Document& doc, ExportUi& clipboard, CopyProduct product) {
    const bool slow = product == CopyProduct::VariationDiagram;
    if (slow) doc.ui().setBusy(true);
    std::string text = productText(doc, product);
    if (slow) doc.ui().setBusy(false);
    return copyText(doc.ui(), clipboard, product, text);
}

core::VariationTreeOptions variationTreeOptions(const Settings& settings) {
    core::VariationTreeOptions tree;
    tree.maxDepth = settings.recordTree[0];
    tree.compact = settings.recordTree[1] != 0;
    tree.columnWidth = settings.recordTree[2];
    tree.compactColumnWidth = settings.recordTree[3];
    return tree;
}

void storeVariationTreeOptions(Settings& settings, const core::VariationTreeOptions& tree) {
    settings.recordTree = {tree.maxDepth, tree.compact ? 1 : 0, tree.columnWidth,
                           tree.compactColumnWidth};
}

CopyResult copyVariationDiagram(Document& doc, ExportUi& clipboard,
                                const std::optional<core::VariationTreeOptions>& chosen) {
    if (!chosen) return CopyResult::Cancelled;
    storeVariationTreeOptions(doc.settings(), *chosen);
    return copyProduct(doc, clipboard, CopyProduct::VariationDiagram);
}

}  // namespace tavrel
