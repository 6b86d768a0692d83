// Finds the program's beeps in audio recorded from a sound server (mono,
// signed 16-bit, 44,100 frames a second), tolerating holes: a beep whose
// samples come back after a run of inserted silence counts as one beep with a
// dropout, also when a piece of it was lost with the hole. The sounds come from the resource file named by QZ_RESOURCE_FILE.
//   bench_capture <capture> <first frame>
// prints: sounds, unknown stretches, dropouts (holes inside beeps), the span
// of the beeps against their own lengths, the gaps between them, and how long
// the capture has been silent at its end.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "framework/Resources.h"
#include "framework/Sound.h"

namespace {

struct Known {
    std::vector<int16_t> samples;
    std::size_t firstSound; // index of its first non-zero sample
};

// Enough matching samples to tell one beep from another.
constexpr std::size_t kPrefix = 64;
// Enough to find where a beep goes on after a hole.
constexpr std::size_t kResync = 16;

double ms(std::size_t frames) { return double(frames) * 1000.0 / Sound::kSampleRate; }

double median(std::vector<std::size_t> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v.size() % 2 ? ms(v[v.size() / 2]) : (ms(v[v.size() / 2 - 1]) + ms(v[v.size() / 2])) / 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench_capture <capture> <first frame>\n");
        return 2;
    }
    const auto fork = appResourceForkGetter();
    if (!fork) {
        std::fprintf(stderr, "bench_capture: no resource file (set QZ_RESOURCE_FILE)\n");
        return 2;
    }
    std::vector<Known> known;
    for (int32_t id = 168; id < 262; ++id) {
        const auto sound = fork->GetSound(id);
        if (!sound) continue;
        std::vector<int16_t> s(sound->Samples().begin(), sound->Samples().end());
        const auto first = std::find_if(s.begin(), s.end(), [](int16_t v) { return v != 0; });
        if (std::size_t(s.end() - first) >= kPrefix) known.push_back({s, std::size_t(first - s.begin())});
    }
    std::ifstream in(argv[1], std::ios::binary);
    in.seekg(std::streamoff(std::strtoull(argv[2], nullptr, 10) * 2));
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<int16_t> cap(bytes.size() / 2);
    std::copy_n(reinterpret_cast<const char*>(bytes.data()), cap.size() * 2, reinterpret_cast<char*>(cap.data()));

    struct Found {
        std::size_t start, end, own;
    };
    std::vector<Found> found;
    std::size_t unknown = 0, dropouts = 0, cut = 0, cutFrames = 0;
    for (std::size_t i = 0; i < cap.size();) {
        if (cap[i] == 0) {
            ++i;
            continue;
        }
        // A beep is known by kPrefix samples from its first sound; one whose
        // start was lost is found by the same samples further in.
        auto k = std::find_if(known.begin(), known.end(), [&](const Known& c) {
            return i >= c.firstSound && i + kPrefix <= cap.size() &&
                   std::equal(c.samples.begin() + std::ptrdiff_t(c.firstSound),
                              c.samples.begin() + std::ptrdiff_t(c.firstSound + kPrefix), cap.begin() + std::ptrdiff_t(i));
        });
        std::size_t j = k == known.end() ? 0 : k->firstSound;
        if (k == known.end() && i + kPrefix <= cap.size()) {
            for (k = known.begin(); k != known.end(); ++k) {
                const auto at = std::search(k->samples.begin() + std::ptrdiff_t(k->firstSound), k->samples.end(),
                                            cap.begin() + std::ptrdiff_t(i), cap.begin() + std::ptrdiff_t(i + kPrefix));
                if (at == k->samples.end() || std::size_t(at - k->samples.begin()) > i) continue;
                j = std::size_t(at - k->samples.begin());
                ++cut;
                cutFrames = std::max(cutFrames, j - k->firstSound);
                break;
            }
        }
        if (k == known.end()) {
            ++unknown;
            while (i < cap.size() && cap[i] != 0) ++i;
            continue;
        }
        // Walks the beep. A run of zeros where the beep has sound is a hole;
        // the beep goes on after it where the next samples are found again,
        // late (the server waited) or with a piece lost.
        const std::size_t start = i - j;
        while (j < k->samples.size() && i < cap.size()) {
            if (cap[i] == k->samples[j]) {
                ++i;
                ++j;
                continue;
            }
            if (cap[i] != 0) break;
            ++dropouts;
            while (i < cap.size() && cap[i] == 0) ++i;
            const std::size_t n = std::min<std::size_t>(kResync, cap.size() - i);
            const auto again = std::search(k->samples.begin() + std::ptrdiff_t(j), k->samples.end(),
                                           cap.begin() + std::ptrdiff_t(i), cap.begin() + std::ptrdiff_t(i + n));
            if (n == 0 || again == k->samples.end()) break;
            j = std::size_t(again - k->samples.begin());
        }
        if (j < k->samples.size()) {
            ++unknown; // damaged, or cut off by the end of the capture
            while (i < cap.size() && cap[i] != 0) ++i;
            continue;
        }
        found.push_back({start, i, k->samples.size()});
    }
    std::vector<std::size_t> gaps;
    std::size_t own = 0;
    for (std::size_t n = 0; n < found.size(); ++n) {
        own += found[n].own;
        if (n > 0) gaps.push_back(found[n].start - found[n - 1].end);
    }
    const std::size_t span = found.empty() ? 0 : found.back().end - found.front().start;
    const auto last = std::find_if(cap.rbegin(), cap.rend(), [](int16_t v) { return v != 0; });
    std::printf("sounds %zu unknown %zu dropouts %zu cut %zu cut_frames_max %zu ratio %.4f gap_median_ms %.2f gap_max_ms %.2f span_ms %.1f "
                "silent_tail_ms %.0f\n",
                found.size(), unknown, dropouts, cut, cutFrames, own ? double(span) / double(own) : 0.0, median(gaps),
                gaps.empty() ? 0.0 : ms(*std::max_element(gaps.begin(), gaps.end())), ms(span),
                ms(std::size_t(last - cap.rbegin())));
    return 0;
}
