#include "mainwindow/RecentFiles.h"

#include "app/M_Ini.h"

#include <QDir>
#include <QFileInfo>

namespace {
const QString kSection = QStringLiteral("Recent");
QString keyOf(int n) { return QStringLiteral("File%1").arg(n); }
} // namespace

QStringList RecentFiles::list() const
{
    QStringList files;
    for (int n = 1; n <= kMax; ++n) {
        const QString path = M_Ini::str_get(kSection, keyOf(n), m_iniPath);
        if (!path.isEmpty() && !files.contains(path))
            files << path;
    }
    return files;
}

void RecentFiles::add(const QString& path)
{
    const QString full = QFileInfo(path).absoluteFilePath();
    QStringList files = list();
    files.removeAll(full);
    files.prepend(full);
    store(files.mid(0, kMax));
}

void RecentFiles::remove(const QString& path)
{
    QStringList files = list();
    if (files.removeAll(path) > 0)
        store(files);
}

void RecentFiles::store(const QStringList& files)
{
    if (files == list())
        return;
    QDir().mkpath(QFileInfo(m_iniPath).path());
    for (int n = 1; n <= kMax; ++n)
        M_Ini::str_set(kSection, keyOf(n), n <= files.size() ? files[n - 1] : QString(), m_iniPath);
}
