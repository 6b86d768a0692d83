#include "core/SoundBank.h"

#include <algorithm>
#include <array>

#include "core/Window1.h"
#include "framework/Resources.h"
#include "framework/Thread.h"

namespace {

constexpr int32_t kFirstIdentifier = 168;
constexpr int32_t kSilenceItem = kCharacterSoundCount; // silence follows s93, identifier 262

std::array<Ref<Sound>, kCharacterSoundCount + 1>& caches()
{
    static std::array<Ref<Sound>, kCharacterSoundCount + 1> c;
    return c;
}

Ref<Sound> item(int32_t n)
{
    auto& cache = caches().at(static_cast<std::size_t>(n));
    if (cache) return cache;
    auto fork = appResourceForkGetter();
    if (!fork) throw NilObjectException("resource file");
    // A nil result is cached too; it means "not loaded", so the next use fetches again.
    cache = fork->GetSound(kFirstIdentifier + n);
    return cache;
}

} // namespace

Ref<Sound> CharacterSound(int32_t n)
{
    if (n < 0 || n >= kCharacterSoundCount) throw OutOfBoundsException();
    return item(n);
}

Ref<Sound> silence() { return item(kSilenceItem); }

void ReleaseSoundItems()
{
    for (auto& cache : caches()) cache.reset();
}

Ref<Sound> CachedSoundItem(int32_t n) { return caches().at(static_cast<std::size_t>(n)); }

void Window1::LoadSounds()
{
    std::vector<Ref<Sound>> sounds;
    for (int32_t n = 0; n < kCharacterSoundCount; ++n) sounds.push_back(CharacterSound(n));

    r = std::make_shared<Random>();
    r->Seed(0.0);

    // Rejection sampling: draw until a value not yet taken comes up.
    std::vector<int32_t> order;
    for (int32_t i = 0; i <= Ubound(sounds); ++i) {
        for (;;) {
            const int32_t n = r->InRange(0, Ubound(sounds));
            if (std::find(order.begin(), order.end(), n) != order.end()) {
                RuntimeBackgroundTask();
                continue;
            }
            order.push_back(n);
            RuntimeBackgroundTask();
            break;
        }
    }

    for (int32_t i = 0; i <= Ubound(sounds); ++i) {
        beeps.push_back(sounds[static_cast<std::size_t>(order[static_cast<std::size_t>(i)])]);
        RuntimeBackgroundTask();
    }
}
