#include "dalmir/logic/copy_files.h"

#include <filesystem>

#include "core/text/sjis.h"

namespace dalmir {

namespace fs = std::filesystem;

CopyReport copyRecordFiles(const std::vector<std::string>& sources, const std::string& targetFolder,
                           bool overwrite, model::OperationHost& host) {
    CopyReport report;
    const std::string total = std::to_string(sources.size());
    for (std::size_t i = 0; i < sources.size(); ++i) {
        host.status(std::string("棋譜コピー中...  " + std::to_string(i + 1) + " / " + total));
        if (host.cancelRequested()) {
            report.cancelled = true;
            break;
        }
        const fs::path source(sources[i]);
        std::error_code ec;
        const fs::path target = fs::path(targetFolder) / source.filename();
        const auto options =
            overwrite ? fs::copy_options::overwrite_existing : fs::copy_options::none;
        if (fs::equivalent(source, target, ec) || !fs::copy_file(source, target, options, ec)) {
            report.failed.push_back(sources[i]);
            continue;
        }
        ++report.copied;
    }
    host.status(std::string("棋譜 " + std::to_string(report.copied) + " コピーしました。"));
    return report;
}

std::optional<CopyTarget> askCopyTarget(DalmirUi& ui) {
    const std::string title = "選択棋譜のコピー";
    std::optional<std::string> folder = ui.chooseFolder(title);
    if (!folder || folder->empty()) return std::nullopt;
    Question question;
    question.text = "同じ名前のファイルがあるとき、上書きしますか？";
    question.caption = title;
    return CopyTarget{std::move(*folder), ui.ask(question) == Answer::Yes};
}

}  // namespace dalmir
