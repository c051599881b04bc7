#pragma once

#include "drawletui_global.h"

#include <QAction>
#include <QIcon>
#include <QString>

namespace drawlet {
namespace ui {

// A width button's action: announces its width when clicked and shows itself checked when the width
// in use is reported from outside.
class DRAWLETUI_EXPORT LineWidthAction : public QAction
{
    Q_OBJECT
public:
    LineWidthAction(int width, QObject *parent);
    LineWidthAction(int width, const QString &text, QObject *parent);
    LineWidthAction(int width, const QIcon &icon, const QString &text, QObject *parent);

    int getWidth() const { return m_width; }
    void setWidthConfig(int width) { m_width = width; }

public slots:
    void onToggled();
    void changeState(int width);

signals:
    void widthChanged(int width);

private:
    int m_width;
};

} // namespace ui
} // namespace drawlet
