// Conversions between the programs' texts (UTF-8), the file system's paths (bytes, UTF-8) and
// Qt's strings.
#pragma once

#include <QFile>
#include <QString>
#include <string>
#include <string_view>

#include "core/text/translation.h"

namespace desktop {

// Program text (UTF-8) to a QString and back. A byte that is no UTF-8 shows as U+FFFD.
inline QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
inline std::string toUtf8(const QString& text) { return text.toStdString(); }
// A program text (written in Japanese) in the language the program runs in, for a widget.
inline QString translated(const char* japanese) {
    return QString::fromUtf8(core::translate(japanese));
}
inline std::string fsPath(const QString& path) { return QFile::encodeName(path).toStdString(); }
inline QString fromFsPath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

}  // namespace desktop
