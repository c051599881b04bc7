#include "core/lumidesk.h"

#include "core/abstractcapturescreenaction.h"
#include "core/lumidesklog.h"
#include "core/nativewindowhelpers.h"
#include "core/settingspath.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>

namespace {

const Journix::LogLevel StateLevel = Journix::LogLevel(4);

const QString DefaultLanguage = QStringLiteral("en_US");

QRect primaryGeometry()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect();
}

QRect primaryAvailableGeometry()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

} // namespace

Lumidesk::Lumidesk()
    : QMainWindow(nullptr)
{
    setupUi(this);
    setFixedSize(BarLength, BarThickness);
    verticleWidget->hide();

    m_languageFolder = QApplication::applicationDirPath() + QLatin1String("/Languages");
    m_dockHelper = new AbstractCaptureScreenAction(this);

    // The general settings dialog owns the language choice; until it is built the stored choice is
    // read here directly, under the same key and default.
    const QSettings settings(_GUID_SETTING_INI, QSettings::IniFormat);
    updateString(settings.value(QStringLiteral("Language/CurrentLang"), DefaultLanguage).toString());

    setAttribute(Qt::WA_TranslucentBackground);
    verticalLayout->setAlignment(Qt::AlignTop);
    keepCurrentDesktop(this);
}

Lumidesk::~Lumidesk()
{
    // The docking helper holds the process-wide boundaries the camera windows read too; it has no
    // Qt parent, so it goes with the toolbar here.
    delete m_dockHelper;
}

bool Lumidesk::checkGuidSetting()
{
    const QSettings settings(_GUID_SETTING_INI, QSettings::IniFormat);
    return settings.value(QStringLiteral("Guid/Enabled"), 1).toInt() >= 1;
}

void Lumidesk::saveLastPoint(int x, int y)
{
    QSettings settings(_GUID_SETTING_INI, QSettings::IniFormat);
    settings.setValue(QStringLiteral("POSITION/X"), x);
    settings.setValue(QStringLiteral("POSITION/Y"), y);
}

void Lumidesk::loadLastPoint()
{
    const QRect screen = primaryGeometry();
    const QRect available = primaryAvailableGeometry();
    const int defaultX = (screen.right() - screen.left()) / 2 - (geometry().right() - geometry().left()) / 2;
    const int defaultY = available.bottom() - (height() - 1);

    const QSettings settings(_GUID_SETTING_INI, QSettings::IniFormat);
    const int x = settings.value(QStringLiteral("POSITION/X"), defaultX).toInt();
    const int y = settings.value(QStringLiteral("POSITION/Y"), defaultY).toInt();
    move(x, y);
    m_dockEdge = m_dockHelper->checkDockWidgetPosition(QPoint(x, y));
    adjustPosition(m_dockEdge);
}

QRect Lumidesk::dockedGeometry(QRect r, const QRect &available, int edge)
{
    const QRect &a = available;
    switch (edge) {
    case AbstractCaptureScreenAction::Top:
    case AbstractCaptureScreenAction::Bottom:
        r.setSize(QSize(BarLength, BarThickness));
        if (edge == AbstractCaptureScreenAction::Top)
            r.moveTop(a.top());
        else
            r.moveBottom(a.bottom());
        if (r.right() + 1 > a.width())
            r.moveLeft(a.right() - r.width());
        break;
    case AbstractCaptureScreenAction::Left:
        r.setSize(QSize(BarThickness, BarLength));
        r.moveLeft(a.left());
        if (r.top() < 0)
            r.moveTo(0, 0);
        if (r.bottom() + 1 > a.height()) {
            r.moveLeft(0);
            r.moveBottom(a.bottom());
        }
        break;
    case AbstractCaptureScreenAction::Right:
        r.setSize(QSize(BarThickness, BarLength));
        r.moveRight(a.right());
        if (r.top() < 0)
            r.moveTo(a.right() - r.width(), 0);
        if (r.bottom() + 1 > a.height()) {
            r.moveLeft(a.right() - r.width());
            r.moveBottom(a.bottom());
        }
        break;
    default:
        break;
    }
    return r;
}

void Lumidesk::adjustPosition(int edge)
{
    const QRect r = dockedGeometry(geometry(), primaryAvailableGeometry(), edge);
    if (edge == AbstractCaptureScreenAction::Top || edge == AbstractCaptureScreenAction::Bottom) {
        setFixedSize(BarLength, BarThickness);
        verticleWidget->hide();
        horizontalWidget->show();
    } else if (edge == AbstractCaptureScreenAction::Left || edge == AbstractCaptureScreenAction::Right) {
        setFixedSize(BarThickness, BarLength);
        verticleWidget->show();
        horizontalWidget->hide();
    }
    setGeometry(r);
    // Hiding and showing again makes the native window take the new size and place at once.
    hide();
    show();
}

void Lumidesk::showLumidesk()
{
    show();
    QRect r = geometry();
    r.moveBottom(primaryAvailableGeometry().bottom());
    const QRect screen = primaryGeometry();
    r.moveLeft((screen.right() - screen.left()) / 2 - (r.right() - r.left()) / 2);
    setGeometry(r);
}

void Lumidesk::showLumidesk(int x, int y)
{
    move(x, y);
    adjustPosition(m_dockHelper->checkDockWidgetPosition(QPoint(x, y)));
    show();
}

void Lumidesk::updateString(QString lang)
{
    const QString catalogue = m_languageFolder + QLatin1Char('/') + lang + QLatin1String("/Lumidesk_") + lang;
    if (!m_translator.load(catalogue)) {
        _LumideskLog::log(StateLevel, QStringLiteral("Language %s not loaded."), lang.toUtf8().constData());
        return;
    }
    m_currentLanguage = lang;
    QApplication::installTranslator(&m_translator);
    retranslateUi(this);
}

void Lumidesk::closeToolBar()
{
    // Reached from the close button, closeEvent and the update dialogs' closeSystem(): the close
    // below sends another closeEvent, which must not run the shutdown again.
    if (m_closing)
        return;
    m_closing = true;
    saveLastPoint(x(), y());
    close();
}

void Lumidesk::closeEvent(QCloseEvent *event)
{
    closeToolBar();
    event->accept();
}
