// 棋譜の合成: the record on the clipboard joins the current one as further variations, provided
// both start from the same position. The document's paste replaces the record instead.
#pragma once

#include <optional>
#include <string>

#include "tavrel/logic/document/document.h"

namespace tavrel {

// Merges clipboard text (nullopt when the clipboard has no text) into the record:
// the save question (with 棋譜保存確認), the start of the record shown, the start check
// ("手合が違います。", "手番が違います。", "開始局面が違います。": the record is left exactly as
// it was), then the text's moves are added, moves already there reused. Success marks the
// record modified and says "クリップボードから棋譜を読み込み、合成しました。". Refused while
// playing or editing a position. Shows its own message; returns Cancelled when the user said no
// to the save question.
CommandResult mergeFromClipboard(Document& doc, const std::optional<std::string>& text);

}  // namespace tavrel
