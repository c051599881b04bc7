#include "flashwatch.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>

namespace {

const QRgb DesktopColour = qRgb(40, 160, 220);
const QRgb FlashColour = qRgb(0, 0, 0);
constexpr int ShowBoundMs = 10000;

} // namespace

FlashWatch::FlashWatch()
    : m_desktop(nullptr, Qt::Window | Qt::FramelessWindowHint)
{
    m_desktop.setStyleSheet(QStringLiteral("background-color: rgb(40, 160, 220);"));
}

bool FlashWatch::open()
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    m_desktop.setGeometry(screen);
    m_desktop.show();
    m_pixel = screen.center();
    return m_watch.open() && QTest::qWaitFor([this] { return m_watch.read(m_pixel) == DesktopColour; }, ShowBoundMs);
}

int FlashWatch::flashesOnScreen(int count, int flashMs, const std::function<void()> &shoot, QStringList *seen)
{
    int onScreen = 0;
    for (int shot = 0; shot < count; ++shot) {
        m_watch.start(m_pixel, FlashColour);
        shoot();
        const ScreenPixelWatch::Sighting sighting = m_watch.stop();
        // Seen, and not gone before its time: the bracket is never shorter than the stay.
        if (sighting.seen && sighting.atMostMs >= flashMs)
            ++onScreen;
        seen->append(sighting.seen ? QStringLiteral("%1-%2 ms").arg(sighting.atLeastMs).arg(sighting.atMostMs)
                                   : QStringLiteral("not seen in %1 looks").arg(sighting.polls));
        if (!QTest::qWaitFor([this] { return m_watch.read(m_pixel) == DesktopColour; }, ShowBoundMs)) {
            seen->append(QStringLiteral("the desktop did not come back"));
            break;
        }
    }
    return onScreen;
}
