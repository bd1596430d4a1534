#include "app/MMain.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zorvik"));
    QApplication::setOrganizationName(QStringLiteral("Ovra"));
    if (!MMain::Main())
        return 1;
    const int rc = QApplication::exec();
    MMain::terminate();
    return rc;
}
