// Small X11 helper for the end-to-end tests and benchmarks:
//   xtool close <window>              ask a window to close, as a window manager would
//   xtool pixel <x> <y>               print the screen colour at x, y as RRGGBB
//   xtool count <x> <y> <w> <h> <RRGGBB>  print how many screen pixels in the box have that colour
//   xtool wait-map <ms> <cmd> [args]  start cmd, print milliseconds until it maps a window
// Qt first: Xlib defines macros (Status, Bool) that clash with Qt's headers.
#include <QImage>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

int usage()
{
    std::fprintf(stderr, "usage: xtool close <window> | pixel <x> <y> | count <x> <y> <w> <h> <RRGGBB> | wait-map <ms> <cmd> [args]\n");
    return 2;
}

int closeWindow(Display* d, Window w)
{
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
    e.xclient.data.l[1] = CurrentTime;
    const Status sent = XSendEvent(d, w, False, NoEventMask, &e);
    XSync(d, False);
    XCloseDisplay(d);
    return sent ? 0 : 1;
}

QImage grab(Display* d)
{
    const Window root = DefaultRootWindow(d);
    XWindowAttributes a;
    XGetWindowAttributes(d, root, &a);
    XImage* img = XGetImage(d, root, 0, 0, a.width, a.height, AllPlanes, ZPixmap);
    QImage out(a.width, a.height, QImage::Format_RGB32);
    if (!img) return out;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            const unsigned long p = XGetPixel(img, x, y);
            out.setPixel(x, y, qRgb((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
        }
    XDestroyImage(img);
    return out;
}

int waitMap(Display* d, int timeoutMs, char** argv)
{
    const Window root = DefaultRootWindow(d);
    XSelectInput(d, root, SubstructureNotifyMask);
    XSync(d, False);
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[0], argv);
        _exit(127);
    }
    const int fd = ConnectionNumber(d);
    for (;;) {
        while (XPending(d)) {
            XEvent e;
            XNextEvent(d, &e);
            if (e.type == MapNotify) {
                const double ms =
                    std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
                std::printf("%.2f %d\n", ms, static_cast<int>(pid));
                return 0;
            }
        }
        const double elapsed =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        if (elapsed > timeoutMs) {
            kill(pid, SIGKILL);
            std::fprintf(stderr, "xtool: no window mapped within %d ms\n", timeoutMs);
            return 1;
        }
        pollfd p{fd, POLLIN, 0};
        poll(&p, 1, 5);
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) return usage();
    Display* d = XOpenDisplay(nullptr);
    if (!d) {
        std::fprintf(stderr, "xtool: cannot open display\n");
        return 1;
    }
    const char* cmd = argv[1];
    if (!std::strcmp(cmd, "close") && argc == 3) return closeWindow(d, std::strtoul(argv[2], nullptr, 0));
    if (!std::strcmp(cmd, "pixel") && argc == 4) {
        const QImage img = grab(d);
        const QRgb c = img.pixel(std::atoi(argv[2]), std::atoi(argv[3]));
        std::printf("%02X%02X%02X\n", qRed(c), qGreen(c), qBlue(c));
        return 0;
    }
    if (!std::strcmp(cmd, "count") && argc == 7) {
        const QImage img = grab(d);
        const QRgb want = 0xFF000000u | static_cast<QRgb>(std::strtoul(argv[6], nullptr, 16));
        const QRect box(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]));
        long n = 0;
        for (int y = box.top(); y <= box.bottom(); ++y)
            for (int x = box.left(); x <= box.right(); ++x)
                if (img.valid(x, y) && img.pixel(x, y) == want) ++n;
        std::printf("%ld\n", n);
        return 0;
    }
    if (!std::strcmp(cmd, "wait-map") && argc >= 4) return waitMap(d, std::atoi(argv[2]), argv + 3);
    return usage();
}
