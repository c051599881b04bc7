#pragma once

#include <QWidget>

// The widget of a form by its object name; a test that names a widget the form lacks stops at once.
template<typename T>
T *child(QWidget *parent, const char *name)
{
    T *found = parent->findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("no %s in the form", name);
    return found;
}
