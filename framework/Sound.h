#pragma once
// Sounds and the audio output. Every sound is mono, signed 16-bit, 44,100
// frames a second, which is also the format of the one output device; SDL
// converts for the hardware. Call these from the GUI thread.
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "framework/Object.h"

class Sound : public Object {
public:
    static constexpr int32_t kSampleRate = 44100;

    // The samples never change; copies of a Ref<Sound> share them.
    explicit Sound(std::vector<int16_t> samples);
    // A sound that is destroyed while it plays falls silent.
    ~Sound() override;

    // A RIFF/WAVE file holding 16-bit PCM, one channel, 44,100 Hz, its
    // samples copied; nil for anything else, including damaged or truncated data.
    static Ref<Sound> FromWav(std::span<const uint8_t> bytes);

    // Starts the sound and returns at once, opening the output device if
    // AudioInit has not. Each sound has one voice: playing a sound that is
    // still playing restarts it from its first sample.
    void Play();
    // True from Play until the device has taken the sound's last sample, or
    // without a device, until the sound's length has passed in silence.
    // Asked from a cooperative thread, it lets that thread's next yield sleep
    // until the sound ends instead of polling.
    bool IsPlaying() const;
    void Stop();

    int64_t LengthFrames() const;
    // Frames the device has not yet taken; 0 when the sound is not playing.
    // Dividing by kSampleRate gives about how long it has left.
    int64_t RemainingFrames() const;
    std::span<const int16_t> Samples() const;

private:
    const uint64_t m_id;
    std::span<const int16_t> m_samples;
    std::shared_ptr<const void> m_owner;
};

// Opens the output device and waits until it is open; does nothing when it
// is open already. Without a usable device, sounds keep their time in
// silence, and one line on standard error says so; another says when sound
// is back.
void AudioInit();
// AudioInit on a helper thread, so that windows appear without waiting for
// the sound system. Play never waits for the device either: a sound played
// before the device is open plays (and IsPlaying stays true) once it opens,
// or in silence if it has not taken a frame within a second.
// The device closes after a quarter of a second with nothing playing; the
// next Play opens it again, and looks again for a device that was missing.
void AudioInitInBackground();
// Closes the device and silences every sound. A later Play opens it again.
// An open that is still blocked (a stalled sound server) is given up, not
// waited for.
void AudioQuit();
