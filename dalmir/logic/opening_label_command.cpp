#include "dalmir/logic/opening_label_command.h"

#include <string>

#include "core/text/sjis.h"

namespace dalmir {

std::optional<bool> askLabelScope(DalmirUi& ui) {
    Question q;
    q.text =
        "すべての棋譜の自動戦型を付け直しますか？\n"
        "（いいえ：自動戦型のない棋譜だけに付けます）";
    q.withCancel = true;
    q.unattended = Answer::Cancel;
    switch (ui.ask(q)) {
        case Answer::Yes:
            return true;
        case Answer::No:
            return false;
        case Answer::Cancel:
            break;
    }
    return std::nullopt;
}

void tellLabelRun(DalmirUi& ui, const model::LabelRunReport& report) {
    // A stopped run keeps the labels it had set; the status says it stopped.
    ui.setStatusText((report.cancelled ? std::string("中止しました。") : std::string()) +
                     core::toUtf8Lossy(report.status));
    if (report.unreadable > 0) {
        ui.showMessage("読めない棋譜ファイルが" + std::to_string(report.unreadable) +
                       "件ありました。それらの自動戦型は変わっていません。");
    }
}

}  // namespace dalmir
