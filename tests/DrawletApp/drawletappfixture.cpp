#include "drawletappfixture.h"

#include "plugmux.h"

#include <QAbstractState>
#include <QButtonGroup>
#include <QStateMachine>
#include <QToolButton>
#include <QtTest>

using drawlet::application::DrawletApp;

MessageLog *MessageLog::s_current = nullptr;

MessageLog::MessageLog()
{
    s_current = this;
    m_previous = qInstallMessageHandler(&MessageLog::handler);
}

MessageLog::~MessageLog()
{
    qInstallMessageHandler(m_previous);
    s_current = nullptr;
}

void MessageLog::handler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (s_current)
        s_current->m_entries.append({type, message, QString::fromLatin1(context.function)});
}

QStringList MessageLog::texts() const
{
    QStringList texts;
    for (const Entry &entry : m_entries)
        texts << entry.text;
    return texts;
}

QStringList MessageLog::textsOf(const QString &functionPart) const
{
    QStringList texts;
    for (const Entry &entry : m_entries) {
        if (entry.function.contains(functionPart))
            texts << entry.text;
    }
    return texts;
}

bool MessageLog::contains(QtMsgType type, const QString &text) const
{
    for (const Entry &entry : m_entries) {
        if (entry.type == type && entry.text == text)
            return true;
    }
    return false;
}

FakePanel &fakePanel()
{
    static FakePanel panel(drawlet::ui::Plugmux::defaultPluginPath());
    return panel;
}

std::unique_ptr<DrawletApp> makeWindow()
{
    fakePanel().setServerAlive(true);
    auto window = std::make_unique<DrawletApp>(nullptr);
    (void)QTest::qWaitFor([&] { return activeModeState(window.get()) == QLatin1String("desktopAnnotationState"); });
    return window;
}

QToolButton *toolButton(DrawletApp *window, const QString &objectName)
{
    return window->findChild<QToolButton *>(objectName);
}

QString activeModeState(DrawletApp *window)
{
    for (QAbstractState *state : window->stateMachine()->configuration()) {
        if (state->objectName().endsWith(QLatin1String("State"))
            && state->objectName() != QLatin1String("annotationGroupState")
            && state->objectName() != QLatin1String("initState"))
            return state->objectName();
    }
    return QString();
}

QString checkedTool(DrawletApp *window)
{
    const QToolButton *freehand = toolButton(window, QStringLiteral("freehandButton"));
    const QButtonGroup *group = freehand ? freehand->group() : nullptr;
    QAbstractButton *checked = group ? group->checkedButton() : nullptr;
    return checked ? checked->objectName() : QString();
}
