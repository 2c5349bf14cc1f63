// The engine dialogs: the options of one engine, built from its option lines with the values
// chosen before, the engine's defaults and a reset; the list of registered engines; and the
// choices of a whole-record analysis.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QListWidget>
#include <QRadioButton>
#include <QSpinBox>
#include <functional>
#include <vector>

#include "usi/engine_list.h"
#include "usi/record_analysis.h"

namespace tavrel {

class EngineOptionsDialog : public QDialog {
    Q_OBJECT
public:
    EngineOptionsDialog(const usi::EngineEntry& entry, const std::vector<usi::UsiOption>& options,
                        QWidget* parent = nullptr);
    // The entry with the values shown (call after the dialog was accepted).
    usi::EngineEntry chosen() const;
    // Puts every field back to the engine's default.
    void resetToDefaults();
    // The field of an option (tests).
    QWidget* field(const std::string& name) const;

private:
    void showValue(const usi::UsiOption& option, QWidget* widget, const std::string& value);
    std::string valueOf(const usi::UsiOption& option, const QWidget* widget) const;

    usi::EngineEntry m_entry;
    std::vector<usi::UsiOption> m_options;
    std::vector<QWidget*> m_fields;
};

// The registered engines: add (choose a program), remove, options. probe starts an engine to learn
// its option lines and calls back with them, or with an empty list after showing its failure.
class EngineListDialog : public QDialog {
    Q_OBJECT
public:
    using Probe = std::function<void(const usi::EngineEntry&,
                                     std::function<void(const std::vector<usi::UsiOption>&)>)>;
    EngineListDialog(std::vector<usi::EngineEntry> engines, Probe probe, QWidget* parent = nullptr);
    const std::vector<usi::EngineEntry>& engines() const { return m_engines; }
    void addProgram(const QString& path);
    void removeCurrent();
    void editOptions();
    QListWidget* list() { return m_list; }

private:
    void refill();

    std::vector<usi::EngineEntry> m_engines;
    Probe m_probe;
    QListWidget* m_list;
};

class RecordAnalysisDialog : public QDialog {
    Q_OBJECT
public:
    explicit RecordAnalysisDialog(QWidget* parent = nullptr);
    usi::RecordAnalysisOptions options() const;

private:
    QSpinBox* m_seconds;
    QSpinBox* m_multiPv;
    QRadioButton* m_mainLine;
    QRadioButton* m_everyLine;
};

}  // namespace tavrel
