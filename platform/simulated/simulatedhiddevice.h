#pragma once

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QString>

#include <functional>

namespace platform {

// The HID side of a virtual maker camera: it takes 512-byte output reports (byte 0 the report id 8,
// byte 1 16 for commands below 7 and 15 for the others, byte 2 the command, the payload from byte 3)
// and answers as the camera does. Property answers carry report id 8, data answers (high-quality
// capture) report id 9; both put their payload from byte 3, after the id, the form byte and the
// command. A report of any other layout gets no answer.
//
// A high-quality capture takes the picture from the snapshot source (the camera's own scene, as a
// JPEG) unless a test set one with setSnapshotImage(); the host then reads it in 505-byte pieces.
//
// Firmware (ISP) records are 60 bytes: status answer [status][58 bytes detail][extra]; file start and
// end [52-byte name field][size, u32 LE][free space, u32 LE]; data blocks 508 bytes.
class SimulatedHidDevice
{
public:
    static constexpr int ReportSize = 512;
    static constexpr quint8 PropertyReportId = 8;
    static constexpr quint8 DataReportId = 9;
    static constexpr int BlockSize = 508;
    static constexpr int SnapshotChunkSize = 505;
    static constexpr quint32 DefaultFreeSpace = 16u * 1024u * 1024u;

    enum Command : quint8 {
        IspStatus = 1,
        IspFileStart = 2,
        IspFileDownload = 3,
        IspFileEnd = 4,
        IspStart = 5,
        IspStop = 6,
        HqCapture = 0x91,
        HqCapturedData = 0x92,
    };

    // Faults a test injects once the camera has taken that many data blocks of a transfer.
    enum Fault { NoFault, StopsAnswering, UnplugsItself };

    enum IspState { Idle, FileOpen, FileComplete, Reprogramming };

    struct Outcome
    {
        QByteArray answer; // empty: no answer
        bool unplug = false; // the camera leaves the bus after this report
    };

    using SnapshotSource = std::function<QByteArray()>;

    SimulatedHidDevice();

    Outcome handle(const QByteArray &report);

    // Test side. reset() puts back a ready, answering camera with no transfer and no fault.
    void reset();
    void setAnswering(bool answering);
    bool isAnswering() const;
    void setFaultAfterBlocks(Fault fault, int blocks);
    void setFreeSpace(quint32 bytes);
    // The status value the camera reports while idle (0 ready).
    void setIdleStatus(quint8 status);
    // The verification step of the reprogram phase reports a failure ("...,2,0").
    void setReprogramFails(bool fails);
    // The picture every later capture answers with, in place of the source's; reset() drops it.
    void setSnapshotImage(const QByteArray &jpeg);
    void setSnapshotSource(SnapshotSource source);

    IspState ispState() const;
    QString fileName() const;
    quint32 declaredSize() const;
    QByteArray receivedImage() const;
    // The image of the last reprogramming that ended with the reboot.
    QByteArray installedImage() const;
    int blocksReceived() const;
    QList<QByteArray> reportLog() const;
    void clearReportLog();

private:
    QByteArray answer(quint8 reportId, quint8 command, const QByteArray &payload) const;
    QByteArray handleProperty(quint8 command, const QByteArray &payload, bool *unplug);
    QByteArray handleData(quint8 command, const QByteArray &payload);
    QByteArray statusAnswer(bool *unplug);
    QByteArray nameRecord(const char *text, quint32 size, quint32 free) const;
    QByteArray fileStart(const QByteArray &payload);
    QByteArray fileBlock(const QByteArray &payload, bool *unplug);
    QByteArray fileEnd(const QByteArray &payload);
    QByteArray startReprogram();
    void resetTransfer();

    mutable QMutex m_mutex;
    bool m_answering = true;
    Fault m_fault = NoFault;
    int m_faultAfterBlocks = 0;
    quint32 m_freeSpace = DefaultFreeSpace;
    quint8 m_idleStatus = 0;
    bool m_reprogramFails = false;
    QByteArray m_snapshot;
    SnapshotSource m_snapshotSource;
    QByteArray m_snapshotTaken;

    IspState m_state = Idle;
    QString m_fileName;
    quint32 m_declaredSize = 0;
    QByteArray m_image;
    QByteArray m_installed;
    int m_blocks = 0;
    int m_reprogramStep = 0;
    QList<QByteArray> m_log;
};

} // namespace platform
