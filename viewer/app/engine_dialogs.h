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

#include "viewer/logic/engine_list.h"
#include "viewer/logic/record_analysis.h"

namespace viewer {

class EngineOptionsDialog : public QDialog {
    Q_OBJECT
public:
    EngineOptionsDialog(const EngineEntry& entry, const std::vector<UsiOption>& options,
                        QWidget* parent = nullptr);
    // The entry with the values shown (call after the dialog was accepted).
    EngineEntry chosen() const;
    // Puts every field back to the engine's default.
    void resetToDefaults();
    // The field of an option (tests).
    QWidget* field(const std::string& name) const;

private:
    void showValue(const UsiOption& option, QWidget* widget, const std::string& value);
    std::string valueOf(const UsiOption& option, const QWidget* widget) const;

    EngineEntry m_entry;
    std::vector<UsiOption> m_options;
    std::vector<QWidget*> m_fields;
};

// The registered engines: add (choose a program), remove, options. probe starts an engine to learn
// its option lines and calls back with them, or with an empty list after showing its failure.
class EngineListDialog : public QDialog {
    Q_OBJECT
public:
    using Probe =
        std::function<void(const EngineEntry&, std::function<void(const std::vector<UsiOption>&)>)>;
    EngineListDialog(std::vector<EngineEntry> engines, Probe probe, QWidget* parent = nullptr);
    const std::vector<EngineEntry>& engines() const { return m_engines; }
    void addProgram(const QString& path);
    void removeCurrent();
    void editOptions();
    QListWidget* list() { return m_list; }

private:
    void refill();

    std::vector<EngineEntry> m_engines;
    Probe m_probe;
    QListWidget* m_list;
};

class RecordAnalysisDialog : public QDialog {
    Q_OBJECT
public:
    explicit RecordAnalysisDialog(QWidget* parent = nullptr);
    RecordAnalysisOptions options() const;

private:
    QSpinBox* m_seconds;
    QSpinBox* m_multiPv;
    QRadioButton* m_mainLine;
    QRadioButton* m_everyLine;
};

}  // namespace viewer
