#pragma once

#include <QObject>
#include <QString>

class QWidget;

// What the plug-in controller knows of the record and live panel: the object that
// acquireDeskpadImpl() hands out. The controller loads the panel at run time and does not link it,
// so it reaches the object only through these virtual operations and connects to the signals by
// name (SIGNAL()), never through this class's static meta-object, which lives in the plug-in.
class DeskpadIntf : public QObject
{
    Q_OBJECT

public:
    DeskpadIntf() = default;
    ~DeskpadIntf() override = default;

    // Gives back one reference; the last one deletes the panel and its widget.
    virtual void release() = 0;
    // The panel widget; owned by the panel, the same widget on every call.
    virtual QWidget *createWidget() = 0;
    // True while the panel's link to the main program is connected.
    virtual bool checkServerAlive() = 0;

public slots:
    // Asks the main program to show its toolbar at x, y (the screen goes back to it).
    virtual void showLumidesk(int x, int y) = 0;

signals:
    void serverShutdown();
    void lumideskHided(int x, int y);
    void langChanged(QString lang);
};

// The plug-in's only entry: the process-wide panel, one more reference counted for the caller.
extern "C" {
typedef DeskpadIntf *(*AcquireDeskpadImplFunction)();
}
#define DESKPAD_ENTRY_NAME "acquireDeskpadImpl"
