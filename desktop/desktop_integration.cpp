#include "desktop/desktop_integration.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <utility>
#include <vector>

#include "core/base/safe_file.h"
#include "desktop/qt_text.h"

namespace desktop {

namespace {

// The packaged files, built into the program from resources/.
const QString kPackaged = QStringLiteral(":/packaged/");
const QString kMimePackage = QStringLiteral("tavrel.xml");

QByteArray packaged(const QString& name) {
    QFile f(kPackaged + name);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

// An argument of an Exec line: quoted when it holds a reserved character, with '"', '`', '$'
// and '\' escaped inside the quotes; then '\' doubled and '%' doubled as the key's value needs.
QString execArgument(const QString& argument) {
    static const QRegularExpression reserved(QStringLiteral("[\\s\"'\\\\><~|&;$*?#()`]"));
    QString quoted = argument;
    if (quoted.contains(reserved)) {
        QString inner;
        for (QChar c : argument) {
            if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') inner += u'\\';
            inner += c;
        }
        quoted = u'"' + inner + u'"';
    }
    quoted.replace(u'\\', QStringLiteral("\\\\"));
    quoted.replace(u'%', QStringLiteral("%%"));
    return quoted;
}

// Whether a file can be made in folder: the folder, or the nearest folder above it that exists,
// is a writable folder.
bool canWriteInto(const QString& folder) {
    QFileInfo info(folder);
    while (!info.exists()) {
        QString parent = info.absolutePath();
        if (parent == info.absoluteFilePath()) return false;
        info = QFileInfo(parent);
    }
    return info.isDir() && info.isWritable();
}

struct Target {
    QString path;
    QByteArray bytes;
    bool executable = false;
};

// All or nothing: every folder is checked before the first write, and the files already written
// are removed when a later one fails.
DesktopResult writeTargets(const std::vector<Target>& targets) {
    DesktopResult result;
    for (const Target& t : targets) {
        QString folder = QFileInfo(t.path).absolutePath();
        if (t.bytes.isEmpty() || !canWriteInto(folder)) {
            result.ok = false;
            result.failedPath = t.bytes.isEmpty() ? t.path : folder;
            return result;
        }
    }
    for (const Target& t : targets) {
        QString folder = QFileInfo(t.path).absolutePath();
        bool ok = QDir().mkpath(folder) &&
                  core::writeFileAtomically(
                      fsPath(t.path), std::string_view(t.bytes.constData(), t.bytes.size())) ==
                      core::WriteResult::Ok;
        if (ok && t.executable) {
            ok = QFile::setPermissions(t.path, QFile::permissions(t.path) | QFile::ExeOwner |
                                                   QFile::ExeUser | QFile::ExeGroup |
                                                   QFile::ExeOther);
        }
        if (!ok) {
            for (const QString& done : std::as_const(result.written)) QFile::remove(done);
            result.written.clear();
            result.ok = false;
            result.failedPath = t.path;
            return result;
        }
        result.written << t.path;
    }
    return result;
}

QString desktopFileName(const DesktopApp& app) { return app.id + QStringLiteral(".desktop"); }

}  // namespace

QIcon programIcon(const QString& id) {
    const QString path = kPackaged + QStringLiteral("icons/") + id + QStringLiteral(".svg");
    if (!QFile::exists(path)) return QIcon();
    return QIcon(path);
}

QString xdgDataHome() {
    QString home = qEnvironmentVariable("XDG_DATA_HOME");
    if (QDir::isAbsolutePath(home)) return QDir::cleanPath(home);
    return QDir::homePath() + QStringLiteral("/.local/share");
}

QString desktopEntryText(const DesktopApp& app) {
    QString text = QString::fromUtf8(packaged(QStringLiteral("desktop/") + desktopFileName(app)));
    QStringList lines = text.split(u'\n');
    for (QString& line : lines) {
        // Every Exec line (the entry's and its actions') starts this very program and keeps its
        // own arguments.
        if (line.startsWith(QStringLiteral("Exec="))) {
            const qsizetype blank = line.indexOf(u' ');
            const QString arguments = blank < 0 ? QString() : line.mid(blank);
            line = QStringLiteral("Exec=") + execArgument(app.executable) + arguments;
        }
    }
    return lines.join(u'\n');
}

QStringList desktopEntryMimeTypes(const DesktopApp& app) {
    for (const QString& line : desktopEntryText(app).split(u'\n')) {
        if (line.startsWith(QStringLiteral("MimeType="))) {
            return line.mid(9).split(u';', Qt::SkipEmptyParts);
        }
    }
    return {};
}

DesktopResult installFileAssociations(const DesktopApp& app, const QString& dataHome) {
    std::vector<Target> targets{
        {dataHome + QStringLiteral("/mime/packages/") + kMimePackage,
         packaged(QStringLiteral("mime/") + kMimePackage)},
        {dataHome + QStringLiteral("/applications/") + desktopFileName(app),
         desktopEntryText(app).toUtf8()},
        {dataHome + QStringLiteral("/icons/hicolor/scalable/apps/") + app.id +
             QStringLiteral(".svg"),
         packaged(QStringLiteral("icons/") + app.id + QStringLiteral(".svg"))},
    };
    return writeTargets(targets);
}

DesktopResult createDesktopShortcut(const DesktopApp& app, const QString& desktopFolder) {
    return writeTargets(
        {{desktopFolder + u'/' + desktopFileName(app), desktopEntryText(app).toUtf8(), true}});
}

QList<QStringList> desktopRefreshCommands(const DesktopApp& app, const QString& dataHome,
                                          const std::function<QString(const QString&)>& find) {
    QList<QStringList> commands;
    auto add = [&](const QString& program, QStringList arguments) {
        QString found = find(program);
        if (found.isEmpty()) return;
        arguments.prepend(found);
        commands << arguments;
    };
    add(QStringLiteral("update-mime-database"), {dataHome + QStringLiteral("/mime")});
    add(QStringLiteral("update-desktop-database"), {dataHome + QStringLiteral("/applications")});
    QStringList types = desktopEntryMimeTypes(app);
    if (!types.isEmpty()) {
        add(QStringLiteral("xdg-mime"),
            QStringList{QStringLiteral("default"), desktopFileName(app)} + types);
    }
    return commands;
}

void startDesktopCommands(const QList<QStringList>& commands) {
    for (const QStringList& c : commands) {
        if (!c.isEmpty()) QProcess::startDetached(c.first(), c.mid(1));
    }
}

DesktopResult registerFileTypes(const DesktopApp& app, const QString& dataHome, bool runTools) {
    DesktopResult r = installFileAssociations(app, dataHome);
    if (r.ok && runTools) {
        startDesktopCommands(desktopRefreshCommands(
            app, dataHome, [](const QString& p) { return QStandardPaths::findExecutable(p); }));
    }
    return r;
}

}  // namespace desktop
