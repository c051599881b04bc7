#include "dialogs/navigationdialog.h"

#include "common/settingspath.h"
#include "dialogs/dialogframe.h"
#include "dialogs/helplink.h"

#include <QSettings>

namespace {

const QString GuideKey = QStringLiteral("Guid/Enabled");

// Gaps of the page-2 captions to their markers and to the dialog's right edge.
const int CaptureGap = 8;
const int MarkerGap = 20;
const int RightGap = 20;

// The page-3 message: its box may grow down to this gap above the first caption below it, and its font
// shrinks from the form's size to the smallest one until the text fits.
const int MessageGap = 4;
const int MessageFontSize = 18;
const int OneLineFontSize = 16;
const int SmallestMessageFontSize = 12;

int centredOver(const QWidget *caption, const QWidget *marker)
{
    return marker->x() - (caption->width() - marker->width()) / 2;
}

void moveToX(QWidget *widget, int x)
{
    widget->move(x, widget->y());
}

} // namespace

NavigationDialog::NavigationDialog(QWidget *parent)
    : QDialog(parent, DialogFrame::Flags)
{
    ui.setupUi(this);
    DialogFrame::setUp(this);
    DialogFrame::centreOnScreen(this);
    ui.stackedWidget->setCurrentIndex(0);
    ui.btnPre->setEnabled(false);
    ui.btnNext_3->setEnabled(false);

    connect(ui.btnNext, &QToolButton::clicked, this, &NavigationDialog::changeToPage2);
    connect(ui.btnPre_2, &QToolButton::clicked, this, &NavigationDialog::changeToPage1);
    connect(ui.btnNext_2, &QToolButton::clicked, this, &NavigationDialog::changeToPage3);
    connect(ui.btnPre_3, &QToolButton::clicked, this, &NavigationDialog::changeToPage2);
    connect(ui.btnOk, &QToolButton::clicked, this, &NavigationDialog::closeDialog);

    ui.checkBoxLayout->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    m_messageLineHeight = ui.widget_2->height();
    fitMessage();
    checkGuidSetting();
}

NavigationDialog::~NavigationDialog() = default;

bool NavigationDialog::checkGuidSetting()
{
    const QSettings settings(_GUID_SETTING_INI, QSettings::IniFormat);
    const bool enabled = settings.value(GuideKey, 1).toInt() >= 1;
    ui.checkBox->setChecked(enabled);
    return enabled;
}

void NavigationDialog::updateString()
{
    ui.retranslateUi(this);
    fitMessage();
}

void NavigationDialog::autoAdjustSize()
{
    // Layouts size the captions lazily; placing them needs their final widths now.
    for (QWidget *caption : {ui.widgetPage1Top, ui.widgetPage1Down, ui.widget2page2, ui.widget3page2,
                             ui.widget4page2})
        caption->adjustSize();

    moveToX(ui.widgetPage1Top, centredOver(ui.widgetPage1Top, ui.lbPage1TopBar));
    moveToX(ui.widgetPage1Down, centredOver(ui.widgetPage1Down, ui.lbPage1DownBar));
    moveToX(ui.widget2page2, ui.lb2Page2Bar->x() - CaptureGap - ui.widget2page2->width());

    // The Record caption is centred over its marker unless, centred, it would run closer than the
    // gap to the Stream marker; the choice depends only on the centred place, so the caption stays
    // put from one call to the next.
    const int centred = centredOver(ui.widget3page2, ui.lb3Page2Bar);
    const int limit = ui.lb4Page2Bar->x() - MarkerGap;
    if (centred + ui.widget3page2->width() <= limit)
        moveToX(ui.widget3page2, centred);
    else
        moveToX(ui.widget3page2, limit - ui.widget3page2->width());

    moveToX(ui.widget4page2, width() - RightGap - ui.widget4page2->width());
}

// The message box of the form holds one line, and the English text needs more at the form's font size.
// One line at a slightly smaller size reads best; a text that needs more (a longer translation) takes
// the room down to the caption below it, at a smaller size if need be. Nothing else on the page moves.
void NavigationDialog::fitMessage()
{
    const int width = ui.widget_2->width();
    const int oneLine = m_messageLineHeight;
    const int room = ui.lb2page3->y() - MessageGap - ui.widget_2->y();
    const struct {
        int height;
        int smallestSize;
    } tries[] = {{oneLine, OneLineFontSize}, {room, SmallestMessageFontSize}};
    int needed = 0;
    for (const auto &attempt : tries) {
        for (int size = MessageFontSize; size >= attempt.smallestSize; --size) {
            ui.labelMessage->setStyleSheet(
                QStringLiteral("font-family: \"Arial\"; font-size: %1px; color: white;").arg(size));
            ui.labelMessage->ensurePolished();
            needed = ui.labelMessage->heightForWidth(width);
            if (needed <= attempt.height) {
                ui.widget_2->resize(width, attempt.height);
                return;
            }
        }
    }
    ui.widget_2->resize(width, qMin(needed, room));
}

void NavigationDialog::changeToPage(int index)
{
    ui.stackedWidget->setCurrentIndex(index);
    autoAdjustSize();
}

void NavigationDialog::changeToPage1()
{
    changeToPage(0);
}

void NavigationDialog::changeToPage2()
{
    changeToPage(1);
}

void NavigationDialog::changeToPage3()
{
    changeToPage(2);
}

void NavigationDialog::openLink()
{
    HelpLink::open();
}

void NavigationDialog::setGuid(int enabled)
{
    QSettings settings(_GUID_SETTING_INI, QSettings::IniFormat);
    settings.setValue(GuideKey, enabled > 0 ? 1 : 0);
}

void NavigationDialog::closeDialog()
{
    setGuid(ui.checkBox->isChecked() ? 1 : 0);
    emit closeGuidPage();
    // accept() hides without the close event, whose reject() would come back here.
    accept();
}

void NavigationDialog::reject()
{
    closeDialog();
}
