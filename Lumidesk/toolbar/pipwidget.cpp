#include "toolbar/pipwidget.h"

#include "analytics/bigdata.h"
#include "desktop/taskbarentry.h"
#include "dialogs/navigationdialog.h"

#include "ui_pipwidget.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>

namespace {

// Each layout panel is 160 wide; the panels stand 192 apart from x 32.
const int PanelLeft = 32;
const int PanelStep = 192;
// The form's full size, with all four panels.
const int FullWidth = 800;
const int Height = 229;

} // namespace

PipWidget::PipWidget(QWidget *parent, int mode)
    // Made with its final flags: set after the form, they would restyle every widget of it again.
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setModal(true);
    setAttribute(Qt::WA_TranslucentBackground);

    m_analytics = BigData::RequireBigData();
    connect(this, &PipWidget::sendCommand, m_analytics, &BigData::receiveCommand);

    m_mode = mode;
    m_arrangedMode = mode;
    placeOnScreen();
    platform::TaskbarEntry::keepOut(this);
}

PipWidget::~PipWidget()
{
    delete ui;
}

// The form waits for the chooser's first show or use: built with the chooser, it would be styled, and
// its layout images read, at the toolbar's first show, before the chooser is ever on screen.
void PipWidget::ensureForm()
{
    if (ui)
        return;
    ui = new Ui::PipWidget;
    ui->setupUi(this);
    chcekInitialMode();

    connect(ui->closeBtn, &QToolButton::clicked, this, &PipWidget::closeToolBar);
    connect(ui->noCameraBtn, &QToolButton::clicked, this, &PipWidget::showNoCameraMode);
    connect(ui->singleCameraBtn, &QToolButton::clicked, this, &PipWidget::showSingleCameraMode);
    connect(ui->dualCameraBtn, &QToolButton::clicked, this, &PipWidget::showDualCameraMode);
    connect(ui->pipCameraBtn, &QToolButton::clicked, this, &PipWidget::showPipCameraMode);
    connect(ui->questionBtn, &QToolButton::clicked, this, &PipWidget::showGuid);
}

Ui::PipWidget *PipWidget::form()
{
    ensureForm();
    return ui;
}

void PipWidget::setVisible(bool visible)
{
    if (visible)
        ensureForm();
    QDialog::setVisible(visible);
}

// The panels before the first one on offer are hidden: the desktop only and one camera give way once a
// camera is open.
int PipWidget::firstOffered() const
{
    return m_arrangedMode == NoCamera ? 0 : (m_arrangedMode == SingleCamera ? 1 : 2);
}

int PipWidget::offeredWidth() const
{
    return FullWidth - firstOffered() * PanelStep;
}

// Size and place are the form's from the start, so the chooser stands where it would have with its form.
void PipWidget::placeOnScreen()
{
    resize(offeredWidth(), Height);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

void PipWidget::chcekInitialMode()
{
    // The panels of the layouts on offer, left to right; the ones before them are hidden.
    QWidget *const panels[] = {ui->noCameraWidget, ui->oneCameraWidget, ui->twoCameraWidget, ui->pipCameraWidget};
    const int first = firstOffered();
    for (int i = 0; i < 4; ++i) {
        // The panels on offer show with the dialog; showing them now would style them before the
        // dialog is ever shown.
        if (i < first)
            panels[i]->hide();
        if (i >= first && !(i == 0 && first == 0))
            panels[i]->move(PanelLeft + (i - first) * PanelStep, panels[i]->y());
    }
    const int width = offeredWidth();
    // The form sets its own full size; the place stays the one taken at construction.
    resize(width, Height);
    ui->pipFrame->resize(width, ui->pipFrame->height());
    ui->frameTitle->resize(width - 20, ui->frameTitle->height());
    ui->frameRight->move(width - ui->frameRight->width(), 0);
    ui->closeBtn->move(width - 8 - ui->closeBtn->width(), 0);
}

void PipWidget::setCameraMode(int mode)
{
    m_mode = mode;
}

void PipWidget::decreaseCameraCount()
{
    if (m_mode <= NoCamera)
        return;
    m_mode = m_mode == PipCamera ? SingleCamera : m_mode - 1;
}

void PipWidget::updateString()
{
    // A form built later takes the texts in force then.
    if (ui)
        ui->retranslateUi(this);
    if (m_guide)
        m_guide->updateString();
}

NavigationDialog *PipWidget::guide()
{
    // Made when the help button first asks for it: its pictures would slow every start.
    if (!m_guide) {
        m_guide = new NavigationDialog(this);
        // Opened from the chooser, it belongs to the toolbar's entry; the guide of the first start,
        // alone on screen, keeps an entry of its own.
        platform::TaskbarEntry::keepOut(m_guide);
        m_guide->hide();
    }
    return m_guide;
}

void PipWidget::chooseLayout(int mode)
{
    emit doShowCameraMode(mode);
    emit sendCommand(LayoutEvent, LayoutValueBase + mode, -1, -1, -1, -1, -1);
    m_layoutChosen = true;
    closeToolBar();
}

void PipWidget::showNoCameraMode()
{
    chooseLayout(NoCamera);
}

void PipWidget::showSingleCameraMode()
{
    chooseLayout(SingleCamera);
}

void PipWidget::showDualCameraMode()
{
    chooseLayout(DualCamera);
}

void PipWidget::showPipCameraMode()
{
    chooseLayout(PipCamera);
}

void PipWidget::closeToolBar()
{
    reject();
}

void PipWidget::reject()
{
    // The close button, Escape and the window's own close all end here.
    QDialog::reject();
    emit closePipPanel();
    // Closed before any layout was ever chosen: the desktop only stays, and is reported as chosen.
    if (!m_layoutChosen)
        emit sendCommand(LayoutEvent, LayoutValueBase + NoCamera, -1, -1, -1, -1, -1);
}

void PipWidget::showGuid()
{
    NavigationDialog *help = guide();
    help->form()->checkBox->setChecked(help->checkGuidSetting());
    help->form()->stackedWidget->setCurrentIndex(0);
    help->show();
    help->autoAdjustSize();
}

void PipWidget::mousePressEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton)
        return;
    m_dragging = true;
    m_pressPos = e->localPos().toPoint();
}

void PipWidget::mouseMoveEvent(QMouseEvent *e)
{
    if (!m_dragging)
        return;
    move(mapToParent(e->localPos().toPoint() - m_pressPos));
}

void PipWidget::mouseReleaseEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton)
        return;
    m_dragging = false;
    m_pressPos = QPoint();
}
