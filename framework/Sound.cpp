#include "framework/Sound.h"

#include <atomic>

#include "framework/Audio_p.h"
#include "framework/SoundWav_p.h"
#include "framework/Thread.h"

namespace {

// Voices are keyed by a number rather than the object's address, which a
// later Sound may reuse.
uint64_t nextSoundId()
{
    static std::atomic<uint64_t> next{1};
    return next++;
}

}

Sound::Sound(std::vector<int16_t> samples) : m_id(nextSoundId())
{
    auto owned = std::make_shared<const std::vector<int16_t>>(std::move(samples));
    m_samples = *owned;
    m_owner = std::move(owned);
}

Ref<Sound> Sound::FromWav(std::span<const uint8_t> bytes)
{
    const auto data = audio::wavSampleBytes(bytes);
    if (!data) return nullptr;
    std::vector<int16_t> samples(data->size() / 2);
    const uint8_t* d = data->data();
    for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<int16_t>(d[2 * i] | d[2 * i + 1] << 8);
    return std::make_shared<Sound>(std::move(samples));
}

Sound::~Sound()
{
    audio::mixer().stop(m_id);
}

void Sound::Play()
{
    audio::play(*this, m_id, {m_samples, m_owner});
}

bool Sound::IsPlaying() const
{
    const int64_t remaining = RemainingFrames();
    // A cooperative thread that polls a playing sound may sleep until about
    // its end; the device wakes it sooner when the sound ends.
    if (remaining > 0) ThreadMayParkFor(std::chrono::microseconds(remaining * 1000000 / kSampleRate));
    return remaining > 0;
}

void Sound::Stop()
{
    audio::mixer().stop(m_id);
}

int64_t Sound::LengthFrames() const
{
    return static_cast<int64_t>(m_samples.size());
}

int64_t Sound::RemainingFrames() const
{
    return audio::remaining(m_id);
}

std::span<const int16_t> Sound::Samples() const
{
    return m_samples;
}
