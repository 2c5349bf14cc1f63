#include "tavrel/platform/image_file.h"

#include <QBuffer>
#include <QImageWriter>

#include "core/base/path_text.h"
#include "core/base/safe_file.h"
#include "tavrel/platform/gif_writer.h"

namespace tavrel {

bool saveImageFile(const QImage& image, const std::string& path) {
    if (image.isNull()) return false;
    const std::string ext = core::lowerExtension(path);
    std::string bytes;
    if (ext == "gif") {
        std::optional<std::string> gif = encodeGif(image);
        if (!gif) return false;
        bytes = std::move(*gif);
    } else {
        QByteArray format;
        if (ext == "jpg" || ext == "jpeg") {
            format = "jpeg";
        } else if (ext == "bmp" || ext == "png") {
            format = QByteArray::fromStdString(ext);
        } else {
            return false;
        }
        QByteArray encoded;
        QBuffer buffer(&encoded);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, format);
        if (!writer.write(image)) return false;
        bytes = encoded.toStdString();
    }
    return core::writeFileAtomically(path, bytes) == core::WriteResult::Ok;
}

}  // namespace tavrel
