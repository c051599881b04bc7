#pragma once

#include <QLibrary>
#include <QObject>
#include <QString>
#include <QStringList>

// The test's handle on the stand-in panel plug-in: the same loaded library the controller uses.
class FakePanel
{
public:
    explicit FakePanel(const QString &path)
        : m_library(path)
    {
        if (m_library.load()) {
            m_setAlive = reinterpret_cast<void (*)(bool)>(m_library.resolve("fakeDeskpadSetServerAlive"));
            m_instance = reinterpret_cast<QObject *(*)()>(m_library.resolve("fakeDeskpadInstance"));
        }
    }

    bool isLoaded() const { return m_setAlive && m_instance; }
    QString errorString() const { return m_library.errorString(); }

    void setServerAlive(bool alive) { m_setAlive(alive); }
    // The live panel object, or null when none is acquired.
    QObject *panel() const { return m_instance(); }

    int references() const
    {
        int count = 0;
        if (QObject *object = panel())
            QMetaObject::invokeMethod(object, "referenceCount", Q_RETURN_ARG(int, count));
        return count;
    }
    QStringList shownAt() const
    {
        QStringList points;
        if (QObject *object = panel())
            QMetaObject::invokeMethod(object, "shownAt", Q_RETURN_ARG(QStringList, points));
        return points;
    }
    void emitServerShutdown() const { QMetaObject::invokeMethod(panel(), "emitServerShutdown"); }
    void emitLumideskHided(int x, int y) const
    {
        QMetaObject::invokeMethod(panel(), "emitLumideskHided", Q_ARG(int, x), Q_ARG(int, y));
    }
    void emitLangChanged(const QString &lang) const
    {
        QMetaObject::invokeMethod(panel(), "emitLangChanged", Q_ARG(QString, lang));
    }

private:
    QLibrary m_library;
    void (*m_setAlive)(bool) = nullptr;
    QObject *(*m_instance)() = nullptr;
};
