// The window's filter stack: the chips above the list, the searches adding theirs, switching
// and removing them, and the stacks saved by name in the settings.
#include <QInputDialog>
#include <QTableView>
#include <QVBoxLayout>

#include "dalmir/app/filter_bar.h"
#include "dalmir/app/main_window.h"
#include "dalmir/app/qt_text.h"

namespace dalmir {

QWidget* MainWindow::setUpFilterBar() {
    auto* body = new QWidget(this);
    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    m_filterBar = new FilterBar(body);
    column->addWidget(m_filterBar);
    column->addWidget(m_view, 1);
    connect(m_filterBar, &FilterBar::filterToggled, this,
            [this](int index, bool on) { (void)setFilterEnabled(index, on); });
    connect(m_filterBar, &FilterBar::filterRemoved, this,
            [this](int index) { (void)removeFilter(index); });
    connect(m_filterBar, &FilterBar::clearRequested, this, [this] {
        if (isBusy() || m_filters.empty()) return;
        m_filters.clear();
        showAll();
    });
    connect(m_filterBar, &FilterBar::recallRequested, this,
            [this](const QString& name) { (void)recallFilters(name); });
    connect(m_filterBar, &FilterBar::saveRequested, this, [this] {
        if (m_context.quiet) return;
        bool ok = false;
        const QString name =
            QInputDialog::getText(this, desktop::translated("フィルタの保存"),
                                  desktop::translated("名前:"), QLineEdit::Normal, {}, &ok);
        if (ok && !name.trimmed().isEmpty()) saveFilters(name.trimmed());
    });
    return body;
}

void MainWindow::searchAllRecords() {
    model::IndexTable& table = m_db.table();
    m_orderBeforeSearch = table.displayOrder();
    if (!m_filters.empty()) table.rebuildDisplayOrder();
}

void MainWindow::addSearchFilter(FilterDefinition definition, bool savable, int hits) {
    model::IndexTable& table = m_db.table();
    if (hits <= 0) {
        // Nothing found: the list stays what it was.
        if (!m_filters.empty()) table.displayOrder() = std::move(m_orderBeforeSearch);
        m_orderBeforeSearch.clear();
        return;
    }
    m_orderBeforeSearch.clear();
    Filter filter;
    filter.definition = std::move(definition);
    filter.label = filterLabel(filter.definition);
    filter.hits = SlotSet::of(table.size(), table.displayOrder());
    filter.savable = savable;
    m_filters.add(std::move(filter));
    m_filters.show(table);
    showFilters();
}

void MainWindow::dropFilters() {
    if (m_filters.empty()) return;
    m_filters.clear();
    showFilters();
}

void MainWindow::showFilters() {
    std::vector<std::string> names;
    for (const auto& [name, text] : m_settings.filterStacks) names.push_back(name);
    m_filterBar->setFilters(m_filters.filters(), names);
}

bool MainWindow::setFilterEnabled(int index, bool on) {
    if (isBusy() || !m_filters.setEnabled(static_cast<std::size_t>(index), on)) return false;
    m_filters.show(m_db.table());
    m_view->clearSelection();
    refreshList();
    showFilters();
    return true;
}

bool MainWindow::removeFilter(int index) {
    if (isBusy() || !m_filters.remove(static_cast<std::size_t>(index))) return false;
    m_filters.show(m_db.table());
    m_view->clearSelection();
    refreshList();
    showFilters();
    return true;
}

bool MainWindow::addFilter(const FilterDefinition& definition) {
    if (isBusy()) return false;
    std::optional<SlotSet> hits = evaluateFilter(definition, m_db.table());
    if (!hits) return false;
    Filter filter;
    filter.definition = definition;
    filter.label = filterLabel(definition);
    filter.hits = std::move(*hits);
    m_filters.add(std::move(filter));
    m_filters.show(m_db.table());
    m_view->clearSelection();
    refreshList();
    showFilters();
    return true;
}

void MainWindow::saveFilters(const QString& name) {
    int skipped = 0;
    const std::string text = saveFilterStack(m_filters.filters(), &skipped);
    const std::string key = toUtf8(name);
    auto& stacks = m_settings.filterStacks;
    auto it = std::find_if(stacks.begin(), stacks.end(),
                           [&](const auto& stack) { return stack.first == key; });
    if (it != stacks.end()) {
        it->second = text;
    } else if (static_cast<int>(stacks.size()) < kMaxFilterStacks) {
        stacks.emplace_back(key, text);
    } else {
        showMessage(
            desktop::translated("保存できるフィルタは%1個までです。").arg(kMaxFilterStacks));
        return;
    }
    if (m_context.storeSettings) m_context.storeSettings();
    if (skipped > 0) {
        // A position or sequence chip holds hits only a search gives: it is not kept.
        showMessage(desktop::translated("局面・手順のフィルタ%1個は保存されません。").arg(skipped));
    }
    showFilters();
}

bool MainWindow::recallFilters(const QString& name) {
    if (isBusy()) return false;
    const std::string key = toUtf8(name);
    const auto& stacks = m_settings.filterStacks;
    auto it = std::find_if(stacks.begin(), stacks.end(),
                           [&](const auto& stack) { return stack.first == key; });
    if (it == stacks.end()) return false;
    FilterStackRead read = readFilterStack(it->second);
    if (!read.bad.empty()) {
        showMessage(
            desktop::translated("保存されたフィルタの%1行目が読めません。").arg(read.bad.front()));
    }
    m_filters.clear();
    int searchOnly = 0;
    for (Filter& f : read.filters) {
        std::optional<SlotSet> hits = evaluateFilter(f.definition, m_db.table());
        if (!hits) {
            ++searchOnly;  // a position or sequence: only its search can say
            continue;
        }
        f.hits = std::move(*hits);
        m_filters.add(std::move(f));
    }
    if (searchOnly > 0) {
        showMessage(
            desktop::translated("局面・手順のフィルタ%1個は呼び出せません。").arg(searchOnly));
    }
    m_filters.show(m_db.table());
    m_view->clearSelection();
    refreshList();
    showFilters();
    return true;
}

}  // namespace dalmir
