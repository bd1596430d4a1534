#include "app/HoverPicture.h"

#include <QAbstractButton>
#include <QEvent>

HoverPicture::HoverPicture(QAbstractButton* button) : QObject(button), m_button(button)
{
    setObjectName(QStringLiteral("HoverPicture"));
    button->installEventFilter(this);
}

void HoverPicture::attach(QAbstractButton* button)
{
    if (button && !button->findChild<HoverPicture*>(QString(), Qt::FindDirectChildrenOnly))
        new HoverPicture(button);
}

bool HoverPicture::eventFilter(QObject* watched, QEvent* event)
{
    // A button being destroyed is a button no more (its leave event comes from ~QWidget).
    if (watched == m_button && qobject_cast<QAbstractButton*>(watched)) {
        if (event->type() == QEvent::Enter)
            enter();
        else if (event->type() == QEvent::Leave)
            leave();
    }
    return false;
}

void HoverPicture::enter()
{
    const QIcon rest = m_button->icon();
    if (m_hotKey != 0 || rest.availableSizes(QIcon::Active).isEmpty())
        return;
    QIcon hot;
    for (const QSize& size : rest.availableSizes(QIcon::Active)) {
        for (const QIcon::State state : {QIcon::Off, QIcon::On}) {
            const QPixmap active = rest.pixmap(size, QIcon::Active, state);
            hot.addPixmap(active, QIcon::Normal, state);
            hot.addPixmap(active, QIcon::Active, state);
            hot.addPixmap(rest.pixmap(size, QIcon::Disabled, state), QIcon::Disabled, state);
        }
    }
    m_rest = rest;
    m_button->setIcon(hot);
    m_hotKey = m_button->icon().cacheKey();
}

void HoverPicture::leave()
{
    // An icon set while the mouse was over the button stays: it is newer than the one kept.
    if (m_hotKey != 0 && m_button->icon().cacheKey() == m_hotKey)
        m_button->setIcon(m_rest);
    m_hotKey = 0;
    m_rest = QIcon();
}
