#include "DisplayMode.h"

#include <QTransform>
#include <cstring>

DisplayMode::DisplayMode(uint32_t flags) : m_flags(flags)
{
    switch (flags & 0xFF) {
    case 1:
        m_split = Fields;
        break;
    case 3:
        m_split = SideBySide;
        break;
    case 4:
        m_split = TopBottom;
        break;
    case 5:
        m_split = Quadrants;
        break;
    default:
        m_split = FullFrames;
        break;
    }
    m_rotation = (flags & 0x100) ? 90 : (flags & 0x200) ? 180 : (flags & 0x400) ? 270 : 0;
    m_mirror = flags & 0x800;
}

int DisplayMode::picturesPerFrame() const
{
    switch (m_split) {
    case FullFrames:
        return 1;
    case Quadrants:
        return 4;
    default:
        return 2;
    }
}

QRect DisplayMode::subRect(QSize frame, int sub) const
{
    // Odd sizes: the first sub-picture gets the smaller half so all have the same size.
    const int halfW = frame.width() / 2;
    const int halfH = frame.height() / 2;
    const int offW = frame.width() - halfW;
    const int offH = frame.height() - halfH;
    switch (m_split) {
    case SideBySide:
        return QRect(sub == 0 ? 0 : offW, 0, halfW, frame.height());
    case TopBottom:
        return QRect(0, sub == 0 ? 0 : offH, frame.width(), halfH);
    case Quadrants:
        return QRect((sub % 2) ? offW : 0, (sub / 2) ? offH : 0, halfW, halfH);
    default:
        return QRect(QPoint(0, 0), frame);
    }
}

QSize DisplayMode::shownSize(QSize frame) const
{
    const QSize sub = subRect(frame, 0).size();
    return (m_rotation == 90 || m_rotation == 270) ? sub.transposed() : sub;
}

QImage DisplayMode::apply(const QImage& frameRgb, int sub, bool bottomFieldFirst) const
{
    if (frameRgb.isNull())
        return {};
    QImage picture;
    if (m_split == Fields) {
        // Line doubling: shown lines 2k and 2k+1 both repeat line k of the field.
        const int parity = (sub == 0) == bottomFieldFirst ? 1 : 0;
        picture = QImage(frameRgb.size(), frameRgb.format());
        const int h = frameRgb.height();
        const auto bytes = static_cast<std::size_t>(std::min(frameRgb.bytesPerLine(), picture.bytesPerLine()));
        for (int y = 0; y < h; ++y) {
            int source = (y & ~1) + parity;
            if (source >= h)
                source = h - 1 - ((h - 1 - parity) & 1);
            std::memcpy(picture.scanLine(y), frameRgb.constScanLine(source), bytes);
        }
    } else if (m_split == FullFrames) {
        picture = frameRgb;
    } else {
        picture = frameRgb.copy(subRect(frameRgb.size(), sub));
    }
    if (m_mirror)
        picture = picture.mirrored(true, false);
    if (m_rotation != 0)
        picture = picture.transformed(QTransform().rotate(m_rotation));
    return picture;
}
