// Plays samples through the system's default audio output (Qt Multimedia).
// Without an audio device everything written is dropped and the program
// goes on.
#pragma once

#include "devices/ReadAloud.h"

#include <QObject>

#include <memory>

class QAudioSink;
class PcmBuffer;

class QtPcmOutput : public QObject, public PcmOutput {
    Q_OBJECT
public:
    QtPcmOutput();
    ~QtPcmOutput() override;

    void start(int sampleRate) override;
    void write(const QByteArray& pcm) override;
    qint64 queuedBytes() const override;
    void pause() override;
    void resume() override;
    void stop() override;

private:
    std::unique_ptr<PcmBuffer> m_buffer;
    std::unique_ptr<QAudioSink> m_sink;
};
