#include "framework/Audio_p.h"

// Only SDL's types and constants: the library itself is loaded by the thread
// that opens the device, so start-up neither waits for it nor maps it.
#include <SDL.h>
#include <dlfcn.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <thread>
#include <utility>

#include "framework/Sound.h"
#include "framework/Thread_p.h"

namespace audio {

namespace {

// The few SDL functions the device needs, resolved from the shared library.
struct Sdl {
    decltype(&SDL_SetHint) SetHint;
    decltype(&SDL_SetHintWithPriority) SetHintWithPriority;
    decltype(&SDL_ResetHint) ResetHint;
    decltype(&SDL_InitSubSystem) InitSubSystem;
    decltype(&SDL_QuitSubSystem) QuitSubSystem;
    decltype(&SDL_GetCurrentAudioDriver) GetCurrentAudioDriver;
    decltype(&SDL_OpenAudioDevice) OpenAudioDevice;
    decltype(&SDL_PauseAudioDevice) PauseAudioDevice;
    decltype(&SDL_CloseAudioDevice) CloseAudioDevice;
    decltype(&SDL_TLSCleanup) TLSCleanup;
};

// Loaded once, on the device thread, and never unloaded: its threads may run
// until the process ends. Null when the library or a function is missing.
const Sdl* sdl()
{
    static const Sdl* loaded = [] () -> const Sdl* {
        void* lib = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
        if (!lib) return nullptr;
        static Sdl f{};
        bool all = true;
        const auto get = [&](auto& fn, const char* name) {
            fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(dlsym(lib, name));
            all = all && fn;
        };
        get(f.SetHint, "SDL_SetHint");
        get(f.SetHintWithPriority, "SDL_SetHintWithPriority");
        get(f.ResetHint, "SDL_ResetHint");
        get(f.InitSubSystem, "SDL_InitSubSystem");
        get(f.QuitSubSystem, "SDL_QuitSubSystem");
        get(f.GetCurrentAudioDriver, "SDL_GetCurrentAudioDriver");
        get(f.OpenAudioDevice, "SDL_OpenAudioDevice");
        get(f.PauseAudioDevice, "SDL_PauseAudioDevice");
        get(f.CloseAudioDevice, "SDL_CloseAudioDevice");
        get(f.TLSCleanup, "SDL_TLSCleanup");
        return all ? &f : nullptr;
    }();
    return loaded;
}

enum class Output { Closed, Device, Manual, Unavailable };

// Set when no device could be opened: the mixer then takes no voice, so that
// no sound waits for a device that will not come.
std::atomic<bool> skipVoices{false};

// The device belongs to one helper thread, which opens it when a sound wants
// it and closes it when nothing has played for a while. The GUI thread only
// says what it wants and never waits for the device: sounds started before
// the device is open wait in the mixer for it.
struct State {
    std::mutex lock;
    std::condition_variable changed;
    Output output = Output::Closed;
    bool wanted = false;  // the device should be open
    bool helper = false;  // a helper thread runs (it may sleep)
    bool silentDriver = false;
    bool toldSilent = false;
    // A helper stuck in SDL is abandoned, not waited for; it sees the
    // generation change when SDL lets go of it.
    uint64_t generation = 0;
    uint64_t attempts = 0; // opens tried, for a caller that waits for one
    SDL_AudioDeviceID device = 0;
    std::vector<const void*> playLog;
};

// Never destroyed: a device thread or a Sound held in a static may still
// reach them while the process exits.
State& state()
{
    static State* s = new State;
    return *s;
}

// 128 frames (2.9 ms) keep the silence between two consecutive sounds short:
// on a PulseAudio server its median is 2 ms, against 3.2 to 3.5 ms with 256.
// SDL's file and silent drivers keep time by sleeping whole milliseconds per
// buffer, which would run such buffers fast. The file driver gets 441 frames,
// exactly 10 ms; the silent one rounds its buffer up to a power of two, and
// 1024 frames (23.2 ms) come closest to real time there.
Uint16 bufferFrames(const char* driver)
{
    if (driver && std::strcmp(driver, "disk") == 0) return 441;
    if (driver && std::strcmp(driver, "dummy") == 0) return 1024;
    return 128;
}

// Chosen on a PulseAudio null sink on a busy machine, 100-character texts:
// 10 ms left about 9 holes a text; 15 to 20 ms none in most runs, but 16 ms
// still up to 6 in 4 of 10 runs while the machine was busiest. A key press
// reached the server in a median 18.5 to 19 ms at 16 ms, 20 to 24 at 18 ms.
constexpr const char* kServerLatencyMs = "16";

// A device left running wakes its thread every buffer, paused or not; after
// this long without a voice it is closed. A sound then starts on a new
// stream, which the server plays at once, sooner than one queued behind the
// running stream's buffered silence.
constexpr std::size_t kIdleFrames = Sound::kSampleRate / 4;

// A PulseAudio server drops the first quarter of a new stream's buffering
// (176 frames at 16 ms), so a new stream starts with that much silence and
// no sound loses its start. The server drops it in place of the sound's
// first frames, so it costs no latency.
std::size_t leadFrames(const char* driver)
{
    if (!driver || std::strcmp(driver, "pulseaudio") != 0) return 0;
    // Without a usable setting libpulse asks for SDL's buffer.
    const char* setting = std::getenv("PULSE_LATENCY_MSEC");
    const long ms = std::clamp(setting ? std::strtol(setting, nullptr, 10) : 0L, 0L, 10000L);
    return ms > 0 ? (std::size_t(ms) * Sound::kSampleRate + 3999) / 4000 : bufferFrames(driver) / 4;
}

struct Callback {
    std::size_t idleFrames = 0;
    std::size_t leadFrames = 0; // silence still to go before the first voice
    bool keepOpen = false;      // SDL's file driver starts its file afresh on every open
};

void requestIdleClose()
{
    State& s = state();
    std::lock_guard guard(s.lock);
    // A voice started since wants the device again (Mixer::start).
    if (!mixer().idle()) return;
    s.wanted = false;
    s.changed.notify_all();
}

void SDLCALL deviceCallback(void* userdata, Uint8* stream, int len)
{
    auto& cb = *static_cast<Callback*>(userdata);
    const std::size_t frames = static_cast<std::size_t>(len) / sizeof(int16_t);
    auto* out = reinterpret_cast<int16_t*>(stream);
    const std::size_t lead = std::min(frames, cb.leadFrames);
    cb.leadFrames -= lead;
    std::fill_n(out, lead, int16_t(0));
    const Mixer::Rendered rendered = mixer().render(out + lead, frames - lead);
    // A thread waiting for that sound need not wait for its timer.
    if (rendered.ended) threads::wakeParkedFromAnyThread();
    if (!rendered.idle || cb.keepOpen) {
        cb.idleFrames = 0;
    } else if (cb.idleFrames < kIdleFrames && (cb.idleFrames += frames) >= kIdleFrames) {
        requestIdleClose();
    }
}

SDL_AudioDeviceID openDevice(const Sdl& f, bool dummy, bool& up)
{
    if (!up) {
        // Otherwise SDL takes over SIGINT and SIGTERM and the program would not end on them.
        f.SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        if (dummy) f.SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
        up = f.InitSubSystem(SDL_INIT_AUDIO) == 0;
        // Back to the environment's SDL_AUDIODRIVER for the next open.
        if (dummy) f.ResetHint(SDL_HINT_AUDIODRIVER);
        if (!up) return 0;
    }
    const char* driver = f.GetCurrentAudioDriver();
    static Callback callback;
    callback = Callback{0, leadFrames(driver), driver && std::strcmp(driver, "disk") == 0};
    SDL_AudioSpec want{};
    want.freq = Sound::kSampleRate;
    want.format = AUDIO_S16SYS;
    want.channels = 1;
    want.samples = bufferFrames(driver);
    want.callback = deviceCallback;
    want.userdata = &callback;
    SDL_AudioSpec have{};
    // No allowed changes: SDL converts to whatever the hardware wants, so the
    // mixer and any capture see exactly this format.
    const SDL_AudioDeviceID device = f.OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device == 0) {
        f.QuitSubSystem(SDL_INIT_AUDIO);
        up = false;
        return 0;
    }
    f.PauseAudioDevice(device, 0);
    return device;
}

// Opens the sound device, or SDL's silent one when there is none; 0 when
// neither opens. Runs on the helper thread and may block there. up tells
// whether SDL's audio is initialised.
SDL_AudioDeviceID openOutput(bool& silentDriver, bool& tell, bool& up)
{
    const Sdl* f = sdl();
    if (!f) return 0;
    if (!silentDriver) {
        if (const auto device = openDevice(*f, false, up)) return device;
        // SDL does not fall back to its silent driver by itself.
        silentDriver = true;
        tell = true;
    }
    return openDevice(*f, true, up);
}

// What the helper thread does until it is told to end or is abandoned.
void helperLoop(uint64_t generation)
{
    State& s = state();
    bool up = false;
    std::unique_lock l(s.lock);
    while (s.generation == generation) {
        if (s.wanted && s.device == 0 && s.output == Output::Device) {
            bool silent = s.silentDriver, tell = false;
            l.unlock();
            const SDL_AudioDeviceID device = openOutput(silent, tell, up);
            l.lock();
            ++s.attempts;
            if (s.generation != generation) {
                // Given up on while it blocked: the device is nobody's now.
                l.unlock();
                if (device) sdl()->CloseAudioDevice(device);
                l.lock();
                break;
            }
            s.silentDriver = silent;
            if (device) {
                s.device = device;
                if (tell && !s.toldSilent)
                    std::fputs("quib-zerevarove: no sound device available; playing silently\n", stderr);
                s.toldSilent = s.toldSilent || tell;
            } else {
                s.output = Output::Unavailable;
                std::fputs("quib-zerevarove: no sound device available; sounds are skipped\n", stderr);
                // Sounds waiting for the device end now, as sounds played from here on do.
                skipVoices = true;
                mixer().stopAll();
                threads::wakeParkedFromAnyThread();
            }
        } else if (s.device != 0 && (!s.wanted || s.output != Output::Device)) {
            const SDL_AudioDeviceID device = std::exchange(s.device, 0);
            l.unlock();
            sdl()->CloseAudioDevice(device);
            l.lock();
        } else if (s.output == Output::Device || s.output == Output::Unavailable) {
            s.changed.wait(l);
            continue;
        } else {
            // Closed for good: SDL goes down too, so that the next open reads
            // the environment afresh.
            l.unlock();
            if (up) sdl()->QuitSubSystem(SDL_INIT_AUDIO);
            l.lock();
            break;
        }
        s.changed.notify_all();
    }
    if (s.generation == generation) s.helper = false;
    s.changed.notify_all();
    l.unlock();
    // SDL keeps per-thread data (its error text) that only this frees.
    if (const Sdl* f = sdl()) f->TLSCleanup();
}

// Asks for the device; never waits for it. Call with the lock held.
void wantDevice(State& s)
{
    if (s.output == Output::Closed) s.output = Output::Device;
    if (s.output != Output::Device) return;
    s.wanted = true;
    s.changed.notify_all();
    if (s.helper) return;
    s.helper = true;
    std::thread(helperLoop, s.generation).detach();
}

void closeOutput()
{
    State& s = state();
    std::unique_lock l(s.lock);
    s.wanted = false;
    s.output = Output::Closed;
    s.changed.notify_all();
    // Closing takes milliseconds; an open may block for good (a stalled sound
    // server), and the caller, often the exit, does not wait for that.
    if (!s.changed.wait_for(l, std::chrono::milliseconds(500), [&] { return !s.helper; })) {
        ++s.generation;
        s.helper = false;
        s.device = 0;
    }
    s.playLog.clear();
    skipVoices = false;
    s.toldSilent = false;
    s.silentDriver = false;
    mixer().stopAll();
}

}

// SDL asks a PulseAudio server for one buffer (5.8 ms) of headroom, and a
// busy moment then leaves a hole in the sound; the environment is SDL2's
// only way to ask for more. The buffers SDL fills stay 256 frames, which
// keeps the gaps between sounds short. A value the user set stays.
void setServerLatency() { setenv("PULSE_LATENCY_MSEC", kServerLatencyMs, 0); }

void Mixer::start(uint64_t id, Samples samples)
{
    startVoice(id, std::move(samples));
    // After the voice is in: a device closing because it saw no voice then
    // opens again.
    ensureOutput();
}

void Mixer::startVoice(uint64_t id, Samples samples)
{
    std::lock_guard guard(m_lock);
    auto voice = std::find_if(m_voices.begin(), m_voices.end(), [id](const Voice& v) { return v.id == id; });
    // A sound without frames has nothing left for the device to take.
    if (samples.frames.empty() || skipVoices) {
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

Mixer::Rendered Mixer::render(int16_t* out, std::size_t frames)
{
    std::lock_guard guard(m_lock);
    if (m_voices.empty()) {
        std::fill_n(out, frames, int16_t(0));
        return {false, true};
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
    const bool ended = std::erase_if(m_voices, [](const Voice& v) { return v.position >= v.samples.frames.size(); }) > 0;
    return {ended, m_voices.empty()};
}

bool Mixer::idle()
{
    std::lock_guard guard(m_lock);
    return m_voices.empty();
}

Mixer& mixer()
{
    static Mixer* m = new Mixer;
    return *m;
}

void ensureOutput()
{
    State& s = state();
    std::lock_guard guard(s.lock);
    wantDevice(s);
}

bool outputAvailable()
{
    State& s = state();
    std::lock_guard guard(s.lock);
    return s.output != Output::Unavailable;
}

void logPlay(const void* sound)
{
    State& s = state();
    std::lock_guard guard(s.lock);
    if (s.output == Output::Manual) s.playLog.push_back(sound);
}

}

void AudioInit()
{
    audio::State& s = audio::state();
    std::unique_lock l(s.lock);
    if (s.output == audio::Output::Device && s.device != 0) return;
    const uint64_t before = s.attempts;
    audio::wantDevice(s);
    s.changed.wait(l, [&] { return s.output != audio::Output::Device || s.attempts != before; });
}

void AudioInitInBackground()
{
    audio::ensureOutput();
}

void AudioQuit()
{
    audio::closeOutput();
}

namespace AudioTesting {

void UseManualClock()
{
    audio::closeOutput();
    audio::State& s = audio::state();
    std::lock_guard guard(s.lock);
    s.output = audio::Output::Manual;
}

std::vector<int16_t> Advance(int64_t frames)
{
    if (std::lock_guard guard(audio::state().lock); audio::state().output != audio::Output::Manual)
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
