#include "toggledtransition.h"

#include <QDebug>
#include <QMetaEnum>
#include <QStateMachine>

namespace drawlet {
namespace ui {

ToggledTransition::ToggledTransition(QState *source)
    : QSignalTransition(source)
{
}

ToggledTransition::ToggledTransition(const QObject *sender, const char *signal, QState *source)
    : QSignalTransition(sender, signal, source)
{
}

bool ToggledTransition::eventTest(QEvent *event)
{
    bool result = false;
    if (QSignalTransition::eventTest(event)) {
        const auto *signalEvent = static_cast<QStateMachine::SignalEvent *>(event);
        const QList<QVariant> arguments = signalEvent->arguments();
        result = !arguments.isEmpty() && arguments.first() == QVariant(m_toggled);
    }
    const char *type = QMetaEnum::fromType<QEvent::Type>().valueToKey(event->type());
    qDebug().nospace() << "Event::Type" << (type ? type : "Unknown") << "; " << this
                       << " was be triggered!! testResult: " << (result ? "true" : "false");
    return result;
}

void ToggledTransition::onTransition(QEvent *event)
{
    const QObject *sender = nullptr;
    if (event && event->type() == QEvent::StateMachineSignal)
        sender = static_cast<QStateMachine::SignalEvent *>(event)->sender();
    qDebug().nospace().noquote() << getObjectNameOrClassinfo(sender) << "was be triggered!!"
                                 << "; This ObjectName:" << this;
}

QString getObjectNameOrClassinfo(const QObject *object)
{
    if (!object)
        return QStringLiteral("BadAllocated Object");
    QString text;
    QDebug(&text).nospace() << object;
    return text;
}

} // namespace ui
} // namespace drawlet
