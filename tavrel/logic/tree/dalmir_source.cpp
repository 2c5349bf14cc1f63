#include "tavrel/logic/tree/dalmir_source.h"

#include "core/text/translation.h"

namespace tavrel {

namespace {

constexpr const char* kNotRunning = TR_NOOP("Dalmirが起動していません。");
constexpr const char* kNoDatabase = TR_NOOP("Dalmirでデータベースが開かれていません。");

}  // namespace

DalmirSourceItem dalmirSourceItem(const core::OpenDatabaseState& state) {
    switch (state.program) {
        case core::DatabaseProgram::NotRunning:
            return {false, core::translate(kNotRunning)};
        case core::DatabaseProgram::NoDatabase:
            return {false, core::translate(kNoDatabase)};
        case core::DatabaseProgram::Open:
            break;
    }
    return {true, state.path};
}

DalmirFollower::Step DalmirFollower::refresh(const core::OpenDatabaseState& state, int64_t stamp) {
    Step step;
    auto close = [&] {
        if (m_open) step.open = std::string();
        m_open = false;
        m_path.clear();
        m_stamp = -1;
    };
    switch (state.program) {
        case core::DatabaseProgram::NotRunning:
            // What was read stays: it is still the file it was.
            step.notice = m_open
                              ? std::string(core::translate(kNotRunning)) +
                                    core::translate("前に開いていたデータベースを表示しています。")
                              : core::translate(kNotRunning);
            return step;
        case core::DatabaseProgram::NoDatabase:
            close();
            step.notice = core::translate(kNoDatabase);
            return step;
        case core::DatabaseProgram::Open:
            break;
    }
    if (stamp < 0) {
        // A new database Dalmir has not written yet: nothing on disk to read.
        close();
        step.notice = core::translate("Dalmirのデータベースはまだ保存されていません。");
        return step;
    }
    if (!m_open || state.path != m_path || stamp != m_stamp) {
        step.open = state.path;
        m_open = true;
        m_path = state.path;
        m_stamp = stamp;
    }
    if (!state.saved) {
        step.notice = core::translate(
            "Dalmirに保存されていない変更があります。保存された内容を表示しています。");
    }
    return step;
}

}  // namespace tavrel
