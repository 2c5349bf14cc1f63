#include "tavrel/platform/desktop_mail.h"

#include <QDesktopServices>
#include <QFile>
#include <QProcess>
#include <QUrl>

#include "core/text/sjis.h"

namespace tavrel {

namespace {
QString text(const std::string& cp932) { return QString::fromStdString(core::toUtf8Lossy(cp932)); }
}  // namespace

bool openDesktopUrl(const std::string& cp932Url) {
    const QUrl url(text(cp932Url), QUrl::TolerantMode);
    if (!url.isValid()) return false;
    return QDesktopServices::openUrl(url);
}

QStringList xdgEmailArguments(const MailMessage& mail) {
    QStringList args;
    args << QStringLiteral("--utf8");
    if (!mail.subject.empty()) args << QStringLiteral("--subject") << text(mail.subject);
    if (!mail.body.empty()) args << QStringLiteral("--body") << text(mail.body);
    args << QStringLiteral("--attach")
         << QFile::decodeName(QByteArray::fromStdString(mail.attachment));
    if (!mail.recipient.empty()) args << text(mail.recipient);
    return args;
}

bool composeDesktopMail(const MailMessage& mail) {
    return QProcess::startDetached(QStringLiteral("xdg-email"), xdgEmailArguments(mail));
}

}  // namespace tavrel
