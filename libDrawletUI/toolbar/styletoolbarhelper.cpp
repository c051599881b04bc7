#include "styletoolbarhelper.h"

#include "annotationeditor.h"
#include "nativewindow.h"
#include "paintertool.h"
#include "shapeselwidget.h"
#include "skindockwidget.h"
#include "skintoolbutton.h"
#include "toolaction.h"

#include <QAction>
#include <QCursor>
#include <QHBoxLayout>
#include <QPixmap>
#include <QToolButton>

namespace drawlet {
namespace ui {

namespace {

const int ButtonSize = 44;

} // namespace

StyleToolbarHelper::StyleToolbarHelper(const QString &skin, QToolButton *ownerButton,
                                       QWidget *parent)
    : m_skin(new SkinDockWidget(skin, ownerButton, parent))
    , m_content(new ShapeSelWidget(m_skin))
    , m_layout(new QHBoxLayout)
    , m_separator(new QWidget(m_content))
{
    m_layout->setSpacing(1);
    m_layout->setContentsMargins(3, 3, 0, 3);
    m_content->setLayout(m_layout);

    auto *separatorAction = new QAction(m_separator);
    separatorAction->setSeparator(true);
    m_separator->addAction(separatorAction);
    m_separator->setStyleSheet(QStringLiteral("background-color:black;"));
    m_separator->setFixedSize(1, 25);
    m_separator->hide();

    m_skin->setWidget(m_content);
    setShadow(m_skin);
    (new skinToolButton(m_content))->hide();
    setWidgetLevel(m_skin, 3);
    m_skin->hide();
}

StyleToolbarHelper::~StyleToolbarHelper()
{
    if (m_skin && !m_skin->parent())
        delete m_skin;
}

SkinDockWidget *StyleToolbarHelper::getSkin() const
{
    return m_skin.data();
}

void StyleToolbarHelper::addWidget(QToolButton *button)
{
    m_layout->addWidget(button);
}

void StyleToolbarHelper::setSeparator()
{
    m_layout->addWidget(m_separator);
    m_separator->show();
}

void StyleToolbarHelper::removeAllButton()
{
    while (QLayoutItem *item = m_layout->takeAt(0))
        delete item;
    m_separator->hide();
}

QToolButton *StyleToolbarHelper::createToolButton(QAction *action, const QString &objectName,
                                                  const QString &skin, bool checkable)
{
    auto *button = new QToolButton();
    button->setDefaultAction(action);
    setToolButton(button, objectName, skin, checkable);
    return button;
}

void StyleToolbarHelper::setToolButton(QToolButton *button, const QString &objectName,
                                       const QString &skin, bool checkable)
{
    if (!button)
        return;
    button->resize(ButtonSize, ButtonSize);
    button->setFixedWidth(ButtonSize);
    button->setFixedHeight(ButtonSize);
    button->setIconSize(QSize(ButtonSize, ButtonSize));
    button->setStyleSheet(getStyleSheetString(skin));
    if (QAction *action = button->defaultAction()) {
        action->setObjectName(objectName);
        action->setCheckable(checkable);
    }
    button->setObjectName(objectName);
}

QToolButton *StyleToolbarHelper::createBaseButton(int width, int height, QAction *action,
                                                  const QString &skinPath, bool checkable,
                                                  const QString &objectName, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    if (action) {
        action->setCheckable(checkable);
        button->setDefaultAction(action);
    }
    button->resize(width, height);
    button->setFixedWidth(width);
    button->setFixedHeight(height);
    button->setIconSize(QSize(width, height));
    button->setObjectName(objectName);
    // The buttons carry no text (their actions have none), so no zero-sized font is needed to hide
    // it; Qt warns about one on every restyle.
    button->setStyleSheet(getStyleSheetString(skinPath));
    return button;
}

QToolButton *StyleToolbarHelper::createPainterButton(AnnotationEditor *editor,
                                                     PaintInterface *painter, int width, int height,
                                                     const QString &skinPath,
                                                     const QString &cursorPath, int hotX, int hotY,
                                                     const QString &objectName, QWidget *parent,
                                                     QWidget *actionParent)
{
    QCursor *cursor = imageCursor(cursorPath, hotX, hotY);
    auto *action = new ToolAction(new PainterTool(editor, painter), cursor, actionParent);
    QToolButton *button
        = createBaseButton(width, height, action, skinPath, true, objectName, parent);
    connectToolAction(action, editor);
    return button;
}

void StyleToolbarHelper::connectToolAction(ToolAction *action, AnnotationEditor *editor)
{
    QObject::connect(action, &QAction::toggled, action, &ToolAction::onToggled);
    if (!editor)
        return;
    QObject::connect(action, &ToolAction::sendTool, editor, &AnnotationEditor::setTool);
    QObject::connect(action, &ToolAction::sendCursor, editor, &AnnotationEditor::setCurrentCursor);
}

QCursor *StyleToolbarHelper::imageCursor(const QString &path, int hotX, int hotY)
{
    const QPixmap image = QPixmap(path).scaled(ButtonSize, ButtonSize, Qt::IgnoreAspectRatio,
                                               Qt::FastTransformation);
    return new QCursor(image, hotX, hotY);
}

QString StyleToolbarHelper::getStyleSheetString(const QString &skin)
{
    return QStringLiteral("QToolButton{border-image: url(") + skin
        + QStringLiteral("_normal.png);}QToolButton:hover{border-image: url(") + skin
        + QStringLiteral("_pressed.png);}QToolButton:disabled{border-image: url(") + skin
        + QStringLiteral("_disabled.png);}QToolButton:checked{border-image: url(") + skin
        + QStringLiteral("_selected.png);}QToolButton:pressed{border-image: url(") + skin
        + QStringLiteral("_pressed.png);}");
}

QString StyleToolbarHelper::toolBarLoactionToString(int locationCode)
{
    switch (locationCode) {
    case 1:
        return QStringLiteral("bottom");
    case 2:
        return QStringLiteral("left");
    case 3:
        return QStringLiteral("right");
    default:
        return QStringLiteral("top");
    }
}

} // namespace ui
} // namespace drawlet
