// Time per paint of the main window's look at 400 x 120 and 2000 x 1200:
// Draw into an off-screen picture, a whole paint of the window's surface, and
// one resize step as a grip drag makes it. Each is also given as a ratio to one
// full-size fill of a picture, measured in the same run: the least a paint costs.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/Window1.h"
#include "framework/Application.h"
#include "framework/Sound.h"
#include "framework/Window_p.h"

namespace {

struct Figure {
    double median, p90; // microseconds
};

// Runs the step until it has run 30 times and for 0.3 s, or 2,000 times.
Figure measure(const std::function<void()>& step)
{
    for (int i = 0; i < 5; ++i) step();
    std::vector<double> us;
    QElapsedTimer total;
    total.start();
    while ((us.size() < 30 || total.elapsed() < 300) && us.size() < 2000) {
        QElapsedTimer t;
        t.start();
        step();
        us.push_back(static_cast<double>(t.nsecsElapsed()) / 1000.0);
    }
    std::sort(us.begin(), us.end());
    return {us[us.size() / 2], us[us.size() * 9 / 10]};
}

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    const auto config = std::filesystem::temp_directory_path() / ("qz-bench-paint-" + std::to_string(getpid()));
    std::filesystem::create_directories(config);
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    if (!RuntimeInit(argc, argv)) return 1;
    int status = 0;
    try {
        auto w = Window1::Instance();
        QWidget* surface = w->priv().content;
        std::printf("%-12s %-34s %12s %12s %10s\n", "size", "step", "median us", "p90 us", "x fill");
        for (const auto& dims : {std::pair{400, 120}, std::pair{2000, 1200}}) {
            // No structured binding: clang 14 cannot capture one in a lambda.
            const int width = dims.first, height = dims.second;
            w->SetWidth(width);
            w->SetHeight(height);
            QCoreApplication::processEvents();
            auto picture = NewPicture(width, height, 32);
            auto g = picture->Graphics();
            const Figure fill = measure([&] { g->FillRect(0, 0, width, height); });
            const Figure draw = measure([&] { w->Draw(*g); });
            const Figure paint = measure([&] { surface->repaint(); });
            // Out and back by one pixel each way: each half sets both sizes.
            const Figure resize = measure([&] {
                w->ResizeWindow(1, 1);
                w->ResizeWindow(-1, -1);
                QCoreApplication::processEvents();
            });
            const std::string size = std::to_string(width) + " x " + std::to_string(height);
            const auto row = [&](const char* step, Figure f, double per) {
                std::printf("%-12s %-34s %12.1f %12.1f %10.1f\n", size.c_str(), step, f.median / per, f.p90 / per,
                            f.median / per / fill.median);
            };
            row("one full-size fill (baseline)", fill, 1);
            row("Draw into a picture", draw, 1);
            row("paint of the window's surface", paint, 1);
            row("resize step (two sizes, repaint)", resize, 2);
        }
        w->Close();
        QCoreApplication::processEvents();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_paint: %s\n", e.what());
        status = 1;
    }
    AudioQuit();
    RuntimeExit();
    std::filesystem::remove_all(config);
    return status;
}
