#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <vector>

class QSignalSpy;

// Watches every signal an object declares and checks each emission's arguments against a rule given
// per signal signature, e.g. "volumeChange(int)". A signal without a rule may carry anything it can.
class LinkSignalBounds
{
public:
    using Rule = std::function<bool(const QVariantList &arguments)>;

    LinkSignalBounds(QObject *target, const QHash<QByteArray, Rule> &rules);
    ~LinkSignalBounds();

    // Emissions since the last call that broke their rule, as text; emissions are then cleared.
    QStringList takeViolations();
    // Signatures of the signals taking arguments that were never emitted.
    QStringList neverEmittedWithArguments() const;

    static bool inRange(const QVariant &value, qint64 minimum, qint64 maximum);

private:
    struct Watched
    {
        QByteArray signature;
        QSignalSpy *spy;
        Rule rule;
        bool hasArguments;
        int emitted;
    };
    std::vector<Watched> m_watched;
};
