#include "dalmir/app/filter_bar.h"

#include <QFrame>
#include <QMenu>

#include "dalmir/app/qt_text.h"

namespace dalmir {

FilterBar::FilterBar(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("filterBar"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(4, 2, 4, 2);
    row->setSpacing(6);
    auto* title = new QLabel(desktop::translated("フィルタ:"), this);
    row->addWidget(title);
    m_chipRow = new QHBoxLayout;
    m_chipRow->setSpacing(4);
    row->addLayout(m_chipRow);
    m_hint = new QLabel(desktop::translated("検索すると条件がここに並びます"), this);
    m_hint->setEnabled(false);
    row->addWidget(m_hint);
    row->addStretch(1);
    m_save = new QToolButton(this);
    m_save->setText(desktop::translated("保存..."));
    m_recall = new QToolButton(this);
    m_recall->setText(desktop::translated("呼び出し"));
    m_recall->setPopupMode(QToolButton::InstantPopup);
    m_recall->setMenu(new QMenu(m_recall));
    m_clear = new QToolButton(this);
    m_clear->setText(desktop::translated("すべて解除"));
    row->addWidget(m_save);
    row->addWidget(m_recall);
    row->addWidget(m_clear);
    connect(m_save, &QToolButton::clicked, this, &FilterBar::saveRequested);
    connect(m_clear, &QToolButton::clicked, this, &FilterBar::clearRequested);
    setFilters({}, {});
}

void FilterBar::setFilters(const std::vector<Filter>& filters,
                           const std::vector<std::string>& saved) {
    for (QWidget* frame : m_frames) frame->deleteLater();
    m_frames.clear();
    m_chips.clear();
    m_removers.clear();
    for (std::size_t i = 0; i < filters.size(); ++i) {
        const Filter& f = filters[i];
        auto* frame = new QFrame(this);
        frame->setFrameShape(QFrame::StyledPanel);
        auto* box = new QHBoxLayout(frame);
        box->setContentsMargins(2, 0, 2, 0);
        box->setSpacing(0);
        auto* chip = new QToolButton(frame);
        chip->setCheckable(true);
        chip->setChecked(f.enabled);
        chip->setAutoRaise(true);
        const QString label = fromUtf8(f.label) + QStringLiteral(" (%1)").arg(f.hits.count());
        chip->setText(label);
        chip->setToolTip(desktop::translated("クリックで入/切"));
        auto* remove = new QToolButton(frame);
        remove->setText(QStringLiteral("×"));
        remove->setAutoRaise(true);
        remove->setToolTip(desktop::translated("このフィルタを外す"));
        box->addWidget(chip);
        box->addWidget(remove);
        const int index = static_cast<int>(i);
        connect(chip, &QToolButton::toggled, this,
                [this, index](bool on) { Q_EMIT filterToggled(index, on); });
        connect(remove, &QToolButton::clicked, this,
                [this, index] { Q_EMIT filterRemoved(index); });
        m_chipRow->addWidget(frame);
        m_frames.push_back(frame);
        m_chips.push_back(chip);
        m_removers.push_back(remove);
    }
    m_hint->setVisible(filters.empty());
    m_save->setEnabled(!filters.empty());
    m_clear->setEnabled(!filters.empty());
    QMenu* menu = m_recall->menu();
    menu->clear();
    for (const std::string& name : saved) {
        const QString text = fromUtf8(name);
        menu->addAction(text, this, [this, text] { Q_EMIT recallRequested(text); });
    }
    m_recall->setEnabled(!saved.empty());
}

}  // namespace dalmir
