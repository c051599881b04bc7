#pragma once

#include "drawletui_global.h"
#include "subtoolbaraction.h"

#include <QList>
#include <QString>

class QToolButton;
class QWidget;

namespace drawlet {
namespace ui {

// The capture button's sub-toolbar: full screen, one window, or an area. A click hides the toolbar
// frame and the pop-up (and, through captureClicked(), the annotation program's panel) while the
// capture runs, and shows them again once it finished.
class DRAWLETUI_EXPORT CaptureAction : public SubToolbarAction
{
    Q_OBJECT
public:
    CaptureAction(const QString &skin, QWidget *frame, QToolButton *owner, QObject *parent);
    ~CaptureAction() override;

    // Full screen, window, area.
    QList<QToolButton *> getCaptureButtons() const { return m_buttons; }

public slots:
    void changeToolbuttonStyleSheet(int location_code) override;
    void changeToolTips() override;

signals:
    void captureFinished();
    void captureClicked();

private:
    void setToolbar();
    template<typename Capture>
    QToolButton *createToolButton(const QString &name, const QString &image);

    QList<QToolButton *> m_buttons;
    QWidget *m_frame;
};

} // namespace ui
} // namespace drawlet
