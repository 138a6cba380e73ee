// Controls carry their names as Qt object names, so that the program and its tests find them.
#pragma once

#include <QString>

template <typename Widget>
Widget* Named(Widget* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}
