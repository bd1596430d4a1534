#pragma once

#include <QColor>
#include <QDialog>
#include <QPointer>

class QLineEdit;
class QPushButton;

// The properties of a trajectory: its name, which the plots and the exported tables use, and
// its colour on the picture and in the plots.
class TrajectoryPrpDialog : public QDialog {
    Q_OBJECT
public:
    TrajectoryPrpDialog(const QString& name, const QColor& color, QWidget* parent);

    // The name typed, the former one when left empty.
    QString name() const;
    QColor color() const { return m_color; }

private:
    void colorButton_update();

    QString m_former;
    QColor m_color;
    QPointer<QLineEdit> m_txtName;
    QPointer<QPushButton> m_btnColor;
};
