#pragma once

#include <QPixmap>
#include <QWidget>

// A borderless picture that sizes itself to its picture and reports presses and releases of the
// mouse with the button (1 left, 2 right) and the keys held (1 Shift, 2 Ctrl, 4 Alt). It draws
// its picture as given also when disabled: the owner chooses the disabled picture itself.
class PictureBox : public QWidget {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);

    void setPicture(const QPixmap& picture);
    const QPixmap& picture() const { return m_picture; }

Q_SIGNALS:
    void MouseDown(int button, int shift);
    void MouseUp(int button, int shift);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QPixmap m_picture;
};
