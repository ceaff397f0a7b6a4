#include "app/AboutText.h"

#include "app/AppInfo.h"

#include <QRegularExpression>
#include <QStringList>
#include <QtGlobal>

#include <fftw3.h>
#include <portaudio.h>
#include <qwt_global.h>
#include <qwtplot3d/qwt3d_global.h>
#include <sndfile.h>

namespace abouttext {

QString versionNumber(const QString &versionText)
{
    static const QRegularExpression dotted(QStringLiteral("\\d+(\\.\\d+)+"));
    const QRegularExpressionMatch match = dotted.match(versionText);
    return match.hasMatch() ? match.captured() : versionText;
}

QString message()
{
    // QwtPlot3D reports no version at run time; its header macros are what we built against.
    const QString plot3dVersion = QStringLiteral("%1.%2.%3")
                                      .arg(QWT3D_MAJOR_VERSION)
                                      .arg(QWT3D_MINOR_VERSION)
                                      .arg(QWT3D_PATCH_VERSION);
    const QStringList lines = {
        QStringLiteral("%1 %2").arg(appinfo::kName, appinfo::kVersion),
        QStringLiteral("Made by the Brenwick acoustics group."),
        QString(),
        QStringLiteral("Testing Version"),
        QStringLiteral("Build 20100817"),
        QString(),
        QStringLiteral("Based on"),
        QStringLiteral("- a short-time spectrum and cepstrum analyser"),
        QStringLiteral("- a pitch-synchronous phase vocoder tracker"),
        QString(),
        QStringLiteral("Libraries in use:"),
        QStringLiteral("Qt ") + QString::fromLatin1(qVersion()),
        QStringLiteral("Qwt ") + QStringLiteral(QWT_VERSION_STR),
        QStringLiteral("QwtPlot3D ") + plot3dVersion,
        QStringLiteral("FFTW ") + versionNumber(QString::fromLatin1(fftw_version)),
        QStringLiteral("PortAudio ") + versionNumber(QString::fromLatin1(Pa_GetVersionText())),
        QStringLiteral("libSndFile ") + versionNumber(QString::fromLatin1(sf_version_string())),
    };
    return lines.join(QLatin1Char('\n'));
}

} // namespace abouttext
