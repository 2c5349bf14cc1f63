#include "tavrel/logic/output/image_export.h"

#include <algorithm>
#include <filesystem>

#include "core/base/path_text.h"
#include "core/templates/template_expander.h"
#include "core/text/message_format.h"
#include "core/text/sjis.h"
#include "core/text/translation.h"
#include "tavrel/logic/document/file_rules.h"
#include "tavrel/logic/output/export_text.h"

namespace tavrel {

std::vector<std::string> imageFilterTexts() {
    return {std::string(core::translate("GIF形式(*.gif)")),
            std::string(core::translate("JPEG形式(*.jpg)")),
            std::string(core::translate("BMP形式(*.bmp)")),
            std::string(core::translate("PNG形式(*.png)"))};
}

const char* imageExtension(ImageFormat format) {
    switch (format) {
        case ImageFormat::Jpeg:
            return ".jpg";
        case ImageFormat::Bmp:
            return ".bmp";
        case ImageFormat::Png:
            return ".png";
        case ImageFormat::Gif:
            break;
    }
    return ".gif";
}

std::optional<ImageFormat> imageFormatOfExtension(const std::string& path) {
    const std::string ext = core::lowerExtension(path);
    if (ext == "gif") return ImageFormat::Gif;
    if (ext == "jpg") return ImageFormat::Jpeg;
    if (ext == "bmp") return ImageFormat::Bmp;
    if (ext == "png") return ImageFormat::Png;
    return std::nullopt;
}

ImageFormat preselectedImageFilter(const std::string& proposed,
                                   std::optional<ImageFormat> remembered) {
    if (core::lowerExtension(proposed).empty()) return remembered.value_or(ImageFormat::Gif);
    return imageFormatOfExtension(proposed).value_or(ImageFormat::Gif);
}

std::string withImageExtension(const std::string& path, ImageFormat format) {
    if (imageFormatOfExtension(path) == format) return path;
    return path + imageExtension(format);
}

std::string proposedImagePath(Document& doc, const DesktopFolders& folders) {
    ExportExpander ex(doc, folders);
    // A record never saved has no name to put in a file name.
    if (hasNoFile(doc.recordName())) {
        ex.environment().recordName.clear();
        ex.environment().recordFileName.clear();
        ex.environment().recordPath.clear();
    }
    return textToPath(core::imageFileName(ex.expander()));
}

ImageCapture imageCapture(ViewerMode mode, const Settings& settings, int clientWidth,
                          int clientHeight) {
    ImageCapture c;
    c.width = std::max(clientWidth, 0);
    c.height = std::max(clientHeight, 0);
    if (mode != ViewerMode::PrintPreview) return c;
    int left = 0;
    int top = kPreviewBand;
    int right = clientWidth;
    int bottom = clientHeight;
    if (settings.cropImages != 0) {
        const CropRect& r = settings.cropRect;
        left = std::max(left, r.left);
        top = std::max(top, r.top);
        right = std::min(right, r.right);
        bottom = std::min(bottom, r.bottom);
    }
    c.left = left;
    c.top = top;
    c.width = std::max(right - left, 0);
    c.height = std::max(bottom - top, 0);
    c.twoLevel = settings.previewTwoColour != 0;
    return c;
}

void reportImageSaved(DocumentUi& ui, const std::string& path, bool ok) {
    const std::string shown = pathToText(path);
    if (ok) {
        ui.setStatusText(
            core::formatMessageUtf8(core::translate("画像ファイル(%s)を出力しました。"), {shown}));
    } else {
        ui.showMessage(core::formatMessageUtf8(
                           core::translate("画像ファイル(%s)の保存に失敗しました。"), {shown}),
                       programCaption());
    }
}

FileDialogRequest imageDialogRequest(const std::string& proposed,
                                     std::optional<ImageFormat> remembered) {
    FileDialogRequest r;
    r.title = std::string(core::translate("画像の保存"));
    r.folder = std::string(core::folderOf(proposed));
    r.name = std::string(core::fileNameOf(proposed));
    r.filters = imageFilterTexts();
    r.selected = static_cast<int>(preselectedImageFilter(proposed, remembered)) - 1;
    return r;
}

std::optional<std::string> chooseImagePath(Document& doc, const DesktopFolders& folders,
                                           std::optional<ImageFormat>& remembered) {
    const std::string proposed = proposedImagePath(doc, folders);
    std::optional<FileChoice> choice =
        doc.ui().chooseSaveFile(imageDialogRequest(proposed, remembered));
    if (!choice || choice->path.empty()) return std::nullopt;
    const ImageFormat format = choice->filter >= 0 && choice->filter < 4
                                   ? static_cast<ImageFormat>(choice->filter + 1)
                                   : preselectedImageFilter(choice->path, remembered);
    remembered = format;
    std::string path = withImageExtension(choice->path, format);
    std::error_code ec;
    if (std::filesystem::exists(path, ec)) {
        std::string question = core::formatMessageUtf8(
            core::translate("%s は既に存在します。\n上書きしますか？"), {pathToText(path)});
        if (doc.ui().ask(question, std::string(core::translate("画像の保存")), false) !=
            Answer::Yes) {
            return std::nullopt;
        }
    }
    return path;
}

}  // namespace tavrel
