#include "dialogs/othersettingdialog.h"

#include "ui_othersettingdialog.h"

#include "common/settingspath.h"
#include "desktop/seethroughshape.h"
#include "desktop/taskbarentry.h"
#include "dialogs/dialogframe.h"
#include "dialogs/helplink.h"
#include "dialogs/ipinformationwidget.h"
#include "dialogs/livestreamsetting.h"
#include "dialogs/upgradedialog.h"
#include "languageitemframe.h"
#include "vantoqrcode.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QRadioButton>
#include <QSettings>
#include <QVBoxLayout>

namespace {

const QString LanguageKey = QStringLiteral("Language/CurrentLang");
const QString ImageFolder = QStringLiteral(":/otherSetting/resources/setting/");

enum Tab { LanguageTab = 0, UpdateTab = 1, LiveTab = 2 };

QString image(const char *name)
{
    return ImageFolder + QLatin1String(name);
}

} // namespace

OtherSettingDialog::OtherSettingDialog(QWidget *parent)
    : OtherSettingDialog(parent, QCoreApplication::applicationDirPath() + QStringLiteral("/Languages"),
                         std::make_unique<VantoQRCode>())
{
}

OtherSettingDialog::OtherSettingDialog(QWidget *parent, const QString &languagesFolder,
                                       std::unique_ptr<VantoQRCode> qrCode)
    : QDialog(parent, DialogFrame::Flags)
    , m_qrCode(std::move(qrCode))
    , m_languagesFolder(languagesFolder)
{
    m_languages.scan(m_languagesFolder);
    updateCurrentLanguage();

    m_closeRetry.setInterval(CloseRetryInterval);
    connect(&m_closeRetry, &QTimer::timeout, this, &OtherSettingDialog::slotCloseSetting);
    platform::TaskbarEntry::keepOut(this);
}

// The update page waits for its first use too; its requests to close the program reach the dialog's
// owner through the dialog, which is there from the start.
void OtherSettingDialog::ensureUpgradePage()
{
    if (m_upgradePage)
        return;
    m_upgradePage = new UpgradeDialog(this);
    m_upgradePage->Init();
    connect(m_upgradePage, &UpgradeDialog::closeSettings, this, &OtherSettingDialog::closeSetting);
    connect(m_upgradePage, &UpgradeDialog::closeSystem, this, &OtherSettingDialog::closeSystem);
}

UpgradeDialog *OtherSettingDialog::getUpgradeDialog()
{
    ensureUpgradePage();
    return m_upgradePage;
}

// The rest waits for the dialog's first use: the dialog made at start-up is often never shown, and its
// images, pages and pairing code would only delay the toolbar.
void OtherSettingDialog::ensureForm()
{
    if (ui)
        return;
    ui = new Ui::OtherSettingDialog;
    ui->setupUi(this);
    DialogFrame::setUp(this);
    DialogFrame::centreOnScreen(this);
    connect(ui->settingTab, &QTabWidget::currentChanged, this, &OtherSettingDialog::onCurrentChanged);

    // The pairing page stays built and translated, but no tab leads to it.
    ui->settingTab->removeTab(0);
    ui->settingTab->addTab(getUpgradeDialog(), QIcon(image("btn_upgrade_os_normal.png")), QString());

    m_livePage = new LiveStreamSetting(this);
    if (!m_liveEnabled)
        m_livePage->enableBtnClick(false);
    connect(m_livePage, &LiveStreamSetting::settingSuccess, this, &OtherSettingDialog::closeSetting);
    ui->settingTab->addTab(m_livePage, QIcon(image("btn_streaming_os_normal.png")), QString());

    connect(ui->closeBtn, &QToolButton::clicked, this, &OtherSettingDialog::closeSetting);
    connect(ui->questionBtn, &QToolButton::clicked, this, &OtherSettingDialog::openLink);
    ui->questionBtn->hide();

    fillPairingPage();

    ui->settingTab->InsertTabImage(LanguageTab, image("btn_language_os_normal.png"), image("btn_language_os_pressed.png"),
                                   image("btn_language_os_hover.png"));
    ui->settingTab->InsertTabImage(UpdateTab, image("btn_upgrade_os_normal.png"), image("btn_upgrade_os_pressed.png"),
                                   image("btn_upgrade_os_hover.png"));
    ui->settingTab->InsertTabImage(LiveTab, image("btn_streaming_os_normal.png"), image("btn_streaming_os_pressed.png"),
                                   image("btn_streaming_os_hover.png"));

    initLangUi();
    checkCurrentLanguage();

    ui->settingTab->setCurrentIndex(LanguageTab);
    setPairingHint();
}

void OtherSettingDialog::setVisible(bool visible)
{
    if (visible) {
        ensureForm();
        updateSeeThroughShape();
    }
    QDialog::setVisible(visible);
}

// The window is taller than what it draws: below the pages lies a clear strip, black on a display
// without a compositing manager. There the window is cut down to its title row and its pages.
void OtherSettingDialog::updateSeeThroughShape()
{
    QRegion drawn;
    for (const QWidget *part : std::initializer_list<const QWidget *>{ui->frameLeft, ui->frameTitle, ui->frameRight})
        drawn += part->geometry();
    drawn += QRect(ui->settingTab->mapTo(this, QPoint(0, 0)), ui->settingTab->size());
    const QRegion shape = platform::SeeThroughShape::mask(drawn & rect());
    if (mask() != shape)
        setMask(shape);
}

bool OtherSettingDialog::hasForm() const
{
    return ui != nullptr;
}

LiveStreamSetting *OtherSettingDialog::getLiveStreamSetting()
{
    ensureForm();
    return m_livePage;
}

QButtonGroup *OtherSettingDialog::languageButtons()
{
    ensureForm();
    return &m_languageButtons;
}

QList<IpInformationWidget *> OtherSettingDialog::networkCards()
{
    ensureForm();
    return m_networkCards;
}

OtherSettingDialog::~OtherSettingDialog()
{
    disconnect(this);
    const QList<QAbstractButton *> buttons = m_languageButtons.buttons();
    for (QAbstractButton *button : buttons)
        m_languageButtons.removeButton(button);
    delete ui;
}

void OtherSettingDialog::resetSetting()
{
    if (m_upgradePage)
        m_upgradePage->changeToStartPage();
}

void OtherSettingDialog::updateString()
{
    // A page or form not built yet is built in the language then in force.
    if (m_upgradePage)
        m_upgradePage->updateString();
    if (!ui)
        return;
    ui->retranslateUi(this);
    m_livePage->updateString();
    setPairingHint();
    for (IpInformationWidget *card : qAsConst(m_networkCards))
        card->updateString();
}

void OtherSettingDialog::loadLiveSetting()
{
    ensureForm();
    m_livePage->loadSetting();
}

void OtherSettingDialog::enableLiveSetting(bool enable)
{
    m_liveEnabled = enable;
    if (m_livePage)
        m_livePage->enableBtnClick(enable);
}

void OtherSettingDialog::applyLangSetting(QString lang)
{
    QSettings(_GUID_SETTING_INI, QSettings::IniFormat).setValue(LanguageKey, lang);
}

// Closing waits for the update page: a running download is stopped, and the dialog is announced as
// finished only once neither a download nor an install runs, so its owner never deletes it under the
// download's nested event loop or an install in progress.
void OtherSettingDialog::closeSetting()
{
    if (m_closing)
        return;
    m_closing = true;
    hide();
    if (m_upgradePage)
        m_upgradePage->cancelUpgrade();
    if (m_upgradePage && m_upgradePage->isUpgrading()) {
        m_closeRetry.start();
        return;
    }
    emit closeOtherSetting();
}

void OtherSettingDialog::onCurrentChanged(int index)
{
    if (index == LiveTab && m_upgradePage)
        m_upgradePage->changeToStartPage();
}

void OtherSettingDialog::langSelected(int id)
{
    const QStringList codes = m_languages.codes();
    if (id < 0 || id >= codes.size())
        return;
    m_currentLanguage = codes.at(id);
    applyLangSetting(m_currentLanguage);
    emit langChanged(m_currentLanguage);
}

void OtherSettingDialog::openLink()
{
    HelpLink::open();
}

void OtherSettingDialog::slotCloseSetting()
{
    if (m_upgradePage && m_upgradePage->isUpgrading())
        return;
    m_closeRetry.stop();
    emit closeOtherSetting();
}

void OtherSettingDialog::reject()
{
    closeSetting();
}

void OtherSettingDialog::closeEvent(QCloseEvent *event)
{
    closeSetting();
    event->accept();
}

void OtherSettingDialog::showEvent(QShowEvent *event)
{
    // A dialog shown again after its close was announced can be closed again.
    if (!m_closeRetry.isActive())
        m_closing = false;
    QDialog::showEvent(event);
}

void OtherSettingDialog::fillPairingPage()
{
    QList<NetInfo> interfaces;
    if (m_qrCode)
        m_qrCode->getNetInfo(interfaces);
    QImage code(1, 1, QImage::Format_RGB32);
    if (m_qrCode && m_qrCode->genNewQRCode(interfaces, code) != 0)
        ui->lbQrcode->setPixmap(QPixmap::fromImage(
            code.scaled(ui->lbQrcode->size(), Qt::IgnoreAspectRatio, Qt::FastTransformation)));

    for (const NetInfo &info : qAsConst(interfaces)) {
        auto *card = new IpInformationWidget(info.ip, info.name);
        ui->verticalLayout_3->addWidget(card, 1);
        m_networkCards.append(card);
    }
    ui->verticalLayout_3->setAlignment(Qt::AlignTop);
}

void OtherSettingDialog::setPairingHint()
{
    ui->lbText->setText(QStringLiteral("<p style=\"line-height:130%\">%2</p>")
                            .arg(tr("Please make sure your computer and mobile are on the same Wi-fi network.")));
}

void OtherSettingDialog::initLangUi()
{
    ui->scrollAreaLang->setFrameShape(QFrame::NoFrame);
    ui->scrollAreaLang->move(0, 30);
    auto *layout = new QVBoxLayout;
    layout->setAlignment(Qt::AlignTop);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    const QStringList names = m_languages.names();
    for (int i = 0; i < names.size(); ++i) {
        auto *row = new LanguageItemFrame(names.at(i));
        layout->addWidget(row, 0);
        m_languageButtons.addButton(row->getRadioButton(), i);
    }
    ui->scrollAreaWidgetContents->setLayout(layout);
    connect(&m_languageButtons, &QButtonGroup::idClicked, this,
            &OtherSettingDialog::langSelected);
}

void OtherSettingDialog::updateCurrentLanguage()
{
    const QStringList codes = m_languages.codes();
    m_currentLanguage = codes.first();
    const QString stored = QSettings(_GUID_SETTING_INI, QSettings::IniFormat)
                               .value(LanguageKey, QString::fromLatin1(LanguageList::DefaultCode))
                               .toString();
    if (codes.contains(stored))
        m_currentLanguage = stored;
    emit langChanged(m_currentLanguage);
}

void OtherSettingDialog::checkCurrentLanguage()
{
    const int row = m_languages.codes().indexOf(m_currentLanguage);
    m_languageButtons.button(row >= 0 ? row : 0)->setChecked(true);
}
