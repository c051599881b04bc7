#include "vantohqcapture.h"

#include "camera/generalcamera.h"
#include "hid/ifhqcapture.h"

#include <QByteArray>
#include <QSaveFile>
#include <QTimer>
#include <QtEndian>

namespace {

// The capture answer carries the picture size as a 32-bit little-endian value after its header.
constexpr int SizeOffset = IfHQCapture::AnswerHeaderSize;
// A camera picture larger than this is taken for a misread answer.
constexpr quint32 MaximumPictureBytes = 64u * 1024u * 1024u;

} // namespace

VantoHQCapture::VantoHQCapture()
    : m_hid(new IfHQCapture(this))
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

void VantoHQCapture::doHQCapture(QString path)
{
    m_pending = true;
    const quint64 generation = ++m_generation;
    QTimer::singleShot(0, this, [this, generation, path] { capture(generation, path); });
}

void VantoHQCapture::stopCapture()
{
    // A capture already queued finds its generation outdated and does nothing.
    ++m_generation;
    m_pending = false;
}

void VantoHQCapture::capture(quint64 generation, const QString &path)
{
    if (generation != m_generation)
        return;
    bool written = false;
    // Whether a camera takes HQ pictures shows in its answer: one that does not answer gets the
    // next frame instead.
    if (m_camera)
        written = captureFromCamera(path);
    if (!written)
        written = captureFromFrame(path);
    m_pending = false;
    emit finishedCapture(written ? path : QString());
}

bool VantoHQCapture::captureFromCamera(const QString &path)
{
    if (m_hid->setSnapshot(1) != 0)
        return false;
    QByteArray answer(IfHQCapture::AnswerSize, '\0');
    if (m_hid->getSnapshot(answer.data()) != 0)
        return false;
    const quint32 size = qFromLittleEndian<quint32>(answer.constData() + SizeOffset);
    if (size == 0 || size > MaximumPictureBytes)
        return false;
    QByteArray picture;
    picture.reserve(int(size));
    QByteArray piece(IfHQCapture::DataSize, '\0');
    for (int index = 0; quint32(picture.size()) < size; ++index) {
        if (m_hid->setSnapshotData(index) != 0 || m_hid->getSnapshotData(piece.data()) != 0)
            return false;
        picture.append(piece.constData(), int(qMin<quint32>(size - quint32(picture.size()),
                                                            quint32(IfHQCapture::DataSize))));
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(picture) != picture.size())
        return false;
    return file.commit();
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
