// The row of filter chips above the list: one chip per filter of the stack, its button
// switching it on and off and its × removing it; the stacks saved by name are recalled from a
// menu, the current one saved under a name, and all removed at once.
#pragma once

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QWidget>
#include <string>
#include <vector>

#include "dalmir/logic/filter_stack.h"

namespace dalmir {

class FilterBar : public QWidget {
    Q_OBJECT
public:
    explicit FilterBar(QWidget* parent = nullptr);

    // Shows the chips of the filters and the names the recall menu offers.
    void setFilters(const std::vector<Filter>& filters, const std::vector<std::string>& saved);
    // The chip buttons, first filter first (tests).
    std::vector<QToolButton*> chips() const { return m_chips; }
    std::vector<QToolButton*> removers() const { return m_removers; }

Q_SIGNALS:
    void filterToggled(int index, bool on);
    void filterRemoved(int index);
    void saveRequested();
    void recallRequested(const QString& name);
    void clearRequested();

private:
    QHBoxLayout* m_chipRow = nullptr;
    QLabel* m_hint = nullptr;
    QToolButton* m_save = nullptr;
    QToolButton* m_recall = nullptr;
    QToolButton* m_clear = nullptr;
    std::vector<QWidget*> m_frames;
    std::vector<QToolButton*> m_chips;
    std::vector<QToolButton*> m_removers;
};

}  // namespace dalmir
