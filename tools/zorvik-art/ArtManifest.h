#pragma once

#include "ArtEntry.h"

#include <QColor>
#include <QList>
#include <QString>

namespace ZorvikArt {

// The list of pictures to make, read from a tab-separated text:
//   output  source  size  background  variants  [hotspot]
// size is "WxH" or a comma list of square edges ("16,32,48,256"); background is "#rrggbb" or
// "none"; variants is a comma list of "dis", "hot", each optionally "=name" to give the file a
// name of its own, or "-" for none. Blank lines and lines starting with '#' are ignored; a line
// "hot-tint  #rrggbb" sets the colour of the hot highlight.
class ArtManifest {
public:
    // Parses the text; on a bad line returns false and says which line and why in *error.
    bool parse(const QString& text, QString* error);
    bool load(const QString& file, QString* error);

    const QList<ArtEntry>& entries() const { return m_entries; }
    QColor hotTint() const { return m_hotTint; }

private:
    QList<ArtEntry> m_entries;
    QColor m_hotTint{43, 123, 208};
};

} // namespace ZorvikArt
