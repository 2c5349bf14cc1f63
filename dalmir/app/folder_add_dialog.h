// The dialog of adding by folder (フォルダ指定追加): the folder, its subfolders, the kind of
// files, the filters, the file-date filter and skip-duplicates with its criteria. Also the
// dialog of deleting by folder (フォルダ指定削除).
#pragma once

#include <QDialog>

#include "dalmir/logic/folder_add_form.h"
#include "dalmir/logic/folder_delete_form.h"
#include "dalmir/model/table/index_settings.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace dalmir {

class FolderAddDialog : public QDialog {
public:
    // Starts from the database's add settings; accepting writes the values back to them.
    FolderAddDialog(model::IndexSettings& settings, bool binaryDatabase, bool skipDuplicates,
                    const model::DuplicateCriteria& duplicates, QWidget* parent = nullptr);

    FolderAddForm form() const;
    // The request the accepted dialog asks for.
    const model::FolderAdd& request() const { return m_request; }

    // An empty folder keeps the dialog open with "フォルダを指定して下さい。".
    void accept() override;

private:
    void browse();
    void editDuplicates();

    model::IndexSettings& m_settings;
    bool m_binary;
    model::DuplicateCriteria m_duplicates;
    model::FolderAdd m_request;
    QLineEdit* m_folder;
    QCheckBox* m_subfolders;
    QComboBox* m_kind;
    QLineEdit* m_player;
    QLineEdit* m_event;
    QLineEdit* m_opening;
    QCheckBox* m_dateFilter;
    QSpinBox* m_year;
    QSpinBox* m_month;
    QSpinBox* m_day;
    QCheckBox* m_skipDuplicates;
    QLabel* m_message;
};

class FolderDeleteDialog : public QDialog {
public:
    explicit FolderDeleteDialog(const FolderDeleteForm& start, QWidget* parent = nullptr);

    FolderDeleteForm form() const;
    // An empty folder keeps the dialog open with "フォルダが指定されていません。".
    void accept() override;

private:
    QLineEdit* m_folder;
    QComboBox* m_kind;
    QCheckBox* m_subfolders;
    QLabel* m_message;
};

}  // namespace dalmir
