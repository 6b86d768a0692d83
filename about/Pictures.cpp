#include "about/Pictures.h"

#include <array>

#include "framework/Resources.h"

namespace {

constexpr int32_t kFirstIdentifier = 168;

std::array<Ref<Picture>, 4>& _permapic()
{
    static std::array<Ref<Picture>, 4> caches;
    return caches;
}

Ref<Picture> item(std::size_t n)
{
    auto& cache = _permapic().at(n);
    if (cache) return cache;
    auto fork = appResourceForkGetter();
    if (!fork) throw NilObjectException("resource file");
    cache = fork->GetPicture(kFirstIdentifier + static_cast<int32_t>(n));
    return cache;
}

} // namespace

Ref<Picture> AboutIcon() { return item(0); }
Ref<Picture> AboutMask() { return item(1); }
Ref<Picture> MwKvHzMd() { return item(2); }
Ref<Picture> MwKvHzMdMask() { return item(3); }

void ReleasePictureItems()
{
    for (auto& cache : _permapic()) cache.reset();
}

Ref<Picture> CachedPictureItem(int32_t n)
{
    if (n < 0 || n >= static_cast<int32_t>(_permapic().size())) throw OutOfBoundsException();
    return _permapic()[static_cast<std::size_t>(n)];
}
