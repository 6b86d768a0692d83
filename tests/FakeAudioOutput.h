#pragma once
// A stand-in for the sound device that makes tests deterministic: frames are
// taken only by advance, through the mixer the device uses, so IsPlaying and
// RemainingFrames change only there; and every Play is logged. Installed for
// its lifetime; every voice ends when it comes and when it goes.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "framework/Audio_p.h"
#include "framework/Sound.h"

class FakeAudioOutput final : public audio::Output {
public:
    FakeAudioOutput() { audio::useOutput(this); }
    ~FakeAudioOutput() override { audio::useOutput(nullptr); }
    FakeAudioOutput(const FakeAudioOutput&) = delete;
    FakeAudioOutput& operator=(const FakeAudioOutput&) = delete;

    // The mixed output of the next frames, as the device would have received it.
    std::vector<int16_t> advance(int64_t frames)
    {
        std::vector<int16_t> out(static_cast<std::size_t>(std::max<int64_t>(frames, 0)));
        audio::mixer().render(out.data(), out.size());
        return out;
    }

    // Every Play, restarts included; for identity only.
    std::vector<const Sound*> plays;

    void played(const Sound& sound, audio::Clock::duration) override { plays.push_back(&sound); }
    void open(bool) override {}
    void close() override
    {
        audio::mixer().reset();
        plays.clear();
    }
};
