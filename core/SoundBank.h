#pragma once
// The sound items: s00 to s93 (the character sounds) and silence, each fetched
// from the resource file on first use and cached until shut-down.
#include <cstdint>
#include <string>
#include <vector>

#include "framework/Random.h"
#include "framework/Sound.h"

inline constexpr int32_t kCharacterSoundCount = 94;
// Items are numbered in item order: 0..93 are s00..s93, 94 is silence.
inline constexpr int32_t kSilenceItem = kCharacterSoundCount;

// The item's name ("s00".."s93", "silence") and resource identifier (168..262).
std::string SoundItemName(int32_t n);
int32_t SoundItemIdentifier(int32_t n);

// The getter of item n of s00..s93. Raises NilObjectException when there is no
// resource file; nil (cached, so fetched again next time) when the sound is missing.
Ref<Sound> CharacterSound(int32_t n);
// The getter of the item silence.
Ref<Sound> silence();
// Releases every item, in item order: s00 ... s93, then silence.
void ReleaseSoundItems();
// What the cache of item n holds now; for tests.
Ref<Sound> CachedSoundItem(int32_t n);

// The body of Window1.LoadSounds, working on the window's beeps and r; apart
// from the window so that it can be checked without one.
void LoadSounds(std::vector<Ref<Sound>>& beeps, Ref<Random>& r);
