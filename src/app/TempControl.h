#pragma once

#include <QString>
#include <QWidget>
#include <memory>

// A hidden control that a dialog routine puts on its owner while the dialog is shown, under a
// fixed identity; it is removed again when the routine leaves, whatever way it leaves.
class TempControl {
public:
    TempControl(QWidget* parent, const char* name)
    {
        if (!parent)
            return;
        m_widget = std::make_unique<QWidget>(parent);
        m_widget->setObjectName(QString::fromLatin1(name));
        m_widget->hide();
    }
    TempControl(const TempControl&) = delete;
    TempControl& operator=(const TempControl&) = delete;

private:
    std::unique_ptr<QWidget> m_widget;
};
