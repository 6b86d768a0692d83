#pragma once
// The picture items of the About window, fetched on first use and cached until shut-down.
// Each accessor raises NilObjectException when there is no resource file and gives
// nil when the file lacks the picture; a nil is fetched again on the next use.
#include "framework/Graphics.h"

Ref<Picture> AboutIcon();    // picture 168
Ref<Picture> AboutMask();    // picture 169
Ref<Picture> MwKvHzMd();     // picture 170, the badge
Ref<Picture> MwKvHzMdMask(); // picture 171
// Releases the four items in the order AboutIcon, AboutMask, MwKvHzMd, MwKvHzMdMask.
void ReleasePictureItems();
// What the cache of item n (0 AboutIcon ... 3 MwKvHzMdMask) holds now; for tests.
Ref<Picture> CachedPictureItem(int32_t n);
