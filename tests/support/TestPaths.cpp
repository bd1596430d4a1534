#include "support/TestPaths.h"

#include "app/MMain.h"
#include "app/M_Ini.h"

#include <QDir>
#include <QFileInfo>
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

void TestPaths::forgetSession()
{
    const QString ini = MMain::iniFilePath();
    if (!QFileInfo::exists(ini))
        return;
    M_Ini::str_set(QStringLiteral("Window"), QStringLiteral("Width"), QString(), ini);
    M_Ini::str_set(QStringLiteral("Folders"), QStringLiteral("Last"), QString(), ini);
    M_Ini::str_set(QStringLiteral("Tools"), QStringLiteral("Colour"), QString(), ini);
    M_Ini::str_set(QStringLiteral("Tools"), QStringLiteral("LineWidth"), QString(), ini);
}
