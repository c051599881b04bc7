#pragma once

#include "drawletui_global.h"

#include <QPointer>
#include <QString>

class QAction;
class QCursor;
class QHBoxLayout;
class QToolButton;
class QWidget;

namespace drawlet {
namespace ui {

class AnnotationEditor;
class PaintInterface;
class ShapeSelWidget;
class SkinDockWidget;
class ToolAction;

// Builds a pop-up sub-toolbar: a skinned frame beside its owner button holding one auto-hiding row
// of 44 x 44 image buttons, and styles each button from one image base name. The frame and its
// children belong to the parent widget's object tree, not to the helper.
class DRAWLETUI_EXPORT StyleToolbarHelper
{
public:
    StyleToolbarHelper(const QString &skin, QToolButton *ownerButton, QWidget *parent);
    ~StyleToolbarHelper();
    StyleToolbarHelper(const StyleToolbarHelper &) = delete;
    StyleToolbarHelper &operator=(const StyleToolbarHelper &) = delete;

    SkinDockWidget *getSkin() const;
    ShapeSelWidget *contentWidget() const { return m_content; }
    QHBoxLayout *layout() const { return m_layout; }
    QWidget *separator() const { return m_separator; }

    void addWidget(QToolButton *button);
    void setSeparator();
    // Empties the row; the buttons stay alive with their parent, the separator is hidden.
    void removeAllButton();

    static QToolButton *createToolButton(QAction *action, const QString &objectName,
                                         const QString &skin, bool checkable);
    static void setToolButton(QToolButton *button, const QString &objectName, const QString &skin,
                              bool checkable);
    // A fixed-size image button showing the action (made checkable or not), styled from the image
    // base path.
    static QToolButton *createBaseButton(int width, int height, QAction *action,
                                         const QString &skinPath, bool checkable,
                                         const QString &objectName, QWidget *parent);
    // A checkable image button whose tool action, when checked, hands the editor a painter tool and
    // the cursor image. The action belongs to actionParent.
    static QToolButton *createPainterButton(AnnotationEditor *editor, PaintInterface *painter,
                                            int width, int height, const QString &skinPath,
                                            const QString &cursorPath, int hotX, int hotY,
                                            const QString &objectName, QWidget *parent,
                                            QWidget *actionParent);
    // A tool action hands its tool and cursor to the editor when checked (without an editor it
    // only follows its own toggling).
    static void connectToolAction(ToolAction *action, AnnotationEditor *editor);
    // The cursor of a cursor image, drawn at button size, with its hot spot; the caller owns it.
    static QCursor *imageCursor(const QString &path, int hotX, int hotY);
    // The five-state border-image style sheet of an image base name: hover shows the pressed image,
    // checked the selected one even under the pointer, and pressing the pressed one even when
    // checked.
    static QString getStyleSheetString(const QString &skin);
    // "top", "bottom", "left" or "right" for an edge code; any other code reads as "top".
    static QString toolBarLoactionToString(int locationCode);

private:
    QPointer<SkinDockWidget> m_skin;
    ShapeSelWidget *m_content;
    QHBoxLayout *m_layout;
    QWidget *m_separator;
};

} // namespace ui
} // namespace drawlet
