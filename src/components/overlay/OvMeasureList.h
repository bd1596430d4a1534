#pragma once

#include "components/viewer/OverlayCollection.h"
#include "components/viewer/PictureMapping.h"

#include <QPainter>
#include <QString>
#include <memory>
#include <utility>
#include <vector>

// The angles or the distances of one view, in the order added. A member is shared, so a view
// that is still placing one keeps it alive even when the list has dropped it.
template <typename T>
class OvMeasureList : public OverlayCollection {
public:
    using Item = std::shared_ptr<T>;

    void add(const Item& item, const QString& key = {})
    {
        if (item && position(item.get()) == 0)
            m_items.emplace_back(item, key);
    }
    int count() const { return int(m_items.size()); }
    // Position counted from 1; null outside 1..count().
    Item item(int pos) const { return pos >= 1 && pos <= count() ? m_items[size_t(pos - 1)].first : nullptr; }
    QString key(int pos) const { return pos >= 1 && pos <= count() ? m_items[size_t(pos - 1)].second : QString(); }
    // Position of the member, from 1; 0 when it is not in the list.
    int position(const T* item) const
    {
        for (size_t i = 0; i < m_items.size(); ++i)
            if (m_items[i].first.get() == item)
                return int(i) + 1;
        return 0;
    }
    // Removes the member at the position (from 1); false outside 1..count().
    bool remove(int pos)
    {
        if (pos < 1 || pos > count())
            return false;
        m_items.erase(m_items.begin() + (pos - 1));
        return true;
    }
    void rmAll() { m_items.clear(); }
    // Removes the last member together with every member of its id.
    void rmLast()
    {
        if (m_items.empty())
            return;
        const int id = m_items.back().first->userData();
        for (int pos = count(); pos >= 1; --pos)
            if (item(pos)->userData() == id)
                remove(pos);
    }

    // The topmost member showing in the frame that passes within `tolerance` (a fraction of
    // the picture's width) of the point (x, y) given as fractions of the picture; null when none.
    Item hitTest(int frame, double tolerance, double x, double y) const
    {
        for (auto it = m_items.rbegin(); it != m_items.rend(); ++it)
            if (it->first->showsIn(frame) && it->first->hit(x, y, tolerance))
                return it->first;
        return nullptr;
    }

    void draw(QPainter& painter, const PictureMapping& mapping, int frame) const override
    {
        if (!mapping.isValid())
            return;
        painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
        for (const auto& entry : m_items)
            if (entry.first->showsIn(frame))
                entry.first->draw(painter, mapping);
    }

private:
    std::vector<std::pair<Item, QString>> m_items;
};
