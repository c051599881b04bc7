#pragma once

#include "drawletui_global.h"
#include "linestyle.h"

#include <QAction>
#include <QIcon>
#include <QString>

namespace drawlet {
namespace ui {

// A line-style button's action (solid, dashed, one or two arrows): announces its style when clicked
// and shows itself checked when the style in use is reported from outside.
class DRAWLETUI_EXPORT LineStyleAction : public QAction
{
    Q_OBJECT
public:
    LineStyleAction(LineStyle::style_t style, QObject *parent);
    LineStyleAction(LineStyle::style_t style, const QString &text, QObject *parent);
    LineStyleAction(LineStyle::style_t style, const QIcon &icon, const QString &text,
                    QObject *parent);

    LineStyle::style_t getLineStyle() const { return m_style; }

public slots:
    void onToggled();
    void changeState(const drawlet::ui::LineStyle::style_t &style);

signals:
    void lineStyleChanged(drawlet::ui::LineStyle::style_t style);

private:
    LineStyle::style_t m_style;
};

} // namespace ui
} // namespace drawlet
