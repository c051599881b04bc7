#include "vantohqcapture.h"

#include "camera/generalcamera.h"
#include "hid/ifhqcapture.h"

#include <QBuffer>
#include <QByteArray>
#include <QElapsedTimer>
#include <QImageReader>
#include <QLoggingCategory>
#include <QSaveFile>
#include <QTimer>
#include <QtEndian>

namespace {

Q_LOGGING_CATEGORY(lcHQ, "vanto.hqcapture")

// The capture answer carries the picture size as a 32-bit little-endian value after its header.
constexpr int SizeOffset = IfHQCapture::AnswerHeaderSize;
// A camera picture larger than this is taken for a misread answer.
constexpr quint32 MaximumPictureBytes = 64u * 1024u * 1024u;
// Pieces are read for this long before the event loop gets its turn again.
constexpr qint64 SliceMs = 15;
const QByteArray JpegStart("\xFF\xD8", 2);
const QByteArray JpegEnd("\xFF\xD9", 2);

qint64 monotonicMs()
{
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    return clock.elapsed();
}

} // namespace

VantoHQCapture::VantoHQCapture()
    : m_hid(new IfHQCapture(this)), m_clock(monotonicMs)
{
}

VantoHQCapture::~VantoHQCapture()
{
    m_hid->setControlCamera(nullptr);
}

void VantoHQCapture::setControlCamera(GeneralCamera *camera)
{
    m_camera = camera;
    m_hid->setControlCamera(camera);
}

void VantoHQCapture::setFrameProvider(FrameProvider provider)
{
    m_frameProvider = std::move(provider);
}

void VantoHQCapture::setClock(Clock clock)
{
    m_clock = clock ? std::move(clock) : Clock(monotonicMs);
}

bool VantoHQCapture::doHQCapture(QString path)
{
    if (m_pending) {
        qCWarning(lcHQ, "a high-quality capture is running: %s refused", qUtf8Printable(path));
        return false;
    }
    m_pending = true;
    const quint64 generation = ++m_generation;
    m_path = path;
    m_deadline = m_clock() + m_timeLimitMs;
    m_started = false;
    m_size = 0;
    m_nextPiece = 0;
    m_picture.clear();
    QTimer::singleShot(0, this, [this, generation] { step(generation); });
    return true;
}

void VantoHQCapture::stopCapture()
{
    // A step already queued finds its generation outdated and does nothing.
    ++m_generation;
    m_pending = false;
    m_picture.clear();
}

bool VantoHQCapture::timedOut() const
{
    return m_clock() > m_deadline;
}

void VantoHQCapture::step(quint64 generation)
{
    if (generation != m_generation)
        return;
    // Whether a camera takes HQ pictures shows in its answer: one that does not answer gets the
    // latest frame instead.
    if (!m_started) {
        m_started = true;
        if (!m_camera || !startFromCamera()) {
            finish(false);
            return;
        }
    }
    bool failed = false;
    if (readPieces(&failed)) {
        finish(writePicture());
        return;
    }
    if (failed || timedOut()) {
        if (!failed)
            qCWarning(lcHQ, "the camera took longer than %d ms for its picture", m_timeLimitMs);
        finish(false);
        return;
    }
    QTimer::singleShot(0, this, [this, generation] { step(generation); });
}

bool VantoHQCapture::startFromCamera()
{
    if (m_hid->setSnapshot(1) != 0)
        return false;
    QByteArray answer(IfHQCapture::AnswerSize, '\0');
    if (m_hid->getSnapshot(answer.data()) != 0)
        return false;
    m_size = qFromLittleEndian<quint32>(answer.constData() + SizeOffset);
    if (m_size == 0 || m_size > MaximumPictureBytes)
        return false;
    m_picture.reserve(int(m_size));
    return !timedOut();
}

bool VantoHQCapture::readPieces(bool *failed)
{
    const qint64 sliceEnd = m_clock() + SliceMs;
    QByteArray piece(IfHQCapture::DataSize, '\0');
    while (quint32(m_picture.size()) < m_size) {
        if (m_hid->setSnapshotData(m_nextPiece) != 0 || m_hid->getSnapshotData(piece.data()) != 0) {
            *failed = true;
            return false;
        }
        ++m_nextPiece;
        m_picture.append(piece.constData(),
                         int(qMin<quint32>(m_size - quint32(m_picture.size()), quint32(IfHQCapture::DataSize))));
        const qint64 now = m_clock();
        if (now > m_deadline || now >= sliceEnd)
            return quint32(m_picture.size()) >= m_size;
    }
    return true;
}

bool VantoHQCapture::pictureDecodes() const
{
    // A JPEG cut short still decodes, grey below the cut: a whole one ends with its end marker (a
    // camera may pad its last piece with zeros).
    QByteArray whole = m_picture;
    while (whole.endsWith('\0'))
        whole.chop(1);
    if (!whole.startsWith(JpegStart) || !whole.endsWith(JpegEnd))
        return false;
    QBuffer buffer(&whole);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "jpeg");
    const QSize size = reader.size();
    if (size.isEmpty())
        return false;
    // Read at an eighth of its size: every byte of the picture is still decoded, in a fraction of
    // the time, on the window's thread.
    reader.setScaledSize(QSize(qMax(1, size.width() / 8), qMax(1, size.height() / 8)));
    return !reader.read().isNull();
}

bool VantoHQCapture::writePicture()
{
    if (!pictureDecodes()) {
        qCWarning(lcHQ, "the camera's picture (%d bytes) is no readable JPEG: the latest frame is taken instead",
                  int(m_picture.size()));
        return false;
    }
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly) || file.write(m_picture) != m_picture.size())
        return false;
    return file.commit();
}

void VantoHQCapture::finish(bool fromCamera)
{
    const bool written = fromCamera || captureFromFrame(m_path);
    const QString path = m_path;
    m_picture.clear();
    m_pending = false;
    ++m_generation;
    emit finishedCapture(written ? path : QString());
}

bool VantoHQCapture::captureFromFrame(const QString &path)
{
    if (!m_frameProvider)
        return false;
    const QImage frame = m_frameProvider();
    if (frame.isNull())
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !frame.save(&file, "JPG", 95))
        return false;
    return file.commit();
}
