#pragma once

class QPainter;
struct PictureMapping;

// A collection whose members the viewer draws above the picture: the graphic items, the
// distances or the angles of a view. Each member has a frame range; the collection draws the
// members whose range holds `frame`, placing them through `mapping`.
class OverlayCollection {
public:
    virtual ~OverlayCollection() = default;
    virtual void draw(QPainter& painter, const PictureMapping& mapping, int frame) const = 0;
};
