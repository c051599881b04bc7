#include "deskpadwidget.h"

#include "localclient.h"
#include "paneldialoglook.h"
#include "ui_deskpadwidget.h"

#include "livewarningdialog.h"
#include "notificationdialog.h"
#include "warningdialog.h"

#include "desktop/installlayout.h"
#include "desktop/seethroughshape.h"
#include "desktop/taskbarentry.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <QTranslator>

namespace {

const char OnePageBackground[] = ":/resources/bg_td_win_one.png";
const char TwoPageBackground[] = ":/resources/bg_td_win.png";
// The title is fitted into this width; a longer one is elided and shown whole in its tool tip.
const int TitleWidth = 111;

QScreen *screenOf(const QWidget *widget)
{
    QScreen *screen = widget->screen();
    return screen ? screen : QGuiApplication::primaryScreen();
}

} // namespace

DeskpadWidget::DeskpadWidget(QDockWidget *parent)
    : QDockWidget(parent)
    , ui(new Ui_DeskpadWidget)
{
    ui->setupUi(this);
    // The panel draws its own title row; an empty title bar keeps the dock widget from painting its
    // frame, title and float and close buttons over it when it floats as a window of its own.
    setTitleBarWidget(new QWidget(this));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    // It opens from the toolbar's record and live buttons or beside the annotation toolbar: those
    // windows' entries stand for it.
    platform::TaskbarEntry::keepOut(this);

    m_languagePath = platform::InstallLayout::languagesAbove(QCoreApplication::applicationDirPath());

    m_warningDialog = new WarningDialog(this);
    m_liveWarningDialog = new LiveWarningDialog(this);
    m_notificationDialog = new NotificationDialog(this);
    platform::TaskbarEntry::keepOut(m_warningDialog);
    platform::TaskbarEntry::keepOut(m_liveWarningDialog);
    platform::TaskbarEntry::keepOut(m_notificationDialog);
    PanelDialogLook::apply(m_warningDialog);
    PanelDialogLook::apply(m_notificationDialog);

    m_client = new LocalClient;
    m_client->requestNewConnection();
    connectClient();

    QWidget *const hiddenAtStart[] = {ui->widgetRecord,   ui->widgetLive,      ui->widgetRecLive,
                                      ui->btnNonMini,     ui->btnWarning,      ui->btnLiveWarning,
                                      ui->btnPauseSmall,  ui->btnPauseBig,     ui->btnStopLiveSmall,
                                      ui->btnStopLiveBig};
    for (QWidget *widget : hiddenAtStart)
        widget->hide();
    ui->canvasReport->setLevel(0);
    setPageBackground(false);

    connectControls();

    m_recordTimer = new QTimer(this);
    m_recordTimer->setObjectName(QStringLiteral("recordTimer"));
    m_recordTimer->setInterval(m_timing.tickMs);
    connect(m_recordTimer, &QTimer::timeout, this, &DeskpadWidget::countRecordTime);
    m_liveTimer = new QTimer(this);
    m_liveTimer->setObjectName(QStringLiteral("liveTimer"));
    m_liveTimer->setInterval(m_timing.tickMs);
    connect(m_liveTimer, &QTimer::timeout, this, &DeskpadWidget::countLiveTime);

    setUpAudioList();

    ui->lebalCountdown->hide();
    m_recordCountdownTimer = new QTimer(this);
    m_recordCountdownTimer->setObjectName(QStringLiteral("recordCountdownTimer"));
    m_recordCountdownTimer->setSingleShot(true);
    connect(m_recordCountdownTimer, &QTimer::timeout, this, &DeskpadWidget::recordCountdown);
    m_liveCountdownTimer = new QTimer(this);
    m_liveCountdownTimer->setObjectName(QStringLiteral("liveCountdownTimer"));
    m_liveCountdownTimer->setSingleShot(true);
    connect(m_liveCountdownTimer, &QTimer::timeout, this, &DeskpadWidget::liveCountdown);

    setToolTips();
    checkStringLength();
    updateSeeThroughShape();
}

DeskpadWidget::~DeskpadWidget()
{
    delete m_client;
    m_client = nullptr;
    if (m_translator)
        QCoreApplication::removeTranslator(m_translator.get());
    delete ui;
}

void DeskpadWidget::connectClient()
{
    LocalClient *c = m_client;
    connect(c, &LocalClient::serverShutdown, this, &DeskpadWidget::serverShutdown);
    connect(c, &LocalClient::lumideskHided, this, &DeskpadWidget::lumideskHided);
    // The relay comes first, so the plug-in controller hears of a new language before the panel reloads.
    connect(c, &LocalClient::langChanged, this, &DeskpadWidget::langChanged);
    connect(c, &LocalClient::langChanged, this, &DeskpadWidget::updateString);
    connect(c, &LocalClient::recordWidgetShow, this, &DeskpadWidget::showRecordWidget);
    connect(c, &LocalClient::liveWidgetShow, this, &DeskpadWidget::showLiveWidget);
    connect(c, qOverload<QList<QString>>(&LocalClient::audioListUpdate), this,
            qOverload<const QList<QString> &>(&DeskpadWidget::updateAudioList));
    connect(c, qOverload<QList<QString>, QList<QString>>(&LocalClient::audioListUpdate), this,
            qOverload<const QList<QString> &, const QList<QString> &>(&DeskpadWidget::updateAudioList));
    connect(c, &LocalClient::audioSourceUpdate, this, &DeskpadWidget::updateAudioSource);
    connect(c, &LocalClient::volumeUpdate, this, &DeskpadWidget::updateVolume);
    connect(c, &LocalClient::levelReportUpdate, this, &DeskpadWidget::updateLevelReport);
    connect(c, &LocalClient::warningBtnShow, this, &DeskpadWidget::showWarningBtn);
    connect(c, &LocalClient::warningBtnHided, this, &DeskpadWidget::hideWarningBtn);
    connect(c, &LocalClient::autoRecordSet, this, &DeskpadWidget::updateAutoRecord);
    connect(c, &LocalClient::liveWarningBtnShow, this, &DeskpadWidget::showLiveWarningBtn);
    connect(c, &LocalClient::liveWarningBtnHided, this, &DeskpadWidget::hideLiveWarningBtn);
    connect(c, &LocalClient::liveStatusUpdate, this, &DeskpadWidget::updateLiveStatus);
    connect(c, &LocalClient::recordTimeGet, this, &DeskpadWidget::getRecordTime);
    connect(c, &LocalClient::liveTimeGet, this, &DeskpadWidget::getLiveTime);
    connect(c, &LocalClient::recordStart, this, &DeskpadWidget::startRecord);
    connect(c, &LocalClient::recordPause, this, &DeskpadWidget::pauseRecord);
    connect(c, &LocalClient::recordStop, this, &DeskpadWidget::stopRecord);
    connect(c, &LocalClient::liveStart, this, &DeskpadWidget::startLive);
    connect(c, &LocalClient::liveStop, this, &DeskpadWidget::stopLive);
}

void DeskpadWidget::connectControls()
{
    connect(ui->btnWarning, &QToolButton::clicked, this, &DeskpadWidget::showWarning);
    connect(ui->btnLiveWarning, &QToolButton::clicked, this, &DeskpadWidget::showLiveWarning);
    connect(ui->btnMini, &QToolButton::clicked, this, &DeskpadWidget::minimizeWidget);
    connect(ui->btnNonMini, &QToolButton::clicked, this, &DeskpadWidget::nonMinimizeWidget);
    connect(ui->btnClose, &QToolButton::clicked, this, &DeskpadWidget::closeWidget);
    for (QToolButton *button : {ui->btnRecordSmall, ui->btnRecordBig})
        connect(button, &QToolButton::clicked, this, &DeskpadWidget::startRecordCountdown);
    for (QToolButton *button : {ui->btnPauseSmall, ui->btnPauseBig})
        connect(button, &QToolButton::clicked, this, &DeskpadWidget::pauseRecord);
    for (QToolButton *button : {ui->btnStopSmall, ui->btnStopBig})
        connect(button, &QToolButton::clicked, this, &DeskpadWidget::stopRecord);
    for (QToolButton *button : {ui->btnStartLiveSmall, ui->btnStartLiveBig})
        connect(button, &QToolButton::clicked, this, &DeskpadWidget::startLiveCountdown);
    for (QToolButton *button : {ui->btnStopLiveSmall, ui->btnStopLiveBig})
        connect(button, &QToolButton::clicked, this, &DeskpadWidget::stopLive);
    connect(ui->btnIncVolume, &QToolButton::clicked, this, &DeskpadWidget::increaseVolume);
    connect(ui->btnDecVolume, &QToolButton::clicked, this, &DeskpadWidget::decreaseVolume);
    connect(ui->sliderVolume, &QSlider::sliderReleased, this, &DeskpadWidget::changeVolume);
}

void DeskpadWidget::setTiming(const Timing &timing)
{
    m_timing = timing;
    m_recordTimer->setInterval(m_timing.tickMs);
    m_liveTimer->setInterval(m_timing.tickMs);
}

bool DeskpadWidget::checkServerAlive() const
{
    return m_client->checkAlive();
}

void DeskpadWidget::showLumidesk(int x, int y)
{
    m_client->showLumidesk(x, y);
}

bool DeskpadWidget::checkOnRecord() const
{
    return m_recordTime > 0;
}

bool DeskpadWidget::checkOnLive() const
{
    return m_liveTimer->isActive();
}

void DeskpadWidget::SetAutoRecordUi(bool disabled)
{
    for (QToolButton *button : {ui->btnRecordSmall, ui->btnRecordBig, ui->btnPauseSmall, ui->btnPauseBig,
                                ui->btnStopSmall, ui->btnStopBig})
        button->setDisabled(disabled);
}

// Pages ----------------------------------------------------------------------------------------------

void DeskpadWidget::setPageBackground(bool bothPages)
{
    ui->frameBottom->setStyleSheet(
        QStringLiteral("#frameBottom{background-image: url(%1);"
                       "border-bottom-left-radius: 7px;border-bottom-right-radius: 7px;}")
            .arg(QLatin1String(bothPages ? TwoPageBackground : OnePageBackground)));
}

void DeskpadWidget::placeAtTopLeft()
{
    move(QGuiApplication::primaryScreen()->availableGeometry().topLeft());
}

void DeskpadWidget::showRecordWidget()
{
    m_recordWidgetShown = true;
    if (!m_liveWidgetShown) {
        SetAutoRecordUi(false);
        showPageAlone(ui->widgetRecord);
        return;
    }
    showBothPages(ui->widgetLive);
    // Under automatic recording the recording starts with the stream, not by hand.
    SetAutoRecordUi(m_isAutoRecord && m_recordTime < 1 && !m_liveTimer->isActive());
}

void DeskpadWidget::showLiveWidget()
{
    m_liveWidgetShown = true;
    if (!m_recordWidgetShown) {
        showPageAlone(ui->widgetLive);
        return;
    }
    showBothPages(ui->widgetRecord);
    if (m_isAutoRecord && m_recordTime < 1 && !m_liveTimer->isActive())
        SetAutoRecordUi(true);
}

void DeskpadWidget::showPageAlone(QWidget *page)
{
    setPageBackground(false);
    page->show();
    ui->widgetMain->move(0, 0);
    placeAtTopLeft();
    show();
}

void DeskpadWidget::showBothPages(QWidget *otherPage)
{
    setPageBackground(true);
    otherPage->hide();
    ui->widgetRecLive->show();
}

void DeskpadWidget::hideRecordWidget()
{
    takePageAway(m_recordWidgetShown, m_liveWidgetShown, ui->widgetRecord, ui->widgetLive,
                 &LocalClient::hideRecordWidget);
}

void DeskpadWidget::hideLiveWidget()
{
    takePageAway(m_liveWidgetShown, m_recordWidgetShown, ui->widgetLive, ui->widgetRecord,
                 &LocalClient::hideLiveWidget);
}

void DeskpadWidget::takePageAway(bool &shown, bool otherShown, QWidget *page, QWidget *otherPage,
                                 void (LocalClient::*tellMainProgram)())
{
    if (shown) {
        shown = false;
        (otherShown ? ui->widgetRecLive : page)->hide();
        (m_client->*tellMainProgram)();
    }
    if (!otherShown) {
        hide();
        ui->btnAudio->setEnabled(true);
        return;
    }
    setPageBackground(false);
    otherPage->show();
}

// Countdown ------------------------------------------------------------------------------------------

bool DeskpadWidget::isCountingDown() const
{
    return m_recordCountdownTimer->isActive() || m_liveCountdownTimer->isActive();
}

bool DeskpadWidget::isBusy() const
{
    return isCountingDown() || m_recordTime >= 1 || m_liveTimer->isActive();
}

void DeskpadWidget::beginCountdown(QTimer *timer)
{
    m_countdownNumber = 3;
    m_savedPos = pos();
    // The panel covers its screen while the number counts down; its controls stay where they were.
    const QRect screen = screenOf(this)->geometry();
    ui->widgetMain->move(m_savedPos - screen.topLeft());
    move(screen.topLeft());
    resize(screen.size());
    ui->lebalCountdown->resize(screen.size());
    ui->lebalCountdown->setText(QString::number(m_countdownNumber));
    ui->lebalCountdown->show();
    updateSeeThroughShape();
    timer->start(m_timing.countdownStepMs);
}

void DeskpadWidget::countdownStep(QTimer *timer, void (DeskpadWidget::*start)())
{
    const int n = m_countdownNumber;
    if (n < 0)
        return;
    m_countdownNumber = n - 1;
    if (n > 1) {
        ui->lebalCountdown->setText(QString::number(n - 1));
        updateSeeThroughShape();
        timer->start(m_timing.countdownStepMs);
    } else if (n == 1) {
        // The screen is clear for a moment, so the number is not in the recording.
        ui->lebalCountdown->hide();
        updateSeeThroughShape();
        timer->start(m_timing.countdownLastStepMs);
    } else {
        restoreFromCountdown();
        (this->*start)();
    }
}

void DeskpadWidget::restoreFromCountdown()
{
    ui->lebalCountdown->resize(0, 0);
    move(m_savedPos);
    resize(ui->widgetMain->size());
    ui->widgetMain->move(0, 0);
    updateSeeThroughShape();
}

void DeskpadWidget::updateSeeThroughShape()
{
    // Without a compositor the panel's clear pixels come out black: below the title row when it is
    // collapsed, and, while a countdown covers the screen, the whole desktop. The panel is then cut
    // down to its controls and the number, and the desktop shows around them.
    const QPoint controls = ui->widgetMain->pos();
    QRegion visible(ui->widgetTitle->geometry().translated(controls));
    if (!ui->frameBottom->isHidden())
        visible += ui->frameBottom->geometry().translated(controls);
    if (!ui->lebalCountdown->isHidden())
        visible += countdownNumberArea();
    const QRegion shape = platform::SeeThroughShape::mask(visible);
    if (mask() != shape)
        setMask(shape);
}

QRect DeskpadWidget::countdownNumberArea() const
{
    const QLabel *number = ui->lebalCountdown;
    number->ensurePolished();
    const QFontMetrics metrics(number->font());
    // The number on a dark plate of its own, half a line wider than the figure all round.
    const int margin = metrics.height() / 2;
    const QRect text = metrics.boundingRect(number->rect(), int(number->alignment()), number->text());
    return text.adjusted(-margin, -margin, margin, margin).translated(number->pos());
}

void DeskpadWidget::cancelCountdown(QTimer *timer)
{
    if (!timer->isActive())
        return;
    timer->stop();
    m_countdownNumber = -1;
    ui->lebalCountdown->hide();
    restoreFromCountdown();
}

void DeskpadWidget::recordCountdown()
{
    countdownStep(m_recordCountdownTimer, &DeskpadWidget::startRecord);
}

void DeskpadWidget::liveCountdown()
{
    countdownStep(m_liveCountdownTimer, &DeskpadWidget::startLive);
}

// Recording ------------------------------------------------------------------------------------------

void DeskpadWidget::startRecordCountdown()
{
    if (m_recordTime != 0) {
        // A paused recording resumes at once.
        startRecord();
        return;
    }
    // One countdown at a time: both share the number on screen and the saved position.
    if (isCountingDown() || m_recordTimer->isActive())
        return;
    beginCountdown(m_recordCountdownTimer);
}

void DeskpadWidget::startRecord()
{
    if (m_recordCountdownTimer->isActive() || m_recordTimer->isActive())
        return;
    ui->btnAudio->setEnabled(false);
    ui->cbAudio->hidePopup();
    ui->btnRecordSmall->hide();
    ui->btnRecordBig->hide();
    for (QToolButton *button : {ui->btnPauseSmall, ui->btnPauseBig, ui->btnStopSmall, ui->btnStopBig})
        button->show();
    m_recordTimer->start(m_timing.tickMs);
    m_client->startRecord();
    // A started recording exists from its first moment, so a stop right away still reaches the main
    // program.
    m_recordTime += TickMs;
}

void DeskpadWidget::pauseRecord()
{
    // Only a running recording pauses; the main program's pause while nothing records (after a wake,
    // say) sends nothing back.
    if (!m_recordTimer->isActive())
        return;
    ui->btnPauseSmall->hide();
    ui->btnPauseBig->hide();
    ui->btnRecordSmall->show();
    ui->btnRecordBig->show();
    m_recordTimer->stop();
    ui->labelRecSmall->show();
    ui->labelRecBig->show();
    m_client->pauseRecord();
}

void DeskpadWidget::stopRecord()
{
    // A stop during the countdown cancels the start that would follow it.
    cancelCountdown(m_recordCountdownTimer);
    if (!m_liveTimer->isActive())
        ui->btnAudio->setEnabled(true);
    if (m_recordTime > 0)
        m_client->stopRecord(int(m_recordTime / 1000));
    for (QToolButton *button : {ui->btnRecordSmall, ui->btnRecordBig, ui->btnStopSmall, ui->btnStopBig})
        button->show();
    ui->btnPauseSmall->hide();
    ui->btnPauseBig->hide();
    m_recordTimer->stop();
    ui->labelRecSmall->show();
    ui->labelRecBig->show();
    m_recordTime = 0;
    ui->labelRecTimeSmall->setText(msecToString(0));
    ui->labelRecTimeBig->setText(msecToString(0));
    ui->btnWarning->hide();
    hideRecordWidget();
}

void DeskpadWidget::countRecordTime()
{
    m_recordTime += TickMs;
    if (m_recordTime >= RecordLimitMs) {
        stopRecord();
        showNotificationDialog(tr("Deskpad"),
                               tr("The recording is stopped because the video has reached the maximum time "
                                  "(6 hours)."),
                               0);
        return;
    }
    showRunningTime(m_recordTime, {ui->labelRecTimeSmall, ui->labelRecTimeBig}, {ui->labelRecSmall, ui->labelRecBig});
}

void DeskpadWidget::showRunningTime(qint64 ms, std::initializer_list<QLabel *> times,
                                    std::initializer_list<QLabel *> icons)
{
    const QString text = msecToString(ms);
    for (QLabel *time : times)
        time->setText(text);
    // The icons blink: shown on whole seconds, hidden on the half seconds between.
    for (QLabel *icon : icons)
        icon->setVisible(ms % 1000 == 0);
}

void DeskpadWidget::getRecordTime()
{
    m_client->updateRecordTime(int(m_recordTime / 1000));
}

QString DeskpadWidget::msecToString(qint64 ms)
{
    const qint64 hours = ms / 3600000;
    const qint64 minutes = ms / 60000 - hours * 60;
    const qint64 seconds = ms / 1000 - (ms / 60000) * 60;
    return QStringLiteral("%1:%2:%3")
        .arg(hours, 2, 10, QLatin1Char('0'))
        .arg(minutes, 2, 10, QLatin1Char('0'))
        .arg(seconds, 2, 10, QLatin1Char('0'));
}

// Live -----------------------------------------------------------------------------------------------

void DeskpadWidget::startLiveCountdown()
{
    if (isCountingDown() || m_liveTimer->isActive())
        return;
    beginCountdown(m_liveCountdownTimer);
}

void DeskpadWidget::startLive()
{
    if (m_liveCountdownTimer->isActive() || m_liveTimer->isActive())
        return;
    ui->btnAudio->setEnabled(false);
    ui->cbAudio->hidePopup();
    ui->btnStartLiveSmall->hide();
    ui->btnStartLiveBig->hide();
    ui->btnStopLiveSmall->show();
    ui->btnStopLiveBig->show();
    m_liveTimer->start(m_timing.tickMs);
    m_client->startLive();
    if (m_isAutoRecord && m_recordWidgetShown && m_recordTime < 1) {
        SetAutoRecordUi(false);
        startRecord();
    }
    m_liveTime += TickMs;
}

void DeskpadWidget::stopLive()
{
    cancelCountdown(m_liveCountdownTimer);
    if (m_recordTime < 1)
        ui->btnAudio->setEnabled(true);
    if (m_liveTimer->isActive())
        m_client->stopLive(int(m_liveTime / 1000));
    ui->btnStartLiveSmall->show();
    ui->btnStartLiveBig->show();
    ui->btnStopLiveSmall->hide();
    ui->btnStopLiveBig->hide();
    m_liveTimer->stop();
    ui->labelLiveSmall->show();
    ui->labelLiveBig->show();
    m_liveTime = 0;
    ui->labelLiveTimeSmall->setText(msecToString(0));
    ui->labelLiveTimeBig->setText(msecToString(0));
    ui->labelSpeedSmall->setText(QStringLiteral("0 kb/s"));
    ui->labelSpeedBig->setText(QStringLiteral("0 kb/s"));
    ui->btnLiveWarning->hide();
    hideLiveWidget();
}

void DeskpadWidget::countLiveTime()
{
    m_liveTime += TickMs;
    showRunningTime(m_liveTime, {ui->labelLiveTimeSmall, ui->labelLiveTimeBig}, {ui->labelLiveSmall, ui->labelLiveBig});
}

void DeskpadWidget::getLiveTime()
{
    m_client->updateLiveTime(int(m_liveTime / 1000));
}

void DeskpadWidget::updateLiveStatus(int kbps, int fps)
{
    Q_UNUSED(fps)
    const QString text = QString::number(kbps) + QLatin1String(" kb/s");
    ui->labelSpeedSmall->setText(text);
    ui->labelSpeedBig->setText(text);
}

void DeskpadWidget::updateAutoRecord(bool isAuto)
{
    m_isAutoRecord = isAuto;
}

// Warnings and notification --------------------------------------------------------------------------

void DeskpadWidget::showWarningBtn()
{
    ui->btnWarning->show();
}

void DeskpadWidget::hideWarningBtn()
{
    ui->btnWarning->hide();
}

void DeskpadWidget::showLiveWarningBtn()
{
    ui->btnLiveWarning->show();
}

void DeskpadWidget::hideLiveWarningBtn()
{
    ui->btnLiveWarning->hide();
}

void DeskpadWidget::centre(QWidget *dialog) const
{
    const QRect screen = screenOf(this)->geometry();
    dialog->move(screen.x() + (screen.width() - 1) / 2 - (dialog->width() - 1) / 2,
                 screen.y() + (screen.height() - 1) / 2 - (dialog->height() - 1) / 2);
}

void DeskpadWidget::showWarning()
{
    centre(m_warningDialog);
    m_warningDialog->show();
}

void DeskpadWidget::showLiveWarning()
{
    centre(m_liveWarningDialog);
    m_liveWarningDialog->show();
    m_liveWarningDialog->autoAdjustSize();
}

void DeskpadWidget::showNotificationDialog(const QString &title, const QString &message, int mode)
{
    m_notificationDialog->setTitle(title);
    m_notificationDialog->setMessage(message);
    centre(m_notificationDialog);
    m_notificationDialog->show();
    m_notificationDialog->autoAdjustSize(mode);
}

// Collapsing, closing, dragging ----------------------------------------------------------------------

void DeskpadWidget::minimizeWidget()
{
    m_isMinimized = true;
    ui->btnMini->hide();
    ui->btnNonMini->show();
    ui->frameBottom->hide();
    updateSeeThroughShape();
}

void DeskpadWidget::nonMinimizeWidget()
{
    m_isMinimized = false;
    ui->btnMini->show();
    ui->btnNonMini->hide();
    ui->frameBottom->show();
    updateSeeThroughShape();
}

void DeskpadWidget::closeWidget()
{
    stopRecord();
    stopLive();
}

void DeskpadWidget::mousePressEvent(QMouseEvent *event)
{
    if (m_countdownNumber >= 0 || event->button() != Qt::LeftButton)
        return;
    m_pressPos = event->localPos().toPoint();
    m_isPressed = true;
}

void DeskpadWidget::mouseMoveEvent(QMouseEvent *event)
{
    // The move that closes the microphone list is not the start of a drag.
    if (m_isPopupShown) {
        m_isPopupShown = false;
        return;
    }
    if (m_isPressed)
        move(mapToParent(event->localPos().toPoint() - m_pressPos));
}

void DeskpadWidget::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_isPressed = false;
    m_pressPos = QPoint(0, 0);
}

// Texts and language ---------------------------------------------------------------------------------

void DeskpadWidget::setToolTips()
{
    ui->btnAudio->setToolTip(tr("Microphone source"));
    ui->btnRecordBig->setToolTip(tr("Recording"));
    ui->btnRecordSmall->setToolTip(tr("Recording"));
    ui->btnPauseBig->setToolTip(tr("Pause recording"));
    ui->btnPauseSmall->setToolTip(tr("Pause recording"));
    ui->btnStopBig->setToolTip(tr("Stop recording"));
    ui->btnStopSmall->setToolTip(tr("Stop recording"));
    ui->btnStartLiveSmall->setToolTip(tr("Streaming"));
    ui->btnStartLiveBig->setToolTip(tr("Streaming"));
    ui->btnStopLiveSmall->setToolTip(tr("Stop streaming"));
    ui->btnStopLiveBig->setToolTip(tr("Stop streaming"));
    ui->btnMini->setToolTip(tr("Collapse"));
    ui->btnNonMini->setToolTip(tr("Expand"));
}

void DeskpadWidget::checkStringLength()
{
    // The title's font comes from its style sheet, which applies only once the label is polished.
    ui->labelTitle->ensurePolished();
    const QFontMetrics metrics(ui->labelTitle->font());
    const QString text = ui->labelTitle->text();
    if (metrics.horizontalAdvance(text) < TitleWidth) {
        ui->labelTitle->setToolTip(QString());
        return;
    }
    ui->labelTitle->setToolTip(QStringLiteral("<span style='color:block;'>") + text + QStringLiteral("</span>"));
    ui->labelTitle->setText(metrics.elidedText(text, Qt::ElideRight, TitleWidth - 1, 0));
}

void DeskpadWidget::updateString(const QString &lang)
{
    // The code becomes part of a file path.
    if (!LocalClient::isValidLanguageCode(lang))
        return;
    // A failed load empties a translator, so the catalogue is loaded into a new one and the one in use
    // is replaced only when that worked.
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(m_languagePath + QLatin1Char('/') + lang + QLatin1String("/Deskpad_") + lang))
        return;
    if (m_translator)
        QCoreApplication::removeTranslator(m_translator.get());
    m_translator = std::move(translator);
    QCoreApplication::installTranslator(m_translator.get());

    // The form's texts include the running times and the bit rate, which a reload must not reset.
    QLabel *const running[] = {ui->labelRecTimeSmall, ui->labelRecTimeBig, ui->labelLiveTimeSmall,
                               ui->labelLiveTimeBig, ui->labelSpeedSmall, ui->labelSpeedBig,
                               ui->lebalCountdown};
    QStringList texts;
    for (QLabel *label : running)
        texts.append(label->text());
    ui->retranslateUi(this);
    for (int i = 0; i < texts.size(); ++i)
        running[i]->setText(texts.at(i));

    m_warningDialog->updateString();
    PanelDialogLook::apply(m_warningDialog);
    m_liveWarningDialog->updateString(lang);
    m_notificationDialog->updateString();
    PanelDialogLook::apply(m_notificationDialog);
    checkStringLength();
    setToolTips();
}
