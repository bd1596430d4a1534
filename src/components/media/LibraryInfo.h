#pragma once

#include <QString>

// The media libraries this program runs with, as the About window names them.
namespace media {
struct LibraryInfo {
    QString name;
    QString version; // of the libraries loaded at run time, not of the headers built against
    QString licence;
};
LibraryInfo libraryInfo();
} // namespace media
