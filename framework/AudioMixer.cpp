#include "framework/Audio_p.h"

#include <algorithm>

#include "framework/Sound.h"

namespace audio {

Clock::duration Mixer::start(uint64_t id, Samples samples)
{
    const Clock::time_point now = m_now();
    std::lock_guard guard(m_lock);
    catchUp(now);
    const bool wasIdle = m_voices.empty();
    const Clock::duration idleFor = wasIdle ? now - m_since : Clock::duration::zero();
    auto voice = std::find_if(m_voices.begin(), m_voices.end(), [id](const Voice& v) { return v.id == id; });
    // A sound without frames has nothing left for the device to take.
    if (samples.frames.empty()) {
        if (voice != m_voices.end()) m_voices.erase(voice);
        if (!wasIdle && m_voices.empty()) m_since = now;
    } else if (voice != m_voices.end()) {
        voice->position = 0;
    } else {
        m_voices.push_back(Voice{id, std::move(samples), 0});
    }
    if (wasIdle && !m_voices.empty()) {
        // Waiting for the device from now; a silent clock starts now too.
        m_since = m_silentFrom = now;
        m_silentTaken = 0;
    }
    return idleFor;
}

void Mixer::stop(uint64_t id)
{
    const Clock::time_point now = m_now();
    std::lock_guard guard(m_lock);
    if (std::erase_if(m_voices, [id](const Voice& v) { return v.id == id; }) && m_voices.empty()) m_since = now;
}

void Mixer::reset()
{
    const Clock::time_point now = m_now();
    std::lock_guard guard(m_lock);
    m_voices.clear();
    m_silent = false;
    m_since = now;
}

int64_t Mixer::remaining(uint64_t id)
{
    const Clock::time_point now = m_now();
    std::lock_guard guard(m_lock);
    catchUp(now);
    for (const Voice& v : m_voices) {
        if (v.id == id) return static_cast<int64_t>(v.samples.frames.size() - v.position);
    }
    return 0;
}

// Takes frames from every voice, mixed into out unless it is null; voices
// that end are dropped. True if one ended.
bool Mixer::take(std::size_t frames, int16_t* out)
{
    constexpr std::size_t kChunk = 512;
    int32_t sum[kChunk];
    for (std::size_t done = 0; done < frames;) {
        const std::size_t n = std::min(kChunk, frames - done);
        std::fill_n(sum, n, 0);
        for (Voice& v : m_voices) {
            const std::span<const int16_t> samples = v.samples.frames;
            const std::size_t take = std::min(n, samples.size() - v.position);
            if (out)
                for (std::size_t i = 0; i < take; ++i) sum[i] += samples[v.position + i];
            v.position += take;
        }
        if (out)
            for (std::size_t i = 0; i < n; ++i) out[done + i] = static_cast<int16_t>(std::clamp(sum[i], -32768, 32767));
        done += n;
    }
    // The Sound still holds its samples, so this frees nothing on the device thread.
    return std::erase_if(m_voices, [](const Voice& v) { return v.position >= v.samples.frames.size(); }) > 0;
}

Mixer::Rendered Mixer::render(int16_t* out, std::size_t frames)
{
    const Clock::time_point now = m_now();
    std::lock_guard guard(m_lock);
    m_silent = false;
    if (m_voices.empty()) {
        std::fill_n(out, frames, int16_t(0));
        return {false, true};
    }
    m_since = now;
    const bool ended = take(frames, out);
    return {ended, m_voices.empty()};
}

void Mixer::catchUp(Clock::time_point now)
{
    if (!m_keepTime || m_voices.empty()) return;
    if (!m_silent) {
        const Clock::time_point from = std::max(m_since + kPatience, m_openedAt + kStartPatience);
        if (now < from) return;
        m_silent = true;
        m_silentFrom = from;
        m_silentTaken = 0;
    }
    const auto elapsed = std::chrono::duration_cast<std::chrono::nanoseconds>(now - m_silentFrom).count();
    const int64_t due = elapsed * Sound::kSampleRate / 1000000000 - m_silentTaken;
    if (due <= 0) return;
    m_silentTaken += due;
    if (take(static_cast<std::size_t>(due), nullptr) && m_voices.empty()) m_since = now;
}

void Mixer::goSilent()
{
    const Clock::time_point now = m_now();
    std::lock_guard guard(m_lock);
    if (!m_keepTime || m_silent) return;
    m_silent = true;
    m_silentFrom = now;
    m_silentTaken = 0;
}

void Mixer::deviceOpen(bool open)
{
    const Clock::time_point now = m_now();
    std::lock_guard guard(m_lock);
    m_openedAt = open ? now : Clock::time_point::min();
}

void Mixer::keepTime(bool on)
{
    std::lock_guard guard(m_lock);
    m_keepTime = on;
    m_silent = m_silent && on;
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

}
