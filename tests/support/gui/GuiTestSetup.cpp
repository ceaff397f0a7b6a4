#include "support/gui/GuiTestSetup.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QtGlobal>

namespace guitest {

void setUp()
{
    static QTemporaryDir configHome;  // lives until the test program ends
    qputenv("XDG_CONFIG_HOME", configHome.path().toLocal8Bit());
    QCoreApplication::setOrganizationName(QStringLiteral("Brenwick"));
    QCoreApplication::setApplicationName(QStringLiteral("sonvik+"));
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
}

} // namespace guitest
