#include "devices/EspeakVoice.h"

#include <espeak-ng/speak_lib.h>

#include <algorithm>
#include <cmath>
#include <mutex>

namespace {

std::mutex& EngineMutex() {
    static std::mutex mutex;
    return mutex;
}

// The sink of the synthesis in progress; the engine calls back on the
// calling thread while espeak_Synth runs (synchronous mode).
const SpeechVoice::SampleSink* g_sink = nullptr;

int OnSamples(short* samples, int count, espeak_EVENT*) {
    if (!samples || count <= 0 || !g_sink)
        return 0;
    return (*g_sink)(samples, count) ? 0 : 1;
}

} // namespace

EspeakVoice::EspeakVoice(const char* voiceName) {
    std::lock_guard lock(EngineMutex());
    static int rate = -1;
    if (rate < 0) {
        rate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 200, nullptr, 0);
        if (rate > 0)
            espeak_SetSynthCallback(OnSamples);
    }
    if (rate > 0 && espeak_SetVoiceByName(voiceName) == EE_OK)
        m_sampleRate = rate;
}

int EspeakVoice::WordsPerMinute(int rate) {
    const double wpm = espeakRATE_NORMAL * std::pow(3.0, std::clamp(rate, -10, 10) / 10.0);
    return std::clamp(static_cast<int>(std::lround(wpm)), espeakRATE_MINIMUM, espeakRATE_MAXIMUM);
}

bool EspeakVoice::synthesize(const QString& text, int rate, const SampleSink& sink) {
    if (!available())
        return false;
    const QByteArray utf8 = text.toUtf8();
    std::lock_guard lock(EngineMutex());
    espeak_SetParameter(espeakRATE, WordsPerMinute(rate), 0);
    espeak_SetParameter(espeakVOLUME, 100, 0);
    g_sink = &sink;
    const espeak_ERROR result = espeak_Synth(utf8.constData(), size_t(utf8.size()) + 1, 0,
                                             POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr, nullptr);
    g_sink = nullptr;
    return result == EE_OK;
}
