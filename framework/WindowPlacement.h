#pragma once
// Where a window goes when it is shown; plain arithmetic, no toolkit.
#include <cstdint>
#include <vector>

struct PlaceRect {
    int32_t x = 0, y = 0, w = 0, h = 0;
    bool operator==(const PlaceRect&) const = default;
};

// What surrounds a window's content on each side: the menu strip and the
// window manager's frame with its title bar.
struct PlaceEdges {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};

// The content rectangle to show so that the whole window, edges included, lies
// on one available area: the area it overlaps most, else the first (the main
// screen's). The content shrinks to fit, never below minW x minH. A window that
// still does not fit keeps its left and top edges, with the title bar, on the area.
PlaceRect fitOnArea(PlaceRect content, PlaceEdges edges, const std::vector<PlaceRect>& areas, int32_t minW,
                    int32_t minH);
