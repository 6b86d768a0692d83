// Reads audio captured with SDL's disk driver (mono, signed 16-bit, 44,100
// frames a second) and finds the program's sounds in it, sample for sample.
// The sounds come from the resource file named by QZ_RESOURCE_FILE.
//
//   qz_capture sounds <capture>             one line per sound: first frame, end frame, identifier
//   qz_capture played <capture>             as sounds, holes allowed: one more column, the number of
//                                           holes (part of the sound dropped or silence put in)
//   qz_capture check <capture> <text>       the text's sounds in order, silences counted from
//                                           the pauses; status 0 when they are what the text plays
//   qz_capture pace <capture>               span of the sounds against their own lengths, and the gaps
//   qz_capture latency <capture> <cmd...>   runs cmd (a key press), then waits for the first sound
//                                           sample after it; prints milliseconds
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "core/SoundBank.h"
#include "framework/Resources.h"
#include "framework/String.h"

namespace {

using Samples = std::vector<int16_t>;
constexpr int32_t kFirstIdentifier = 168;
constexpr int32_t kSilenceIdentifier = 262;

struct Known {
    int32_t identifier;
    Samples samples;
    std::size_t firstSound; // index of the first non-zero sample
};

struct Found {
    std::size_t start, end;
    int32_t identifier;
};

Samples readCapture(const char* path, std::size_t from = 0)
{
    std::ifstream in(path, std::ios::binary);
    in.seekg(std::streamoff(from * 2));
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    Samples out(bytes.size() / 2);
    std::memcpy(out.data(), bytes.data(), out.size() * 2);
    return out;
}

std::vector<Known> beeps()
{
    const auto fork = appResourceForkGetter();
    if (!fork) {
        std::fprintf(stderr, "qz_capture: no resource file (set QZ_RESOURCE_FILE)\n");
        std::exit(2);
    }
    std::vector<Known> out;
    for (int32_t id = kFirstIdentifier; id < kSilenceIdentifier; ++id) {
        const auto sound = fork->GetSound(id);
        if (!sound) continue;
        Samples s(sound->Samples().begin(), sound->Samples().end());
        const auto first = std::find_if(s.begin(), s.end(), [](int16_t v) { return v != 0; });
        if (first == s.end()) continue;
        out.push_back({id, s, std::size_t(first - s.begin())});
    }
    return out;
}

// Every beep in the capture, in order. A stretch of sound that is no beep is
// reported with identifier 0 and skipped up to the next silent sample.
std::vector<Found> findSounds(const Samples& capture, const std::vector<Known>& known)
{
    std::vector<Found> found;
    for (std::size_t i = 0; i < capture.size();) {
        if (capture[i] == 0) {
            ++i;
            continue;
        }
        bool matched = false;
        for (const Known& k : known) {
            if (i < k.firstSound) continue;
            const std::size_t start = i - k.firstSound;
            if (start + k.samples.size() > capture.size()) continue;
            if (!std::equal(k.samples.begin(), k.samples.end(), capture.begin() + std::ptrdiff_t(start))) continue;
            found.push_back({start, start + k.samples.size(), k.identifier});
            i = start + k.samples.size();
            matched = true;
            break;
        }
        if (!matched) {
            const std::size_t start = i;
            while (i < capture.size() && capture[i] != 0) ++i;
            found.push_back({start, i, 0});
        }
    }
    return found;
}

// Where a server ran dry it plays silence and drops what came late, or, when
// it can still take the silence back, only drops it: the sound arrives in
// pieces, with or without silence between them. The sounds hold no run of
// more than two zero samples, so a longer one is silence put in.
constexpr std::size_t kLongestZeroRun = 2;
// A sound's start, matched before any hole, so that a lost start is no hole.
constexpr std::size_t kWholeStart = 32;

struct Played {
    std::size_t start, end;
    int32_t identifier;
    std::size_t holes;
};

// Matches the capture from `at` against a known sound, piece by piece: the
// first piece starts at the sound's first sound sample, each later one
// further on in the sound, and the last ends with its last sound sample,
// followed by the sound's closing silence. A piece of a periodic stretch fits
// in several places; each is tried.
bool matchPieces(const Samples& capture, std::size_t at, const Known& k, Played& out)
{
    const auto last = std::find_if(k.samples.rbegin(), k.samples.rend(), [](int16_t v) { return v != 0; });
    const std::size_t soundEnd = std::size_t(k.samples.rend() - last), closing = k.samples.size() - soundEnd;
    std::set<std::pair<std::size_t, std::size_t>> failed;
    std::size_t holes = 0;
    std::function<bool(std::size_t, std::size_t)> follow = [&](std::size_t pos, std::size_t offset) {
        while (pos < capture.size() && offset < soundEnd && capture[pos] == k.samples[offset]) ++pos, ++offset;
        if (offset == soundEnd) {
            const std::size_t upTo = std::min(capture.size(), pos + closing);
            if (!std::all_of(capture.begin() + std::ptrdiff_t(pos), capture.begin() + std::ptrdiff_t(upTo),
                             [](int16_t v) { return v == 0; }))
                return false;
            out = {at - k.firstSound, pos + closing, k.identifier, holes};
            return true;
        }
        if (offset < k.firstSound + kWholeStart) return false;
        std::size_t zeros = 0;
        while (pos + zeros < capture.size() && capture[pos + zeros] == 0) ++zeros;
        if (pos + zeros == capture.size()) return false;
        pos += zeros;
        if (!failed.insert({pos, offset}).second) return false;
        // The next piece, up to the next silence put in, is somewhere further
        // on in the sound: without silence before it, at least a frame further.
        std::size_t piece = 0;
        for (std::size_t run = 0; pos + piece < capture.size() && piece < 64; ++piece) {
            run = capture[pos + piece] == 0 ? run + 1 : 0;
            if (run > kLongestZeroRun) {
                piece -= run - 1;
                break;
            }
        }
        ++holes;
        for (std::size_t next = zeros > 0 ? offset : offset + 1; next + piece <= soundEnd; ++next)
            if (std::equal(capture.begin() + std::ptrdiff_t(pos), capture.begin() + std::ptrdiff_t(pos + piece),
                           k.samples.begin() + std::ptrdiff_t(next)) &&
                follow(pos, next))
                return true;
        --holes;
        return false;
    };
    return follow(at, k.firstSound);
}

std::vector<Played> findPlayed(const Samples& capture, const std::vector<Known>& known)
{
    std::vector<Played> found;
    for (std::size_t i = 0; i < capture.size();) {
        if (capture[i] == 0) {
            ++i;
            continue;
        }
        Played p{};
        if (std::any_of(known.begin(), known.end(),
                        [&](const Known& k) { return i >= k.firstSound && matchPieces(capture, i, k, p); })) {
            found.push_back(p);
            i = p.end;
            continue;
        }
        const std::size_t start = i;
        while (i < capture.size() && capture[i] != 0) ++i;
        found.push_back({start, i, 0, 0});
    }
    return found;
}

std::string tokens(const std::vector<std::string>& list)
{
    std::string out;
    for (const auto& t : list) out += (out.empty() ? "" : " ") + t;
    return out;
}

// Sounds as identifiers, with one "_" per silence sound that fits in each pause.
int check(const char* capturePath, const char* text)
{
    std::vector<Ref<Sound>> dealt;
    Ref<Random> r;
    LoadSounds(dealt, r);
    std::vector<std::string> expected;
    const String spoken(text);
    for (char32_t c : spoken.Chars()) {
        if (c < 33 || c > 126) {
            expected.push_back("_");
            continue;
        }
        for (int32_t n = 0; n < kCharacterSoundCount; ++n)
            if (CachedSoundItem(n) == dealt.at(c - 33)) expected.push_back(std::to_string(SoundItemIdentifier(n)));
    }
    const int64_t silenceFrames = silence() ? silence()->LengthFrames() : 4410;

    const auto found = findSounds(readCapture(capturePath), beeps());
    std::vector<std::string> heard;
    for (std::size_t i = 0; i < found.size(); ++i) {
        if (i > 0) {
            const int64_t pause = int64_t(found[i].start) - int64_t(found[i - 1].end);
            for (int64_t n = pause / silenceFrames; n > 0; --n) heard.push_back("_");
        }
        heard.push_back(found[i].identifier ? std::to_string(found[i].identifier) : "?");
    }
    // Silences before the first and after the last sound leave no trace.
    while (!expected.empty() && expected.front() == "_") expected.erase(expected.begin());
    while (!expected.empty() && expected.back() == "_") expected.pop_back();
    std::printf("expected %s\nheard    %s\n", tokens(expected).c_str(), tokens(heard).c_str());
    return heard == expected ? 0 : 1;
}

double ms(int64_t frames) { return double(frames) * 1000.0 / Sound::kSampleRate; }

int pace(const char* capturePath)
{
    const auto found = findSounds(readCapture(capturePath), beeps());
    if (found.size() < 2) {
        std::fprintf(stderr, "qz_capture: fewer than two sounds in the capture\n");
        return 1;
    }
    int64_t own = 0;
    std::vector<int64_t> gaps;
    for (std::size_t i = 0; i < found.size(); ++i) {
        own += int64_t(found[i].end - found[i].start);
        if (i > 0) gaps.push_back(int64_t(found[i].start) - int64_t(found[i - 1].end));
    }
    const int64_t span = int64_t(found.back().end - found.front().start);
    std::vector<int64_t> sorted = gaps;
    std::sort(sorted.begin(), sorted.end());
    const double median = sorted.size() % 2 ? ms(sorted[sorted.size() / 2])
                                            : (ms(sorted[sorted.size() / 2 - 1]) + ms(sorted[sorted.size() / 2])) / 2;
    int64_t total = 0;
    for (int64_t g : gaps) total += g;
    std::printf("sounds %zu unknown %zd\n", found.size(),
                std::count_if(found.begin(), found.end(), [](const Found& f) { return f.identifier == 0; }));
    std::printf("span_ms %.1f own_ms %.1f ratio %.4f\n", ms(span), ms(own), double(span) / double(own));
    std::printf("gap_median_ms %.2f gap_mean_ms %.2f gap_max_ms %.2f gaps_zero %zd of %zu\n", median,
                ms(total) / double(gaps.size()), ms(sorted.back()), std::count(gaps.begin(), gaps.end(), 0),
                gaps.size());
    return 0;
}

std::size_t framesIn(const char* path)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    return in ? std::size_t(in.tellg()) / 2 : 0;
}

int latency(const char* capturePath, char** command)
{
    using Clock = std::chrono::steady_clock;
    const std::size_t before = framesIn(capturePath);
    const auto sent = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execvp(command[0], command);
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    const auto returned = Clock::now();
    for (std::size_t checked = before;;) {
        const Samples fresh = readCapture(capturePath, checked);
        const auto first = std::find_if(fresh.begin(), fresh.end(), [](int16_t v) { return v != 0; });
        if (first != fresh.end()) {
            const auto seen = Clock::now();
            const std::size_t frame = checked + std::size_t(first - fresh.begin());
            const auto since = [seen](Clock::time_point t) {
                return std::chrono::duration<double, std::milli>(seen - t).count();
            };
            std::printf("key_sent_to_sample_written_ms %.1f key_returned_to_sample_written_ms %.1f "
                        "device_frames_ms %.1f\n",
                        since(sent), since(returned), ms(int64_t(frame - before)));
            return 0;
        }
        checked += fresh.size();
        if (Clock::now() - sent > std::chrono::seconds(10)) {
            std::fprintf(stderr, "qz_capture: no sound within 10 s\n");
            return 1;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}

int usage()
{
    std::fprintf(stderr, "usage: qz_capture sounds <capture> | played <capture> | check <capture> <text> | "
                         "pace <capture> | "
                         "latency <capture> <cmd...>\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) return usage();
    const std::string mode = argv[1];
    if (mode == "sounds" && argc == 3) {
        for (const Found& f : findSounds(readCapture(argv[2]), beeps()))
            std::printf("%zu %zu %d\n", f.start, f.end, f.identifier);
        return 0;
    }
    if (mode == "played" && argc == 3) {
        for (const Played& p : findPlayed(readCapture(argv[2]), beeps()))
            std::printf("%zu %zu %d %zu\n", p.start, p.end, p.identifier, p.holes);
        return 0;
    }
    if (mode == "check" && argc == 4) return check(argv[2], argv[3]);
    if (mode == "pace" && argc == 3) return pace(argv[2]);
    if (mode == "latency" && argc >= 4) return latency(argv[2], argv + 3);
    return usage();
}
