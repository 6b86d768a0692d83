#include "about/Pictures.h"

void ReleasePictureItems() {}
