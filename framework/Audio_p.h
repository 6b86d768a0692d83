#pragma once
// The mixer behind Sound. One voice per playing sound; the device's callback
// takes frames from it, and a voice ends when its last frame is taken.
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

namespace audio {

// A voice's frames and whatever keeps them alive: the sound's own copy, or
// the mapped resource file they lie in.
struct Samples {
    std::span<const int16_t> frames;
    std::shared_ptr<const void> owner;
};

class Mixer {
public:
    // Starts the voice of sound id, or restarts it when it is playing.
    void start(uint64_t id, Samples samples);
    void stop(uint64_t id);
    void stopAll();
    // Frames of sound id not yet taken; 0 when it has no voice.
    int64_t remaining(uint64_t id);
    struct Rendered {
        bool ended; // a voice took its last frame
        bool idle;  // no voice is left
    };
    // Fills out with the next frames: the sum of all voices, saturated.
    Rendered render(int16_t* out, std::size_t frames);
    // True when no voice is playing.
    bool idle();

private:
    struct Voice {
        uint64_t id;
        Samples samples;
        std::size_t position;
    };
    std::mutex m_lock;
    std::vector<Voice> m_voices;
    void startVoice(uint64_t id, Samples samples);
};

Mixer& mixer();

// Asks for the device if it is not open; never waits for it. Voices started
// meanwhile wait in the mixer until it opens.
void ensureOutput();
// Whether a started sound gets a voice; false when no device could be opened.
bool outputAvailable();
void logPlay(const void* sound);
// Sets the sound server's buffering in the environment; call before any thread starts.
void setServerLatency();

}
