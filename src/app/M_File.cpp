#include "app/M_File.h"

#include "app/MMain.h"
#include "app/M_Ini.h"
#include "app/M_Msg.h"
#include "app/M_Rc.h"
#include "app/RtError.h"
#include "app/TempControl.h"
#include "components/DialogService.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QWidget>
#include <cerrno>

namespace M_File {
namespace {

QString withSlash(const QString& path)
{
    if (path.isEmpty())
        return {};
    return path.endsWith(u'/') ? path : path + u'/';
}

QString commonAppDataRoot()
{
    const QString over = qEnvironmentVariable("ZORVIK_COMMON_APPDATA");
    if (!over.isEmpty())
        return over;
    // The shared variable-data folder survives reboots and every user may create in it.
    return QStringLiteral("/var/tmp");
}

} // namespace

QString getDirPath(int csidl) try {
    QString path;
    switch (csidl) {
    case CommonAppData: path = commonAppDataRoot(); break;
    case AppData: path = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation); break;
    case LocalAppData: path = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation); break;
    default: return {};
    }
    // The user's folders may not exist yet on a new account; they are made as the platform
    // guidelines ask, and a root that cannot be made counts as one that cannot be named.
    if (path.isEmpty() || !QDir().mkpath(path))
        return {};
    return withSlash(path);
} catch (...) {
    return {};
}

QString getDirPathTmp() { return withSlash(QDir::tempPath()); }

bool createDir(const QString& path) try {
    const QFileInfo info(path);
    if (info.isDir())
        return true;
    // Owner-writable and readable by all, less what the user's umask takes away: a shared
    // folder open to every user's writes would let one user plant files another one reads.
    if (!QDir().mkdir(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                | QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther
                                | QFileDevice::ExeOther))
        throw RtError(RtError::PathNotFound, {}, errno);
    return true;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_File.createDir()"), path);
    return false;
}

std::unique_ptr<QFile> createIniFile(const QString& path) try {
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw RtError(75, QStringLiteral("Path/File access error"), errno);
    return file;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_File.createIniFile()"), path);
    return nullptr;
}

bool existFile(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}

bool rmFile(const QString& path) try {
    const QFileInfo info(path);
    if (!info.exists())
        return true;
    if (!info.isWritable())
        throw RtError(75, QStringLiteral("Path/File access error"));
    if (!QFile::remove(path))
        throw RtError(75, QStringLiteral("Path/File access error"), errno);
    return true;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_File.rmFile()"), path);
    return false;
}

// The folder of the last file chosen in an open or save dialog, kept in the settings file, is
// where the next dialog without a folder of its own starts.
namespace {
const QLatin1String kFolderSection("Folders");
const QLatin1String kFolderKey("Last");

QString startFolder(const QString& initDir)
{
    if (!initDir.isEmpty() || MMain::iniFilePath().isEmpty())
        return initDir;
    const QString last = M_Ini::str_get(kFolderSection, kFolderKey, MMain::iniFilePath());
    return QFileInfo(last).isDir() ? last : QString();
}

void rememberFolder(const QString& chosen)
{
    const QString folder = QFileInfo(chosen).absolutePath();
    if (!folder.isEmpty() && !MMain::iniFilePath().isEmpty() &&
        QDir().mkpath(QFileInfo(MMain::iniFilePath()).absolutePath()))
        M_Ini::str_set(kFolderSection, kFolderKey, folder, MMain::iniFilePath());
}
} // namespace

QString dlgFileOpen(QWidget* owner, QWidget* container, const QString& initDir, const QString& initFile,
                    const QString& filter, int flags) try {
    const TempControl control(container ? container : owner, kDlgControlName);
    FileDialogRequest r;
    r.owner = owner;
    r.caption = M_Rc::getRcStr(2930);
    r.initialFolder = startFolder(initDir);
    r.initialFile = initFile;
    r.filter = filter;
    r.multiSelect = (flags | 0x81000) & 0x200;
    const auto chosen = DialogService::current().fileDialog(r);
    if (!chosen || chosen->isEmpty())
        return initFile;
    rememberFolder(chosen->first());
    if (chosen->size() == 1)
        return chosen->first();
    // Several files: the folder, then each name, separated by NUL characters.
    QStringList parts{QFileInfo(chosen->first()).absolutePath()};
    for (const QString& p : *chosen)
        parts << QFileInfo(p).fileName();
    return parts.join(QChar(u'\0'));
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_File.dlgFileOpen()"));
    return initFile;
}

namespace {
QString saveDialog(QWidget* owner, const QString& folder, const QString& file, const QString& ext,
                   const QString& title, bool confirmOverwrite, const QString& filter)
{
    FileDialogRequest r;
    r.owner = owner;
    r.save = true;
    r.caption = title.isEmpty() ? M_Rc::getRcStr(2930) : title;
    r.initialFolder = folder;
    r.initialFile = file;
    r.defaultExtension = ext;
    r.filter = filter.isEmpty() ? QStringLiteral("*.%1|*.%1|").arg(ext) : filter;
    r.confirmOverwrite = confirmOverwrite;
    const auto chosen = DialogService::current().fileDialog(r);
    if (!chosen || chosen->isEmpty())
        return {};
    rememberFolder(chosen->first());
    return chosen->first();
}
} // namespace

QString dlgFileSave(QWidget* owner, QWidget* container, const QString& initDir, const QString& initFile,
                    const QString& ext, const QString& title, int flags, const QString& filter) try {
    const TempControl control(container ? container : owner, kDlgControlName);
    const QString chosen = saveDialog(owner, startFolder(initDir), initFile, ext, title, flags & 2, filter);
    return chosen.isEmpty() ? initFile : chosen;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_File.dlgFileSave()"));
    return initFile;
}

QString dlgFileSaveOffer(QWidget* owner, const QString& suggested, const QString& ext, const QString& title,
                         const QString& filter) try {
    const QFileInfo offer(suggested);
    QString folder = startFolder({});
    if (folder.isEmpty())
        folder = offer.absolutePath();
    // A name that is taken gets a number, so that accepting the offer never replaces a file.
    QString name = offer.fileName();
    for (int n = 2; !name.isEmpty() && QFileInfo::exists(QDir(folder).filePath(name)) && n < 1000; ++n)
        name = QStringLiteral("%1_%2.%3").arg(offer.completeBaseName()).arg(n).arg(offer.suffix());
    return saveDialog(owner, folder, name, ext, title, true, filter);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_File.dlgFileSaveOffer()"));
    return {};
}

} // namespace M_File
