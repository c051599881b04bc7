#include "ipc/localcommandtext.h"

#include <QtGlobal>

namespace platform {

namespace {

const QString Separator = QStringLiteral("/p");

} // namespace

QString LocalCommandText::build(const QString &word, const QStringList &arguments)
{
    QString text = word;
    for (const QString &argument : arguments) {
        text += Separator;
        text += argument;
    }
    return text;
}

QString LocalCommandText::argument(const QString &text, int k)
{
    return text.section(Separator, k, k);
}

QStringList LocalCommandText::sections(const QString &text)
{
    return text.split(Separator);
}

int LocalCommandText::intArgument(const QString &text, int k, int minimum, int maximum)
{
    const int value = argument(text, k).toInt(nullptr, 10);
    return qBound(minimum, value, maximum);
}

} // namespace platform
