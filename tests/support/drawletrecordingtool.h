#pragma once

#include "toolinterface.h"

#include <QObject>
#include <QStringList>

// A tool that records every call the editor makes on it, in order.
class DrawletRecordingTool : public QObject, public drawlet::ui::ToolInterface
{
    Q_OBJECT
    Q_INTERFACES(drawlet::ui::ToolInterface)
public:
    explicit DrawletRecordingTool(const QString &name, bool selectable = false);

    void doOnMouseMoved(QMouseEvent *event) override;
    void doOnMousePressed(QMouseEvent *event) override;
    void doOnMouseReleased(QMouseEvent *event) override;
    void doOnkeyPressed(QKeyEvent *event) override;
    void doOnMouseDoubleClicked(QMouseEvent *event) override;
    void doUnLoad() override;
    void doOnLoad() override;
    void finishCurrentWork() override;
    QString toString() override;
    bool isSelectable() override;

    QStringList calls;
    bool selectable;
};
