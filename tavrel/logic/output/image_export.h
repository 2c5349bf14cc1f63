// Saving a picture of the main view: the proposed name from "画像ファイル名書式", the save
// dialog's filters with their preselection and extension rules, the part of the view captured
// (the print preview without its top band, trimmed, in two levels) and the messages. The window
// captures and encodes; this decides.
#pragma once

#include <optional>
#include <string>

#include "tavrel/logic/document/document.h"
#include "tavrel/logic/output/export_ui.h"

namespace tavrel {

// The save dialog's filters, numbered from 1 in the dialog's order.
enum class ImageFormat : std::uint8_t { Gif = 1, Jpeg = 2, Bmp = 3, Png = 4 };

// "GIF形式(*.gif)" ... "PNG形式(*.png)", in dialog order.
std::vector<std::string> imageFilterTexts();
// ".gif", ".jpg", ".bmp", ".png".
const char* imageExtension(ImageFormat format);
// The format an extension names (lower case compared; "jpeg" is not one); nullopt for others.
std::optional<ImageFormat> imageFormatOfExtension(const std::string& path);

// The filter preselected for a proposed name: the one of its extension, GIF for any other
// extension, the remembered one (GIF when none) for a name without extension.
ImageFormat preselectedImageFilter(const std::string& proposed,
                                   std::optional<ImageFormat> remembered);
// The chosen name with the filter's extension appended unless it already ends with it.
std::string withImageExtension(const std::string& path, ImageFormat format);

// The proposed name: "画像ファイル名書式" expanded (the file system's bytes).
std::string proposedImagePath(Document& doc, const DesktopFolders& folders);

// The part of the main view's client area a picture takes, and how.
struct ImageCapture {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool twoLevel = false;  // one bit per pixel
};
// The height of the band above the previewed page that is never saved.
inline constexpr int kPreviewBand = 20;
// In the print preview: the client area below the band, only the trimming area with
// "トリミングあり", two levels with "ビットマップ２値"; otherwise the whole client area. The area
// is clipped to the client area (an empty area gives width or height 0).
ImageCapture imageCapture(ViewerMode mode, const Settings& settings, int clientWidth,
                          int clientHeight);

// "画像ファイル(%s)を出力しました。" to the status line, or
// "画像ファイル(%s)の保存に失敗しました。".
void reportImageSaved(DocumentUi& ui, const std::string& path, bool ok);

// The save dialog request for a proposed path, with its preselected filter.
FileDialogRequest imageDialogRequest(const std::string& proposed,
                                     std::optional<ImageFormat> remembered);

// 画像の保存(&G)...: proposes the template name, shows the dialog (the last filter chosen is
// remembered), applies the extension rule and asks before replacing a file. The path to save,
// or nullopt when the user cancelled.
std::optional<std::string> chooseImagePath(Document& doc, const DesktopFolders& folders,
                                           std::optional<ImageFormat>& remembered);

}  // namespace tavrel
