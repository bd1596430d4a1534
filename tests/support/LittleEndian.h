#pragma once

#include <QByteArray>
#include <QtGlobal>

// Little-endian numbers read byte by byte from file contents (bounds-checked by QByteArray::at).
namespace LittleEndian {

inline int u16(const QByteArray& data, int at)
{
    return int(uchar(data.at(at))) | int(uchar(data.at(at + 1))) << 8;
}

inline quint32 u32(const QByteArray& data, int at)
{
    return quint32(u16(data, at)) | quint32(u16(data, at + 2)) << 16;
}

} // namespace LittleEndian
