#include "audio/pulseaudioinputs.h"

#include "audio/pulseaudioinputstream.h"

#include <QAudioDeviceInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>

namespace platform {

namespace {

constexpr int PactlTimeoutMs = 2000;

} // namespace

PulseAudioInputs::PulseAudioInputs(QObject *parent)
    : AudioInputs(parent)
{
}

QHash<QString, QString> PulseAudioInputs::parseSourceDescriptions(const QString &pactlOutput)
{
    QHash<QString, QString> descriptions;
    QString name;
    const QStringList lines = pactlOutput.split(QLatin1Char('\n'));
    for (const QString &rawLine : lines) {
        const QString line = rawLine.trimmed();
        if (line.startsWith(QLatin1String("Source #"))) {
            name.clear();
        } else if (line.startsWith(QLatin1String("Name:"))) {
            name = line.mid(5).trimmed();
        } else if (line.startsWith(QLatin1String("Description:")) && !name.isEmpty()) {
            const QString description = line.mid(12).trimmed();
            if (!description.isEmpty())
                descriptions.insert(name, description);
        }
    }
    return descriptions;
}

QHash<QString, QString> PulseAudioInputs::readSourceDescriptions()
{
    const QString pactl = QStandardPaths::findExecutable(QStringLiteral("pactl"));
    if (pactl.isEmpty())
        return {};
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    process.setProcessEnvironment(environment);
    process.start(pactl, {QStringLiteral("list"), QStringLiteral("sources")});
    if (!process.waitForFinished(PactlTimeoutMs)) {
        process.kill();
        process.waitForFinished(PactlTimeoutMs);
        return {};
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return {};
    return parseSourceDescriptions(QString::fromUtf8(process.readAllStandardOutput()));
}

QList<AudioInputInfo> PulseAudioInputs::inputs() const
{
    const QHash<QString, QString> descriptions = readSourceDescriptions();
    QList<AudioInputInfo> result;
    const QList<QAudioDeviceInfo> devices = QAudioDeviceInfo::availableDevices(QAudio::AudioInput);
    for (const QAudioDeviceInfo &device : devices) {
        const QString id = device.deviceName();
        if (id.isEmpty())
            continue;
        bool seen = false;
        for (const AudioInputInfo &known : result)
            seen = seen || known.uniqueId == id;
        if (!seen)
            result.append({id, descriptions.value(id, id)});
    }
    return result;
}

AudioInputStream *PulseAudioInputs::createStream(const QString &uniqueId, QObject *parent)
{
    const QList<QAudioDeviceInfo> devices = QAudioDeviceInfo::availableDevices(QAudio::AudioInput);
    for (const QAudioDeviceInfo &device : devices) {
        if (device.deviceName() == uniqueId)
            return new PulseAudioInputStream(device, parent);
    }
    return nullptr;
}

} // namespace platform
