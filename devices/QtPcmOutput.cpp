#include "devices/QtPcmOutput.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QIODevice>
#include <QMediaDevices>

#include <algorithm>
#include <cstring>
#include <mutex>

// The samples waiting to be played. The worker appends, the audio sink reads
// on the GUI thread.
class PcmBuffer : public QIODevice {
public:
    void append(const QByteArray& pcm) {
        {
            std::lock_guard lock(m_mutex);
            m_data.append(pcm);
        }
        QMetaObject::invokeMethod(
            this, [this] { emit readyRead(); }, Qt::QueuedConnection);
    }
    void clear() {
        std::lock_guard lock(m_mutex);
        m_data.clear();
    }
    qint64 queued() const {
        std::lock_guard lock(m_mutex);
        return m_data.size();
    }
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return queued() + QIODevice::bytesAvailable(); }

protected:
    qint64 readData(char* data, qint64 max) override {
        std::lock_guard lock(m_mutex);
        const qint64 n = std::min<qint64>(max, m_data.size());
        std::memcpy(data, m_data.constData(), size_t(n));
        m_data.remove(0, n);
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    mutable std::mutex m_mutex;
    QByteArray m_data;
};

QtPcmOutput::QtPcmOutput() : m_buffer(std::make_unique<PcmBuffer>()) {
    m_buffer->open(QIODevice::ReadOnly);
}

QtPcmOutput::~QtPcmOutput() {
    stop();
}

void QtPcmOutput::start(int sampleRate) {
    stop();
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        return; // no audio device: reading goes on silently
    QAudioFormat format;
    format.setSampleRate(sampleRate);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    if (!device.isFormatSupported(format))
        return;
    m_sink = std::make_unique<QAudioSink>(device, format);
    m_sink->start(m_buffer.get());
}

void QtPcmOutput::write(const QByteArray& pcm) {
    if (m_sink)
        m_buffer->append(pcm);
}

qint64 QtPcmOutput::queuedBytes() const {
    return m_buffer->queued();
}

void QtPcmOutput::pause() {
    if (m_sink)
        m_sink->suspend();
}

void QtPcmOutput::resume() {
    if (m_sink)
        m_sink->resume();
}

void QtPcmOutput::stop() {
    if (m_sink) {
        m_sink->stop();
        m_sink.reset();
    }
    m_buffer->clear();
}
