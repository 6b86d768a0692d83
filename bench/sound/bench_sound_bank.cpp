// What building the sound bank costs when the main window opens: the 94
// fetches from the resource file and the dealing, each run from empty caches.
// Also the first fetch alone, which reads the resource file.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "core/SoundBank.h"

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point t) { return std::chrono::duration<double, std::milli>(Clock::now() - t).count(); }

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

} // namespace

int main()
{
    auto start = Clock::now();
    if (!CharacterSound(0)) {
        std::fprintf(stderr, "bench_sound_bank: no sounds (set QZ_RESOURCE_FILE)\n");
        return 1;
    }
    const double firstFetch = msSince(start);
    ReleaseSoundItems();

    constexpr int kRuns = 50;
    std::vector<double> loads;
    for (int i = 0; i < kRuns; ++i) {
        std::vector<Ref<Sound>> beeps;
        Ref<Random> r;
        start = Clock::now();
        LoadSounds(beeps, r);
        loads.push_back(msSince(start));
        ReleaseSoundItems();
    }
    std::printf("sound bank, in process (%d runs from empty caches)\n", kRuns);
    std::printf("  first fetch, resource file read:  %7.2f ms\n", firstFetch);
    std::printf("  LoadSounds (94 fetches + dealing): %7.2f ms median, %.2f ms best\n", median(loads),
                *std::min_element(loads.begin(), loads.end()));
    return 0;
}
