#include "updaterfakeisp.h"

#include <cstring>

void UpdaterFakeIsp::setControlCamera(GeneralCamera *c)
{
    camera = c;
}

bool UpdaterFakeIsp::checkHidSupported()
{
    return hidSupported;
}

bool UpdaterFakeIsp::findDevice()
{
    if (!m_reprogramming)
        return true;
    if (m_poll + 1 < polls.size())
        ++m_poll;
    return polls.isEmpty() || polls.at(m_poll).present;
}

int UpdaterFakeIsp::getFirmwareVersion(char *buffer)
{
    if (versionFails)
        return -1;
    std::memset(buffer, 0, VersionSize);
    std::memcpy(buffer, firmwareVersion.constData(), size_t(qMin(firmwareVersion.size(), int(VersionSize))));
    return 0;
}

int UpdaterFakeIsp::setIspStatus(int value)
{
    log << QStringLiteral("status %1").arg(value);
    return 0;
}

int UpdaterFakeIsp::getIspStatus(int *status, char *detail, int *extra)
{
    const Poll poll = m_reprogramming && !polls.isEmpty() ? polls.at(qMax(0, m_poll)) : Poll();
    if (m_reprogramming ? poll.statusFails : statusFails)
        return -1;
    *status = m_reprogramming ? poll.status : statusBefore;
    std::memset(detail, 0, DetailSize);
    if (m_reprogramming)
        std::memcpy(detail, poll.detail.constData(), size_t(qMin(poll.detail.size(), int(DetailSize))));
    *extra = 0;
    return 0;
}

int UpdaterFakeIsp::setIspFileStart(char *name, int size, int reserved)
{
    log << QStringLiteral("start %1 %2").arg(QString::fromLatin1(name)).arg(size);
    sentSize = size;
    return 0;
}

int UpdaterFakeIsp::getIspFileStart(char *name, int *size, int *free)
{
    writeName(name, startAnswer);
    *size = startSize < 0 ? sentSize : startSize;
    *free = startFree;
    return 0;
}

int UpdaterFakeIsp::setIspFileDownload(char *block)
{
    if (chunks == failChunk)
        return -1;
    received.append(block, BlockSize);
    ++chunks;
    if (onChunk)
        onChunk(chunks);
    return 0;
}

int UpdaterFakeIsp::getIspFileDownload(char *block)
{
    std::memset(block, 0, BlockSize);
    return 0;
}

int UpdaterFakeIsp::setIspFileEnd(char *name, int size, int reserved)
{
    log << QStringLiteral("end %1 %2").arg(QString::fromLatin1(name)).arg(size);
    return 0;
}

int UpdaterFakeIsp::getIspFileEnd(char *name, int *size, int *free)
{
    writeName(name, endAnswer);
    *size = sentSize;
    *free = startFree;
    return 0;
}

int UpdaterFakeIsp::setIspStart(char *payload)
{
    log << QStringLiteral("isp start");
    m_reprogramming = true;
    m_poll = -1;
    return 0;
}

int UpdaterFakeIsp::getIspStart(int *value)
{
    *value = 0;
    return 0;
}

int UpdaterFakeIsp::setIspStop(char *payload)
{
    log << QStringLiteral("isp stop");
    return 0;
}

int UpdaterFakeIsp::getIspStop(int *value)
{
    *value = 0;
    return 0;
}

void UpdaterFakeIsp::writeName(char *name, const QByteArray &text)
{
    std::memset(name, 0, NameSize);
    std::memcpy(name, text.constData(), size_t(qMin(text.size(), int(NameSize))));
}
