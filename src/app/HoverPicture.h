#pragma once

#include <QIcon>
#include <QObject>

class QAbstractButton;

// Shows a picture button's hot picture (its icon's Active pictures) while the mouse is over it.
// The styles show Active pictures only on auto-raised buttons, and the program's buttons keep
// their raised face, so the hot picture is swapped in on entering and the icon put back on leaving.
class HoverPicture : public QObject {
    Q_OBJECT
public:
    // Watches the button from now on; a button is watched once however often this is called.
    static void attach(QAbstractButton* button);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit HoverPicture(QAbstractButton* button);
    void enter();
    void leave();

    QAbstractButton* m_button;
    QIcon m_rest;        // the icon as it was set, for the mouse away
    qint64 m_hotKey = 0; // the icon shown under the mouse; 0 when none is
};
