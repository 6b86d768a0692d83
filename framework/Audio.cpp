#include "framework/Audio_p.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <thread>

#include "framework/Sound.h"
#include "framework/Thread_p.h"

namespace audio {

namespace {

enum class Output { Closed, Device, Manual, Unavailable };

struct State {
    Output output = Output::Closed;
    SDL_AudioDeviceID device = 0;
    std::vector<const void*> playLog;
    // Opens the device while the GUI thread goes on; output and device are
    // its alone until it is joined.
    std::thread opener;
};

// Never destroyed: a device thread or a Sound held in a static may still
// reach them while the process exits.
State& state()
{
    static State* s = new State;
    return *s;
}

// 256 frames keep the silence between two consecutive sounds short. SDL's
// file and silent drivers keep time by sleeping whole milliseconds per buffer,
// which would run 256 frames (5.8 ms) about an eighth fast. The file driver
// gets 441 frames, exactly 10 ms; the silent one rounds its buffer up to a
// power of two, and 1024 frames (23.2 ms) come closest to real time there.
Uint16 bufferFrames()
{
    const char* driver = SDL_GetCurrentAudioDriver();
    if (driver && SDL_strcmp(driver, "disk") == 0) return 441;
    if (driver && SDL_strcmp(driver, "dummy") == 0) return 1024;
    return 256;
}

void SDLCALL deviceCallback(void* userdata, Uint8* stream, int len)
{
    const bool ended = static_cast<Mixer*>(userdata)->render(reinterpret_cast<int16_t*>(stream),
                                                             static_cast<std::size_t>(len) / sizeof(int16_t));
    // A thread waiting for that sound need not wait for its timer.
    if (ended) threads::wakeParkedFromAnyThread();
}

bool openDevice(bool dummy)
{
    // Otherwise SDL takes over SIGINT and SIGTERM and the program would not end on them.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (dummy) SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
    const bool up = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    // Back to the environment's SDL_AUDIODRIVER for the next open.
    if (dummy) SDL_ResetHint(SDL_HINT_AUDIODRIVER);
    if (!up) return false;

    SDL_AudioSpec want{};
    want.freq = Sound::kSampleRate;
    want.format = AUDIO_S16SYS;
    want.channels = 1;
    want.samples = bufferFrames();
    want.callback = deviceCallback;
    want.userdata = &mixer();
    SDL_AudioSpec have{};
    // No allowed changes: SDL converts to whatever the hardware wants, so the
    // mixer and any capture see exactly this format.
    const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    state().device = device;
    SDL_PauseAudioDevice(device, 0);
    return true;
}

void finishOpening()
{
    State& s = state();
    if (s.opener.joinable()) s.opener.join();
}

void closeOutput()
{
    finishOpening();
    State& s = state();
    if (s.output == Output::Device) {
        SDL_CloseAudioDevice(s.device);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        s.device = 0;
    }
    s.output = Output::Closed;
    s.playLog.clear();
    mixer().stopAll();
}

}

Mixer::Mixer()
{
    m_voices.reserve(16);
}

void Mixer::start(uint64_t id, Samples samples)
{
    std::lock_guard guard(m_lock);
    auto voice = std::find_if(m_voices.begin(), m_voices.end(), [id](const Voice& v) { return v.id == id; });
    // A sound without frames has nothing left for the device to take.
    if (samples.frames.empty()) {
        if (voice != m_voices.end()) m_voices.erase(voice);
    } else if (voice != m_voices.end()) {
        voice->position = 0;
    } else {
        m_voices.push_back(Voice{id, std::move(samples), 0});
    }
}

void Mixer::stop(uint64_t id)
{
    std::lock_guard guard(m_lock);
    std::erase_if(m_voices, [id](const Voice& v) { return v.id == id; });
}

void Mixer::stopAll()
{
    std::lock_guard guard(m_lock);
    m_voices.clear();
}

int64_t Mixer::remaining(uint64_t id)
{
    std::lock_guard guard(m_lock);
    for (const Voice& v : m_voices) {
        if (v.id == id) return static_cast<int64_t>(v.samples.frames.size() - v.position);
    }
    return 0;
}

bool Mixer::render(int16_t* out, std::size_t frames)
{
    std::lock_guard guard(m_lock);
    if (m_voices.empty()) {
        std::fill_n(out, frames, int16_t(0));
        return false;
    }
    constexpr std::size_t kChunk = 512;
    int32_t sum[kChunk];
    for (std::size_t done = 0; done < frames;) {
        const std::size_t n = std::min(kChunk, frames - done);
        std::fill_n(sum, n, 0);
        for (Voice& v : m_voices) {
            const std::span<const int16_t> samples = v.samples.frames;
            const std::size_t take = std::min(n, samples.size() - v.position);
            for (std::size_t i = 0; i < take; ++i) sum[i] += samples[v.position + i];
            v.position += take;
        }
        for (std::size_t i = 0; i < n; ++i) out[done + i] = static_cast<int16_t>(std::clamp(sum[i], -32768, 32767));
        done += n;
    }
    // The Sound still holds its samples, so this frees nothing on the device thread.
    return std::erase_if(m_voices, [](const Voice& v) { return v.position >= v.samples.frames.size(); }) > 0;
}

Mixer& mixer()
{
    static Mixer* m = new Mixer;
    return *m;
}

void openOutput()
{
    State& s = state();
    if (openDevice(false)) {
        s.output = Output::Device;
        return;
    }
    // SDL does not fall back to its silent driver by itself.
    if (openDevice(true)) {
        s.output = Output::Device;
        std::fputs("quib-zerevarove: no sound device available; playing silently\n", stderr);
        return;
    }
    s.output = Output::Unavailable;
    std::fputs("quib-zerevarove: no sound device available; sounds are skipped\n", stderr);
}

void ensureOutput()
{
    finishOpening();
    if (state().output == Output::Closed) openOutput();
}

void openInBackground()
{
    State& s = state();
    if (s.output != Output::Closed || s.opener.joinable()) return;
    s.opener = std::thread([] {
        openOutput();
        // SDL keeps per-thread data (its error text) that only this frees.
        SDL_TLSCleanup();
    });
}

bool outputAvailable()
{
    return state().output != Output::Unavailable;
}

void logPlay(const void* sound)
{
    State& s = state();
    if (s.output == Output::Manual) s.playLog.push_back(sound);
}

}

void AudioInit()
{
    audio::ensureOutput();
}

void AudioInitInBackground()
{
    audio::openInBackground();
}

void AudioQuit()
{
    audio::closeOutput();
}

namespace AudioTesting {

void UseManualClock()
{
    audio::closeOutput();
    audio::state().output = audio::Output::Manual;
}

std::vector<int16_t> Advance(int64_t frames)
{
    if (audio::state().output != audio::Output::Manual)
        throw std::logic_error("AudioTesting::Advance needs AudioTesting::UseManualClock first");
    std::vector<int16_t> out(static_cast<std::size_t>(std::max<int64_t>(frames, 0)));
    audio::mixer().render(out.data(), out.size());
    return out;
}

std::vector<const Sound*> PlayLog()
{
    std::vector<const Sound*> log;
    for (const void* p : audio::state().playLog) log.push_back(static_cast<const Sound*>(p));
    return log;
}

}
