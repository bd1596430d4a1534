#pragma once

#include <QDir>
#include <QFileInfo>
#include <QString>

// Whether the two paths name one file: through links and relative parts where the file exists,
// by the cleaned absolute path where it does not.
inline bool samePath(const QString& a, const QString& b)
{
    if (a.isEmpty() || b.isEmpty())
        return false;
    const auto canonical = [](const QString& p) {
        const QFileInfo info(p);
        const QString c = info.canonicalFilePath();
        return c.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : c;
    };
    return canonical(a) == canonical(b);
}
