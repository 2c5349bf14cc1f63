// The dialogs of the table commands: the header search (条件検索) with its input histories,
// the duplicate check's criteria, and the report window of the statistics.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <array>
#include <map>

#include "dalmir/logic/app_settings.h"
#include "dalmir/logic/position_search_form.h"
#include "dalmir/logic/record_search_form.h"
#include "dalmir/model/search/search.h"
#include "dalmir/model/table/duplicate_criteria.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QFormLayout;
class QLineEdit;
class QPlainTextEdit;
class QSpinBox;

namespace dalmir {

// The suggestion list of a field ("対局者", "棋戦", ...): the first of its list files in the
// program folder (ending with '/') that can be read.
QStringList suggestionList(const QString& programFolder, const QString& name);

// The input histories of the dialogs, kept in the data folder as "<name>.his".

class InputHistories {
public:
    InputHistories(QString dataFolder, const AppSettings& settings);
    // Follows changed settings at once: a history switched off is dropped (its file stays), one
    // switched on is read from its file, and every history keeps at most 履歴数 entries.
    void apply(const AppSettings& settings);
    // The history of "対局者", "棋戦" or "戦型" (null when its switch is off), or of "手順" (the
    // sequence search's patterns, always kept).
    InputHistory* find(const QString& name);
    // Enters a text and writes the history's file.
    void enter(const QString& name, const QString& text);

private:
    void save(const QString& name, const InputHistory& history);

    QString m_folder;
    std::map<QString, InputHistory> m_histories;
};

class HeaderSearchDialog : public QDialog {
public:
    HeaderSearchDialog(AppSettings& settings, InputHistories& histories,
                       const QString& programFolder, QWidget* parent = nullptr);
    // The criteria as entered ; the date range is written back to the settings.
    model::HeaderCriteria criteria();
    // The game end, material and comment asked for (UTF-8 texts, read by the logic).
    RecordSearchForm recordForm() const;

private:
    QComboBox* field(const QString& label, const QString& history, const QString& listName);

    AppSettings& m_settings;
    InputHistories& m_histories;
    QString m_programFolder;
    QFormLayout* m_form = nullptr;
    QComboBox* m_black = nullptr;
    QComboBox* m_white = nullptr;
    QComboBox* m_playerA = nullptr;
    QComboBox* m_playerB = nullptr;
    QComboBox* m_event = nullptr;
    QComboBox* m_opening = nullptr;
    QLineEdit* m_fileName = nullptr;
    QComboBox* m_handicap = nullptr;
    QCheckBox* m_fromOn = nullptr;
    QDateEdit* m_from = nullptr;
    QCheckBox* m_toOn = nullptr;
    QDateEdit* m_to = nullptr;
    QCheckBox* m_ignoreBlanks = nullptr;
    QComboBox* m_end = nullptr;
    QLineEdit* m_material = nullptr;
    QSpinBox* m_materialPly = nullptr;
    QLineEdit* m_comment = nullptr;
};

// 手順検索: the pattern, offered from the pattern history and the program folder's 手順.txt.
class SequenceSearchDialog : public QDialog {
public:
    SequenceSearchDialog(InputHistories& histories, const QString& programFolder,
                         QWidget* parent = nullptr);
    // The pattern as entered, without surrounding blanks; a non-empty one enters the history.
    QString pattern();

private:
    InputHistories& m_histories;
    QComboBox* m_pattern;
};

// 局面検索: how positions are compared, which records, and the automatic replay of the hits.
class PositionSearchDialog : public QDialog {
public:
    explicit PositionSearchDialog(const PositionSearchForm& start, QWidget* parent = nullptr);
    PositionSearchForm form() const;

private:
    QCheckBox* m_side;
    QCheckBox* m_reversed;
    QCheckBox* m_edges;
    QCheckBox* m_all;
    QCheckBox* m_replay;
    QSpinBox* m_replayCount;
};

class DuplicateDialog : public QDialog {
public:
    explicit DuplicateDialog(QWidget* parent = nullptr);
    // Shows the given criteria; without move lists (a text database) that criterion is off
    // and can't be chosen.
    void setCriteria(const model::DuplicateCriteria& criteria, bool moveLists);
    model::DuplicateCriteria criteria() const;

private:
    QCheckBox* m_date;
    QCheckBox* m_players;
    QSpinBox* m_nameBytes;
    QCheckBox* m_blanks;
    QCheckBox* m_moveCount;
    QCheckBox* m_moves;
    QSpinBox* m_tolerance;
};

// A statistics report shown in a fixed-width font, with a button that copies it.
class ReportDialog : public QDialog {
public:
    ReportDialog(const QString& title, const QString& report, QWidget* parent = nullptr);
    QString text() const;

private:
    QPlainTextEdit* m_text;
};

}  // namespace dalmir
