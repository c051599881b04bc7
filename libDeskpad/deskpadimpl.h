#pragma once

#include "deskpadintf.h"

#include <QRecursiveMutex>

class DeskpadWidget;

// The one panel object of the process, handed out by acquireDeskpadImpl() and reference counted: each
// acquire adds a reference, each release() gives one back, and the last one deletes the panel and its
// widget (which closes the link to the main program). A later acquire makes a new panel.
//
// The panel is made on the GUI thread and is deleted there too: a last release() on another thread
// leaves the deletion to the GUI thread's event loop.
class DeskpadImpl : public DeskpadIntf
{
    Q_OBJECT

public:
    // The process-wide panel with one more reference, made on the first call. Null when there is none yet
    // and the caller is not on the GUI thread, where alone widgets can be made.
    static DeskpadIntf *acquire();

    void release() override;
    QWidget *createWidget() override;
    bool checkServerAlive() override;

    void incRef();
    // The references held now; for diagnostics, reachable by name through the meta-object.
    Q_INVOKABLE int referenceCount() const;

public slots:
    void showLumidesk(int x, int y) override;

private:
    DeskpadImpl();
    ~DeskpadImpl() override;

    int m_refCount = 1;
    DeskpadWidget *m_widget = nullptr;

    static DeskpadImpl *_inst;
    static QRecursiveMutex mutex;
};

extern "C" Q_DECL_EXPORT DeskpadIntf *acquireDeskpadImpl();
