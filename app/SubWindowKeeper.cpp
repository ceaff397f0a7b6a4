#include "app/SubWindowKeeper.h"

#include <QEvent>
#include <QMdiArea>
#include <QMdiSubWindow>

bool SubWindowKeeper::eventFilter(QObject *watched, QEvent *event)
{
    auto *window = qobject_cast<QMdiSubWindow *>(watched);
    if (event->type() != QEvent::Close || !window)
        return QObject::eventFilter(watched, event);
    // An ignored close event keeps the sub-window, and delete-on-close with it.
    event->ignore();
    window->hide();
    QMdiArea *area = window->mdiArea();
    if (area && area->activeSubWindow() == window)
        area->activateNextSubWindow();
    return true;
}
