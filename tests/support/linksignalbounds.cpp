#include "linksignalbounds.h"

#include <QMetaMethod>
#include <QSignalSpy>

namespace {

QString describe(const QVariant &value)
{
    QString text = value.userType() == qMetaTypeId<QList<QString>>()
                       ? QStringLiteral("[%1 entries]").arg(value.value<QList<QString>>().size())
                       : value.toString();
    if (text.size() > 40)
        text = text.left(40) + QStringLiteral("...");
    return QLatin1Char('"') + text + QLatin1Char('"');
}

} // namespace

LinkSignalBounds::LinkSignalBounds(QObject *target, const QHash<QByteArray, Rule> &rules)
{
    qRegisterMetaType<QList<QString>>();
    const QMetaObject *meta = target->metaObject();
    for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
        const QMetaMethod method = meta->method(i);
        if (method.methodType() != QMetaMethod::Signal)
            continue;
        const QByteArray signature = method.methodSignature();
        m_watched.push_back({signature, new QSignalSpy(target, QByteArray("2") + signature),
                             rules.value(signature), method.parameterCount() > 0, 0});
    }
}

LinkSignalBounds::~LinkSignalBounds()
{
    for (const Watched &watched : m_watched)
        delete watched.spy;
}

QStringList LinkSignalBounds::takeViolations()
{
    QStringList violations;
    for (Watched &watched : m_watched) {
        for (const QVariantList &arguments : qAsConst(*watched.spy)) {
            ++watched.emitted;
            if (!watched.hasArguments || (watched.rule && watched.rule(arguments)))
                continue;
            QStringList texts;
            for (const QVariant &argument : arguments)
                texts << describe(argument);
            violations << QString::fromLatin1(watched.signature) + QStringLiteral(" with ")
                              + texts.join(QLatin1Char(','))
                              + (watched.rule ? QString() : QStringLiteral(" (no rule for it)"));
        }
        watched.spy->clear();
    }
    return violations;
}

QStringList LinkSignalBounds::neverEmittedWithArguments() const
{
    QStringList never;
    for (const Watched &watched : m_watched) {
        if (watched.hasArguments && watched.emitted == 0)
            never << QString::fromLatin1(watched.signature);
    }
    return never;
}

bool LinkSignalBounds::inRange(const QVariant &value, qint64 minimum, qint64 maximum)
{
    bool ok = false;
    const qint64 number = value.toLongLong(&ok);
    return ok && number >= minimum && number <= maximum;
}
