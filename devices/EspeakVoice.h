// The Mandarin voice of espeak-ng, synthesising into memory. espeak-ng keeps
// one global synthesiser, so calls are serialised.
#pragma once

#include "devices/ReadAloud.h"

class EspeakVoice : public SpeechVoice {
public:
    // `voiceName` is an espeak-ng voice ("cmn" is Mandarin).
    explicit EspeakVoice(const char* voiceName = "cmn");
    bool available() const override { return m_sampleRate > 0; }
    int sampleRate() const override { return m_sampleRate; }
    bool synthesize(const QString& text, int rate, const SampleSink& sink) override;

    // Words per minute for a rate of -10 … 10: rate 10 is three times as
    // fast as rate 0 and rate -10 a third of it.
    static int WordsPerMinute(int rate);

private:
    int m_sampleRate = 0;
};
