// The printed list (a ruled table of the listed records, page by page, with a header line) and
// the two dialogs of printing and viewing: the page layout and the card of one record.
#pragma once

#include <QDateTime>
#include <QDialog>
#include <QString>
#include <QStringList>
#include <vector>

#include "dalmir/logic/app_settings.h"
#include "dalmir/model/store/database.h"
#include "dalmir/model/table/list_cells.h"

class QPrinter;
class QSpinBox;

namespace dalmir {

struct PrintReport {
    int pages = 0;
    QString error;  // "行間隔が大き過ぎます。" or why the printer could not start
    // The No. cell and the texts of each printed row, page by page, as drawn.
    std::vector<std::vector<QStringList>> rows;
};

// Prints the listed records with the shown columns and widths on any printer: a real one, the
// preview, or a PDF file.
PrintReport printList(QPrinter& printer, const model::Database& db,
                      const model::UserFieldNames& userNames, const AppSettings& settings,
                      const QDateTime& now);

// "ﾍﾟｰｼﾞﾚｲｱｳﾄの設定": the print font, the margins and the line spacing.
class PageLayoutDialog : public QDialog {
public:
    PageLayoutDialog(AppSettings& settings, QWidget* parent = nullptr);
    void accept() override;

private:
    AppSettings& m_settings;
    FontSetting m_font;
    QSpinBox* m_left;
    QSpinBox* m_top;
    QSpinBox* m_foot;
    QSpinBox* m_line;
};

// "カード形表示": every field of one record (or none), read-only.
class CardDialog : public QDialog {
public:
    CardDialog(const model::IndexEntry* entry, const model::IndexSettings& settings,
               const model::UserFieldNames& userNames, QWidget* parent = nullptr);
    // The texts shown, label by label (tests).
    QStringList texts() const;

private:
    QStringList m_texts;
};

}  // namespace dalmir
