#pragma once

#include "drawletui_global.h"

#include <QList>
#include <QPoint>
#include <QString>
#include <QWidget>

#include <vector>

class QButtonGroup;
class QLabel;
class QSignalMapper;
class QToolButton;

namespace drawlet {
namespace ui {

// One registered toolbar button: laid out in the row or column (flowed), or at a fixed place.
struct toolBarButtonStyle_t
{
    QToolButton *button;
    bool flowed;
};

// The strip of tool buttons inside the toolbar frame: lays them out in a row or a column with three
// separators for the edge the frame is docked to, places and re-skins the frame's shrink and close
// buttons, and reports every click by the clicked button's action name.
class DRAWLETUI_EXPORT AnnotationToolbar : public QWidget
{
    Q_OBJECT
public:
    explicit AnnotationToolbar(QWidget *parent = nullptr);
    ~AnnotationToolbar() override;

    void setButtonLayout(const std::vector<QToolButton *> &buttons);
    void setGeometryLayout(QToolButton *button, const int &x, const int &y);
    void setMutualExclusionGroup(QButtonGroup *group);
    void setConnection();
    QLabel *addSeparater(int location);
    void removeSeparater();
    void setHLayout();
    void setVLayout();
    toolBarButtonStyle_t *getToolButtonStyle(QString objectName);

    int location() const { return m_location; }
    bool isWhiteboardMode() const { return m_whiteboardMode; }
    bool isShrunk() const { return m_shrunk; }
    QPoint firstButtonOrigin() const { return m_firstButtonOrigin; }
    QPoint shrinkButtonPosition() const { return m_shrinkButtonPosition; }
    QPoint closeButtonPosition() const { return m_closeButtonPosition; }
    // The separators after the first, second and third group (null once removed).
    QList<QLabel *> separators() const;
    QButtonGroup *mutualExclusionGroup() const { return m_exclusionGroup; }

public slots:
    void changeButtonLocation(int type);
    void changeButtonToTopLocation(int switchType);
    void changeButtonToBottomLocation(int switchType);
    void changeButtonToLeftLocation(int switchType);
    void changeButtonToRightLocation(int switchType);
    void enteredWhiteboardAnnotationStateSlot();
    void exitedWhiteboardAnnotationStateSlot();
    void setMainToolBarShrinkSlot(bool shrunk);
    void toolButtonClickedSlot(int index);

signals:
    void mainToolBarButtonClicked(QString objectName);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void changeLocation(int location, int keepingLocation);
    void layOut(bool row);
    void changeCloseButtonLocationWhenResize();
    void changeButtonSkinByLocation(QToolButton *button);
    void moveFixedButton(const QString &objectName, const QPoint &position);
    QToolButton *registeredButton(const QString &objectName);
    bool isOverMoveHandle(const QPoint &point) const;
    QLabel *makeSeparator(bool vertical);

    QList<toolBarButtonStyle_t *> m_buttons;
    QButtonGroup *m_exclusionGroup = nullptr;
    int m_location = 0;
    int m_separatorPositions[3] = {2, 5, 14};
    QPoint m_shrinkButtonPosition;
    QPoint m_closeButtonPosition;
    QPoint m_firstButtonOrigin {65, 3};
    bool m_whiteboardMode = false;
    QLabel *m_separators[3] = {nullptr, nullptr, nullptr};
    bool m_shrunk = false;
    QSignalMapper *m_signalMapper = nullptr;
    QList<QToolButton *> m_clickableButtons;
};

} // namespace ui
} // namespace drawlet
