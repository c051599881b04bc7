#include "toolbar/pipwidget.h"

#include "analytics/bigdata.h"
#include "dialogs/navigationdialog.h"

#include "ui_pipwidget.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>

namespace {

// Each layout panel is 160 wide; the panels stand 192 apart from x 32.
const int PanelLeft = 32;
const int PanelStep = 192;

} // namespace

PipWidget::PipWidget(QWidget *parent, int mode)
    // Made with its final flags: set after the form, they would restyle every widget of it again.
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
    , ui(new Ui::PipWidget)
{
    ui->setupUi(this);
    setModal(true);
    setAttribute(Qt::WA_TranslucentBackground);

    m_analytics = BigData::RequireBigData();
    connect(this, &PipWidget::sendCommand, m_analytics, &BigData::receiveCommand);

    m_mode = mode;
    chcekInitialMode();

    connect(ui->closeBtn, &QToolButton::clicked, this, &PipWidget::closeToolBar);
    connect(ui->noCameraBtn, &QToolButton::clicked, this, &PipWidget::showNoCameraMode);
    connect(ui->singleCameraBtn, &QToolButton::clicked, this, &PipWidget::showSingleCameraMode);
    connect(ui->dualCameraBtn, &QToolButton::clicked, this, &PipWidget::showDualCameraMode);
    connect(ui->pipCameraBtn, &QToolButton::clicked, this, &PipWidget::showPipCameraMode);
    connect(ui->questionBtn, &QToolButton::clicked, this, &PipWidget::showGuid);
}

PipWidget::~PipWidget()
{
    delete ui;
}

void PipWidget::chcekInitialMode()
{
    // The panels of the layouts on offer, left to right; the ones before them are hidden.
    QWidget *const panels[] = {ui->noCameraWidget, ui->oneCameraWidget, ui->twoCameraWidget, ui->pipCameraWidget};
    const int first = m_mode == NoCamera ? 0 : (m_mode == SingleCamera ? 1 : 2);
    for (int i = 0; i < 4; ++i) {
        // The panels on offer show with the dialog; showing them now would style them before the
        // dialog is ever shown.
        if (i < first)
            panels[i]->hide();
        if (i >= first && !(i == 0 && first == 0))
            panels[i]->move(PanelLeft + (i - first) * PanelStep, panels[i]->y());
    }
    const int width = 800 - first * PanelStep;
    resize(width, 229);
    ui->pipFrame->resize(width, ui->pipFrame->height());
    ui->frameTitle->resize(width - 20, ui->frameTitle->height());

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
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
    ui->retranslateUi(this);
    if (m_guide)
        m_guide->updateString();
}

NavigationDialog *PipWidget::guide()
{
    // Made when the help button first asks for it: its pictures would slow every start.
    if (!m_guide) {
        m_guide = new NavigationDialog(this);
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
