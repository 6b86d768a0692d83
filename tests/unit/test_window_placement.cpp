// Where a window is put when shown: on one screen's available area, edges included.
#include <gtest/gtest.h>

#include <ostream>

#include "framework/WindowPlacement.h"

// Beside the type, where the test library looks for it.
static void PrintTo(const PlaceRect& r, std::ostream* os) { *os << r.x << "," << r.y << " " << r.w << "x" << r.h; }

namespace {

// A title bar and strip of 50 above, thin borders elsewhere.
constexpr PlaceEdges kEdges{2, 50, 2, 3};
const PlaceRect kSmall{0, 0, 800, 600};
const PlaceRect kRight{1600, 0, 1280, 800};
const PlaceRect kBelow{0, 600, 800, 600};

TEST(WindowPlacement, TheWholeWindowLandsOnTheAreaItIsMostlyOn)
{
    const struct {
        const char* name;
        PlaceRect content;
        std::vector<PlaceRect> areas;
        int32_t minW, minH;
        PlaceRect shown;
    } cases[] = {
        {"inside", {100, 100, 400, 120}, {kSmall}, 100, 60, {100, 100, 400, 120}},
        {"off the left", {-300, 100, 400, 120}, {kSmall}, 100, 60, {2, 100, 400, 120}},
        {"off the right", {700, 100, 400, 120}, {kSmall}, 100, 60, {398, 100, 400, 120}},
        {"title bar above the top", {100, 10, 400, 120}, {kSmall}, 100, 60, {100, 50, 400, 120}},
        {"off the bottom", {100, 550, 400, 120}, {kSmall}, 100, 60, {100, 477, 400, 120}},
        {"exactly fills it", {2, 50, 796, 547}, {kSmall}, 100, 60, {2, 50, 796, 547}},
        {"too big", {100, 100, 100000, 100000}, {kSmall}, 100, 60, {2, 50, 796, 547}},
        {"far off and huge", {-(1 << 20), 1 << 20, 32000, 32000}, {kSmall}, 100, 60, {2, 50, 796, 547}},
        {"from a bigger screen", {2500, 1800, 400, 120}, {kSmall}, 100, 60, {398, 477, 400, 120}},
        {"minimum beyond the area", {100, 100, 400, 120}, {kSmall}, 1000, 700, {2, 50, 1000, 700}},
        {"on the second screen", {1700, 100, 400, 120}, {kSmall, kRight}, 100, 60, {1700, 100, 400, 120}},
        {"mostly on the first", {700, 100, 400, 120}, {kSmall, kRight}, 100, 60, {398, 100, 400, 120}},
        {"mostly on the second", {1500, 100, 400, 120}, {kSmall, kRight}, 100, 60, {1602, 100, 400, 120}},
        {"below the second", {2000, 790, 400, 120}, {kSmall, kRight}, 100, 60, {2000, 677, 400, 120}},
        {"between screens, on neither", {1000, 100, 400, 120}, {kSmall, kRight}, 100, 60, {398, 100, 400, 120}},
        {"sized for the second", {1700, 100, 1276, 747}, {kSmall, kRight}, 100, 60, {1602, 50, 1276, 747}},
        {"beside the second, on neither", {2000, 1500, 400, 120}, {kSmall, kRight}, 100, 60, {398, 477, 400, 120}},
        // The title bar tips the balance: more of the whole window is on the upper screen.
        {"across two screens", {100, 560, 400, 100}, {kSmall, kBelow}, 100, 60, {100, 497, 400, 100}},
        {"mostly on the lower", {100, 590, 400, 100}, {kSmall, kBelow}, 100, 60, {100, 650, 400, 100}},
        {"a screen narrower than the frame", {100, 100, 400, 120}, {{0, 0, 3, 600}}, 0, 0, {2, 100, 1, 120}},
        {"no screen", {-300, 100, 400, 120}, {}, 100, 60, {-300, 100, 400, 120}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fitOnArea(c.content, kEdges, c.areas, c.minW, c.minH), c.shown) << c.name;
}

} // namespace
