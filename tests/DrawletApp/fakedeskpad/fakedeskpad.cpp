#include "fakedeskpad.h"

#include <QWidget>

bool FakeDeskpad::serverAlive = true;
FakeDeskpad *FakeDeskpad::s_instance = nullptr;

FakeDeskpad *FakeDeskpad::acquire()
{
    if (s_instance)
        ++s_instance->m_references;
    else
        s_instance = new FakeDeskpad;
    return s_instance;
}

FakeDeskpad::FakeDeskpad()
    : m_widget(new QWidget)
{
    m_widget->setObjectName(QStringLiteral("fakeDeskpadWidget"));
    m_widget->resize(200, 120);
}

FakeDeskpad::~FakeDeskpad()
{
    delete m_widget;
    if (s_instance == this)
        s_instance = nullptr;
}

void FakeDeskpad::release()
{
    if (--m_references == 0)
        delete this;
}

QWidget *FakeDeskpad::createWidget()
{
    return m_widget;
}

bool FakeDeskpad::checkServerAlive()
{
    return serverAlive;
}

QStringList FakeDeskpad::shownAt() const
{
    QStringList points;
    for (const QPoint &point : m_shownAt)
        points << QStringLiteral("%1,%2").arg(point.x()).arg(point.y());
    return points;
}

void FakeDeskpad::showLumidesk(int x, int y)
{
    m_shownAt.append(QPoint(x, y));
}

DeskpadIntf *acquireDeskpadImpl()
{
    return FakeDeskpad::acquire();
}

void fakeDeskpadSetServerAlive(bool alive)
{
    FakeDeskpad::serverAlive = alive;
}

QObject *fakeDeskpadInstance()
{
    return FakeDeskpad::instance();
}
