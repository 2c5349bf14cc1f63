// Runs one long database operation (adding, updating, searching, statistics, duplicates) on a
// worker thread and is its OperationHost: progress texts and messages go to the window through
// queued calls, the cancel flag is an atomic the window sets, and a question waits on the
// worker while the window shows it without blocking and answers when the user does.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <future>
#include <mutex>
#include <optional>
#include <thread>

#include "dalmir/model/table/operation_host.h"

namespace dalmir {

class OperationRunner : public QObject, public model::OperationHost {
    Q_OBJECT
public:
    using Job = std::function<void(model::OperationHost&)>;
    // Shows a question (text, button texts) and calls answer with the button's index, or -1
    // when the question was closed. Runs on the GUI thread and must not block.
    using Asker = std::function<void(const QString&, const QStringList&, std::function<void(int)>)>;

    explicit OperationRunner(QObject* parent = nullptr);
    ~OperationRunner() override;

    void setAsker(Asker asker) { m_asker = std::move(asker); }
    // Tests: runs on the worker each time the operation polls the cancel flag.
    void setStepHook(std::function<void()> hook) { m_stepHook = std::move(hook); }

    // Starts job on the worker; done runs on the GUI thread when it ends. False when an
    // operation runs already.
    bool start(Job job, std::function<void()> done);
    bool isBusy() const { return m_busy; }
    // Sets the cancel flag; safe from any thread.
    void cancel() { m_cancel = true; }

    // OperationHost, called on the worker.
    void status(std::string_view text) override;
    void countProgress(int done, int total) override;
    bool cancelRequested() override;
    void progress(uint64_t done, uint64_t total) override;
    void message(std::string_view text) override;
    void beep() override;
    model::ReadErrorAnswer askReadError(std::string_view question, bool withEditor) override;
    model::MissingFileAnswer askDeleteMissing(std::string_view path) override;
    void offerErrorLog(std::string_view question, std::string_view logPath) override;
    bool askSearchReadError(std::string_view question) override;
    model::DuplicateAnswer askDuplicate(const model::DuplicatePair& pair,
                                        bool& deleteFile) override;
    bool moveToTrash(std::string_view fsPath, bool confirm) override;
    // Hands the file to the window, which starts the editor; the operation goes on.
    void openInEditor(std::string_view fsPath) override;

Q_SIGNALS:
    void statusChanged(const QString& text);
    // The share of the work done, 0 to 100; told when it changes.
    void percentChanged(int percent);
    // Items done of a known total (a search's records); told at each step.
    void progressChanged(int done, int total);
    void messageShown(const QString& text);
    // A record file the user wants to see in the editor (a file-system path).
    void editorRequested(const QByteArray& fsPath);
    void finished();

private:
    // Asks on the GUI thread and waits on the worker; -1 when closed or shutting down.
    int ask(const QString& text, const QStringList& buttons);

    Asker m_asker;
    std::function<void()> m_stepHook;
    std::thread m_worker;
    std::atomic<bool> m_cancel{false};
    std::atomic<bool> m_closing{false};
    std::atomic<int> m_percent{-1};  // the share last told, -1 before any
    bool m_busy = false;
    std::mutex m_questionMutex;
    std::optional<std::promise<int>> m_pending;
};

}  // namespace dalmir
