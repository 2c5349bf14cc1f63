#include "tavrel/app/replay_driver.h"

#include <QGuiApplication>

namespace tavrel {

ReplayDriver::ReplayDriver(Document& doc, MoveClock& clock, QObject* parent)
    : QObject(parent), m_timer(this), m_replay(doc, clock, *this) {
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, [this] { tick(); });
}

bool ReplayDriver::shiftHeld() const {
    if (m_shift) return m_shift();
    return (QGuiApplication::queryKeyboardModifiers() & Qt::ShiftModifier) != 0;
}

}  // namespace tavrel
