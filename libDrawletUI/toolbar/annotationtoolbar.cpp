#include "annotationtoolbar.h"

#include "screenedge.h"
#include "styletoolbarhelper.h"

#include <QAction>
#include <QButtonGroup>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QSignalMapper>
#include <QToolButton>
#include <QToolTip>
#include <QTransform>

namespace drawlet {
namespace ui {

namespace {

const char ShrinkButtonName[] = "shrinkButton";
const char CloseButtonName[] = "closeButton";
const QString SeparatorImage = QStringLiteral(":/resource/skin/line.png");
// The frame's close button keeps this much of the frame's length for itself.
const int CloseButtonReserve = 39;

struct EdgePlaces
{
    QPoint origin;
    QPoint shrink;
    QPoint close;
    QPoint whiteboardClose;
};

EdgePlaces placesFor(int edge)
{
    switch (edge) {
    case BottomEdge:
        return {{65, 8}, {4, 19}, {737, 19}, {781, 19}};
    case LeftEdge:
        return {{3, 65}, {0, 4}, {0, 737}, {0, 781}};
    case RightEdge:
        return {{8, 65}, {21, 4}, {21, 737}, {21, 781}};
    default:
        return {{65, 3}, {4, 0}, {737, 0}, {781, 0}};
    }
}

// The edge whose separators have the same orientation as the given one.
int oppositeEdge(int edge)
{
    switch (edge) {
    case TopEdge:
        return BottomEdge;
    case BottomEdge:
        return TopEdge;
    case LeftEdge:
        return RightEdge;
    default:
        return LeftEdge;
    }
}

} // namespace

AnnotationToolbar::AnnotationToolbar(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setMouseTracking(true);
    addSeparater(TopEdge);
    setWindowFlags(windowFlags() | Qt::Tool | Qt::FramelessWindowHint);
    const EdgePlaces places = placesFor(TopEdge);
    m_shrinkButtonPosition = places.shrink;
    m_closeButtonPosition = places.close;
}

AnnotationToolbar::~AnnotationToolbar()
{
    removeSeparater();
    qDeleteAll(m_buttons);
}

void AnnotationToolbar::setButtonLayout(const std::vector<QToolButton *> &buttons)
{
    for (QToolButton *button : buttons) {
        if (!button)
            continue;
        button->setParent(this);
        m_buttons.append(new toolBarButtonStyle_t {button, true});
    }
}

void AnnotationToolbar::setGeometryLayout(QToolButton *button, const int &x, const int &y)
{
    if (!button)
        return;
    button->setParent(parentWidget());
    button->setGeometry(x, y, button->width(), button->height());
    m_buttons.append(new toolBarButtonStyle_t {button, false});
}

void AnnotationToolbar::setMutualExclusionGroup(QButtonGroup *group)
{
    if (group)
        group->setParent(this);
    m_exclusionGroup = group;
}

void AnnotationToolbar::setConnection()
{
    delete m_signalMapper;
    m_signalMapper = new QSignalMapper(this);
    m_clickableButtons = findChildren<QToolButton *>();
    for (int i = 0; i < m_clickableButtons.size(); ++i) {
        QToolButton *button = m_clickableButtons.at(i);
        connect(button, &QToolButton::clicked, m_signalMapper,
                QOverload<>::of(&QSignalMapper::map));
        m_signalMapper->setMapping(button, i);
    }
    connect(m_signalMapper, &QSignalMapper::mappedInt, this,
            &AnnotationToolbar::toolButtonClickedSlot);
}

QLabel *AnnotationToolbar::makeSeparator(bool vertical)
{
    auto *separator = new QLabel(this);
    separator->setObjectName(QStringLiteral("separater"));
    QPixmap image(SeparatorImage);
    if (vertical && !image.isNull())
        image = image.transformed(QTransform().rotate(90));
    separator->setPixmap(image);
    separator->setFixedSize(image.size());
    // Shown by the layout once it reaches the separator's place.
    separator->hide();
    return separator;
}

QLabel *AnnotationToolbar::addSeparater(int location)
{
    for (QLabel *&separator : m_separators) {
        if (!separator)
            separator = makeSeparator(isVerticalEdge(location));
    }
    return m_separators[2];
}

void AnnotationToolbar::removeSeparater()
{
    for (QLabel *&separator : m_separators) {
        delete separator;
        separator = nullptr;
    }
}

QList<QLabel *> AnnotationToolbar::separators() const
{
    return {m_separators[0], m_separators[1], m_separators[2]};
}

void AnnotationToolbar::layOut(bool row)
{
    QPoint position = m_firstButtonOrigin;
    int counter = 0;
    for (QLabel *separator : m_separators) {
        if (separator)
            separator->hide();
    }
    for (const toolBarButtonStyle_t *entry : qAsConst(m_buttons)) {
        // On the whiteboard every button has its place, shown or not.
        if (!entry->flowed || (entry->button->isHidden() && !m_whiteboardMode))
            continue;
        entry->button->move(position);
        position += row ? QPoint(entry->button->width(), 0) : QPoint(0, entry->button->height());
        ++counter;
        for (int i = 0; i < 3; ++i) {
            QLabel *separator = m_separators[i];
            if (counter != m_separatorPositions[i] || !separator)
                continue;
            separator->move(position);
            separator->show();
            position += row ? QPoint(separator->width(), 0) : QPoint(0, separator->height());
        }
    }
    update();
}

void AnnotationToolbar::setHLayout()
{
    layOut(true);
}

void AnnotationToolbar::setVLayout()
{
    layOut(false);
}

toolBarButtonStyle_t *AnnotationToolbar::getToolButtonStyle(QString objectName)
{
    for (toolBarButtonStyle_t *entry : qAsConst(m_buttons)) {
        if (entry->button->objectName() == objectName)
            return entry;
    }
    return nullptr;
}

QToolButton *AnnotationToolbar::registeredButton(const QString &objectName)
{
    const toolBarButtonStyle_t *entry = getToolButtonStyle(objectName);
    return entry ? entry->button : nullptr;
}

void AnnotationToolbar::moveFixedButton(const QString &objectName, const QPoint &position)
{
    // The application registers both frame buttons; a toolbar without one just has nothing to move.
    if (QToolButton *button = registeredButton(objectName))
        button->move(position);
}

void AnnotationToolbar::changeLocation(int location, int edge)
{
    const EdgePlaces places = placesFor(edge);
    m_firstButtonOrigin = places.origin;
    if (m_location != oppositeEdge(edge) && m_location != location) {
        removeSeparater();
        addSeparater(edge);
    }
    layOut(!isVerticalEdge(edge));
    m_shrinkButtonPosition = places.shrink;
    m_closeButtonPosition = m_whiteboardMode ? places.whiteboardClose : places.close;
    moveFixedButton(QLatin1String(ShrinkButtonName), m_shrinkButtonPosition);
    moveFixedButton(QLatin1String(CloseButtonName), m_closeButtonPosition);
    m_location = location;
    if (QToolButton *shrink = registeredButton(QLatin1String(ShrinkButtonName)))
        changeButtonSkinByLocation(shrink);
    update();
}

void AnnotationToolbar::changeButtonToTopLocation(int switchType)
{
    changeLocation(switchType, TopEdge);
}

void AnnotationToolbar::changeButtonToBottomLocation(int switchType)
{
    changeLocation(switchType, BottomEdge);
}

void AnnotationToolbar::changeButtonToLeftLocation(int switchType)
{
    changeLocation(switchType, LeftEdge);
}

void AnnotationToolbar::changeButtonToRightLocation(int switchType)
{
    changeLocation(switchType, RightEdge);
}

void AnnotationToolbar::changeButtonLocation(int type)
{
    switch (type) {
    case TopEdge:
        changeButtonToTopLocation(type);
        break;
    case BottomEdge:
        changeButtonToBottomLocation(type);
        break;
    case LeftEdge:
        changeButtonToLeftLocation(type);
        break;
    case RightEdge:
        changeButtonToRightLocation(type);
        break;
    default:
        break;
    }
    update();
}

void AnnotationToolbar::enteredWhiteboardAnnotationStateSlot()
{
    m_separatorPositions[0] = 3;
    m_separatorPositions[1] = 6;
    m_separatorPositions[2] = 15;
    m_whiteboardMode = true;
    changeButtonLocation(m_location);
}

void AnnotationToolbar::exitedWhiteboardAnnotationStateSlot()
{
    m_separatorPositions[0] = 2;
    m_separatorPositions[1] = 5;
    m_separatorPositions[2] = 14;
    m_whiteboardMode = false;
    changeButtonLocation(m_location);
}

void AnnotationToolbar::changeCloseButtonLocationWhenResize()
{
    const QWidget *frame = parentWidget();
    if (!frame)
        return;
    const int frameWidth = frame->width();
    const int frameHeight = frame->height();
    QToolButton *close = registeredButton(QLatin1String(CloseButtonName));
    if (isVerticalEdge(m_location)) {
        resize(frameWidth, frameHeight - CloseButtonReserve);
        if (close)
            close->move(m_location == RightEdge ? 21 : 0, frameHeight - CloseButtonReserve);
    } else {
        resize(frameWidth - CloseButtonReserve, frameHeight);
        if (close)
            close->move(frameWidth - CloseButtonReserve, m_location == BottomEdge ? 19 : 0);
    }
}

void AnnotationToolbar::changeButtonSkinByLocation(QToolButton *button)
{
    QAction *action = button ? button->defaultAction() : nullptr;
    if (!action)
        return;
    QString base = action->data().toString();
    if (!m_shrunk) {
        base += QStringLiteral("_narrow");
        action->setToolTip(QWidget::tr("narrow"));
    } else {
        base += QStringLiteral("_width");
        action->setToolTip(QWidget::tr("enlarge"));
    }
    if (isVerticalEdge(m_location))
        base += QStringLiteral("_V");
    button->setStyleSheet(StyleToolbarHelper::getStyleSheetString(base));
}

void AnnotationToolbar::setMainToolBarShrinkSlot(bool shrunk)
{
    m_shrunk = shrunk;
    QToolButton *shrink = registeredButton(QLatin1String(ShrinkButtonName));
    changeButtonSkinByLocation(shrink);
    if (QAction *action = shrink ? shrink->defaultAction() : nullptr)
        action->setToolTip(shrunk ? tr("expand") : tr("collapse"));
    update();
}

void AnnotationToolbar::toolButtonClickedSlot(int index)
{
    if (index < 0 || index >= m_clickableButtons.size())
        return;
    const QToolButton *button = m_clickableButtons.at(index);
    const QAction *action = button->defaultAction();
    emit mainToolBarButtonClicked(action ? action->objectName() : button->objectName());
}

void AnnotationToolbar::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    changeCloseButtonLocationWhenResize();
}

bool AnnotationToolbar::isOverMoveHandle(const QPoint &point) const
{
    const int x = point.x();
    const int y = point.y();
    switch (m_location) {
    case TopEdge:
        return x > 50 && x < 60 && y > 10 && y < 37;
    case BottomEdge:
        return x > 50 && x < 60 && y > 20 && y < 52;
    default:
        return x > 10 && x < 37 && y > 50 && y < 70;
    }
}

void AnnotationToolbar::mouseMoveEvent(QMouseEvent *event)
{
    if (isOverMoveHandle(event->localPos().toPoint()))
        QToolTip::showText(event->globalPos(), QWidget::tr("move"));
    else
        QToolTip::hideText();
    QWidget::mouseMoveEvent(event);
}

} // namespace ui
} // namespace drawlet
