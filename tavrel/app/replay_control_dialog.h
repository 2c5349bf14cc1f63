// The modeless replay control dialog of the step-wise replay mode (棋譜の再現): BACK, BACKR,
// STOP, NEXTR and NEXT, and the speed bar 速度 over 再現速度 (right is faster). Its place is the
// setting 再現ウィンドウ. The main window connects the buttons to its commands.
#pragma once

#include <QDialog>
#include <QPushButton>
#include <QSlider>

#include "tavrel/settings/settings.h"

namespace tavrel {

// The replay control dialog (CReplayDlg).
class ReplayControlDialog : public QDialog {
    Q_OBJECT
public:
    ReplayControlDialog(Settings& settings, int instance, QWidget* parent);
    QPushButton* back() { return m_back; }
    QPushButton* backRun() { return m_backRun; }
    QPushButton* stop() { return m_stop; }
    QPushButton* nextRun() { return m_nextRun; }
    QPushButton* next() { return m_next; }
    QSlider* speed() { return m_speed; }
    // The speed bar follows 再現速度 (changed by the keys).
    void showSpeed();
    // The button a letter key stands for: D NEXT, S BACK, F NEXTR, A BACKR; null for others.
    QPushButton* buttonForKey(int key);

protected:
    void moveEvent(QMoveEvent* event) override;

private:
    Settings& m_settings;
    int m_instance;
    QPushButton* m_back;
    QPushButton* m_backRun;
    QPushButton* m_stop;
    QPushButton* m_nextRun;
    QPushButton* m_next;
    QSlider* m_speed;
    bool m_placing = false;
};

// The speed bar's value for 再現速度 and back: the bar runs from slow (left) to fast (right).
int speedBarValue(int interval);
int intervalOfSpeedBar(int value);

}  // namespace tavrel
