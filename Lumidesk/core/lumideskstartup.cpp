#include "core/lumideskstartup.h"

#include "core/logfolder.h"
#include "core/lumidesk.h"
#include "core/lumidesklog.h"
#include "core/nativewindowhelpers.h"
#include "core/settingspath.h"
#include "dialogs/navigationdialog.h"

#include "autoserialfilelogger.h"
#include "journix.h"

namespace {

const Journix::LogLevel StateLevel = Journix::LogLevel(4);
const int DefaultLogLevel = 4;

} // namespace

LumideskStartup::LumideskStartup()
{
    startLogging();
    createWindows();
}

LumideskStartup::~LumideskStartup()
{
    Journix *journix = Journix::getSysJournix();
    journix->stopLog();
    journix->setLogger(nullptr);
    m_logger.reset();
    // The guide is the toolbar's child and goes with it.
    delete m_toolbar;
    m_toolbar = nullptr;
    m_guide = nullptr;
}

void LumideskStartup::startLogging()
{
    Journix *journix = Journix::getSysJournix();
    // A folder that cannot be made is not reported: the logger still starts on the path and simply
    // writes nothing.
    LogFolder::make();
    cleanLogFiles();
    m_logger.reset(new AutoSerialFileLogger(LogFolder::filePattern()));

    m_settings.reset(new QSettings(INIPATH + QLatin1String("/settings.ini"), QSettings::IniFormat));
    m_logLevel = m_settings->value(QStringLiteral("Journix/LogLevel"), DefaultLogLevel).toInt();

    journix->setLogLevel(m_logLevel);
    journix->setLogger(m_logger.get());
    journix->startLog();
    _LumideskLog::log(StateLevel, QStringLiteral("Lumidesk starts, log level %d."), m_logLevel);
}

void LumideskStartup::createWindows()
{
    m_toolbar = new Lumidesk();
    m_toolbar->setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);

    m_guide = new NavigationDialog(m_toolbar);
    connect(m_guide, &NavigationDialog::closeGuidPage, m_toolbar, qOverload<>(&Lumidesk::showLumidesk));

    if (m_toolbar->checkGuidSetting()) {
        m_guide->show();
        m_guide->autoAdjustSize();
    } else {
        m_toolbar->show();
        m_toolbar->loadLastPoint();
    }
    m_toolbar->raise();
    setShadow(m_toolbar);
}
