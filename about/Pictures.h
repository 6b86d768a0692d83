#pragma once
// The picture items of the About window, fetched on first use and cached until shut-down.
#include "framework/Graphics.h"

Ref<Picture> AboutIcon();
Ref<Picture> AboutMask();
Ref<Picture> MwKvHzMd();
Ref<Picture> MwKvHzMdMask();
// Releases the four items in the order AboutIcon, AboutMask, MwKvHzMd, MwKvHzMdMask.
void ReleasePictureItems();
