#include "annotationeditor.h"

#include "addcommand.h"
#include "annotationscene.h"
#include "deletecommand.h"
#include "nativewindow.h"
#include "qorvgraphicspixmapitem.h"
#include "toolinterface.h"

#include <QAction>
#include <QDebug>
#include <QFileDialog>
#include <QImageReader>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QStandardPaths>
#include <QUndoGroup>
#include <QStyleOptionGraphicsItem>
#include <QUndoStack>

#include <vector>

namespace drawlet {
namespace ui {

namespace {
const int undoLimit = 50;
const char *const whiteboardSceneName = "whiteboardAnnotationScene";
} // namespace

AnnotationEditor::AnnotationEditor(QWidget *parent)
    : QGraphicsView(parent)
{
    setup();
}

AnnotationEditor::AnnotationEditor(AnnotationScene *scene, QWidget *parent)
    : QGraphicsView(scene, parent)
    , m_activeScene(scene)
{
    setup();
}

AnnotationEditor::~AnnotationEditor()
{
    disconnect(m_toolDestroyed);
    // The undo group goes with the editor's children, after this destructor: its last signals must
    // not reach the half-destroyed editor.
    disconnect(m_undoGroup, nullptr, this, nullptr);
}

void AnnotationEditor::setup()
{
    viewport()->setMouseTracking(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setStyleSheet(QStringLiteral("QGraphicsView { background:transparent; }"));
    setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    setCursor(Qt::ArrowCursor);
    // The view hands the exposed items to drawItems, which paints the settled ones from the
    // raster layer.
    setOptimizationFlag(QGraphicsView::IndirectPainting, true);

    m_desktopStack = new QUndoStack(this);
    m_desktopStack->setObjectName(QStringLiteral("desktopAnnotationStack"));
    m_desktopStack->setUndoLimit(undoLimit);
    m_whiteboardStack = new QUndoStack(this);
    m_whiteboardStack->setObjectName(QStringLiteral("whiteboardAnnotationStack"));
    m_whiteboardStack->setUndoLimit(undoLimit);
    m_undoGroup = new QUndoGroup(this);
    m_undoGroup->setObjectName(QStringLiteral("annotationUndoGroup"));
    m_undoGroup->addStack(m_desktopStack);
    m_undoGroup->addStack(m_whiteboardStack);
    // addStack makes no stack active; the first scene choice does.
    m_undoGroup->setActiveStack(nullptr);
    connect(m_undoGroup, &QUndoGroup::canUndoChanged, this, &AnnotationEditor::canUndoChanged);

    setContextMenuPolicy(Qt::NoContextMenu);
}

QAction *AnnotationEditor::createUndoAction(QObject *parent, const QString &text) const
{
    if (!m_undoGroup)
        qFatal("you must setup annotationUndoGroup first!!");
    QAction *action = new QAction(text, parent);
    action->setEnabled(m_undoGroup->canUndo());
    connect(m_undoGroup, &QUndoGroup::canUndoChanged, action, &QAction::setEnabled);
    connect(action, &QAction::triggered, m_undoGroup, &QUndoGroup::undo);
    return action;
}

QAction *AnnotationEditor::createRedoAction(QObject *parent, const QString &text) const
{
    if (!m_undoGroup)
        qFatal("you must setup annotationUndoGroup first!!");
    QAction *action = new QAction(text, parent);
    action->setEnabled(m_undoGroup->canRedo());
    connect(m_undoGroup, &QUndoGroup::canRedoChanged, action, &QAction::setEnabled);
    connect(action, &QAction::triggered, m_undoGroup, &QUndoGroup::redo);
    return action;
}

bool AnnotationEditor::setReadOnlyScene(AnnotationScene *scene)
{
    if (!scene)
        qFatal("set a null scene!!");
    if (m_activeTool)
        m_activeTool->finishCurrentWork();
    if (scene == m_activeScene) {
        qDebug().noquote() << "args: [1]scene: " + scene->objectName()
                + " == activeScene. activeScene will not be changed.";
        return false;
    }
    qDebug().noquote() << "args: [1]scene: " + scene->objectName() + ", what will be activeScene";
    if (m_activeTool)
        m_activeTool->doUnLoad();
    m_activeScene = scene;
    setScene(scene);
    emit activeSceneChanged(scene);
    return true;
}

void AnnotationEditor::setActiveScene(AnnotationScene *scene)
{
    if (!setReadOnlyScene(scene))
        return;
    const bool whiteboard = scene->objectName() == QLatin1String(whiteboardSceneName);
    m_undoGroup->setActiveStack(whiteboard ? m_whiteboardStack : m_desktopStack);
    qDebug().noquote() << "ActiveStack now is " + m_undoGroup->activeStack()->objectName();
    setShadow(window());
}

bool AnnotationEditor::canUndo() const
{
    return m_undoGroup->canUndo();
}

bool AnnotationEditor::canRedo() const
{
    return m_undoGroup->canRedo();
}

QString AnnotationEditor::undoText() const
{
    return m_undoGroup->undoText();
}

QString AnnotationEditor::redoText() const
{
    return m_undoGroup->redoText();
}

bool AnnotationEditor::isActiveSceneClean() const
{
    return !m_activeScene || m_activeScene->items().isEmpty();
}

QUndoStack *AnnotationEditor::getActiveUndoStack()
{
    return m_undoGroup->activeStack();
}

AnnotationScene *AnnotationEditor::getActiveScene()
{
    return m_activeScene;
}

ToolInterface **AnnotationEditor::getActiveToolPointer()
{
    return &m_activeTool;
}

const AnnotationRasterLayer &AnnotationEditor::rasterLayer() const
{
    return m_rasterLayer;
}

void AnnotationEditor::setCurrentCursor(QCursor *cursor)
{
    setCursor(cursor ? *cursor : QCursor(Qt::ArrowCursor));
    emit currentCursorChanged();
}

void AnnotationEditor::watchToolLifetime(ToolInterface *tool)
{
    // The editor only points at the tool; an action that deletes its tool must not leave it
    // dangling.
    disconnect(m_toolDestroyed);
    if (QObject *object = dynamic_cast<QObject *>(tool)) {
        m_toolDestroyed = connect(object, &QObject::destroyed, this, [this, tool]() {
            if (m_activeTool == tool)
                m_activeTool = nullptr;
        });
    }
}

void AnnotationEditor::setTool(ToolInterface *tool)
{
    if (!tool)
        qFatal("set a null painter!!");
    if (m_activeTool) {
        m_activeTool->finishCurrentWork();
        m_activeTool->doUnLoad();
    }
    m_activeTool = tool;
    watchToolLifetime(tool);
    m_activeTool->doOnLoad();
}

void AnnotationEditor::finishToolEditing()
{
    if (m_activeTool)
        m_activeTool->finishCurrentWork();
}

void AnnotationEditor::clearAll()
{
    QUndoStack *stack = getActiveUndoStack();
    if (!m_activeScene || !stack) {
        qDebug() << "get NULL ActiveScene";
        return;
    }
    QUndoCommand *clearCommand = new QUndoCommand();
    const QList<QGraphicsItem *> items = m_activeScene->items(Qt::DescendingOrder);
    for (QGraphicsItem *item : items) {
        // Children go with their parent item.
        if (item->parentItem())
            continue;
        new DeleteCommand(getActiveToolPointer(), m_activeScene, item, clearCommand);
    }
    stack->push(clearCommand);
    emit activeSceneCleaned();
}

QString AnnotationEditor::selectPictureFile()
{
    return QFileDialog::getOpenFileName(
        this, tr("Select Images"),
        QStandardPaths::writableLocation(QStandardPaths::PicturesLocation),
        QStringLiteral("*.jpg *.png *.jpeg *.bmp"));
}

void AnnotationEditor::insertPicture(bool isChecked)
{
    if (!isChecked)
        return;
    const QString fileName = selectPictureFile();
    if (fileName.isEmpty()) {
        emit pictureUninserted();
        return;
    }
    insertPictureFile(fileName);
}

void AnnotationEditor::insertPictureFile(const QString &fileName)
{
    QUndoStack *stack = getActiveUndoStack();
    if (!m_activeScene || !stack) {
        qDebug() << "get NULL ActiveScene";
        emit pictureUninserted();
        return;
    }
    QImageReader reader(fileName);
    const QImage image = reader.read();
    // An empty picture item would be invisible, could not be resized and would still take an undo
    // step: refuse the file instead.
    if (image.isNull()) {
        qWarning().noquote() << "cannot insert picture" << fileName << ":" << reader.errorString();
        emit pictureLoadFailed(fileName);
        emit pictureUninserted();
        return;
    }
    const QPixmap pixmap = QPixmap::fromImage(image);
    QorvGraphicsPixmapItem *item = new QorvGraphicsPixmapItem(pixmap);
    const QRectF area = m_activeScene->sceneRect();
    item->setPos(area.x() + (area.width() - pixmap.width()) * 0.5,
                 area.y() + (area.height() - pixmap.height()) * 0.5);
    stack->push(new AddCommand(getActiveToolPointer(), m_activeScene, item, nullptr));
    item->setFlag(QGraphicsItem::ItemIsSelectable, true);
    item->setFlag(QGraphicsItem::ItemIsMovable, true);
    emit pictureInserted();
    item->setSelected(true);
}

void AnnotationEditor::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton)
        return;
    emit mouseClick();
    m_rasterLayer.beginGesture();
    QGraphicsView::mousePressEvent(event);
    if (m_activeTool)
        m_activeTool->doOnMousePressed(event);
}

void AnnotationEditor::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() & Qt::RightButton)
        return;
    if (m_activeTool)
        m_activeTool->doOnMouseMoved(event);
    if (m_cursorRefreshPending) {
        setCursor(cursor());
        m_cursorRefreshPending = false;
    }
    if (window() && !window()->isActiveWindow())
        window()->activateWindow();
    QGraphicsView::mouseMoveEvent(event);
}

void AnnotationEditor::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton)
        return;
    QGraphicsView::mouseReleaseEvent(event);
    if (m_activeTool)
        m_activeTool->doOnMouseReleased(event);
    if (!(event->buttons() & ~Qt::RightButton)) {
        m_rasterLayer.endGesture();
        // Strokes often follow each other with no repaint between them: what was just finished
        // joins the image now, or it would be painted live all through the next stroke.
        if (isVisible())
            m_rasterLayer.prepare(this);
    }
}

void AnnotationEditor::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton)
        return;
    if (m_activeTool)
        m_activeTool->doOnMouseDoubleClicked(event);
    QGraphicsView::mouseDoubleClickEvent(event);
}

void AnnotationEditor::keyPressEvent(QKeyEvent *event)
{
    if (m_activeTool)
        m_activeTool->doOnkeyPressed(event);
    QGraphicsView::keyPressEvent(event);
}

bool AnnotationEditor::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::Enter:
    case QEvent::Leave:
    case QEvent::InputMethodQuery:
        m_cursorRefreshPending = true;
        break;
    default:
        break;
    }
    return QGraphicsView::event(event);
}

void AnnotationEditor::paintEvent(QPaintEvent *event)
{
    m_exposedArea = event->region().boundingRect();
    m_paintingViewport = true;
    QGraphicsView::paintEvent(event);
    m_paintingViewport = false;
}

void AnnotationEditor::drawItems(QPainter *painter, int numItems, QGraphicsItem *items[],
                                 const QStyleOptionGraphicsItem options[])
{
    // The image is laid out like the viewport; a render() to another place or scale cannot use it.
    if (!m_paintingViewport || !m_rasterLayer.prepare(this)) {
        QGraphicsView::drawItems(painter, numItems, items, options);
        return;
    }
    m_rasterLayer.draw(painter, m_exposedArea);
    std::vector<QGraphicsItem *> liveItems;
    std::vector<QStyleOptionGraphicsItem> liveOptions;
    for (int i = 0; i < numItems; ++i) {
        if (m_rasterLayer.contains(items[i]))
            continue;
        liveItems.push_back(items[i]);
        liveOptions.push_back(options[i]);
    }
    if (!liveItems.empty())
        QGraphicsView::drawItems(painter, int(liveItems.size()), liveItems.data(),
                                 liveOptions.data());
}

} // namespace ui
} // namespace drawlet
