#include "OvGraphItems.h"

#include "OverlayGeometry.h"
#include "components/viewer/PictureMapping.h"

#include <QPainter>
#include <algorithm>

void OvGraphItems::add(const Item& item)
{
    if (item && !contains(item.get()))
        m_items.push_back(item);
}

bool OvGraphItems::remove(const OvGraphItem* item)
{
    const auto it = std::find_if(m_items.begin(), m_items.end(), [item](const Item& i) { return i.get() == item; });
    if (it == m_items.end())
        return false;
    m_items.erase(it);
    return true;
}

int OvGraphItems::rmId(int id)
{
    return int(std::erase_if(m_items, [id](const Item& i) { return i->id() == id; }));
}

void OvGraphItems::rmLast()
{
    if (!m_items.empty())
        rmId(m_items.back()->id());
}

OvGraphItems::Item OvGraphItems::item(int pos) const
{
    if (pos < 1 || pos > count())
        return nullptr;
    return m_items[size_t(pos - 1)];
}

bool OvGraphItems::contains(const OvGraphItem* item) const
{
    return std::any_of(m_items.begin(), m_items.end(), [item](const Item& i) { return i.get() == item; });
}

OvGraphItems::Item OvGraphItems::hitTest(int frame, double x, double y, double tolerance) const
{
    for (auto it = m_items.rbegin(); it != m_items.rend(); ++it)
        if ((*it)->showsIn(frame) && (*it)->hit(x, y, tolerance))
            return *it;
    return nullptr;
}

void OvGraphItems::markId(int id, bool marked)
{
    for (const Item& i : m_items)
        if (i->id() == id)
            i->setMarked(marked);
}

void OvGraphItems::placeText(OvGraphItem& text, QPointF anchor, QSizeF picture) const
{
    text.setPoint(0, float(anchor.x()), float(anchor.y()));
    const QRectF own = text.textBox();
    if (own.isEmpty() || picture.isEmpty())
        return;
    std::vector<QRectF> taken;
    for (const Item& i : m_items) {
        const bool framesMeet = i->firstFrame() <= text.lastFrame() && text.firstFrame() <= i->lastFrame();
        if (i.get() != &text && i->id() != text.id() && i->type() == OvGraphItem::Text && framesMeet)
            if (const QRectF box = i->textBox(); !box.isEmpty())
                taken.push_back(box);
    }
    const QPointF at = OverlayGeometry::freePlace(own.size(), anchor, QRectF(QPointF(0, 0), picture), taken);
    text.setPoint(0, float(at.x()), float(at.y()));
}

std::vector<QRectF> OvGraphItems::textBoxes(int frame) const
{
    std::vector<QRectF> boxes;
    for (const Item& i : m_items)
        if (i->type() == OvGraphItem::Text && i->showsIn(frame))
            if (const QRectF box = i->textBox(); !box.isEmpty())
                boxes.push_back(box);
    return boxes;
}

void OvGraphItems::draw(QPainter& painter, const PictureMapping& mapping, int frame) const
{
    if (!mapping.isValid())
        return;
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    for (const Item& i : m_items)
        if (i->showsIn(frame))
            i->draw(painter, mapping);
}
