#pragma once

#include "deskpadintf.h"

#include <QPoint>
#include <QPointer>
#include <QVector>

// A stand-in for the record and live panel plug-in, loaded the way the real one is: reference counted,
// with a plain widget and a link to the main program that is up or down as the test says. The test
// steers it by name (it links nothing of the plug-in) and through the plug-in's C functions below.
class FakeDeskpad : public DeskpadIntf
{
    Q_OBJECT

public:
    static FakeDeskpad *acquire();
    static FakeDeskpad *instance() { return s_instance; }

    void release() override;
    QWidget *createWidget() override;
    bool checkServerAlive() override;

    Q_INVOKABLE int referenceCount() const { return m_references; }
    // Every hand-back the controller asked for, as "x,y".
    Q_INVOKABLE QStringList shownAt() const;
    Q_INVOKABLE void emitServerShutdown() { emit serverShutdown(); }
    Q_INVOKABLE void emitLumideskHided(int x, int y) { emit lumideskHided(x, y); }
    Q_INVOKABLE void emitLangChanged(const QString &lang) { emit langChanged(lang); }

    static bool serverAlive;

public slots:
    void showLumidesk(int x, int y) override;

private:
    FakeDeskpad();
    ~FakeDeskpad() override;

    int m_references = 1;
    QWidget *m_widget;
    QVector<QPoint> m_shownAt;
    static FakeDeskpad *s_instance;
};

extern "C" {
Q_DECL_EXPORT DeskpadIntf *acquireDeskpadImpl();
// Whether the panel's link to the main program is up (true unless set otherwise).
Q_DECL_EXPORT void fakeDeskpadSetServerAlive(bool alive);
// The live panel, or null.
Q_DECL_EXPORT QObject *fakeDeskpadInstance();
}
