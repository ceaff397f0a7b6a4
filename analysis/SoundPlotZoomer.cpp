#include "analysis/SoundPlotZoomer.h"

#include <qwt_text.h>

#include <QApplication>
#include <QBrush>
#include <QColor>
#include <QFont>

SoundPlotZoomer::SoundPlotZoomer(QWidget *canvas) : QwtPlotZoomer(canvas, true)
{
}

QwtText SoundPlotZoomer::trackerTextF(const QPointF &pos) const
{
    QwtText text(QStringLiteral("Time: ") + QString::number(pos.x(), 'f', 2) + QStringLiteral("s\nAmp.:")
                 + QString::number(pos.y(), 'f', 0));
    QFont font = QApplication::font();
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(10);
    text.setFont(font);
    text.setBackgroundBrush(QBrush(QColor(255, 255, 255, 180)));
    return text;
}
