#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QStringList>

class QSignalSpy;

// Records every signal one object declares itself (not those of its bases), written as text such as
// lumideskHided(120,-40), langChanged("en_US") or audioListUpdate(["Mic 1"],["id-1"]), so that a
// test table can name the one signal it expects, with its arguments, or none at all.
class LinkSignalRecorder
{
public:
    explicit LinkSignalRecorder(QObject *target, const QList<QByteArray> &ignored = {});
    ~LinkSignalRecorder();

    // The emissions since the last call, signal by signal in declaration order, each signal's in the
    // order they came.
    QStringList take();
    int pending() const;

private:
    QList<QSignalSpy *> m_spies;
    QList<QByteArray> m_names;
};
