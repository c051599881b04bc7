#pragma once

// Readers for what a window shows and sends, shared by the toolbar and camera-window tests.

#include <QLabel>
#include <QSignalSpy>
#include <QStringList>

// The texts of the window's notice, joined by '|'; empty while the notice is hidden.
template<typename Window>
QString shownNotice(const Window &window)
{
    if (!window.notification()->isVisible())
        return QString();
    QStringList texts;
    for (QLabel *label : window.notification()->template findChildren<QLabel *>())
        texts.append(label->text());
    return texts.join(QLatin1Char('|'));
}

// How often a command signal (command id first) carried the command.
inline int countOf(const QSignalSpy &spy, int command)
{
    int count = 0;
    for (const QList<QVariant> &call : spy) {
        if (call.at(0).toInt() == command)
            ++count;
    }
    return count;
}

// The first emission that carried the command; empty if none did.
inline QList<QVariant> firstOf(const QSignalSpy &spy, int command)
{
    for (const QList<QVariant> &call : spy) {
        if (call.at(0).toInt() == command)
            return call;
    }
    return {};
}
