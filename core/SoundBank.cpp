#include "core/SoundBank.h"

#include <algorithm>
#include <array>

#include "core/Window1.h"
#include "framework/Resources.h"
#include "framework/Thread.h"

namespace {

constexpr int32_t kFirstIdentifier = 168;

struct Item {
    std::string name;
    int32_t identifier;
    Ref<Sound> _snd;
};

std::array<Item, kCharacterSoundCount + 1>& items()
{
    static std::array<Item, kCharacterSoundCount + 1> table = [] {
        std::array<Item, kCharacterSoundCount + 1> t;
        for (int32_t n = 0; n < kCharacterSoundCount; ++n) {
            const char digits[] = {char('0' + n / 10), char('0' + n % 10), 0};
            t[static_cast<std::size_t>(n)] = Item{std::string("s") + digits, kFirstIdentifier + n, nullptr};
        }
        t[kSilenceItem] = Item{"silence", kFirstIdentifier + kSilenceItem, nullptr};
        return t;
    }();
    return table;
}

Item& item(int32_t n)
{
    if (n < 0 || n > kSilenceItem) throw OutOfBoundsException();
    return items()[static_cast<std::size_t>(n)];
}

Ref<Sound> get(Item& it)
{
    if (it._snd) return it._snd;
    auto fork = appResourceForkGetter();
    if (!fork) throw NilObjectException("resource file");
    // A nil result is cached too; it means "not loaded", so the next use fetches again.
    it._snd = fork->GetSound(it.identifier);
    return it._snd;
}

} // namespace

std::string SoundItemName(int32_t n) { return item(n).name; }

int32_t SoundItemIdentifier(int32_t n) { return item(n).identifier; }

Ref<Sound> CharacterSound(int32_t n)
{
    if (n < 0 || n >= kCharacterSoundCount) throw OutOfBoundsException();
    return get(item(n));
}

Ref<Sound> silence() { return get(item(kSilenceItem)); }

void ReleaseSoundItems()
{
    for (auto& it : items()) it._snd.reset();
}

Ref<Sound> CachedSoundItem(int32_t n) { return item(n)._snd; }

void LoadSounds(std::vector<Ref<Sound>>& beeps, Ref<Random>& r)
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
        beeps.push_back(At(sounds, At(order, i)));
        RuntimeBackgroundTask();
    }
}

void Window1::LoadSounds() { ::LoadSounds(beeps, r); }
