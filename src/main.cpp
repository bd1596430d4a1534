#include "app/MMain.h"
#include "components/media/DemoClips.h"
#include "mainwindow/frmMain.h"

#include <QApplication>
#include <QDir>
#include <cstdio>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zorvik"));
    QApplication::setOrganizationName(QStringLiteral("Ovra"));
    // --demo writes two short clips of known motion into the temporary folder and opens them
    // beside any file named on the command line.
    QStringList files = QApplication::arguments().mid(1);
    const bool demo = files.removeAll(QStringLiteral("--demo")) > 0;
    if (!MMain::Main())
        return 1;
    if (demo) {
        QString error;
        const QStringList clips = DemoClips::ensure(QDir::temp().filePath(QStringLiteral("zorvik-demo")), &error);
        if (clips.isEmpty())
            std::fprintf(stderr, "zorvik: the demo clips could not be written: %s\n", qPrintable(error));
        files = clips + files;
    }
    // Files named on the command line open as if chosen in the open dialog.
    // Work left by a program that did not end properly is offered first.
    if (auto* window = qobject_cast<frmMain*>(MMain::form(MMain::FrmMain))) {
        window->analysis_offerRecovery();
        window->openFiles(files);
    }
    const int rc = QApplication::exec();
    MMain::terminate();
    return rc;
}
