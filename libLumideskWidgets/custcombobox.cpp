#include "custcombobox.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFrame>
#include <QStandardItem>
#include <QStandardItemModel>

namespace {
// Narrow boxes (a microphone chooser is 16 pixels wide) would open an unreadable list.
const int MinimumPopupWidth = 100;
const int TitleRowHeight = 30;
}

CustComboBox::CustComboBox(QWidget *parent)
    : QComboBox(parent)
{
    QApplication::setEffectEnabled(Qt::UI_AnimateCombo, false);
    setMaxVisibleItems(50);
}

void CustComboBox::setPopDirection(PopDirection direction)
{
    m_popDirection = direction;
}

void CustComboBox::showText(bool show)
{
    m_showText = show;
}

void CustComboBox::showTextBackground(bool show)
{
    m_showTextBackground = show;
}

void CustComboBox::setStyleSheet(const QString &sheet)
{
    QString extra;
    if (!m_showText)
        extra = QStringLiteral("color:rgba(0, 0, 0, 0%);selection-color:rgba(0, 0, 0, 0%);");
    if (!m_showTextBackground)
        extra += QStringLiteral("selection-background-color: rgba(255 , 0 , 0 , 0%);"
                                "background-color:rgba(255 , 0 , 0 , 0%);");
    if (extra.isEmpty())
        QComboBox::setStyleSheet(sheet);
    else
        QComboBox::setStyleSheet(sheet + QStringLiteral(" QComboBox {") + extra + QStringLiteral("}"));
}

void CustComboBox::insertTitleSeparator(const QString &title, int index)
{
    auto *itemModel = qobject_cast<QStandardItemModel *>(model());
    if (!itemModel)
        return;
    // As QComboBox::insertItem does: past the end appends, before the start prepends.
    const int rows = itemModel->rowCount(rootModelIndex());
    if (index == -1 || index > rows)
        index = rows;
    else if (index < 0)
        index = 0;

    auto *item = new QStandardItem(title);
    item->setFlags(item->flags() & ~(Qt::ItemIsSelectable | Qt::ItemIsEnabled));
    item->setData(QStringLiteral("titleSeparator"), Qt::AccessibleDescriptionRole);
    QFont font = item->font();
    font.setWeight(QFont::Bold);
    item->setFont(font);
    item->setSizeHint(QSize(item->sizeHint().width(), TitleRowHeight));

    QStandardItem *parentItem = itemModel->itemFromIndex(rootModelIndex());
    if (!parentItem)
        parentItem = itemModel->invisibleRootItem();
    parentItem->insertRow(index, item);
}

void CustComboBox::showPopup()
{
    view()->setMinimumWidth(view()->sizeHintForColumn(0));
    QComboBox::showPopup();

    auto *container = findChild<QFrame *>(QString(), Qt::FindDirectChildrenOnly);
    if (container) {
        if (container->width() < MinimumPopupWidth)
            container->resize(MinimumPopupWidth, container->height());
        placePopup(container);
    }
    emit isShowPopup();
}

void CustComboBox::placePopup(QWidget *container) const
{
    const QPoint at = container->pos();
    switch (m_popDirection) {
    case PopAbove:
        container->move(at.x(), at.y() - height() - container->height());
        break;
    case PopLeft:
        container->move(at.x() - width() - container->width(), at.y() - height());
        break;
    case PopRight:
        container->move(at.x() + width(), at.y() - height());
        break;
    default:
        break;
    }
}

void CustComboBox::hidePopup()
{
    QComboBox::hidePopup();
    emit isHidePopup();
}

void CustComboBox::paintEvent(QPaintEvent *event)
{
    QComboBox::paintEvent(event);
}
