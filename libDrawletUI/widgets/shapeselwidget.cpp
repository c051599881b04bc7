#include "shapeselwidget.h"

#include "buttongroupsync.h"
#include "ellipseshapepainter.h"
#include "nativewindow.h"
#include "polygonshapepainter.h"
#include "rectshapepainter.h"
#include "skindockwidget.h"
#include "styletoolbarhelper.h"

#include <QAction>
#include <QButtonGroup>
#include <QEvent>
#include <QHBoxLayout>
#include <QTimer>
#include <QToolButton>

namespace drawlet {
namespace ui {

namespace {

const QString LibraryButtonPath = QStringLiteral(":/icons/icons/button/");
const QString CursorPath = QStringLiteral(":/resource/cursor/");
const int CursorSize = 44;

enum class Shape { Rectangle, Ellipse, Triangle };

struct ShapeButton
{
    Shape shape;
    bool fill;
    const char *painterName;
    const char *skinName;
    const char *buttonName;
    const char *actionName;
};

// The names stand as the application and its resources know them ("Spahe" included).
const ShapeButton ShapeButtons[] = {
    {Shape::Rectangle, false, "rectShape", "btn_shape_rectangle", "rectSpaheButton",
     "rectSpaheAction"},
    {Shape::Rectangle, true, "solidRectShape", "btn_shape_solid-rectangle", "solidRectSpaheButton",
     "solidRectSpaheAction"},
    {Shape::Ellipse, false, "ellipseShape", "btn_shape_circle", "ellipseSpaheButton",
     "ellipseShapeAction"},
    {Shape::Ellipse, true, "solidEllipseShape", "btn_shape_solid-circle", "solidEllipseSpaheButton",
     "solidEllipseShapeAction"},
    {Shape::Triangle, false, "triangleSpahe", "btn_shape-triangle", "triangleSpaheButton",
     "triangleShapeAction"},
    {Shape::Triangle, true, "solidTriangleSpahe", "btn_shape_solid-triangle",
     "solidTriangleSpaheButton", "solidTriangleShapeAction"},
};

ClosedShapePainter *makePainter(Shape shape)
{
    switch (shape) {
    case Shape::Rectangle:
        return new RectShapePainter();
    case Shape::Ellipse:
        return new EllipseShapePainter();
    case Shape::Triangle:
        return new PolygonShapePainter();
    }
    return nullptr;
}

} // namespace

ShapeSelWidget::ShapeSelWidget(QWidget *parent)
    : QWidget(parent)
{
    setUpAutoHide();
    setAttribute(Qt::WA_TranslucentBackground);
}

ShapeSelWidget::ShapeSelWidget(AnnotationEditor *editor, QWidget *parent)
    : QWidget(parent)
    , m_editor(editor)
    , m_buttonGroup(new QButtonGroup(this))
{
    setUpAutoHide();
    setShadow(this);
    QList<QToolButton *> buttons;
    for (const ShapeButton &row : ShapeButtons) {
        ClosedShapePainter *painter = makePainter(row.shape);
        connect(this, &ShapeSelWidget::setPenColor, painter, &ClosedShapePainter::setPenColor);
        connect(this, &ShapeSelWidget::setPenColor, painter, &ClosedShapePainter::setBrushColor);
        connect(painter, &ClosedShapePainter::setHelperColor, this,
                &ShapeSelWidget::setHelperColor);
        painter->setFillShape(row.fill);
        painter->setObjectName(QLatin1String(row.painterName));
        m_painters.append(painter);
        buttons.append(createPainterButton(painter, CursorSize, CursorSize,
                                           QLatin1String(row.skinName),
                                           CursorPath + QStringLiteral("shape_cursor.png"), 20, 23,
                                           QLatin1String(row.buttonName), this));
    }
    for (int i = 0; i < buttons.size(); ++i) {
        QAction *action = buttons.at(i)->defaultAction();
        action->setObjectName(QLatin1String(ShapeButtons[i].actionName));
        m_actions.append(action);
    }
    setButtonToolTip();

    auto *layout = new QHBoxLayout(this);
    layout->setSpacing(1);
    layout->setContentsMargins(6, 3, 3, 3);
    // The first shape is the one in use from the start: its tool goes to the editor at once.
    m_actions.first()->setChecked(true);
    for (QToolButton *button : qAsConst(buttons)) {
        layout->addWidget(button);
        m_buttonGroup->addButton(button);
    }
    m_buttonGroup->setExclusive(true);
    keepButtonActionsInStep(m_buttonGroup);
}

ShapeSelWidget::~ShapeSelWidget()
{
    delete m_timer;
}

void ShapeSelWidget::setUpAutoHide()
{
    m_timer = new QTimer(this);
    if (QWidget *panel = parentWidget())
        connect(m_timer, &QTimer::timeout, panel, &QWidget::hide);
    connect(m_timer, &QTimer::timeout, m_timer, &QTimer::stop);
}

QList<QToolButton *> ShapeSelWidget::buttons() const
{
    QList<QToolButton *> buttons;
    if (m_buttonGroup) {
        for (QAbstractButton *button : m_buttonGroup->buttons())
            buttons.append(static_cast<QToolButton *>(button));
    }
    return buttons;
}

QToolButton *ShapeSelWidget::createPainterButton(PaintInterface *painter, int width, int height,
                                                 const QString &skinName, const QString &cursorPath,
                                                 int hotX, int hotY, const QString &objectName,
                                                 QWidget *parent)
{
    QToolButton *button = StyleToolbarHelper::createPainterButton(
        m_editor, painter, width, height, LibraryButtonPath + skinName, cursorPath, hotX, hotY,
        objectName, parent, parent);
    button->defaultAction()->setData(skinName);
    connect(button, &QToolButton::clicked, this, &ShapeSelWidget::clickButton);
    if (auto *panel = qobject_cast<SkinDockWidget *>(parentWidget()))
        connect(this, &ShapeSelWidget::buttonSkinChanged, panel, &SkinDockWidget::changeButtonSkin,
                Qt::UniqueConnection);
    return button;
}

QToolButton *ShapeSelWidget::createBaseButton(int width, int height, QAction *action,
                                              const QString &skinPath, const bool &checkable,
                                              const QString &objectName, QWidget *parent)
{
    return StyleToolbarHelper::createBaseButton(width, height, action, skinPath, checkable,
                                                objectName, parent);
}

void ShapeSelWidget::clickButton()
{
    QAbstractButton *checked = m_buttonGroup ? m_buttonGroup->checkedButton() : nullptr;
    const QAction *action
        = checked ? static_cast<QToolButton *>(checked)->defaultAction() : nullptr;
    if (!action)
        return;
    QString skin = action->data().toString();
    // Any other location keeps the plain skin.
    if (m_location >= 0 && m_location <= 3)
        skin += QLatin1Char('_') + StyleToolbarHelper::toolBarLoactionToString(m_location);
    emit buttonSkinChanged(skin);
}

void ShapeSelWidget::changePainterSlot(bool checked)
{
    QAbstractButton *button = m_buttonGroup ? m_buttonGroup->checkedButton() : nullptr;
    if (QAction *action = button ? static_cast<QToolButton *>(button)->defaultAction() : nullptr)
        emit action->toggled(checked);
}

void ShapeSelWidget::changeLocationSlot(int code)
{
    m_location = code;
    clickButton();
}

void ShapeSelWidget::setButtonToolTip()
{
    const QString tips[]
        = {tr("Rectangle Outline"), tr("Rectangle"), tr("Circle Outline"), tr("Circle"),
           tr("Triangle Outline"),  tr("Triangle")};
    for (int i = 0; i < m_actions.size() && i < 6; ++i)
        m_actions.at(i)->setToolTip(tips[i]);
}

bool ShapeSelWidget::event(QEvent *event)
{
    if (event->type() == QEvent::Enter)
        m_timer->stop();
    else if (event->type() == QEvent::Leave)
        m_timer->start(m_hideDelay);
    return QWidget::event(event);
}

void ShapeSelWidget::showEvent(QShowEvent *event)
{
    m_timer->start(m_hideDelay);
    QWidget::showEvent(event);
}

void ShapeSelWidget::hideEvent(QHideEvent *event)
{
    m_timer->stop();
    QWidget::hideEvent(event);
}

} // namespace ui
} // namespace drawlet
