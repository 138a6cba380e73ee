#include "mouse_pointer.h"

#include <QApplication>
#include <QCursor>

namespace {
MousePointer current = MousePointer::Default;
}

void SetMousePointer(MousePointer pointer)
{
    if (pointer == current)
        return;
    current = pointer;
    if (pointer == MousePointer::Hourglass)
        QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    else
        QApplication::restoreOverrideCursor();
}

MousePointer CurrentMousePointer() { return current; }
