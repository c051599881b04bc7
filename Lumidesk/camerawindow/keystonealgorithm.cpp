#include "keystonealgorithm.h"

#include "common/lumidesklog.h"
#include "keystonemodule.h"

#include <QMutexLocker>

#include <cmath>

namespace {

double cornerDistance(const KeyStoneCorner &a, const KeyStoneCorner &b)
{
    const int dx = a.x - b.x;
    const int dy = a.y - b.y;
    return std::sqrt(double(dx * dx + dy * dy));
}

KeyStonePicture pictureOf(const QImage &frame)
{
    KeyStonePicture picture;
    picture.data = frame.constBits();
    picture.width = frame.width();
    picture.height = frame.height();
    picture.stride = std::size_t(frame.bytesPerLine());
    return picture;
}

QPoint pointOf(const KeyStoneCorner &corner)
{
    return QPoint(corner.x, corner.y);
}

} // namespace

KeyStoneAlgorithm::KeyStoneAlgorithm(QObject *parent)
    : KeyStoneAlgorithm(KeyStoneModule::installedModule(), parent)
{
}

KeyStoneAlgorithm::KeyStoneAlgorithm(const QString &modulePath, QObject *parent)
    : QThread(parent), m_module(new KeyStoneModule(modulePath))
{
}

KeyStoneAlgorithm::~KeyStoneAlgorithm()
{
    stop();
    wait();
}

void KeyStoneAlgorithm::setFps(int fps)
{
    m_fps = qMax(1, fps);
}

void KeyStoneAlgorithm::startDetection(int fps, Priority priority)
{
    // Cleared here rather than when the loop starts: a stop() that comes before the new thread's first
    // turn would otherwise be lost and the run would go on with nobody feeding it.
    m_stop = false;
    setFps(fps);
    start(priority);
}

void KeyStoneAlgorithm::setSampleImage(void *data, int width, int height)
{
    if (!data || width <= 0 || height <= 0)
        return;
    // The capture buffer is reused once the delivering call returns: keep a copy of our own, made
    // before the lock so that the detection thread never waits for it.
    const QImage copy =
        QImage(static_cast<const uchar *>(data), width, height, width * 4, QImage::Format_ARGB32).copy();
    if (copy.isNull())
        return;
    QMutexLocker locker(&m_queueMutex);
    m_frames.append(copy);
}

int KeyStoneAlgorithm::getkeyStoneFile(QString path)
{
    QImage frame;
    std::array<KeyStoneCorner, 4> corners;
    {
        // The detection thread replaces the frame with a new image and never writes into one it has
        // handed over, so a reference taken under the lock stays whole while it is warped.
        QMutexLocker locker(&m_pageMutex);
        frame = m_pageFrame;
        corners = m_pageCorners;
    }
    if (frame.isNull())
        return -1;
    if (m_module->writePage(path, frame, corners.data()))
        return 0;
    // A missing module is a broken installation, not a bad snapshot: logged as more than a warning.
    _LumideskLog::log(m_module->isLoaded() ? Journix::Warning : Journix::Critical, "Key stone file %s not written: %s",
                      qUtf8Printable(path), qUtf8Printable(m_module->errorString()));
    return -1;
}

bool KeyStoneAlgorithm::isModuleLoaded() const
{
    return m_module->isLoaded();
}

QString KeyStoneAlgorithm::moduleError() const
{
    return m_module->errorString();
}

void KeyStoneAlgorithm::stop()
{
    m_stop = true;
}

void KeyStoneAlgorithm::resetPara()
{
    m_frameCounter = 0;
    m_reportDue = false;
    {
        QMutexLocker locker(&m_pageMutex);
        m_pageFrame = QImage();
        m_pageCorners = {};
    }
    QMutexLocker locker(&m_queueMutex);
    m_frames.clear();
}

int KeyStoneAlgorithm::queuedFrames() const
{
    QMutexLocker locker(&m_queueMutex);
    return m_frames.size();
}

void KeyStoneAlgorithm::beginRun()
{
    if (!m_search) {
        m_search = m_module->createSearch();
        if (!m_search)
            _LumideskLog::log(Journix::Critical, "Key stone detection unavailable: %s",
                              qUtf8Printable(m_module->errorString()));
    }
    if (m_search)
        m_search->beginRun();
    m_frameCounter = 0;
    m_reportDue = false;
}

void KeyStoneAlgorithm::run()
{
    // Keystone mode is on: the module (OpenCV, and its codecs with a hundred libraries behind them) is
    // loaded here, off the GUI thread, before the first frame and before the user can ask for the
    // first snapshot.
    beginRun();
    while (!m_stop) {
        QImage frame;
        if (!takeFrame(&frame)) {
            QThread::msleep(IdleSleepMs);
            continue;
        }
        processFrame(frame);
    }
    resetPara();
}

bool KeyStoneAlgorithm::takeFrame(QImage *frame)
{
    bool overloaded = false;
    int lowered = 0;
    int left = 0;
    {
        QMutexLocker locker(&m_queueMutex);
        if (m_frames.isEmpty())
            return false;
        const int rate = m_fps;
        if (m_frames.size() > 4 * rate) {
            overloaded = true;
            if (rate >= 2) {
                lowered = rate - 1;
                m_fps = lowered;
            }
            m_frameCounter = 0;
            // Only the newest frame is worth looking at once we are this far behind.
            while (m_frames.size() > 1)
                m_frames.removeFirst();
        }
        left = m_frames.size();
        *frame = m_frames.takeFirst();
    }
    // Signals and the log go out after the lock: a receiver may well feed the queue.
    if (lowered > 0)
        emit updateFps(lowered);
    if (overloaded)
        emitEmptyPolygon();
    _LumideskLog::log(Journix::Debug, "Key stone frameList size = %d", left);
    return true;
}

void KeyStoneAlgorithm::emitEmptyPolygon()
{
    emit updatePolygonPoints(QPoint(0, 0), QPoint(0, 0), QPoint(0, 0), QPoint(0, 0));
}

void KeyStoneAlgorithm::processFrame(const QImage &frame)
{
    ++m_frameCounter;
    // Without the module there is nothing to search with: the frame is dropped.
    if (frame.isNull() || frame.depth() != 32 || !m_search) {
        ++m_processed;
        return;
    }
    const bool reset = m_frameCounter == 2 * m_fps;
    if (reset) {
        m_reportDue = true;
        m_frameCounter = 0;
    }
    std::array<KeyStoneCorner, 4> corners;
    char reason[512] = {};
    switch (m_search->search(pictureOf(frame), reset, corners.data(), reason, sizeof reason)) {
    case KeyStoneSearch::PageFound:
        storePage(frame, corners);
        if (m_reportDue) {
            m_reportDue = false;
            if (!m_stop)
                emit updatePolygonPoints(pointOf(corners[0]), pointOf(corners[1]), pointOf(corners[2]),
                                         pointOf(corners[3]));
        }
        break;
    case KeyStoneSearch::NoPage:
        if (m_reportDue) {
            m_reportDue = false;
            emitEmptyPolygon();
        }
        break;
    case KeyStoneSearch::Failed:
        // A frame the search cannot handle is skipped; the loop goes on with the next.
        _LumideskLog::log(Journix::Warning, "Key stone frame skipped: %s", reason);
        break;
    }
    ++m_processed;
}

void KeyStoneAlgorithm::storePage(const QImage &frame, const std::array<KeyStoneCorner, 4> &c)
{
    const int width = int(0.5 * (cornerDistance(c[0], c[1]) + cornerDistance(c[3], c[2])));
    const int height = int(0.5 * (cornerDistance(c[0], c[3]) + cornerDistance(c[1], c[2])));
    if (width <= 0 || height <= 0)
        return;
    QMutexLocker locker(&m_pageMutex);
    m_pageFrame = frame;
    m_pageCorners = c;
}
