#pragma once

#include <QImage>
#include <QRect>
#include <cstdint>

// How a file's recorded frames become shown pictures, from the open flags:
//   low byte 0   full frames;
//   low byte 1   separate fields: two pictures per frame in the stream's field order, each
//                line-doubled back to full height;
//   low byte 3   high-speed camera, two sub-pictures side by side: left half, then right half;
//   low byte 4   high-speed camera, two sub-pictures one above the other: top, then bottom;
//   low byte 5   high-speed camera, four quadrants in reading order: top left, top right,
//                bottom left, bottom right;
//   bits 8/9/10  rotation clockwise by 90/180/270 degrees (the lowest set bit wins);
//   bit 11       mirror (left and right swapped), applied before the rotation.
// Other low bytes show full frames; all other bits are ignored.
class DisplayMode {
public:
    enum Split { FullFrames = 0, Fields = 1, SideBySide = 3, TopBottom = 4, Quadrants = 5 };

    explicit DisplayMode(uint32_t flags = 0);

    uint32_t flags() const { return m_flags; }
    Split split() const { return m_split; }
    int rotation() const { return m_rotation; }
    bool mirrored() const { return m_mirror; }
    // Shown pictures per recorded frame: 1, 2 or 4.
    int picturesPerFrame() const;

    // The part of a recorded frame of size `frame` that sub-picture `sub` shows (before
    // line doubling and rotation); for fields the whole frame.
    QRect subRect(QSize frame, int sub) const;
    // Size of a shown picture for recorded frames of size `frame`.
    QSize shownSize(QSize frame) const;

    // The shown picture `sub` of a recorded frame already converted to RGB. For fields,
    // `bottomFieldFirst` tells which field is the first picture of the frame.
    QImage apply(const QImage& frameRgb, int sub, bool bottomFieldFirst) const;

private:
    uint32_t m_flags;
    Split m_split;
    int m_rotation;
    bool m_mirror;
};
