#pragma once

#include <QString>
#include <QStringList>

namespace platform {

// The text of one link message: a command word beginning "cap_", then each argument preceded by "/p"
// (integers in decimal, texts as they are). Argument k is section k of the text split at "/p", empty
// sections counted; a missing one is empty.
//
// Every number taken from the peer is clamped to a range the caller names, because it goes on to size
// lists, move windows or set volumes.
class LocalCommandText
{
public:
    static QString build(const QString &word, const QStringList &arguments = QStringList());

    static QString argument(const QString &text, int k);
    // Every section of the text at once (section 0 is the command word): for reading many arguments
    // without splitting the text again for each.
    static QStringList sections(const QString &text);

    // Argument k as a base-10 integer (0 when missing, not a number or out of int range), then
    // clamped to [minimum, maximum].
    static int intArgument(const QString &text, int k, int minimum, int maximum);

private:
    LocalCommandText() = delete;
};

} // namespace platform
