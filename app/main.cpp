// Entry point: application identity, one maximised main window, event loop.

#include "app/AppInfo.h"
#include "app/MainWindow.h"

#include <QApplication>
#include <QLocale>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QString::fromLatin1(appinfo::kOrganisation));
    QCoreApplication::setOrganizationDomain(QString::fromLatin1(appinfo::kDomain));
    QCoreApplication::setApplicationName(QString::fromLatin1(appinfo::kName));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(appinfo::kVersion));
    // Plain tick labels such as 10000, whatever the user's locale groups digits with.
    QLocale::setDefault(QLocale::c());

    auto *window = new MainWindow;  // deletes itself when closed
    window->showMaximized();
    return app.exec();
}
