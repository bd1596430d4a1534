#pragma once

#include <QColor>
#include <QList>
#include <QPoint>
#include <QSize>
#include <QString>

namespace ZorvikArt {

// One file made from a drawing: the plain picture, its greyed (disabled) look, or its
// highlighted (hot, under the mouse) look.
struct ArtVariant {
    enum class Kind { Normal, Disabled, Hot };
    Kind kind = Kind::Normal;
    QString path; // relative to the picture folder, with the extension that names the format
};

// One line of the manifest: a drawing and the picture files made from it.
struct ArtEntry {
    int line = 0;           // manifest line, for messages
    QString output;         // relative path of the plain picture, e.g. "_24x24/play.bmp"
    QString source;         // drawing, relative to the art folder
    QList<QSize> sizes;     // one size, or several for a multi-size icon
    QColor background;      // invalid: transparent (icons and cursors keep their alpha)
    QList<ArtVariant> variants;
    QPoint hotspot;         // cursors only

    // "bmp", "ico", "cur" or "gif", taken from the output's extension.
    QString format() const { return output.section(u'.', -1).toLower(); }
};

} // namespace ZorvikArt
