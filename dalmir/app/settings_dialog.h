// The settings dialog "設定" with its pages 動作, ツール, エディタ, 棋譜情報 and 履歴, and the
// dialog of the list's shown columns (表示項目).
#pragma once

#include <QDialog>
#include <array>
#include <functional>

#include "dalmir/logic/app_settings.h"
#include "dalmir/model/table/index_settings.h"
#include "dalmir/model/table/list_cells.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;

namespace dalmir {

class SettingsDialog : public QDialog {
public:
    // database: the open database's own switches (再現マーク, 自動更新) shown on the first page.
    // associate: what the button "ファイルの関連付け(&F)" does (none: no button).
    SettingsDialog(AppSettings& settings, model::IndexSettings& database, QWidget* parent = nullptr,
                   std::function<void()> associate = {});
    void accept() override;

private:
    AppSettings& m_settings;
    model::IndexSettings& m_database;
    QComboBox* m_defaultSort;
    QComboBox* m_language;
    QCheckBox* m_replayMark;
    QCheckBox* m_deleteConfirm;
    QCheckBox* m_addErrors;
    QCheckBox* m_autoUpdate;
    QLineEdit* m_replayCommand;
    QLineEdit* m_replayOptions;
    QLineEdit* m_playOptions;
    QLineEdit* m_printOptions;
    QLineEdit* m_diagramOptions;
    QLineEdit* m_editCommand;
    QLineEdit* m_editOptions;
    std::array<QLineEdit*, 5> m_userNames{};
    QSpinBox* m_maxRecords;
    QSpinBox* m_historyCount;
    QCheckBox* m_historyPlayer;
    QCheckBox* m_historyEvent;
    QCheckBox* m_historyOpening;
    // The least loss (centipawns) of 緩手, 疑問手 and 悪手, and the cap of losses.
    std::array<QSpinBox*, 4> m_thresholds{};
};

class ColumnsDialog : public QDialog {
public:
    ColumnsDialog(model::IndexSettings& settings, const model::UserFieldNames& userNames,
                  QWidget* parent = nullptr);
    void accept() override;

private:
    model::IndexSettings& m_settings;
    std::array<QCheckBox*, model::kColumnCount> m_shown{};
    std::array<QSpinBox*, model::kColumnCount> m_widths{};
};

}  // namespace dalmir
