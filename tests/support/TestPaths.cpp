#include "support/TestPaths.h"

#include <QDir>
#include <QTemporaryDir>

namespace TestPaths {
QString sourceDir()
{
    const QString fromEnv = qEnvironmentVariable("ZORVIK_SOURCE_DIR");
    return fromEnv.isEmpty() ? QDir::currentPath() : fromEnv;
}

QString scratchDir()
{
    static QTemporaryDir dir;
    return dir.path();
}
} // namespace TestPaths
