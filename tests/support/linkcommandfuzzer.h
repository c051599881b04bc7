#pragma once

#include <QList>
#include <QRandomGenerator>
#include <QStringList>

#include <functional>

class LinkSignalBounds;

// Mutates valid commands of the local command link, to reach the dispatch of one end rather than its
// framing: wrong argument counts, numbers out of range or beyond any integer type, empty, overlong and
// hostile texts, invalid language codes and words with extra letters glued on. Seeded, so that a
// failure can be replayed.
class LinkCommandFuzzer
{
public:
    enum Argument {
        Number,   // an integer argument
        Text,     // a name or an id
        Language, // a language code
        Count,    // a list count; the list's names (and ids, see Pairs) follow as further arguments
        Pairs     // after a Count: the list holds a name and an id per entry
    };
    struct Command
    {
        QString word;
        QList<Argument> arguments;
    };

    LinkCommandFuzzer(quint32 seed, const QList<Command> &commands);

    QString next();

    // Hands rounds mutated commands to dispatch, one by one, and returns the first that made an emission
    // break its rule in bounds, with what was emitted; an empty text when none did.
    QString firstViolation(int rounds, LinkSignalBounds &bounds, const std::function<void(const QString &)> &dispatch);

private:
    QString number();
    QString text();
    QString language();
    QString mutatedCount(int entries);

    QRandomGenerator m_random;
    QList<Command> m_commands;
};
