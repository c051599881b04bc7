#include "drawletrecordingtool.h"

DrawletRecordingTool::DrawletRecordingTool(const QString &name, bool selectable)
    : selectable(selectable)
{
    setObjectName(name);
}

void DrawletRecordingTool::doOnMouseMoved(QMouseEvent *)
{
    calls << objectName() + ":move";
}
void DrawletRecordingTool::doOnMousePressed(QMouseEvent *)
{
    calls << objectName() + ":press";
}
void DrawletRecordingTool::doOnMouseReleased(QMouseEvent *)
{
    calls << objectName() + ":release";
}
void DrawletRecordingTool::doOnkeyPressed(QKeyEvent *)
{
    calls << objectName() + ":key";
}
void DrawletRecordingTool::doOnMouseDoubleClicked(QMouseEvent *)
{
    calls << objectName() + ":double";
}
void DrawletRecordingTool::doUnLoad()
{
    calls << objectName() + ":unload";
}
void DrawletRecordingTool::doOnLoad()
{
    calls << objectName() + ":load";
}
void DrawletRecordingTool::finishCurrentWork()
{
    calls << objectName() + ":finish";
}
QString DrawletRecordingTool::toString()
{
    return objectName();
}
bool DrawletRecordingTool::isSelectable()
{
    return selectable;
}
