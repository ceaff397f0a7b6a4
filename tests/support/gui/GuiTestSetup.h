#pragma once
// Common set-up of the widget tests.

#include <QApplication>
#include <QList>
#include <QWidget>

namespace guitest {

// Call first in initTestCase(), before anything touches QSettings: moves the
// settings store into a fresh temporary folder (never the user's store),
// sets the application identity that main() sets, and makes file dialogs
// Qt's own widgets so that ModalAnswerer can answer them.
void setUp();

// The visible or hidden top-level widgets of type T, e.g. the open main windows.
template <class T>
QList<T *> topLevels()
{
    QList<T *> found;
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (auto *typed = qobject_cast<T *>(widget))
            found << typed;
    return found;
}

// Deletes every top-level widget of type T (test clean-up).
template <class T>
void deleteTopLevels()
{
    qDeleteAll(topLevels<T>());
}

} // namespace guitest
