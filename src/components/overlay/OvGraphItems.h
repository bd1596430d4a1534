#pragma once

#include "OvGraphItem.h"
#include "components/viewer/OverlayCollection.h"

#include <memory>
#include <vector>

// The graphic items of one view, in the order added; the viewer draws them in that order, so a
// later item lies above an earlier one. Items are shared: whoever is still shaping an item keeps
// it alive even when the collection has dropped it.
class OvGraphItems final : public OverlayCollection {
public:
    using Item = std::shared_ptr<OvGraphItem>;

    // A new item of a library type, not yet in the collection.
    static Item newItem(int type) { return std::make_shared<OvGraphItem>(type); }

    void add(const Item& item);
    // Removes that one item; false when it is not in the collection.
    bool remove(const OvGraphItem* item);
    // Removes every item with the id; the number removed.
    int rmId(int id);
    void rmAll() { m_items.clear(); }
    // Removes the last item together with every item that shares its id.
    void rmLast();

    int count() const { return int(m_items.size()); }
    // Position counted from 1; the last added is item(count()). Null outside 1..count().
    Item item(int pos) const;
    bool contains(const OvGraphItem* item) const;

    // The topmost item showing in the frame whose outline passes within the tolerance of
    // (x, y) in picture pixels; null when none.
    Item hitTest(int frame, double x, double y, double tolerance = 1.0) const;

    // Marks or unmarks every item of the id; a marked item is drawn dashed (still being built).
    void markId(int id, bool marked);

    // Moves a text to the free place nearest `anchor` (picture pixels) inside a picture of that
    // size, clear of the other texts that show in any of its frames (OverlayGeometry::freePlace).
    void placeText(OvGraphItem& text, QPointF anchor, QSizeF picture) const;
    // The boxes of the texts that show in the frame, in picture pixels, in drawing order.
    std::vector<QRectF> textBoxes(int frame) const;

    void draw(QPainter& painter, const PictureMapping& mapping, int frame) const override;

private:
    std::vector<Item> m_items;
};
