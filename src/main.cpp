#include "app/MMain.h"
#include "mainwindow/frmMain.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zorvik"));
    QApplication::setOrganizationName(QStringLiteral("Ovra"));
    if (!MMain::Main())
        return 1;
    // Files named on the command line open as if chosen in the open dialog.
    if (auto* window = qobject_cast<frmMain*>(MMain::form(MMain::FrmMain)))
        window->openFiles(QApplication::arguments().mid(1));
    const int rc = QApplication::exec();
    MMain::terminate();
    return rc;
}
