// The clipboard copies of the Edit menu: the one wrapper every text copy goes through (each
// product's size limit and status message, the two failure messages) and the builders of the
// products from the current record. Texts are UTF-8 with CR LF line ends.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "core/templates/text_output_options.h"
#include "tavrel/logic/document/document.h"
#include "tavrel/logic/output/export_ui.h"

namespace tavrel {

enum class CopyProduct : std::uint8_t {
    Kif,               // 時間付き（KIF形式）
    KifLine,           // 現在の変化だけ(KIF形式)
    Ki2,               // 時間無し（KI2形式）
    Ki2Line,           // 現在の変化だけ(KI2形式)
    EnglishRecord,     // 棋譜のコピー: 英語表記
    Position,          // 局面: 通常
    PositionHtml,      // 局面: 等幅タグ付き
    EnglishPosition,   // 局面: 英語表記
    Mail1,             // メールのコピー(1)
    Mail2,             // メールのコピー(2)
    DharmaWin,         // the dharma/Win exchange record
    VariationDiagram,  // 棋譜の変化図コピー
    Short,             // a single short string; no status message
};

// The largest text a product may hand to the clipboard, its terminating NUL included.
std::size_t copyBufferSize(CopyProduct product);
// The status text after a successful copy (empty for Short).
std::string copiedMessage(CopyProduct product);

enum class [[nodiscard]] CopyResult : int{
    Ok = 0,
    OutOfMemory = -1,    // larger than the product's buffer: "メモリ不足です。"
    ClipboardBusy = -2,  // "クリップボードが使用できません。"
    Cancelled = 1,       // a dialog before the copy was cancelled; nothing happened
};

// The copy wrapper: checks the size, sets the clipboard, shows the product's status message, or
// shows the failure dialog (captioned errorCaption, the program's name when empty). Nothing is
// copied on failure.
CopyResult copyText(DocumentUi& ui, ExportUi& clipboard, CopyProduct product,
                    std::string_view cp932, const std::string& errorCaption = {});

// The text of a product for the document's record as it is shown (VariationDiagram with the
// settings' 棋譜ツリー values). Template errors are shown as they come.
std::string productText(Document& doc, CopyProduct product);

// Builds and copies a product.
CopyResult copyProduct(Document& doc, ExportUi& clipboard, CopyProduct product);

// The four values of 棋譜ツリー as kept in the settings, and back.
core::VariationTreeOptions variationTreeOptions(const Settings& settings);
void storeVariationTreeOptions(Settings& settings, const core::VariationTreeOptions& tree);

// 棋譜の変化図コピー after its dialog: chosen is nullopt when the dialog was cancelled (nothing
// happens); otherwise the values are stored in the settings and the diagram is copied.
CopyResult copyVariationDiagram(Document& doc, ExportUi& clipboard,
                                const std::optional<core::VariationTreeOptions>& chosen);

// The messages.
std::string msgOutOfMemory();    // "メモリ不足です。"
std::string msgClipboardBusy();  // "クリップボードが使用できません。"

}  // namespace tavrel
