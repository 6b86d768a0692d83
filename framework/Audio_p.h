#pragma once
// The mixer behind Sound, and the output that takes its frames. One voice per
// playing sound; the device's callback takes frames from the mixer, and a
// voice ends when its last frame is taken.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

class Sound;

namespace audio {

using Clock = std::chrono::steady_clock;

// A voice's frames and the sound's copy of them, which keeps them alive.
struct Samples {
    std::span<const int16_t> frames;
    std::shared_ptr<const void> owner;
};

// While no device takes frames, the mixer keeps real time itself, in
// silence, so that sounds still end: from goSilent on, or once voices have
// waited kPatience for a device that took nothing. A server may hold a new
// stream back for longer (a null sink up to 2 s, a Bluetooth device while
// it wakes), so a device just opened gets kStartPatience. The device taking
// frames again ends the silence. Time is read through now, so that tests
// can set it.
class Mixer {
public:
    static constexpr auto kPatience = std::chrono::seconds(1);
    static constexpr auto kStartPatience = std::chrono::seconds(3);

    explicit Mixer(Clock::time_point (*now)() = Clock::now) : m_now(now), m_since(now()) {}
    // Starts the voice of sound id, or restarts it when it is playing.
    // Returns how long nothing had played before; zero if something was.
    Clock::duration start(uint64_t id, Samples samples);
    void stop(uint64_t id);
    // Ends every voice and stops keeping time.
    void reset();
    // Frames of sound id not yet taken; 0 when it has no voice.
    int64_t remaining(uint64_t id);
    struct Rendered {
        bool ended; // a voice took its last frame
        bool idle;  // no voice is left
    };
    // The device takes the next frames: the sum of all voices, saturated.
    Rendered render(int16_t* out, std::size_t frames);
    // True when no voice is playing.
    bool idle();

    void goSilent();
    // A device opened, or closed.
    void deviceOpen(bool open);
    // Whether the mixer keeps time itself because no device takes frames.
    bool silent() const { return m_silent; }
    // Off for an output that takes frames only when told to.
    void keepTime(bool on);

private:
    struct Voice {
        uint64_t id;
        Samples samples;
        std::size_t position;
    };
    bool take(std::size_t frames, int16_t* out);
    void catchUp(Clock::time_point now);

    Clock::time_point (*const m_now)();
    std::mutex m_lock;
    std::vector<Voice> m_voices;
    bool m_keepTime = true;
    std::atomic<bool> m_silent{false};
    // With voices: since when the device has taken nothing. Without: since
    // when nothing has played.
    Clock::time_point m_since;
    Clock::time_point m_openedAt = Clock::time_point::min();
    // The silent clock's start, and the frames it has taken since.
    Clock::time_point m_silentFrom;
    int64_t m_silentTaken = 0;
};

Mixer& mixer();

// Takes the mixer's frames. The program has one, the sound device; a test
// installs its own stand-in with useOutput.
class Output {
public:
    virtual ~Output() = default;
    // Sound started on the GUI thread after nothing played for idleFor; never waits.
    virtual void played(const Sound& sound, Clock::duration idleFor) = 0;
    // Asks for the device, and with wait, waits until it is open or known to be missing.
    virtual void open(bool wait) = 0;
    // Lets go of the device; may leave an open that blocks behind.
    virtual void close() = 0;
};
// nullptr returns to the sound device. Either way every voice ends.
void useOutput(Output* output);

// Sound's way in: the voice starts, and the device opens if it is closed.
void play(const Sound& sound, uint64_t id, Samples samples);
// Frames of sound id not yet taken; 0 when it has no voice.
int64_t remaining(uint64_t id);
// Sets the sound server's buffering in the environment, unless the user did;
// call before any thread starts. The variable it set, or null.
const char* setServerLatency();

}
