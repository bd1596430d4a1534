#include "SafeTarget.h"

#include "components/media/MediaCodes.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <filesystem>
#include <system_error>

int SafeTarget::create(const QString& target)
{
    discard();
    const QFileInfo info(target);
    if (target.isEmpty() || info.isDir() || info.fileName().isEmpty())
        return MediaBadArgument;
    // Same folder as the target, so the final rename never crosses file systems.
    QTemporaryFile file(info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".XXXXXX.part"));
    file.setAutoRemove(false);
    if (!file.open())
        return MediaWriteFailed;
    // The finished file keeps the permissions of the one it replaces, else the usual ones.
    file.setPermissions(info.exists() ? info.permissions()
                                      : QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    m_target = info.absoluteFilePath();
    m_temporary = file.fileName();
    return MediaOk;
}

int SafeTarget::commit()
{
    if (!isActive())
        return MediaNotOpen;
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(m_temporary.toStdU16String()),
                            std::filesystem::path(m_target.toStdU16String()), error);
    if (error) {
        discard();
        return MediaWriteFailed;
    }
    m_temporary.clear();
    return MediaOk;
}

void SafeTarget::discard()
{
    if (isActive())
        QFile::remove(m_temporary);
    m_temporary.clear();
}
