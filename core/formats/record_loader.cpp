#include "core/formats/record_loader.h"

#include "core/formats/csa_reader.h"
#include "core/formats/jkf_reader.h"
#include "core/formats/record_writer_options.h"
#include "core/formats/usi_reader.h"
#include "core/text/sjis.h"

namespace core {

RecordFormat formatOfPath(std::string_view path) {
    std::string ext = lowerExtension(path);
    if (ext == "csa" || ext == "csau") return RecordFormat::Csa;
    if (ext == "jkf") return RecordFormat::Jkf;
    if (ext == "usi" || ext == "sfen") return RecordFormat::Usi;
    for (const char* e : {"", "kif", "ki2", "bod", "txt", "rsk", "mal", "ma2", "kifu", "ki2u"}) {
        if (ext == e) return RecordFormat::KifKi2;
    }
    return RecordFormat::Unsupported;
}

std::string msgCannotReadFile(std::string_view path) {
    return std::string("ファイル(") + std::string(path) + std::string(")は、読めません。");
}

ReadReport loadRecordFile(RecordStore& store, const std::string& path, const ReadOptions& options) {
    switch (formatOfPath(path)) {
        case RecordFormat::Csa:
            return readCsaFile(store, path, options);
        case RecordFormat::KifKi2:
            return readRecordFile(store, path, options);
        case RecordFormat::Jkf:
            return readJkfFile(store, path, options);
        case RecordFormat::Usi:
            return readUsiFile(store, path, options);
        case RecordFormat::Unsupported:
            break;
    }
    ReadReport report;
    report.result = ReadResult::CannotOpen;
    report.message = msgCannotReadFile(path);
    return report;
}

NodeIndex nodeAfterLoad(const RecordStore& store, int setting) {
    auto mainLineEnd = [&](bool onlyIfSuspended) {
        NodeIndex n = kRootNode;
        for (;;) {
            NodeIndex next = store.node(n).next;
            if (next == kNoNode) return onlyIfSuspended ? kRootNode : n;
            if (store.node(next).isTerminal()) {
                bool suspended = store.node(next).to == terminalByte(TerminalCode::Suspend);
                return onlyIfSuspended && !suspended ? kRootNode : n;
            }
            n = next;
        }
    };
    switch (setting) {
        case 1:
            return mainLineEnd(false);
        case 2:
            return mainLineEnd(true);
        case 3: {
            NodeIndex n = store.bookmarkByName(loadBookmarkName());
            return n >= 0 ? n : kNoNode;
        }
        case 4:
            return store.bookmarkCount() > 0 ? store.bookmarkAt(0)->node : kNoNode;
        default:
            return kRootNode;
    }
}

}  // namespace core
