#pragma once

#include "annotationrasterlayer.h"
#include "drawletui_global.h"

#include <QGraphicsView>
#include <QMetaObject>

class QAction;
class QUndoGroup;
class QUndoStack;

namespace drawlet {
namespace ui {

class AnnotationScene;
class ToolInterface;

// The view the user annotates through: shows one scene at a time, hands every mouse and key event
// to the active tool, and keeps one undo history per scene in one undo group.
class DRAWLETUI_EXPORT AnnotationEditor : public QGraphicsView
{
    Q_OBJECT
public:
    explicit AnnotationEditor(QWidget *parent = nullptr);
    AnnotationEditor(AnnotationScene *scene, QWidget *parent = nullptr);
    ~AnnotationEditor() override;

    QAction *createUndoAction(QObject *parent, const QString &text) const;
    QAction *createRedoAction(QObject *parent, const QString &text) const;

    bool setReadOnlyScene(AnnotationScene *scene);
    void setActiveScene(AnnotationScene *scene);

    bool canUndo() const;
    bool canRedo() const;
    QString undoText() const;
    QString redoText() const;
    bool isActiveSceneClean() const;
    QUndoStack *getActiveUndoStack();
    AnnotationScene *getActiveScene();
    ToolInterface **getActiveToolPointer();
    // The image the settled annotations are repainted from.
    const AnnotationRasterLayer &rasterLayer() const;

public slots:
    void setCurrentCursor(QCursor *cursor);
    void setTool(ToolInterface *tool);
    void finishToolEditing();
    void clearAll();
    void insertPicture(bool isChecked);

signals:
    void canUndoChanged(bool canUndo);
    void activeSceneChanged(AnnotationScene *scene);
    void currentCursorChanged();
    void pictureInserted();
    void pictureUninserted();
    void mouseClick();
    void activeSceneCleaned();
    // The chosen file is no image that can be read; nothing was inserted.
    void pictureLoadFailed(const QString &fileName);

protected:
    // The file the user picks for insertPicture; empty when the dialog was cancelled.
    virtual QString selectPictureFile();

    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void drawItems(QPainter *painter, int numItems, QGraphicsItem *items[],
                   const QStyleOptionGraphicsItem options[]) override;

private:
    void setup();
    void insertPictureFile(const QString &fileName);
    void watchToolLifetime(ToolInterface *tool);

    AnnotationScene *m_activeScene = nullptr;
    QUndoStack *m_desktopStack = nullptr;
    QUndoStack *m_whiteboardStack = nullptr;
    QUndoGroup *m_undoGroup = nullptr;
    bool m_cursorRefreshPending = false;
    ToolInterface *m_activeTool = nullptr;
    QMetaObject::Connection m_toolDestroyed;
    AnnotationRasterLayer m_rasterLayer;
    // Set while the viewport paints: render() onto other devices draws every item itself.
    bool m_paintingViewport = false;
    QRect m_exposedArea;
};

} // namespace ui
} // namespace drawlet
