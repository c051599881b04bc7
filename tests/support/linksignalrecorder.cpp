#include "linksignalrecorder.h"

#include <QMetaMethod>
#include <QSignalSpy>

namespace {

QString quoted(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

QString describe(const QVariant &value)
{
    if (value.userType() == qMetaTypeId<QList<QString>>()) {
        QStringList items;
        for (const QString &item : value.value<QList<QString>>())
            items.append(quoted(item));
        return QLatin1Char('[') + items.join(QLatin1Char(',')) + QLatin1Char(']');
    }
    switch (value.userType()) {
    case QMetaType::QString:
        return quoted(value.toString());
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    default:
        return value.toString();
    }
}

} // namespace

LinkSignalRecorder::LinkSignalRecorder(QObject *target, const QList<QByteArray> &ignored)
{
    qRegisterMetaType<QList<QString>>();
    const QMetaObject *meta = target->metaObject();
    for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
        const QMetaMethod method = meta->method(i);
        if (method.methodType() != QMetaMethod::Signal || ignored.contains(method.name()))
            continue;
        m_spies.append(new QSignalSpy(target, QByteArray("2") + method.methodSignature()));
        m_names.append(method.name());
    }
}

LinkSignalRecorder::~LinkSignalRecorder()
{
    qDeleteAll(m_spies);
}

QStringList LinkSignalRecorder::take()
{
    QStringList calls;
    for (int i = 0; i < m_spies.size(); ++i) {
        for (const QList<QVariant> &arguments : qAsConst(*m_spies.at(i))) {
            QStringList texts;
            for (const QVariant &argument : arguments)
                texts.append(describe(argument));
            calls.append(QString::fromLatin1(m_names.at(i)) + QLatin1Char('(') + texts.join(QLatin1Char(','))
                         + QLatin1Char(')'));
        }
        m_spies.at(i)->clear();
    }
    return calls;
}

int LinkSignalRecorder::pending() const
{
    int count = 0;
    for (const QSignalSpy *spy : m_spies)
        count += spy->count();
    return count;
}
