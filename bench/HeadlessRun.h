#pragma once

// What every benchmark that builds views needs to run headless: no modal window may ever wait
// (each message is printed and counted, and a run that shows one is not a valid measurement),
// the string table, and the program's pictures as the build puts them beside the program.

#include "app/M_GUI.h"
#include "app/M_Rc.h"
#include "components/DialogService.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>
#include <memory>

class PrintedDialogs final : public DialogService {
public:
    int messageBox(const QString& text, int, const QString&) override
    {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
        ++messages;
        return MsgBox::Ok;
    }
    std::optional<QStringList> fileDialog(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<QColor> chooseColor(QWidget*, const QColor&) override { return std::nullopt; }
    std::optional<CodecChoice> chooseCodec(QWidget*, const QStringList&, const CodecChoice&) override
    {
        return codec; // a benchmark that writes sets the codec it measures
    }
    QAction* popupMenu(QMenu&, const QPoint&) override { return nullptr; }
    bool openUrl(const QUrl&) override { return false; }
    int messages = 0;
    std::optional<CodecChoice> codec;
};

namespace HeadlessRun {

// Installs the printed dialogs (returned for counting), loads the strings and points the
// pictures folder at `imgDir`, or at the build's src/Img when empty.
inline PrintedDialogs* begin(const QString& imgDir = {})
{
    auto owned = std::make_unique<PrintedDialogs>();
    PrintedDialogs* dialogs = owned.get();
    DialogService::install(std::move(owned));
    M_Rc::Init();
    const QString img = imgDir.isEmpty()
        ? QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../src/Img"))
        : imgDir;
    M_GUI::setImgDir(QDir(img).absolutePath());
    return dialogs;
}

inline void end() { DialogService::install(nullptr); }

} // namespace HeadlessRun
