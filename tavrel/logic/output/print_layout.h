// The printed pages' arithmetic and texts, free of any device: lengths in millimetres turned into
// device pixels, the line height, the centring of "&C", the printed record's lines with their
// move columns, and the record form's sheets, result line and time totals. The painter in the
// app layer draws what this computes, on a printer, a PDF file, the preview or an image.
#pragma once

#include <string>
#include <vector>

#include "core/record/record_store.h"
#include "core/templates/text_output_options.h"
#include "tavrel/settings/settings.h"

namespace tavrel {

// Millimetres at dots per inch (25.4 mm to the inch), rounded to the nearest pixel.
int mmToPixels(double mm, double dpi);
// The page units of the layout: 0.01 inch. m millimetres are m·100/25.4 units.
double mmToUnits(double mm);

// Line height in pixels: font height and external leading, plus 印刷行間隔 (tenths of a mm).
int printLineHeight(int fontHeight, int leading, int spacingTenthsMm, double dpiY);

// "&C": where the rest of a line of textWidth starts so that it is centred over the span
// [left, left + width); never left of `left` when the text is wider.
int centredStart(int left, int width, int textWidth);

// What the printed record ("%k", "%K") shows.
struct PrintRecordOptions {
    int columns = 6;          // 印刷棋譜カラム: moves per line
    bool comments = true;     // 棋譜コメント印刷
    bool withHeader = false;  // "%K": header lines and player names
};
PrintRecordOptions printRecordOptions(const Settings& settings, bool withHeader);

// The bytes each printed move's slot takes.
inline constexpr std::size_t kPrintSlotBytes = 12;

// The printed record's lines (no line ends): the header (with withHeader), an empty line,
// the start comment, the main line in columns with its comments and result line, then every
// variation under its "変化：%d手" line.
std::vector<std::string> printedRecordLines(const core::RecordStore& store,
                                            const core::TextOutputOptions& text,
                                            const PrintRecordOptions& options);

// ---- The record form (棋譜用紙) ----

inline constexpr int kFormRows = 26;
inline constexpr int kFormColumnPairs = 6;
inline constexpr int kFormMovesPerSheet = kFormRows * kFormColumnPairs;  // 156

// The sheets a main line of n moves needs (at least one).
int formSheetCount(int moves);
// The main line's real moves (no terminal entry).
int mainLineMoves(const core::RecordStore& store);
// The form's result line: "　　　%3d手で先手の勝ち" and the other endings, or "手数　　　%3d手　".
std::string formResultLine(const core::RecordStore& store);
// 消費時間 of one side (0 Black, 1 White): "%d時間%02d分" from the recorded times, or the part of
// the "消費時間" field after that side's mark when no time is recorded.
std::string formTimeUsed(const core::RecordStore& store, int side);
// "Page %d / %d", or empty for a one-sheet record.
std::string formPageCaption(int sheet, int sheets);

}  // namespace tavrel
