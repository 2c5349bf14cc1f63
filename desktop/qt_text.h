// Conversions between the engine's texts (CP932), the file system's paths (bytes, UTF-8) and
// Qt's strings.
#pragma once

#include <QFile>
#include <QString>
#include <string>
#include <string_view>

#include "core/text/sjis.h"

namespace desktop {

inline QString fromCp932(std::string_view text) {
    return QString::fromStdString(core::toUtf8Lossy(text));
}
inline std::string toCp932(const QString& text) { return core::sjis(text.toStdString()); }
inline QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
inline std::string fsPath(const QString& path) { return QFile::encodeName(path).toStdString(); }
inline QString fromFsPath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

}  // namespace desktop
