#pragma once
// The sound items: s00 to s93 (the character sounds) and silence, each fetched
// from the resource file on first use and cached until shut-down.
#include <cstdint>

#include "framework/Sound.h"

inline constexpr int32_t kCharacterSoundCount = 94;

// Item n of s00..s93 (identifier 168 + n). Raises NilObjectException when there
// is no resource file; nil (cached, so fetched again next time) when the sound is missing.
Ref<Sound> CharacterSound(int32_t n);
// The item silence (identifier 262).
Ref<Sound> silence();
// Releases every item, in item order: s00 ... s93, then silence.
void ReleaseSoundItems();
// What the cache of item n holds now (0..93 character sounds, 94 silence); for tests.
Ref<Sound> CachedSoundItem(int32_t n);
