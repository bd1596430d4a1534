#pragma once

#include <QWidget>
#include <functional>

// The bar between the views and a panel beside them: dragged, it tells by how many pixels the
// pointer moved since the press, so its owner can size the panel.
class PanelGrip : public QWidget {
public:
    explicit PanelGrip(std::function<void(int dx)> dragged, QWidget* parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    std::function<void(int)> m_dragged;
    int m_pressX = 0;
};
