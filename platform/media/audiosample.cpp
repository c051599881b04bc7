#include "media/audiosample.h"

namespace platform {

AudioSample::AudioSample(const QByteArray &pcm, qint64 presentationTimeUs)
    : m_pcm(pcm)
    , m_presentationTimeUs(presentationTimeUs)
{
}

AudioSample AudioSample::withPresentationTime(qint64 presentationTimeUs) const
{
    AudioSample copy(*this);
    copy.m_presentationTimeUs = presentationTimeUs;
    return copy;
}

} // namespace platform
