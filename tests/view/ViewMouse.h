#pragma once

// The mouse and the calibration dialog as a user drives them on a view: events sent to the real
// viewer at the viewer pixels that show given picture points, and the modal calibration dialog
// filled in while it is shown.

#include "components/viewer/OvVView.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cmath>

namespace ViewMouse {

inline void send(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons,
                 Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QMouseEvent e(type, QPointF(pos), QPointF(w->mapToGlobal(pos)), button, buttons, mods);
    QApplication::sendEvent(w, &e);
}

// The viewer pixel that shows the picture point, at the viewer's present zoom and offset.
inline QPoint at(const OvVView* v, QPointF picture)
{
    const QPointF p = v->mapping().toViewer(picture);
    return {int(std::floor(p.x())), int(std::floor(p.y()))};
}
// The picture point the viewer reports for that viewer pixel.
inline QPointF picture(const OvVView* v, QPoint viewer) { return v->mapping().toPicture(QPointF(viewer)); }

inline void press(QWidget* w, QPoint p, Qt::MouseButton b = Qt::LeftButton, Qt::KeyboardModifiers m = Qt::NoModifier)
{
    send(w, QEvent::MouseButtonPress, p, b, b, m);
}
inline void move(QWidget* w, QPoint p, Qt::MouseButtons held = Qt::LeftButton, Qt::KeyboardModifiers m = Qt::NoModifier)
{
    send(w, QEvent::MouseMove, p, Qt::NoButton, held, m);
}
inline void release(QWidget* w, QPoint p, Qt::MouseButton b = Qt::LeftButton, Qt::KeyboardModifiers m = Qt::NoModifier)
{
    send(w, QEvent::MouseButtonRelease, p, b, Qt::NoButton, m);
}
inline void click(QWidget* w, QPoint p, Qt::MouseButton b = Qt::LeftButton)
{
    press(w, p, b);
    release(w, p, b);
}
// Press at `from`, `steps` moves along the straight way to `to`, release at `to`.
inline void drag(QWidget* w, QPoint from, QPoint to, int steps = 4)
{
    press(w, from);
    for (int i = 1; i <= steps; ++i)
        move(w, from + (to - from) * i / steps);
    release(w, to);
}

// How the calibration dialog is closed.
enum class Close { Ok, Cancel, Escape };

// Fills in the calibration dialog as soon as it is shown and closes it: length, unit by position
// (0 m, 1 cm, ...) and the aspect choice by its text (empty: the one it offers, told through
// `offered`).
inline void answerCalibDialog(QWidget* owner, const QString& length, int unitIndex, const QString& aspect,
                              Close close = Close::Ok, QString* offered = nullptr)
{
    QTimer::singleShot(0, owner, [=] {
        auto* dlg = owner->findChild<QDialog*>(QStringLiteral("frmCalibDist"));
        if (!dlg || !dlg->isVisible())
            return;
        dlg->findChild<QLineEdit*>(QStringLiteral("txtCalibDist"))->setText(length);
        dlg->findChild<QComboBox*>(QStringLiteral("cboCalibUnit"))->setCurrentIndex(unitIndex);
        auto* aspects = dlg->findChild<QComboBox*>(QStringLiteral("cboAspectRatio"));
        if (offered)
            *offered = aspects->currentText();
        if (!aspect.isEmpty())
            aspects->setCurrentIndex(aspects->findText(aspect));
        if (close == Close::Escape)
            QTest::keyClick(dlg, Qt::Key_Escape);
        else
            QTest::mouseClick(dlg->findChild<QPushButton*>(close == Close::Ok ? QStringLiteral("btnOk")
                                                                               : QStringLiteral("btnCancel")),
                              Qt::LeftButton);
    });
}

} // namespace ViewMouse
