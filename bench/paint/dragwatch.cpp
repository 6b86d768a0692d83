// Drives a resize drag at a fixed rate and watches the window follow it.
//   dragwatch <window> <pid> <x0> <y0> <dx> <dy> <steps> <hz>
// Button 1 must already be held down on the grip at x0, y0 (xdotool mousedown).
// Moves the pointer by dx, dy per step, steps times at hz steps a second, and
// reads the window's size changes meanwhile. Prints the size changes a second
// that the window made, the program's CPU time over the drag as a share of one
// core, and how long after the last step the window reached its final size.
#include <X11/Xlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <poll.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// User plus system CPU seconds of a process, from /proc.
double cpuSeconds(long pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto close = text.rfind(')');
    if (close == std::string::npos) return -1;
    std::istringstream fields(text.substr(close + 2));
    std::string f;
    unsigned long long utime = 0, stime = 0;
    // Fields after the command: state is field 3; utime and stime are 14 and 15.
    for (int i = 3; i <= 15 && fields >> f; ++i) {
        if (i == 14) utime = std::stoull(f);
        if (i == 15) stime = std::stoull(f);
    }
    return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 9) {
        std::fprintf(stderr, "usage: dragwatch <window> <pid> <x0> <y0> <dx> <dy> <steps> <hz>\n");
        return 2;
    }
    const Window window = std::strtoul(argv[1], nullptr, 0);
    const long pid = std::atol(argv[2]);
    const int x0 = std::atoi(argv[3]), y0 = std::atoi(argv[4]);
    const int dx = std::atoi(argv[5]), dy = std::atoi(argv[6]);
    const int steps = std::atoi(argv[7]);
    const double hz = std::atof(argv[8]);
    Display* d = XOpenDisplay(nullptr);
    if (!d || steps <= 0 || hz <= 0) {
        std::fprintf(stderr, "dragwatch: no display or bad arguments\n");
        return 1;
    }
    XWindowAttributes a;
    XGetWindowAttributes(d, window, &a);
    const int finalW = a.width + steps * dx, finalH = a.height + steps * dy;
    XSelectInput(d, window, StructureNotifyMask);
    XSync(d, False);

    int width = a.width, height = a.height, changes = 0;
    Clock::time_point reached{};
    const auto drain = [&] {
        while (XPending(d)) {
            XEvent e;
            XNextEvent(d, &e);
            if (e.type != ConfigureNotify || e.xconfigure.window != window) continue;
            if (e.xconfigure.width == width && e.xconfigure.height == height) continue;
            width = e.xconfigure.width;
            height = e.xconfigure.height;
            ++changes;
            if (width == finalW && height == finalH) reached = Clock::now();
        }
    };

    const Window root = DefaultRootWindow(d);
    const double cpu0 = cpuSeconds(pid);
    const auto start = Clock::now();
    const auto period = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / hz));
    for (int i = 1; i <= steps; ++i) {
        const auto due = start + i * period;
        while (Clock::now() < due) {
            drain();
            pollfd p{ConnectionNumber(d), POLLIN, 0};
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(due - Clock::now()).count();
            poll(&p, 1, static_cast<int>(std::max<long long>(0, left)));
        }
        XWarpPointer(d, None, root, 0, 0, 0, 0, x0 + i * dx, y0 + i * dy);
        XFlush(d);
    }
    const auto lastStep = Clock::now();
    while (reached == Clock::time_point{} && Clock::now() - lastStep < std::chrono::seconds(2)) {
        drain();
        pollfd p{ConnectionNumber(d), POLLIN, 0};
        poll(&p, 1, 5);
    }
    const auto end = reached == Clock::time_point{} ? Clock::now() : reached;
    const double cpu = cpuSeconds(pid) - cpu0;
    const double wall = seconds(end - start);
    std::printf("steps sent             %d at %.1f a second\n", steps, steps / seconds(lastStep - start));
    std::printf("size changes seen      %d, %.1f a second\n", changes, changes / wall);
    std::printf("program CPU            %.1f%% of one core\n", 100.0 * cpu / wall);
    if (reached == Clock::time_point{})
        std::printf("final size             not reached: %d x %d, wanted %d x %d\n", width, height, finalW, finalH);
    else
        std::printf("final size reached     %.1f ms after the last step\n", 1000.0 * seconds(reached - lastStep));
    XCloseDisplay(d);
    return 0;
}
