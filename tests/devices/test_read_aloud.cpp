#include "devices/EspeakVoice.h"
#include "devices/ReadAloud.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

#include <condition_variable>
#include <mutex>
#include <vector>

namespace {

// Makes 100 samples per character; can hold each piece until released, so a
// test acts while a reading is in progress.
class FakeVoice : public SpeechVoice {
public:
    bool available() const override { return true; }
    int sampleRate() const override { return 16000; }
    bool synthesize(const QString& text, int rate, const SampleSink& sink) override {
        {
            std::unique_lock lock(m_mutex);
            m_spoken.push_back({text, rate});
            m_changed.notify_all();
            m_changed.wait(lock, [&] { return !m_hold || m_released > 0; });
            if (m_hold)
                --m_released;
        }
        std::vector<std::int16_t> samples(100, 7);
        for (int i = 0; i < text.size(); ++i)
            if (!sink(samples.data(), int(samples.size())))
                return true;
        return true;
    }
    void hold() { m_hold = true; }
    void release(int pieces = 1) {
        std::lock_guard lock(m_mutex);
        m_released += pieces;
        m_changed.notify_all();
    }
    void waitForPieces(std::size_t n) {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_spoken.size() >= n; });
    }
    std::vector<std::pair<QString, int>> spoken() {
        std::lock_guard lock(m_mutex);
        return m_spoken;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::pair<QString, int>> m_spoken;
    bool m_hold = false;
    int m_released = 0;
};

// Keeps what would have been played and the calls made on it.
class CaptureOutput : public PcmOutput {
public:
    void start(int rate) override { calls.push_back("start " + std::to_string(rate)); }
    void write(const QByteArray& pcm) override {
        std::lock_guard lock(mutex);
        bytes += pcm;
    }
    qint64 queuedBytes() const override { return 0; }
    void pause() override { calls.push_back("pause"); }
    void resume() override { calls.push_back("resume"); }
    void stop() override { calls.push_back("stop"); }
    QByteArray played() {
        std::lock_guard lock(mutex);
        return bytes;
    }

    std::mutex mutex;
    QByteArray bytes;
    std::vector<std::string> calls;
};

struct Reader {
    std::shared_ptr<FakeVoice> voice = std::make_shared<FakeVoice>();
    std::shared_ptr<CaptureOutput> output = std::make_shared<CaptureOutput>();
    ReadAloud reader{voice, output};

    void readToEnd(const QString& text) {
        QSignalSpy done(&reader, &ReadAloud::finished);
        reader.read(text);
        ASSERT_TRUE(done.wait(5000));
    }
};

TEST(ReadAloudPieces, SentencesAndLines) {
    EXPECT_EQ(SpeechPieces(QStringLiteral("问：你叫什么名字？答：张三。\n\n问：住哪里；答 青岚市")),
              (QStringList{QStringLiteral("问：你叫什么名字？"), QStringLiteral("答：张三。"),
                           QStringLiteral("问：住哪里；"), QStringLiteral("答 青岚市")}));
    EXPECT_TRUE(SpeechPieces(QStringLiteral(" \n\n ")).isEmpty());
}

TEST(ReadAloudCommands, ReadsEveryPieceAtStandardSpeed) {
    Reader r;
    r.readToEnd(QStringLiteral("第一句。第二句！"));
    EXPECT_EQ(r.voice->spoken(),
              (std::vector<std::pair<QString, int>>{{QStringLiteral("第一句。"), 0},
                                                    {QStringLiteral("第二句！"), 0}}));
    EXPECT_EQ(r.output->played().size(), 8 * 100 * 2); // eight characters, 16-bit samples
    EXPECT_EQ(r.output->calls.front(), "start 16000");
}

TEST(ReadAloudCommands, SpeedChangesTheCurrentReadingOnlyUntilTheNext) {
    Reader r;
    r.voice->hold();
    r.reader.read(QStringLiteral("一。二。三。"));
    r.voice->waitForPieces(1);
    r.reader.setSpeed(ReadSpeed::Slow);
    QSignalSpy done(&r.reader, &ReadAloud::finished);
    r.voice->release(3);
    ASSERT_TRUE(done.wait(5000));
    const auto spoken = r.voice->spoken();
    ASSERT_EQ(spoken.size(), 3u);
    EXPECT_EQ(spoken[0].second, 0);
    EXPECT_EQ(spoken[1].second, -3); // the rest of this reading is slow
    r.voice->release(100);
    r.readToEnd(QStringLiteral("四。"));
    EXPECT_EQ(r.voice->spoken().back().second, 0); // the next reading starts at the standard speed

    Reader fresh;
    fresh.reader.setSpeed(ReadSpeed::Fast); // before any reading: nothing happens
    EXPECT_EQ(fresh.reader.rate(), 0);
}

TEST(ReadAloudCommands, NewReadingStopsTheOldOne) {
    Reader r;
    r.voice->hold();
    r.reader.read(QStringLiteral("旧的一句。旧的二句。"));
    r.voice->waitForPieces(1);
    r.voice->release(100);
    r.readToEnd(QStringLiteral("新的。"));
    EXPECT_NE(std::find(r.output->calls.begin(), r.output->calls.end(), "stop"),
              r.output->calls.end());
    EXPECT_EQ(r.voice->spoken().back().first, QStringLiteral("新的。"));
}

TEST(ReadAloudCommands, PauseResumeStopAndSilence) {
    Reader r;
    r.reader.pause(); // before any reading: nothing happens
    r.reader.resume();
    EXPECT_TRUE(r.output->calls.empty());
    r.reader.read(QString()); // empty text: nothing heard
    EXPECT_FALSE(r.reader.reading());

    r.voice->hold();
    r.reader.read(QStringLiteral("一。二。"));
    r.voice->waitForPieces(1);
    r.reader.pause();
    r.reader.pause();
    EXPECT_TRUE(r.reader.paused());
    r.reader.resume();
    r.voice->release(100);
    r.reader.stop();
    EXPECT_FALSE(r.reader.reading());
    EXPECT_EQ(r.output->calls,
              (std::vector<std::string>{"start 16000", "pause", "resume", "stop"}));
}

TEST(ReadAloudCommands, DestroyingTheReaderDuringSpeechSilencesIt) {
    auto voice = std::make_shared<FakeVoice>();
    auto output = std::make_shared<CaptureOutput>();
    voice->hold();
    {
        ReadAloud reader(voice, output);
        reader.read(QStringLiteral("一。二。三。"));
        voice->waitForPieces(1);
        voice->release(100);
    }
    EXPECT_EQ(output->calls.back(), "stop");
}

TEST(EspeakVoice, MandarinIntoABuffer) {
    EspeakVoice voice;
    if (!voice.available())
        GTEST_SKIP() << "espeak-ng's Mandarin voice is not installed";
    auto samplesAt = [&](int rate) {
        std::size_t count = 0;
        EXPECT_TRUE(voice.synthesize(QStringLiteral("询问人问，你叫什么名字。"), rate,
                                     [&](const std::int16_t*, int n) {
                                         count += std::size_t(n);
                                         return true;
                                     }));
        return count;
    };
    const std::size_t standard = samplesAt(0);
    EXPECT_GT(standard, std::size_t(voice.sampleRate()) / 2); // at least half a second
    EXPECT_GT(samplesAt(-3), standard);
    EXPECT_LT(samplesAt(3), standard);
    EXPECT_EQ(EspeakVoice::WordsPerMinute(0), 175);
}

} // namespace
