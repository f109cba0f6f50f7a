#include "devices/ReadAloud.h"

#include <QRegularExpression>

#include <chrono>

namespace {
// Seconds of speech the worker may synthesise ahead of what is heard.
constexpr int kAheadSeconds = 8;
} // namespace

QStringList SpeechPieces(const QString& text) {
    static const QRegularExpression end(QStringLiteral("(?<=[。！？；!?;\\n])"));
    QStringList pieces;
    for (const QString& piece : text.split(end))
        if (!piece.trimmed().isEmpty())
            pieces << piece.trimmed();
    return pieces;
}

ReadAloud::ReadAloud(std::shared_ptr<SpeechVoice> voice, std::shared_ptr<PcmOutput> output,
                     QObject* parent)
    : QObject(parent), m_voice(std::move(voice)), m_output(std::move(output)) {}

ReadAloud::~ReadAloud() {
    stop();
}

void ReadAloud::read(const QString& text) {
    stop();
    m_rate = static_cast<int>(ReadSpeed::Standard);
    m_paused = false;
    const QStringList pieces = SpeechPieces(text);
    if (pieces.isEmpty() || !m_voice || !m_voice->available())
        return; // nothing to hear, or no voice: the editor goes on without speech
    m_started = true;
    m_cancel = false;
    m_finished = false;
    m_output->start(m_voice->sampleRate());
    m_worker = std::make_unique<std::thread>([this, pieces] { speak(pieces); });
}

void ReadAloud::speak(QStringList pieces) {
    const qint64 ahead = qint64(m_voice->sampleRate()) * 2 * kAheadSeconds;
    for (const QString& piece : pieces) {
        QByteArray pcm;
        const bool made = m_voice->synthesize(piece, m_rate, [&](const std::int16_t* s, int n) {
            pcm.append(reinterpret_cast<const char*>(s), qsizetype(n) * 2);
            return !m_cancel.load();
        });
        if (m_cancel)
            return;
        if (made)
            m_output->write(pcm);
        std::unique_lock lock(m_mutex);
        while (!m_cancel && m_output->queuedBytes() > ahead)
            m_wake.wait_for(lock, std::chrono::milliseconds(100), [&] { return m_cancel.load(); });
        if (m_cancel)
            return;
    }
    m_finished = true;
    QMetaObject::invokeMethod(this, &ReadAloud::finished, Qt::QueuedConnection);
}

void ReadAloud::joinWorker() {
    if (!m_worker)
        return;
    {
        std::lock_guard lock(m_mutex);
        m_cancel = true;
    }
    m_wake.notify_all();
    m_worker->join();
    m_worker.reset();
}

void ReadAloud::stop() {
    joinWorker();
    m_finished = true;
    if (m_started)
        m_output->stop();
    m_paused = false;
}

void ReadAloud::setSpeed(ReadSpeed speed) {
    if (m_started)
        m_rate = static_cast<int>(speed);
}

void ReadAloud::pause() {
    if (!m_started || m_paused)
        return;
    m_output->pause();
    m_paused = true;
}

void ReadAloud::resume() {
    if (!m_started || !m_paused)
        return;
    m_output->resume();
    m_paused = false;
}
