#include "framework/WindowPlacement.h"

#include <algorithm>

namespace {

int64_t overlap(int64_t a, int64_t aLen, int64_t b, int64_t bLen)
{
    return std::max<int64_t>(0, std::min(a + aLen, b + bLen) - std::max(a, b));
}

// Size and start of the window along one axis, edges included.
void fitAxis(int32_t& pos, int32_t& len, int32_t before, int32_t after, int32_t areaPos, int32_t areaLen,
             int32_t minLen)
{
    const int64_t room = int64_t(areaLen) - before - after;
    len = int32_t(std::max<int64_t>(std::max(1, minLen), std::min<int64_t>(len, room)));
    const int64_t outerLen = int64_t(len) + before + after;
    int64_t outer = int64_t(pos) - before;
    if (outerLen <= areaLen) outer = std::clamp<int64_t>(outer, areaPos, int64_t(areaPos) + areaLen - outerLen);
    else outer = areaPos;
    pos = int32_t(outer + before);
}

} // namespace

PlaceRect fitOnArea(PlaceRect content, PlaceEdges edges, const std::vector<PlaceRect>& areas, int32_t minW,
                    int32_t minH)
{
    if (areas.empty()) return content;
    const int64_t ox = int64_t(content.x) - edges.left, oy = int64_t(content.y) - edges.top;
    const int64_t ow = int64_t(content.w) + edges.left + edges.right, oh = int64_t(content.h) + edges.top + edges.bottom;
    const PlaceRect* best = &areas.front();
    int64_t bestShared = 0;
    for (const auto& a : areas) {
        const int64_t shared = overlap(ox, ow, a.x, a.w) * overlap(oy, oh, a.y, a.h);
        if (shared > bestShared) {
            bestShared = shared;
            best = &a;
        }
    }
    fitAxis(content.x, content.w, edges.left, edges.right, best->x, best->w, minW);
    fitAxis(content.y, content.h, edges.top, edges.bottom, best->y, best->h, minH);
    return content;
}
