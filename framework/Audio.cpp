#include "framework/Audio_p.h"

// Only SDL's types and constants: the library itself is loaded by the thread
// that opens the device, so start-up neither waits for it nor maps it.
#include <SDL.h>
#include <dlfcn.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>
#include <thread>
#include <utility>

#include "framework/Sound.h"
#include "framework/Thread_p.h"

namespace audio {

namespace {

// The few SDL functions the device needs, resolved from the shared library.
struct Sdl {
    decltype(&SDL_SetHint) SetHint;
    decltype(&SDL_GetError) GetError;
    decltype(&SDL_InitSubSystem) InitSubSystem;
    decltype(&SDL_QuitSubSystem) QuitSubSystem;
    decltype(&SDL_GetCurrentAudioDriver) GetCurrentAudioDriver;
    decltype(&SDL_OpenAudioDevice) OpenAudioDevice;
    decltype(&SDL_PauseAudioDevice) PauseAudioDevice;
    decltype(&SDL_GetAudioDeviceStatus) GetAudioDeviceStatus;
    decltype(&SDL_CloseAudioDevice) CloseAudioDevice;
    decltype(&SDL_TLSCleanup) TLSCleanup;
};

struct Library {
    Sdl f{};
    std::string error; // the loader's words when the library or a function is missing
};

// Loaded once, on the device thread, and never unloaded: its threads may run
// until the process ends.
const Library& library()
{
    static const Library* loaded = [] {
        auto* l = new Library;
        void* lib = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
        if (!lib) {
            l->error = dlerror();
            return l;
        }
        const auto get = [&](auto& fn, const char* name) {
            fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(dlsym(lib, name));
            if (!fn && l->error.empty()) l->error = dlerror();
        };
        get(l->f.SetHint, "SDL_SetHint");
        get(l->f.GetError, "SDL_GetError");
        get(l->f.InitSubSystem, "SDL_InitSubSystem");
        get(l->f.QuitSubSystem, "SDL_QuitSubSystem");
        get(l->f.GetCurrentAudioDriver, "SDL_GetCurrentAudioDriver");
        get(l->f.OpenAudioDevice, "SDL_OpenAudioDevice");
        get(l->f.PauseAudioDevice, "SDL_PauseAudioDevice");
        get(l->f.GetAudioDeviceStatus, "SDL_GetAudioDeviceStatus");
        get(l->f.CloseAudioDevice, "SDL_CloseAudioDevice");
        get(l->f.TLSCleanup, "SDL_TLSCleanup");
        return l;
    }();
    return *loaded;
}

// The device belongs to one helper thread, which opens it when a sound wants
// it and closes it when nothing has played for a while. The GUI thread only
// says what it wants and never waits for the device: sounds started before
// the device is open wait in the mixer for it, and the mixer keeps time
// itself while there is none.
struct State {
    std::mutex lock;
    std::condition_variable changed;
    bool wanted = false;  // the device should be open
    bool gone = false;    // the open device has lost its server
    bool closing = false; // the helper should close the device and end
    bool helper = false;  // a helper thread runs (it may sleep)
    // A helper stuck in SDL is abandoned, not waited for; it sees the
    // generation change when SDL lets go of it.
    uint64_t generation = 0;
    SDL_AudioDeviceID device = 0;
};

// Never destroyed: a device thread or a Sound held in a static may still
// reach them while the process exits.
State& state()
{
    static State* s = new State;
    return *s;
}

// What standard error has been told: one line when sound is lost and one
// when it is back, whichever thread (never the device's callback) sees it.
struct Told {
    std::mutex lock;
    std::atomic<bool> silent{false};
    std::string why;
};

Told& told()
{
    static Told* t = new Told;
    return *t;
}

void tell()
{
    Told& t = told();
    const bool silent = mixer().silent();
    if (t.silent == silent) return;
    std::lock_guard guard(t.lock);
    if (t.silent.exchange(silent) == silent) return;
    if (silent) {
        std::fprintf(stderr, "quib-zerevarove: no sound (%s); playing silently\n",
                     t.why.empty() ? "the sound device took nothing for a second" : t.why.c_str());
    } else {
        std::fputs("quib-zerevarove: sound is back\n", stderr);
    }
    t.why.clear();
}

// No device will take frames for now: sounds keep their time in silence.
void lose(std::string why)
{
    {
        std::lock_guard guard(told().lock);
        told().why = std::move(why);
    }
    mixer().goSilent();
    tell();
}

// 128 frames (2.9 ms) keep the silence between two consecutive sounds short.
constexpr Uint16 kBufferFrames = 128;

// Chosen on a PulseAudio null sink on a busy machine, 100-character texts.
constexpr const char* kServerLatencyMs = "16";

// A device left running wakes its thread every buffer, paused or not; after
// this long without a voice it is closed. A sound then starts on a new
// stream, which the server plays at once, sooner than one queued behind the
// running stream's buffered silence. Without a device, a sound after such a
// pause looks for one again.
constexpr auto kIdleTime = std::chrono::milliseconds(250);
constexpr std::size_t kIdleFrames = Sound::kSampleRate * kIdleTime.count() / 1000;

// A PulseAudio server drops the first quarter of a new stream's buffering
// (177 frames at 16 ms), so a new stream starts with that much silence and
// no sound loses its start. The server drops it in place of the sound's
// first frames, so it costs no latency.
std::size_t leadFrames(const char* driver)
{
    if (!driver || std::strcmp(driver, "pulseaudio") != 0) return 0;
    // Without a usable setting libpulse asks for SDL's buffer.
    const char* setting = std::getenv("PULSE_LATENCY_MSEC");
    const long ms = std::clamp(setting ? std::strtol(setting, nullptr, 10) : 0L, 0L, 10000L);
    return ms > 0 ? (std::size_t(ms) * Sound::kSampleRate + 3999) / 4000 : kBufferFrames / 4;
}

struct Callback {
    const Sdl* f = nullptr;
    SDL_AudioDeviceID device = 0;
    std::size_t idleFrames = 0;
    std::size_t leadFrames = 0; // silence still to go before the first voice
    bool gone = false;
};

// From the callback: the helper should close the device, and open it again
// if gone and a voice wants it.
void requestClose(bool gone)
{
    State& s = state();
    std::lock_guard guard(s.lock);
    if (gone) {
        s.gone = true;
    } else if (mixer().idle()) {
        // Otherwise a voice started since wants the device again.
        s.wanted = false;
    }
    s.changed.notify_all();
}

void SDLCALL deviceCallback(void* userdata, Uint8* stream, int len)
{
    auto& cb = *static_cast<Callback*>(userdata);
    const std::size_t frames = static_cast<std::size_t>(len) / sizeof(int16_t);
    auto* out = reinterpret_cast<int16_t*>(stream);
    // SDL goes on calling a device whose server went away, at its pace but
    // into nothing; the mixer keeps time better itself.
    if (cb.gone || cb.f->GetAudioDeviceStatus(cb.device) == SDL_AUDIO_STOPPED) {
        std::fill_n(out, frames, int16_t(0));
        if (!std::exchange(cb.gone, true)) requestClose(true);
        return;
    }
    const std::size_t lead = std::min(frames, cb.leadFrames);
    cb.leadFrames -= lead;
    std::fill_n(out, lead, int16_t(0));
    const Mixer::Rendered rendered = mixer().render(out + lead, frames - lead);
    // A thread waiting for that sound need not wait for its timer.
    if (rendered.ended) threads::wakeParkedFromAnyThread();
    if (!rendered.idle) {
        cb.idleFrames = 0;
    } else if (cb.idleFrames < kIdleFrames && (cb.idleFrames += frames) >= kIdleFrames) {
        requestClose(false);
    }
}

// Opens the sound device; 0, with the reason in why, when there is none.
// Runs on the helper thread and may block there. up tells whether SDL's
// audio is initialised.
SDL_AudioDeviceID openDevice(bool& up, std::string& why)
{
    const Library& l = library();
    if (!l.error.empty()) {
        why = "cannot load the sound library: " + l.error;
        return 0;
    }
    const Sdl& f = l.f;
    if (!up) {
        // Otherwise SDL takes over SIGINT and SIGTERM and the program would not end on them.
        f.SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        up = f.InitSubSystem(SDL_INIT_AUDIO) == 0;
        if (!up) {
            why = f.GetError();
            return 0;
        }
    }
    const char* driver = f.GetCurrentAudioDriver();
    static Callback callback;
    callback = Callback{&f, 0, 0, leadFrames(driver), false};
    SDL_AudioSpec want{};
    want.freq = Sound::kSampleRate;
    want.format = AUDIO_S16SYS;
    want.channels = 1;
    want.samples = kBufferFrames;
    want.callback = deviceCallback;
    want.userdata = &callback;
    SDL_AudioSpec have{};
    // No allowed changes: SDL converts to whatever the hardware wants, so the
    // mixer and any capture see exactly this format.
    const SDL_AudioDeviceID device = f.OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device == 0) {
        why = f.GetError();
        // Down with it, so that the next open looks for a driver afresh.
        f.QuitSubSystem(SDL_INIT_AUDIO);
        up = false;
        return 0;
    }
    callback.device = device;
    f.PauseAudioDevice(device, 0);
    return device;
}

// What the helper thread does until it is told to end or is abandoned.
void helperLoop(uint64_t generation)
{
    State& s = state();
    bool up = false;
    std::unique_lock l(s.lock);
    while (s.generation == generation) {
        if (s.device != 0 && (!s.wanted || s.gone)) {
            const SDL_AudioDeviceID device = std::exchange(s.device, 0);
            s.gone = false;
            l.unlock();
            mixer().deviceOpen(false);
            library().f.CloseAudioDevice(device);
            l.lock();
        } else if (s.closing) {
            // SDL goes down too, so that the next open reads the environment afresh.
            l.unlock();
            if (up) library().f.QuitSubSystem(SDL_INIT_AUDIO);
            l.lock();
            break;
        } else if (s.wanted && s.device == 0) {
            std::string why;
            l.unlock();
            const SDL_AudioDeviceID device = openDevice(up, why);
            l.lock();
            if (s.generation != generation) {
                // Given up on while it blocked: the device is nobody's now.
                l.unlock();
                if (device) library().f.CloseAudioDevice(device);
                l.lock();
                break;
            }
            s.device = device;
            if (device) {
                mixer().deviceOpen(true);
            } else {
                // Looked for again by the next sound after a pause (Device::played).
                s.wanted = false;
                lose(std::move(why));
            }
        } else {
            s.changed.wait(l);
            continue;
        }
        s.changed.notify_all();
    }
    if (s.generation == generation) s.helper = false;
    s.changed.notify_all();
    l.unlock();
    // SDL keeps per-thread data (its error text) that only this frees.
    if (library().error.empty()) library().f.TLSCleanup();
}

// Asks for the device; never waits for it. Call with the lock held.
void want(State& s)
{
    s.wanted = true;
    s.changed.notify_all();
    if (s.helper) return;
    try {
        std::thread(helperLoop, s.generation).detach();
        s.helper = true;
    } catch (const std::system_error& e) {
        // Tried again by the next sound after a pause, as a device is.
        s.wanted = false;
        lose(std::string("cannot start the sound thread: ") + e.what());
    }
}

// The sound device through SDL, opened and closed by the helper thread.
class Device final : public Output {
public:
    void played(const Sound&, Clock::duration idleFor) override
    {
        State& s = state();
        std::lock_guard guard(s.lock);
        // Open or opening. A device that closes for idleness opens again;
        // while there is none, a sound after a pause looks for one again.
        if (s.wanted || (s.device == 0 && mixer().silent() && idleFor < kIdleTime)) return;
        want(s);
    }

    void open(bool wait) override
    {
        State& s = state();
        std::unique_lock l(s.lock);
        if (!s.wanted) want(s);
        if (wait) s.changed.wait(l, [&] { return s.device != 0 || !s.wanted; });
    }

    void close() override
    {
        State& s = state();
        std::unique_lock l(s.lock);
        s.wanted = false;
        s.closing = true;
        s.changed.notify_all();
        // Closing takes milliseconds; an open may block for good (a stalled sound
        // server), and the caller, often the exit, does not wait for that.
        if (!s.changed.wait_for(l, std::chrono::milliseconds(500), [&] { return !s.helper; })) {
            ++s.generation;
            s.helper = false;
            s.device = 0;
        }
        s.closing = false;
        s.gone = false;
        l.unlock();
        mixer().reset();
        told().silent = false;
    }
};

Device device;
Output* output = &device;

}

// SDL asks a PulseAudio server for one buffer (2.9 ms) of headroom, and a
// busy moment then leaves a hole in the sound; the environment is SDL2's
// only way to ask for more. The buffers SDL fills stay 128 frames, which
// keeps the gaps between sounds short. A value the user set stays.
const char* setServerLatency()
{
    static constexpr char kName[] = "PULSE_LATENCY_MSEC";
    if (std::getenv(kName)) return nullptr;
    return setenv(kName, kServerLatencyMs, 1) == 0 ? kName : nullptr;
}

void useOutput(Output* stand)
{
    output->close();
    output = stand ? stand : &device;
    mixer().reset();
    mixer().keepTime(output == &device);
}

void play(const Sound& sound, uint64_t id, Samples samples)
{
    // After the voice is in: a device closing because it saw no voice then
    // opens again.
    const Clock::duration idleFor = mixer().start(id, std::move(samples));
    output->played(sound, idleFor);
    tell();
}

int64_t remaining(uint64_t id)
{
    const int64_t frames = mixer().remaining(id);
    tell();
    return frames;
}

}

void AudioInit()
{
    audio::output->open(true);
}

void AudioInitInBackground()
{
    audio::output->open(false);
}

void AudioQuit()
{
    audio::output->close();
}
