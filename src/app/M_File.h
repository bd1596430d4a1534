#pragma once

#include <QString>
#include <memory>

class QFile;
class QWidget;

// Folders, small file services and the file dialogs of the program.
namespace M_File {

// Folder identifiers of the platform's shell (the three the program uses).
enum Csidl : int { CommonAppData = 35, AppData = 26, LocalAppData = 28 };

// The folder ending in "/"; empty when the platform cannot name it.
// On Linux: roaming = the user's configuration folder, local = the user's data folder,
// per-machine = a shared folder an ordinary user can create in (ZORVIK_COMMON_APPDATA overrides).
QString getDirPath(int csidl);
QString getDirPathTmp();

// Creates one folder level if missing, writable by its owner only (less the umask's bits).
bool createDir(const QString& path);
// Creates (overwriting) a file and returns it open for writing; null on failure (reported).
std::unique_ptr<QFile> createIniFile(const QString& path);
bool existFile(const QString& path);
// Deletes the file if it exists; a missing file is no error; a read-only file is not forced.
bool rmFile(const QString& path);

// The open dialog; returns the chosen path, or for several chosen files the folder followed
// by the file names, NUL-separated; a cancel returns initFile. flags 0x200 allows several files.
QString dlgFileOpen(QWidget* owner, QWidget* container, const QString& initDir, const QString& initFile,
                    const QString& filter, int flags);
// The save dialog; returns the chosen path, or initFile after a cancel. flags 2 asks before overwriting.
// `filter` (pipe form) offers several file types instead of the one extension; the chosen type
// gives the extension when the user types none.
QString dlgFileSave(QWidget* owner, QWidget* container, const QString& initDir, const QString& initFile,
                    const QString& ext, const QString& title, int flags, const QString& filter = {});
// The save dialog offering a name: it starts in the folder of the last file chosen, else in the
// folder of `suggested`, with the name of `suggested` (numbered on where that file exists);
// asks before overwriting. Returns the chosen path, empty after a cancel.
QString dlgFileSaveOffer(QWidget* owner, const QString& suggested, const QString& ext, const QString& title,
                         const QString& filter = {});

// The name of the temporary control that a file dialog adds to its owner while it is shown.
inline constexpr const char* kDlgControlName = "M_File_dlgFile_";

} // namespace M_File
