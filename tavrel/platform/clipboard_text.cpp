#include "tavrel/platform/clipboard_text.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "core/text/sjis.h"

namespace tavrel {

std::optional<std::string> clipboardText() {
    QClipboard* clip = QGuiApplication::clipboard();
    if (!clip) return std::nullopt;
    const QMimeData* data = clip->mimeData();
    if (!data || !data->hasText()) return std::nullopt;
    QString text = data->text();
    if (text.isEmpty()) return std::nullopt;
    return text.toStdString();
}

bool setClipboardText(const std::string& cp932) {
    QClipboard* clip = QGuiApplication::clipboard();
    if (!clip) return false;
    clip->setText(QString::fromStdString(core::toUtf8Lossy(cp932)));
    return true;
}

}  // namespace tavrel
