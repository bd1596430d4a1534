#include "WriterTestFolder.h"

#include "support/TestPaths.h"

#include <QFile>

namespace WriterTestFolder {

QString make(const QString& name)
{
    QDir scratch(TestPaths::scratchDir());
    const QString path = scratch.filePath(QStringLiteral("writer/") + name);
    QDir(path).removeRecursively();
    QDir().mkpath(path);
    return path;
}

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

QByteArray bytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& data)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(data);
}

} // namespace WriterTestFolder
