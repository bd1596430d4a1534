#pragma once

#include "view/ViewStatus.h"

#include <QStatusBar>

class QLabel;

// The line under the views: the present frame and time of the view under the pointer (else of
// the focused view), and the pointer's place on its picture in pixels and calibrated units.
class StatusLine final : public QStatusBar {
public:
    explicit StatusLine(QWidget* parent);
    // An empty status (frame -1) clears the line.
    void showStatus(const ViewStatus& status);
    // The last status again, in the interface language now in force.
    void retext() { showStatus(m_last); }
    // The texts as shown.
    QString frameText() const;
    QString timeText() const;
    QString pointerText() const;

private:
    QLabel* m_frame;
    QLabel* m_time;
    QLabel* m_pointer;
    ViewStatus m_last;
};
