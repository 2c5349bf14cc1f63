#include "dalmir/app/operation_runner.h"

#include <QApplication>
#include <QFile>
#include <QMetaObject>
#include <QPointer>
#include <algorithm>

#include "dalmir/app/qt_text.h"

namespace dalmir {

OperationRunner::OperationRunner(QObject* parent) : QObject(parent) {}

OperationRunner::~OperationRunner() {
    m_closing = true;
    m_cancel = true;
    {
        std::lock_guard lock(m_questionMutex);
        if (m_pending) {
            m_pending->set_value(-1);
            m_pending.reset();
        }
    }
    if (m_worker.joinable()) m_worker.join();
}

bool OperationRunner::start(Job job, std::function<void()> done) {
    if (m_busy) return false;
    if (m_worker.joinable()) m_worker.join();
    m_busy = true;
    m_cancel = false;
    m_percent = -1;
    m_worker = std::thread([this, job = std::move(job), done = std::move(done)]() mutable {
        job(*this);
        QMetaObject::invokeMethod(
            this,
            [this, done = std::move(done)] {
                if (m_worker.joinable()) m_worker.join();
                m_busy = false;
                if (done) done();
                Q_EMIT finished();
            },
            Qt::QueuedConnection);
    });
    return true;
}

void OperationRunner::status(std::string_view text) {
    QString q = fromUtf8(text);
    QMetaObject::invokeMethod(
        this, [this, q] { Q_EMIT statusChanged(q); }, Qt::QueuedConnection);
}

void OperationRunner::countProgress(int done, int total) {
    QMetaObject::invokeMethod(
        this, [this, done, total] { Q_EMIT progressChanged(done, total); }, Qt::QueuedConnection);
}

bool OperationRunner::cancelRequested() {
    if (m_stepHook) m_stepHook();
    return m_cancel;
}

void OperationRunner::progress(uint64_t done, uint64_t total) {
    if (total == 0) return;
    const int percent = static_cast<int>(std::min<uint64_t>(done, total) * 100 / total);
    // Only a change crosses to the window: a write told every few megabytes stays cheap.
    if (m_percent.exchange(percent) == percent) return;
    QMetaObject::invokeMethod(
        this, [this, percent] { Q_EMIT percentChanged(percent); }, Qt::QueuedConnection);
}

void OperationRunner::message(std::string_view text) {
    QString q = fromUtf8(text);
    QMetaObject::invokeMethod(
        this, [this, q] { Q_EMIT messageShown(q); }, Qt::QueuedConnection);
}

void OperationRunner::beep() {
    QMetaObject::invokeMethod(
        this, [] { QApplication::beep(); }, Qt::QueuedConnection);
}

int OperationRunner::ask(const QString& text, const QStringList& buttons) {
    if (m_closing || !m_asker) return -1;
    std::future<int> answer;
    {
        std::lock_guard lock(m_questionMutex);
        m_pending.emplace();
        answer = m_pending->get_future();
    }
    QMetaObject::invokeMethod(
        this,
        [this, text, buttons] {
            m_asker(text, buttons, [this](int choice) {
                std::lock_guard lock(m_questionMutex);
                if (m_pending) {
                    m_pending->set_value(choice);
                    m_pending.reset();
                }
            });
        },
        Qt::QueuedConnection);
    return answer.get();
}

model::ReadErrorAnswer OperationRunner::askReadError(std::string_view question, bool withEditor) {
    const QString text = fromUtf8(question);
    if (withEditor) {
        const int a = ask(
            text, {QStringLiteral("はい"), QStringLiteral("いいえ"), QStringLiteral("キャンセル")});
        if (a == 0) return model::ReadErrorAnswer::OpenInEditor;
        return a == 2 ? model::ReadErrorAnswer::Stop : model::ReadErrorAnswer::Continue;
    }
    const int a = ask(text, {QStringLiteral("はい"), QStringLiteral("いいえ")});
    return a == 0 ? model::ReadErrorAnswer::Stop : model::ReadErrorAnswer::Continue;
}

void OperationRunner::openInEditor(std::string_view fsPath) {
    Q_EMIT editorRequested(QByteArray(fsPath.data(), static_cast<qsizetype>(fsPath.size())));
}

model::MissingFileAnswer OperationRunner::askDeleteMissing(std::string_view path) {
    const QString text = fromUtf8(path) + QStringLiteral("がありません。削除しますか？");
    const int a = ask(text, {QStringLiteral("削除する"), QStringLiteral("削除しない"),
                             QStringLiteral("全て削除する"), QStringLiteral("全て削除しない")});
    switch (a) {
        case 0:
            return model::MissingFileAnswer::Delete;
        case 2:
            return model::MissingFileAnswer::DeleteAll;
        case 3:
            return model::MissingFileAnswer::KeepAll;
        default:
            return model::MissingFileAnswer::Keep;
    }
}

void OperationRunner::offerErrorLog(std::string_view question, std::string_view /*logPath*/) {
    message(question);
}

bool OperationRunner::askSearchReadError(std::string_view question) {
    return ask(fromUtf8(question), {QStringLiteral("OK"), QStringLiteral("キャンセル")}) == 1;
}

model::DuplicateAnswer OperationRunner::askDuplicate(const model::DuplicatePair& pair,
                                                     bool& deleteFile) {
    const QString text = fromUtf8(pair.firstLine) + QLatin1Char('\n') + fromUtf8(pair.secondLine) +
                         (deleteFile ? QStringLiteral("\n(棋譜もごみ箱に移動します)") : QString());
    const int a =
        ask(text, {QStringLiteral("1 を削除"), QStringLiteral("2 を削除"), QStringLiteral("終了"),
                   QStringLiteral("全て1を削除"), QStringLiteral("全て2を削除"),
                   QStringLiteral("次へ"), QStringLiteral("キャンセル")});
    if (a < 0) return model::DuplicateAnswer::Cancel;
    return static_cast<model::DuplicateAnswer>(a);
}

bool OperationRunner::moveToTrash(std::string_view fsPath, bool confirm) {
    const QString path = fromFsPath(std::string(fsPath));
    if (confirm && ask(path + QStringLiteral(" をごみ箱に移動しますか？"),
                       {QStringLiteral("はい"), QStringLiteral("いいえ")}) != 0) {
        return false;
    }
    return QFile::moveToTrash(path);
}

}  // namespace dalmir
