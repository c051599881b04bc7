#pragma once

#include "drawletui_global.h"

#include <QSignalTransition>
#include <QString>

class QObject;
class QState;

namespace drawlet {
namespace ui {

// A transition on a toggled(bool)-like signal that fires only when the signal's argument is the
// wanted value (true unless set otherwise), so a checkable action can drive entry and exit apart.
class DRAWLETUI_EXPORT ToggledTransition : public QSignalTransition
{
    Q_OBJECT
public:
    explicit ToggledTransition(QState *source = nullptr);
    ToggledTransition(const QObject *sender, const char *signal, QState *source = nullptr);

    void setToggled(bool toggled) { m_toggled = toggled; }
    bool toggled() const { return m_toggled; }

protected:
    bool eventTest(QEvent *event) override;
    void onTransition(QEvent *event) override;

private:
    bool m_toggled = true;
};

// Qt's debug text of an object (class, address and name), for the transitions' trace;
// "BadAllocated Object" for null.
DRAWLETUI_EXPORT QString getObjectNameOrClassinfo(const QObject *object);

} // namespace ui
} // namespace drawlet
