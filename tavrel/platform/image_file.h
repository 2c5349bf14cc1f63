// Writing a picture as an image file, the format chosen by the file's extension: GIF through
// giflib, JPEG, BMP and PNG through QImageWriter. The bytes are written crash-safe, so a failed
// save leaves no partial file and an existing one as it was.
#pragma once

#include <QImage>
#include <string>

namespace tavrel {

// false when the extension names no format, the encoder fails or the file cannot be written.
[[nodiscard]] bool saveImageFile(const QImage& image, const std::string& path);

}  // namespace tavrel
