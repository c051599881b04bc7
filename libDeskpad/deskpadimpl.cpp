#include "deskpadimpl.h"

#include "deskpadwidget.h"

#include <QApplication>
#include <QMutexLocker>
#include <QThread>

DeskpadImpl *DeskpadImpl::_inst = nullptr;
QRecursiveMutex DeskpadImpl::mutex;

DeskpadIntf *acquireDeskpadImpl()
{
    return DeskpadImpl::acquire();
}

DeskpadIntf *DeskpadImpl::acquire()
{
    QMutexLocker locker(&mutex);
    if (_inst) {
        _inst->incRef();
        return _inst;
    }
    if (!qobject_cast<QApplication *>(QCoreApplication::instance())
        || QThread::currentThread() != QCoreApplication::instance()->thread())
        return nullptr;
    _inst = new DeskpadImpl;
    return _inst;
}

DeskpadImpl::DeskpadImpl()
    : m_widget(new DeskpadWidget)
{
    connect(m_widget, &DeskpadWidget::serverShutdown, this, &DeskpadIntf::serverShutdown);
    connect(m_widget, &DeskpadWidget::lumideskHided, this, &DeskpadIntf::lumideskHided);
    connect(m_widget, &DeskpadWidget::langChanged, this, &DeskpadIntf::langChanged);
}

DeskpadImpl::~DeskpadImpl()
{
    delete m_widget;
    m_widget = nullptr;
}

void DeskpadImpl::incRef()
{
    QMutexLocker locker(&mutex);
    ++m_refCount;
}

int DeskpadImpl::referenceCount() const
{
    QMutexLocker locker(&mutex);
    return m_refCount;
}

void DeskpadImpl::release()
{
    QMutexLocker locker(&mutex);
    // A release more than was acquired must not count below zero, nor delete twice.
    if (m_refCount <= 0)
        return;
    if (--m_refCount > 0)
        return;
    if (_inst == this)
        _inst = nullptr;
    // The widget and its socket belong to the GUI thread; only there may they be deleted.
    if (QThread::currentThread() == thread())
        delete this;
    else
        deleteLater();
}

QWidget *DeskpadImpl::createWidget()
{
    return m_widget;
}

bool DeskpadImpl::checkServerAlive()
{
    return m_widget->checkServerAlive();
}

void DeskpadImpl::showLumidesk(int x, int y)
{
    m_widget->showLumidesk(x, y);
}
