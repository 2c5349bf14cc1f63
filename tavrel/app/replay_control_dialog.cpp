#include "tavrel/app/replay_control_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMoveEvent>
#include <QVBoxLayout>

#include "desktop/qt_text.h"
#include "tavrel/logic/view/continuous_replay.h"
#include "tavrel/logic/view/window_placement.h"

namespace tavrel {

int speedBarValue(int interval) {
    return kMaxReplayInterval + kMinReplayInterval - clampedInterval(interval);
}

int intervalOfSpeedBar(int value) {
    return clampedInterval(kMaxReplayInterval + kMinReplayInterval - value);
}

ReplayControlDialog::ReplayControlDialog(Settings& settings, int instance, QWidget* parent)
    : QDialog(parent), m_settings(settings), m_instance(instance) {
    setWindowTitle(desktop::translated("棋譜の再現"));
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    auto* buttons = new QHBoxLayout;
    auto make = [&](const char* text) {
        auto* b = new QPushButton(QString::fromLatin1(text), this);
        b->setAutoDefault(false);
        b->setFocusPolicy(Qt::NoFocus);
        buttons->addWidget(b);
        return b;
    };
    m_back = make("BACK");
    m_backRun = make("BACKR");
    m_stop = make("STOP");
    m_nextRun = make("NEXTR");
    m_next = make("NEXT");
    layout->addLayout(buttons);
    auto* speedRow = new QHBoxLayout;
    speedRow->addWidget(new QLabel(desktop::translated("速度"), this));
    m_speed = new QSlider(Qt::Horizontal, this);
    m_speed->setRange(kMinReplayInterval, kMaxReplayInterval);
    m_speed->setFocusPolicy(Qt::NoFocus);
    speedRow->addWidget(m_speed);
    layout->addLayout(speedRow);
    showSpeed();
    connect(m_speed, &QSlider::valueChanged, this,
            [this](int value) { m_settings.replaySpeed = intervalOfSpeedBar(value); });
    m_placing = true;
    move(settings.replayDialog.x + instanceOffset(instance),
         settings.replayDialog.y + instanceOffset(instance));
    m_placing = false;
}

void ReplayControlDialog::showSpeed() {
    QSignalBlocker block(m_speed);
    m_speed->setValue(speedBarValue(m_settings.replaySpeed));
}

QPushButton* ReplayControlDialog::buttonForKey(int key) {
    switch (key) {
        case Qt::Key_D:
            return m_next;
        case Qt::Key_S:
            return m_back;
        case Qt::Key_F:
            return m_nextRun;
        case Qt::Key_A:
            return m_backRun;
        default:
            return nullptr;
    }
}

void ReplayControlDialog::moveEvent(QMoveEvent* event) {
    QDialog::moveEvent(event);
    if (m_placing || !isVisible()) return;
    WindowRect stored = storedPlacement({pos().x(), pos().y(), 0, 0}, m_instance);
    m_settings.replayDialog = {stored.x, stored.y};
}

}  // namespace tavrel
