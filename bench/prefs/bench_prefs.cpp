// Times writing and reading the preferences file for 1,000 and 10,000 entries.
// The 10x ratio shows whether the cost grows linearly (about 10) or worse.
// Then reads a damaged 1 MB file, whose values run over the entries after them,
// against a well-formed one of the same size.
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "framework/MsgBox.h"
#include "prefs/Preferences.h"

namespace {

double bestMilliseconds(int runs, const std::function<void()>& work)
{
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}

struct Figures {
    double write = 0;
    double read = 0;
};

Figures measure(int entries)
{
    auto source = std::make_shared<Preferences>();
    source->Filename = "bench-" + std::to_string(entries) + ".plist";
    for (int i = 0; i < entries; ++i) source->Put("Window" + Str(i) + ".Setting", Int32ToVariant(i * 7));
    Figures f;
    f.write = bestMilliseconds(5, [&] { source->WriteFile(); });
    f.read = bestMilliseconds(5, [&] {
        auto target = std::make_shared<Preferences>();
        target->Filename = source->Filename;
        target->ReadFile();
    });
    return f;
}

double readMilliseconds(const char* folder, const std::string& name, const std::string& unit)
{
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>";
    for (int i = 0; text.size() + unit.size() + 40 < 1000000; ++i) {
        text += unit;
        if (unit.find("%d") != std::string::npos) text.replace(text.find("%d"), 2, std::to_string(i));
    }
    text += "</string>\n\t</dict>\n</plist>\n";
    text.resize(1000000, '\n');
    std::ofstream(std::string(folder) + "/" + name, std::ios::binary) << text;
    return bestMilliseconds(5, [&] {
        auto target = std::make_shared<Preferences>();
        target->Filename = name;
        target->ReadFile();
    });
}

} // namespace

int main()
{
    char pattern[] = "/tmp/qz-bench-prefs-XXXXXX";
    if (!mkdtemp(pattern)) {
        std::perror("mkdtemp");
        return 0;
    }
    setenv("XDG_CONFIG_HOME", pattern, 1);
    int messages = 0;
    SetMsgBoxSink([&](const String& m) {
        ++messages;
        std::fprintf(stderr, "message: %s\n", m.ToUtf8().c_str());
    });

    const Figures small = measure(1000);
    const Figures large = measure(10000);
    std::printf("entries   write ms   read ms\n");
    std::printf("%7d %10.3f %9.3f\n", 1000, small.write, small.read);
    std::printf("%7d %10.3f %9.3f\n", 10000, large.write, large.read);
    std::printf("10x ratio %8.2f %9.2f   (about 10 when linear)\n", large.write / small.write, large.read / small.read);

    const double wellFormed = readMilliseconds(pattern, "good.plist", "</string>\n\t<key>Window%d.Top</key>\n\t\n\t<string>40");
    const double repeated = readMilliseconds(pattern, "repeated.plist", "<key>k</key><string>");
    const double distinct = readMilliseconds(pattern, "distinct.plist", "<key>k%d</key><string>");
    std::printf("\n1 MB file                 read ms   x well-formed   (target: at most 2)\n");
    std::printf("well-formed             %9.3f\n", wellFormed);
    std::printf("damaged, one key        %9.3f %10.2f\n", repeated, repeated / wellFormed);
    std::printf("damaged, distinct keys  %9.3f %10.2f\n", distinct, distinct / wellFormed);
    if (messages) std::printf("%d message(s) shown; the figures may not mean anything\n", messages);

    std::error_code ignored;
    std::filesystem::remove_all(pattern, ignored);
    return 0;
}
