#include "drawleteditorfixture.h"

#include "addcommand.h"
#include "annotationeditor.h"
#include "annotationscene.h"

#include <QApplication>
#include <QGraphicsItem>
#include <QTest>
#include <QUndoStack>

using namespace drawlet::ui;

DrawletEditorFixture::DrawletEditorFixture()
    : desktop(new AnnotationScene(true))
    , whiteboard(new AnnotationScene(false))
    , editor(new AnnotationEditor())
{
    desktop->setObjectName(QStringLiteral("descktopAnnotationScene"));
    desktop->setSceneRect(0, 0, 400, 300);
    whiteboard->setObjectName(QStringLiteral("whiteboardAnnotationScene"));
    whiteboard->setSceneRect(0, 0, 400, 300);
    editor->setFrameShape(QFrame::NoFrame);
    editor->resize(400, 300);
    editor->setActiveScene(desktop);
    editor->show();
    m_exposed = QTest::qWaitForWindowExposed(editor);
    // Texts take the keyboard focus only in an active window.
    QApplication::setActiveWindow(editor);
    editor->setFocus();
}

DrawletEditorFixture::~DrawletEditorFixture()
{
    delete editor;
    delete desktop;
    delete whiteboard;
}

bool DrawletEditorFixture::isExposed() const
{
    return m_exposed;
}

QWidget *DrawletEditorFixture::viewport() const
{
    return editor->viewport();
}

QUndoStack *DrawletEditorFixture::stack() const
{
    return editor->getActiveUndoStack();
}

QList<QGraphicsItem *> DrawletEditorFixture::items() const
{
    return editor->getActiveScene()->items(Qt::DescendingOrder);
}

QGraphicsItem *DrawletEditorFixture::addItem(QGraphicsItem *item)
{
    stack()->push(
        new AddCommand(editor->getActiveToolPointer(), editor->getActiveScene(), item, nullptr));
    return item;
}
