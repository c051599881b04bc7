#include "simulated/simulatedhiddevice.h"

#include <QMutexLocker>
#include <QtEndian>

#include <cstring>

namespace platform {

namespace {

constexpr int HeaderSize = 3;
constexpr int RecordSize = 60;
constexpr int NameFieldSize = 52;
constexpr int DetailSize = 58;
constexpr quint8 LowCommandForm = 16;
constexpr quint8 HighCommandForm = 15;
constexpr quint8 FirstHighCommand = 7;

// The statuses the camera walks through while it reprograms itself, one per status poll.
constexpr quint8 ReprogramSteps[] = {3, 4, 5, 6, 7};
constexpr int ReprogramStepCount = int(sizeof(ReprogramSteps));

quint8 formFor(quint8 command)
{
    return command < FirstHighCommand ? LowCommandForm : HighCommandForm;
}

quint32 u32At(const QByteArray &bytes, int offset)
{
    return qFromLittleEndian<quint32>(reinterpret_cast<const uchar *>(bytes.constData()) + offset);
}

QByteArray u32Bytes(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian<quint32>(value, reinterpret_cast<uchar *>(bytes.data()));
    return bytes;
}

QString textField(const QByteArray &payload, int length)
{
    const QByteArray field = payload.left(length);
    const int end = field.indexOf('\0');
    return QString::fromLatin1(end < 0 ? field : field.left(end));
}

} // namespace

SimulatedHidDevice::SimulatedHidDevice() = default;

SimulatedHidDevice::Outcome SimulatedHidDevice::handle(const QByteArray &report)
{
    QMutexLocker lock(&m_mutex);
    m_log.append(report);
    Outcome outcome;
    if (!m_answering || report.size() < HeaderSize)
        return outcome;
    const quint8 reportId = quint8(report.at(0));
    const quint8 command = quint8(report.at(2));
    if (reportId != PropertyReportId || quint8(report.at(1)) != formFor(command))
        return outcome;
    QByteArray payload = report.mid(HeaderSize);
    payload.append(QByteArray(qMax(0, ReportSize - HeaderSize - payload.size()), '\0'));
    if (command < FirstHighCommand)
        outcome.answer = handleProperty(command, payload, &outcome.unplug);
    else
        outcome.answer = handleData(command, payload);
    return outcome;
}

QByteArray SimulatedHidDevice::answer(quint8 reportId, quint8 command, const QByteArray &payload) const
{
    QByteArray report(ReportSize, '\0');
    report[0] = char(reportId);
    report[1] = char(formFor(command));
    report[2] = char(command);
    std::memcpy(report.data() + HeaderSize, payload.constData(),
                size_t(qMin(payload.size(), ReportSize - HeaderSize)));
    return report;
}

QByteArray SimulatedHidDevice::handleProperty(quint8 command, const QByteArray &payload, bool *unplug)
{
    QByteArray result;
    switch (command) {
    case IspStatus:
        result = statusAnswer(unplug);
        break;
    case IspFileStart:
        result = fileStart(payload);
        break;
    case IspFileDownload:
        result = fileBlock(payload, unplug);
        if (result.isNull())
            return result;
        break;
    case IspFileEnd:
        result = fileEnd(payload);
        break;
    case IspStart:
        result = startReprogram();
        break;
    case IspStop:
        if (m_state != Reprogramming)
            resetTransfer();
        result = QByteArray(RecordSize, '\0');
        break;
    default:
        return QByteArray();
    }
    return answer(PropertyReportId, command, result);
}

QByteArray SimulatedHidDevice::statusAnswer(bool *unplug)
{
    QByteArray record(RecordSize, '\0');
    QByteArray detail;
    quint8 status = m_idleStatus;
    if (m_state == Reprogramming) {
        status = ReprogramSteps[m_reprogramStep];
        record[59] = char(m_reprogramStep * 100 / (ReprogramStepCount - 1));
        if (status == 6) {
            detail = m_reprogramFails ? "isp_verify,2,0" : "isp_verify,1,0";
            if (m_reprogramFails)
                resetTransfer();
        } else if (status == 7) {
            detail = "isp_done";
            // The new firmware is in place: the camera reboots and leaves the bus.
            m_installed = m_image;
            resetTransfer();
            *unplug = true;
        } else {
            detail = status == 3 ? "isp_erase" : "isp_write";
        }
        if (m_state == Reprogramming)
            ++m_reprogramStep;
    } else {
        detail = m_state == FileOpen ? "isp_receiving" : "isp_ready";
    }
    record[0] = char(status);
    std::memcpy(record.data() + 1, detail.constData(), size_t(qMin<int>(detail.size(), DetailSize)));
    return record;
}

QByteArray SimulatedHidDevice::nameRecord(const char *text, quint32 size, quint32 free) const
{
    QByteArray record = QByteArray(text).left(NameFieldSize - 1);
    record.append(QByteArray(NameFieldSize - record.size(), '\0'));
    record.append(u32Bytes(size));
    record.append(u32Bytes(free));
    return record;
}

QByteArray SimulatedHidDevice::fileStart(const QByteArray &payload)
{
    if (m_state == Reprogramming)
        return nameRecord("isp_file_err", 0, m_freeSpace);
    resetTransfer();
    const QString name = textField(payload, NameFieldSize);
    const quint32 size = u32At(payload, NameFieldSize);
    if (name.isEmpty() || size == 0)
        return nameRecord("isp_file_err", size, m_freeSpace);
    m_fileName = name;
    m_declaredSize = size;
    // The camera acknowledges and tells its free space; it takes data only for an image that fits.
    if (size < m_freeSpace)
        m_state = FileOpen;
    return nameRecord("isp_file_start_ack", size, m_freeSpace);
}

QByteArray SimulatedHidDevice::fileBlock(const QByteArray &payload, bool *unplug)
{
    if (m_fault != NoFault && m_blocks >= m_faultAfterBlocks) {
        if (m_fault == StopsAnswering)
            m_answering = false;
        else
            *unplug = true;
        m_fault = NoFault;
        return QByteArray();
    }
    QByteArray record(RecordSize, '\0');
    const int room = int(m_declaredSize) - m_image.size();
    if (m_state != FileOpen || room <= 0) {
        record[0] = 1;
    } else {
        m_image.append(payload.left(qMin(BlockSize, room)));
        ++m_blocks;
    }
    record.replace(1, 4, u32Bytes(quint32(m_image.size())));
    return record;
}

QByteArray SimulatedHidDevice::fileEnd(const QByteArray &payload)
{
    const QString name = textField(payload, NameFieldSize - 1);
    const quint32 size = u32At(payload, NameFieldSize);
    const bool complete = m_state == FileOpen && payload.at(NameFieldSize - 1) == 1
                          && name == m_fileName && size == m_declaredSize
                          && quint32(m_image.size()) == m_declaredSize;
    if (!complete) {
        resetTransfer();
        return nameRecord("isp_file_err", size, m_freeSpace);
    }
    m_state = FileComplete;
    return nameRecord("isp_file_end_ack", size, m_freeSpace - size);
}

QByteArray SimulatedHidDevice::startReprogram()
{
    QByteArray record(RecordSize, '\0');
    if (m_state == FileComplete) {
        m_state = Reprogramming;
        m_reprogramStep = 0;
    } else {
        record[0] = 1;
    }
    return record;
}

QByteArray SimulatedHidDevice::handleData(quint8 command, const QByteArray &payload)
{
    const quint32 value = u32At(payload, 0);
    if (command == HqCapture) {
        if (value != 0)
            m_snapshotTaken = !m_snapshot.isNull() || !m_snapshotSource ? m_snapshot : m_snapshotSource();
        return answer(DataReportId, command, u32Bytes(quint32(m_snapshotTaken.size())));
    }
    if (command == HqCapturedData) {
        const qint64 offset = qint64(value) * SnapshotChunkSize;
        QByteArray chunk = offset < m_snapshotTaken.size()
                               ? m_snapshotTaken.mid(int(offset), SnapshotChunkSize)
                               : QByteArray();
        return answer(DataReportId, command, chunk);
    }
    return QByteArray();
}

void SimulatedHidDevice::resetTransfer()
{
    m_state = Idle;
    m_fileName.clear();
    m_declaredSize = 0;
    m_image.clear();
    m_blocks = 0;
    m_reprogramStep = 0;
}

void SimulatedHidDevice::reset()
{
    QMutexLocker lock(&m_mutex);
    m_answering = true;
    m_fault = NoFault;
    m_faultAfterBlocks = 0;
    m_freeSpace = DefaultFreeSpace;
    m_idleStatus = 0;
    m_reprogramFails = false;
    m_snapshot = QByteArray();
    m_snapshotTaken.clear();
    m_installed.clear();
    m_log.clear();
    resetTransfer();
}

void SimulatedHidDevice::setAnswering(bool answering)
{
    QMutexLocker lock(&m_mutex);
    m_answering = answering;
}

bool SimulatedHidDevice::isAnswering() const
{
    QMutexLocker lock(&m_mutex);
    return m_answering;
}

void SimulatedHidDevice::setFaultAfterBlocks(Fault fault, int blocks)
{
    QMutexLocker lock(&m_mutex);
    m_fault = fault;
    m_faultAfterBlocks = blocks;
}

void SimulatedHidDevice::setFreeSpace(quint32 bytes)
{
    QMutexLocker lock(&m_mutex);
    m_freeSpace = bytes;
}

void SimulatedHidDevice::setIdleStatus(quint8 status)
{
    QMutexLocker lock(&m_mutex);
    m_idleStatus = status;
}

void SimulatedHidDevice::setReprogramFails(bool fails)
{
    QMutexLocker lock(&m_mutex);
    m_reprogramFails = fails;
}

void SimulatedHidDevice::setSnapshotImage(const QByteArray &jpeg)
{
    QMutexLocker lock(&m_mutex);
    m_snapshot = jpeg;
}

void SimulatedHidDevice::setSnapshotSource(SnapshotSource source)
{
    QMutexLocker lock(&m_mutex);
    m_snapshotSource = std::move(source);
}

SimulatedHidDevice::IspState SimulatedHidDevice::ispState() const
{
    QMutexLocker lock(&m_mutex);
    return m_state;
}

QString SimulatedHidDevice::fileName() const
{
    QMutexLocker lock(&m_mutex);
    return m_fileName;
}

quint32 SimulatedHidDevice::declaredSize() const
{
    QMutexLocker lock(&m_mutex);
    return m_declaredSize;
}

QByteArray SimulatedHidDevice::receivedImage() const
{
    QMutexLocker lock(&m_mutex);
    return m_image;
}

QByteArray SimulatedHidDevice::installedImage() const
{
    QMutexLocker lock(&m_mutex);
    return m_installed;
}

int SimulatedHidDevice::blocksReceived() const
{
    QMutexLocker lock(&m_mutex);
    return m_blocks;
}

QList<QByteArray> SimulatedHidDevice::reportLog() const
{
    QMutexLocker lock(&m_mutex);
    return m_log;
}

void SimulatedHidDevice::clearReportLog()
{
    QMutexLocker lock(&m_mutex);
    m_log.clear();
}

} // namespace platform
