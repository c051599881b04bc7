#include "toolbar/lumideskstartup.h"

#include "common/logfolder.h"
#include "common/lumidesklog.h"
#include "common/nativewindowhelpers.h"
#include "common/settingspath.h"
#include "dialogs/navigationdialog.h"
#include "toolbar/lumidesk.h"

#include "autoserialfilelogger.h"
#include "journix.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QIcon>
#include <QThreadPool>
#include <QTimer>
#include <QWindow>

namespace {

const Journix::LogLevel ErrorLevel = Journix::LogLevel(2);
const Journix::LogLevel StateLevel = Journix::LogLevel(4);
const int DefaultLogLevel = 4;

// The desktop entry's name without ".desktop": lets the desktop match the windows to the entry.
const char DesktopEntry[] = "com.qorv.Lumidesk";
const char WindowIcon[] = ":/logo/resources/Logo/Lumidesk.ico";
// How long DrawletApp waits for the first window on screen when no window manager shows it.
const int FirstFrameWaitMs = 2000;

} // namespace

LumideskStartup::LumideskStartup()
{
    // Nothing in the program draws with OpenGL, but on X11 Qt loads its GL integration, and with it the
    // OpenGL driver, at the first window: a quarter second of every start. Read when that first window
    // is made, so it is still in time here; a value the user set stays.
    if (!qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION"))
        qputenv("QT_XCB_GL_INTEGRATION", "none");
    readFontsMeanwhile();
    startLogging();
    QGuiApplication::setDesktopFileName(QLatin1String(DesktopEntry));
    QApplication::setWindowIcon(QIcon(QLatin1String(WindowIcon)));
    createWindows();
}

LumideskStartup::~LumideskStartup()
{
    _LumideskLog::removeMessageHandler();
    Journix *journix = Journix::getSysJournix();
    journix->stopLog();
    journix->setLogger(nullptr);
    m_logger.reset();
    // The guide is the toolbar's child and goes with it.
    delete m_toolbar;
    m_toolbar = nullptr;
    m_guide = nullptr;
}

NavigationDialog *LumideskStartup::guide()
{
    if (!m_guide && m_toolbar) {
        m_guide = new NavigationDialog(m_toolbar);
        connect(m_guide, &NavigationDialog::closeGuidPage, m_toolbar, qOverload<>(&Lumidesk::showLumidesk));
    }
    return m_guide;
}

// The first text laid out reads the whole font configuration, some milliseconds, and the hidden
// camera window lays out its notice while it is built. A worker reads it meanwhile, so the windows
// find it read; the database is shared and guarded, and the application waits for the pool's work
// when it ends.
void LumideskStartup::readFontsMeanwhile()
{
    QThreadPool::globalInstance()->start([] { QFontDatabase().families(); });
}

void LumideskStartup::startLogging()
{
    Journix *journix = Journix::getSysJournix();
    // A folder that cannot be made is not reported: the logger still starts on the path and simply
    // writes nothing.
    LogFolder::make();
    cleanLogFiles();
    m_logger.reset(new AutoSerialFileLogger(LogFolder::filePattern()));

    // Something other than a regular file in the settings file's place gives the defaults; the reason
    // is told below, once the log is up.
    const platform::RegularFile::Choice settingsFile = SettingsPath::choose();
    const QString refusal = settingsFile.refusal;
    m_settings.reset(new QSettings(settingsFile.path, QSettings::IniFormat));
    m_logLevel = m_settings->value(QStringLiteral("Journix/LogLevel"), DefaultLogLevel).toInt();

    journix->setLogLevel(m_logLevel);
    journix->setLogger(m_logger.get());
    journix->startLog();
    tellWhatIsNotKept();
    _LumideskLog::installMessageHandler(m_logLevel);
    _LumideskLog::log(StateLevel, QStringLiteral("Lumidesk starts, log level %d."), m_logLevel);
    if (!refusal.isEmpty())
        _LumideskLog::log(ErrorLevel,
                          QStringLiteral("Settings file not used: %s. Lumidesk starts with the default settings; "
                                         "what it saves is kept elsewhere until it ends."),
                          refusal.toUtf8().constData());
}

// A start that cannot read its settings, save them or keep its log still runs, as on a first run or
// without a log; the user hears why once, on the terminal, and the files stay as they are.
void LumideskStartup::tellWhatIsNotKept()
{
    const QString file = m_settings->fileName();
    switch (m_settings->status()) {
    case QSettings::NoError:
        break;
    case QSettings::AccessError:
        tell(QStringLiteral("the settings file %1 cannot be read; this run starts with the default settings "
                            "and leaves the file as it is").arg(file));
        break;
    case QSettings::FormatError:
        tell(QStringLiteral("the settings file %1 is no settings file Lumidesk can read; this run starts with "
                            "the default settings and leaves the file as it is").arg(file));
        break;
    }
    // What the run saves would replace the file the user may still want to mend.
    if (m_settings->status() != QSettings::NoError)
        m_settings.reset(new QSettings(platform::RegularFile::refuse(file), QSettings::IniFormat));
    const QString unsaved = unwritableFolderOnTheWay(SettingsPath::iniFolder());
    if (!unsaved.isEmpty())
        tell(QStringLiteral("%1 cannot be written; the settings of this run are not kept").arg(unsaved));
    if (m_logger->currentFileName().isEmpty())
        tell(QStringLiteral("no log file can be written in %1; this run keeps no log").arg(LogFolder::path()));
}

// Errors reach standard error as well as the log.
void LumideskStartup::tell(const QString &reason)
{
    _LumideskLog::log(ErrorLevel, QStringLiteral("%s."), reason.toUtf8().constData());
}

// The folder itself, or the nearest part of its path that exists, when the program cannot make or
// write the folder there; empty when it can.
QString LumideskStartup::unwritableFolderOnTheWay(const QString &folder)
{
    QString path = QDir::cleanPath(folder);
    while (!QFileInfo::exists(path)) {
        const QString parent = QFileInfo(path).path();
        if (parent == path)
            return QString();
        path = parent;
    }
    const QFileInfo info(path);
    return info.isDir() && info.isWritable() ? QString() : QDir::toNativeSeparators(path);
}

void LumideskStartup::createWindows()
{
    m_toolbar = new Lumidesk();
    m_toolbar->setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    // A missing catalogue is logged where it is loaded; the one found is named here, with its folder.
    if (!m_toolbar->currentLanguage().isEmpty())
        _LumideskLog::log(StateLevel, QStringLiteral("Language %s loaded from %s."),
                          m_toolbar->currentLanguage().toUtf8().constData(),
                          m_toolbar->languageFolder().toUtf8().constData());

    QWidget *first = m_toolbar;
    if (m_toolbar->checkGuidSetting()) {
        _LumideskLog::log(StateLevel, QStringLiteral("Showing the first-run guide."));
        first = guide();
        m_guide->show();
        m_guide->autoAdjustSize();
    } else {
        _LumideskLog::log(StateLevel, QStringLiteral("Showing the toolbar."));
        m_toolbar->show();
        m_toolbar->loadLastPoint();
    }
    m_toolbar->raise();
    setShadow(m_toolbar);
    startDrawletAfterFirstFrame(first);
}

// DrawletApp is a second Qt program loading much the same libraries: started beside the first frame,
// it takes half the processor from it. It starts on the event loop's pass after the first window is
// exposed (painted by then), or after a while when nothing shows that window.
void LumideskStartup::startDrawletAfterFirstFrame(QWidget *first)
{
    m_firstWindow = first->windowHandle();
    if (m_firstWindow)
        m_firstWindow->installEventFilter(this);
    QTimer::singleShot(FirstFrameWaitMs, this, &LumideskStartup::startDrawlet);
}

bool LumideskStartup::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Expose && watched == m_firstWindow && m_firstWindow->isExposed()) {
        m_firstWindow->removeEventFilter(this);
        QTimer::singleShot(0, this, &LumideskStartup::startDrawlet);
    }
    return QObject::eventFilter(watched, event);
}

void LumideskStartup::startDrawlet()
{
    if (m_drawletStarted || !m_toolbar)
        return;
    m_drawletStarted = true;
    m_toolbar->startDrawlet();
}
