#include "captureaction.h"

#include "captureareascreenaction.h"
#include "capturescreenaction.h"
#include "capturewindowaction.h"
#include "skindockwidget.h"
#include "styletoolbarhelper.h"
#include "uiglobalconstconfig.h"

#include <QToolButton>

namespace drawlet {
namespace ui {

CaptureAction::CaptureAction(const QString &skin, QWidget *frame, QToolButton *owner,
                             QObject *parent)
    : SubToolbarAction(skin, frame, owner, parent)
    , m_frame(frame)
{
    if (owner)
        connect(this, &SubToolbarAction::setToolbuttonStyleSheet, owner, &QWidget::setStyleSheet);
    setToolbar();
}

CaptureAction::~CaptureAction() = default;

void CaptureAction::setToolbar()
{
    m_buttons = {
        createToolButton<CaptureScreenAction>(QStringLiteral(QT_TR_NOOP("FullScreen")),
                                              QStringLiteral("btn_screen-capture-_full-screen")),
        createToolButton<CaptureWindowAction>(QStringLiteral(QT_TR_NOOP("Windows")),
                                              QStringLiteral("btn_screen-capture-_windows")),
        createToolButton<CaptureAreaScreenAction>(QStringLiteral(QT_TR_NOOP("AreaScreen")),
                                                  QStringLiteral("btn_screen-capture-_area")),
    };
    for (QToolButton *button : qAsConst(m_buttons))
        toolbarHelper->addWidget(button);
}

template<typename Capture>
QToolButton *CaptureAction::createToolButton(const QString &name, const QString &image)
{
    auto *capture = new Capture(m_frame, this);
    capture->setToolTip(tr(name.toUtf8().constData()));
    QToolButton *button = StyleToolbarHelper::createToolButton(
        capture, name, UIGlobalConstConfig::RESOURCE_BUTTON_PATH + image, false);
    // In this order: the program hides its panel, the frame and the pop-up go, the capture runs;
    // afterwards the panel comes back before the frame.
    connect(button, &QToolButton::clicked, this, &CaptureAction::captureClicked);
    connect(capture, &AbstractCaptureScreenAction::captureFinished, this,
            &CaptureAction::captureFinished);
    if (m_frame)
        connect(button, &QToolButton::clicked, m_frame, &QWidget::hide);
    connect(button, &QToolButton::clicked, getSkin(), &QWidget::hide);
    connect(button, &QToolButton::clicked, capture, &AbstractCaptureScreenAction::setActive);
    if (m_frame)
        connect(capture, &AbstractCaptureScreenAction::captureFinished, m_frame, &QWidget::show);
    return button;
}

void CaptureAction::changeToolbuttonStyleSheet(int location_code)
{
    emit setToolbuttonStyleSheet(StyleToolbarHelper::getStyleSheetString(
        UIGlobalConstConfig::RESOURCE_BUTTON_PATH + QStringLiteral("btn_screen-capture_")
        + StyleToolbarHelper::toolBarLoactionToString(location_code)));
}

void CaptureAction::changeToolTips()
{
    for (QToolButton *button : qAsConst(m_buttons)) {
        if (QAction *action = button->defaultAction())
            action->setToolTip(tr(button->objectName().toUtf8().constData()));
    }
}

} // namespace ui
} // namespace drawlet
