// Reading the transcript aloud: a voice turns text into 16-bit mono samples,
// an output plays them. Speech runs on a worker thread, one sentence at a
// time, so a stop is heard at once and a speed change takes effect from the
// next sentence; pause and resume act on the output, which keeps its place.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

// Text to speech. Implementations must allow synthesize() from any thread.
class SpeechVoice {
public:
    using SampleSink = std::function<bool(const std::int16_t* samples, int count)>;
    virtual ~SpeechVoice() = default;
    virtual bool available() const = 0;
    virtual int sampleRate() const = 0;
    // Speaks `text` at `rate` (-10 … 10, 0 standard) into `sink`, which returns
    // false to cut the speech short. Answers false when nothing could be made.
    virtual bool synthesize(const QString& text, int rate, const SampleSink& sink) = 0;
};

// Where the samples go. write() is called from the worker; the others from
// the GUI thread.
class PcmOutput {
public:
    virtual ~PcmOutput() = default;
    virtual void start(int sampleRate) = 0;
    virtual void write(const QByteArray& pcm) = 0;
    // Bytes written but not yet played; the worker waits while this is large.
    virtual qint64 queuedBytes() const = 0;
    virtual void pause() = 0;
    virtual void resume() = 0;
    // Drops everything not yet played.
    virtual void stop() = 0;
};

// The three speeds of the read-aloud menu, as rate values.
enum class ReadSpeed { Fast = 3, Standard = 0, Slow = -3 };

// Splits a text into the pieces spoken one after the other: sentences ending
// in "。！？；" (or their ASCII forms) or at a line break. Blank pieces are dropped.
QStringList SpeechPieces(const QString& text);

class ReadAloud : public QObject {
    Q_OBJECT
public:
    ReadAloud(std::shared_ptr<SpeechVoice> voice, std::shared_ptr<PcmOutput> output,
              QObject* parent = nullptr);
    ~ReadAloud() override; // stops any reading

    // Stops what is being read and reads `text` from the start at the
    // standard speed. An empty text is silence.
    void read(const QString& text);
    void stop();
    // Act on the current reading only; before any reading they do nothing.
    void setSpeed(ReadSpeed speed);
    void pause();
    void resume();

    bool reading() const { return m_worker != nullptr && !m_finished; }
    bool paused() const { return m_paused; }
    int rate() const { return m_rate; }

signals:
    // The worker has handed over the last sample of a reading (not emitted
    // for a reading that was stopped).
    void finished();

private:
    void speak(QStringList pieces);
    void joinWorker();

    std::shared_ptr<SpeechVoice> m_voice;
    std::shared_ptr<PcmOutput> m_output;
    std::unique_ptr<std::thread> m_worker;
    std::atomic<bool> m_cancel{false};
    std::atomic<bool> m_finished{true};
    std::atomic<int> m_rate{0};
    bool m_paused = false;
    bool m_started = false;
    std::mutex m_mutex;
    std::condition_variable m_wake;
};
