#include <alsa/asoundlib.h>

#include <QElapsedTimer>
#include <QThread>
#include <cmath>
#include <vector>

#include "app/DesktopPlatform.h"

namespace {
bool PlayThroughAlsa(int frequencyHz, int milliseconds) {
    snd_pcm_t* pcm = nullptr;
    if (snd_pcm_open(&pcm, "default", SND_PCM_STREAM_PLAYBACK, 0) < 0) return false;
    constexpr unsigned kRate = 44100;
    bool played = false;
    if (snd_pcm_set_params(pcm, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED, 1, kRate, 1,
                           50000) >= 0) {
        const size_t frames = kRate * static_cast<size_t>(milliseconds) / 1000;
        std::vector<short> samples(frames);
        for (size_t i = 0; i < frames; ++i)
            samples[i] = static_cast<short>(
                8000 * std::sin(2 * M_PI * frequencyHz * static_cast<double>(i) / kRate));
        snd_pcm_sframes_t written = snd_pcm_writei(pcm, samples.data(), frames);
        if (written < 0) written = snd_pcm_recover(pcm, static_cast<int>(written), 1);
        if (written >= 0) {
            snd_pcm_drain(pcm);
            played = true;
        }
    }
    snd_pcm_close(pcm);
    return played;
}

// ALSA prints to stderr when no device exists; a technician's console should stay quiet.
void SilentAlsaErrors(const char*, int, const char*, int, const char*, ...) {}
}  // namespace

void PlayTone(int frequencyHz, int milliseconds) {
    static bool quiet = (snd_lib_error_set_handler(&SilentAlsaErrors), true);
    (void)quiet;
    QElapsedTimer clock;
    clock.start();
    PlayThroughAlsa(frequencyHz, milliseconds);
    // The beep always takes its full length, with or without a sound device.
    const qint64 left = milliseconds - clock.elapsed();
    if (left > 0) QThread::msleep(static_cast<unsigned long>(left));
}
