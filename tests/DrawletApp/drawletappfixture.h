#pragma once

#include "drawletapp.h"
#include "fakepanel.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

class QToolButton;

// Every message of the process while it lives, with its level and the function that wrote it.
class MessageLog
{
public:
    struct Entry
    {
        QtMsgType type;
        QString text;
        QString function;
    };

    MessageLog();
    ~MessageLog();

    QList<Entry> entries() const { return m_entries; }
    QStringList texts() const;
    // The texts written by one of the window's handlers (by its function name).
    QStringList textsOf(const QString &functionPart) const;
    bool contains(QtMsgType type, const QString &text) const;
    void clear() { m_entries.clear(); }

private:
    static void handler(QtMsgType type, const QMessageLogContext &context, const QString &message);
    QList<Entry> m_entries;
    QtMessageHandler m_previous;
    static MessageLog *s_current;
};

// The stand-in panel plug-in at the place the controller looks for it beside these tests.
FakePanel &fakePanel();

// The overlay window over the stand-in panel, with its state machine started into desktop annotation.
std::unique_ptr<drawlet::application::DrawletApp> makeWindow();

QToolButton *toolButton(drawlet::application::DrawletApp *window, const QString &objectName);
// The active state among the three modes: "desktopAnnotationState", "mouseModeState" or
// "whiteboardAnnotationState".
QString activeModeState(drawlet::application::DrawletApp *window);
// The tool button of the exclusive tool group that is checked.
QString checkedTool(drawlet::application::DrawletApp *window);
