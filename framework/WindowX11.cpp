#include "framework/Window_p.h"

#include <QGuiApplication>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <map>
#include <thread>

namespace {

// The Motif window-manager hints: which functions and decorations the frame offers.
enum : uint32_t {
    kHintFunctions = 1,
    kHintDecorations = 2,
    kFuncResize = 2,
    kFuncMove = 4,
    kFuncMinimize = 8,
    kFuncMaximize = 16,
    kFuncClose = 32,
    kDecorBorder = 2,
    kDecorResizeHandle = 4,
    kDecorTitle = 8,
    kDecorMenu = 16,
    kDecorMinimize = 32,
    kDecorMaximize = 64,
};

xcb_atom_t internAtom(xcb_connection_t* c, const char* name)
{
    auto* reply = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::strlen(name), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

xcb_atom_t motifHintsAtom(xcb_connection_t* c)
{
    static const xcb_atom_t atom = internAtom(c, "_MOTIF_WM_HINTS");
    return atom;
}

xcb_connection_t* x11Connection()
{
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
    return x11->connection();
}

struct MotifHints {
    uint32_t flags, functions, decorations, inputMode, status;
};

MotifHints motifHints(const WindowPrivate& p)
{
    uint32_t functions = kFuncMove, decorations = kDecorBorder | kDecorTitle | kDecorMenu;
    if (p.closeButton) functions |= kFuncClose;
    if (p.minimizeButton) {
        functions |= kFuncMinimize;
        decorations |= kDecorMinimize;
    }
    if (p.resizeable) {
        functions |= kFuncResize;
        decorations |= kDecorResizeHandle;
        if (p.maximizeButton) {
            functions |= kFuncMaximize;
            decorations |= kDecorMaximize;
        }
    }
    return {kHintFunctions | kHintDecorations, functions, decorations, 0, 0};
}

void writeMotifHints(xcb_connection_t* c, xcb_window_t w, const MotifHints& hints)
{
    const xcb_atom_t atom = motifHintsAtom(c);
    if (atom != XCB_ATOM_NONE) xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, atom, atom, 32, 5, &hints);
}

// The four CARDINALs of a window's _NET_FRAME_EXTENTS (left, right, top, bottom), if set.
bool readExtents(xcb_connection_t* c, xcb_window_t w, xcb_atom_t atom, QMargins& out)
{
    auto* reply = xcb_get_property_reply(c, xcb_get_property(c, 0, w, atom, XCB_ATOM_CARDINAL, 0, 4), nullptr);
    const bool found = reply && reply->format == 32 && xcb_get_property_value_length(reply) == 16;
    if (found) {
        const auto* v = static_cast<const uint32_t*>(xcb_get_property_value(reply));
        out = QMargins(int(v[0]), int(v[2]), int(v[1]), int(v[3]));
    }
    std::free(reply);
    return found;
}

bool rootSupports(xcb_connection_t* c, xcb_window_t root, xcb_atom_t wanted)
{
    const xcb_atom_t supported = internAtom(c, "_NET_SUPPORTED");
    auto* reply = xcb_get_property_reply(c, xcb_get_property(c, 0, root, supported, XCB_ATOM_ATOM, 0, 1024), nullptr);
    bool found = false;
    if (reply && reply->format == 32) {
        const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
        found = std::find(atoms, atoms + xcb_get_property_value_length(reply) / 4, wanted) !=
                atoms + xcb_get_property_value_length(reply) / 4;
    }
    std::free(reply);
    return found;
}

} // namespace

// The toolkit always offers resizing to the window manager and leaves size
// limits as the only way to refuse it, which would also refuse the program's
// own resizes. So the frame's functions are written here, after the toolkit's.
void setFrameFunctions(QWidget* frame, const WindowPrivate& p)
{
    xcb_connection_t* c = x11Connection();
    if (!c || !frame) return;
    writeMotifHints(c, static_cast<xcb_window_t>(frame->winId()), motifHints(p));
    xcb_flush(c);
}

// A window that is not yet mapped has no frame to measure, so the window
// manager is asked what it would put around one with the same decorations, on
// a stand-in window: the program's own one is best made only once it is placed.
// The answer depends only on the decorations and is kept.
QMargins expectedFrameMargins(const WindowPrivate& p)
{
    xcb_connection_t* c = x11Connection();
    if (!c) return {};
    const MotifHints hints = motifHints(p);
    static std::map<uint32_t, QMargins> known;
    if (auto it = known.find(hints.decorations); it != known.end()) return it->second;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_atom_t request = internAtom(c, "_NET_REQUEST_FRAME_EXTENTS");
    const xcb_atom_t extents = internAtom(c, "_NET_FRAME_EXTENTS");
    QMargins margins;
    if (screen && request != XCB_ATOM_NONE && extents != XCB_ATOM_NONE && rootSupports(c, screen->root, request)) {
        const xcb_window_t w = xcb_generate_id(c);
        xcb_create_window(c, XCB_COPY_FROM_PARENT, w, screen->root, 0, 0, 100, 100, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
        writeMotifHints(c, w, hints);
        xcb_client_message_event_t e{};
        e.response_type = XCB_CLIENT_MESSAGE;
        e.format = 32;
        e.window = w;
        e.type = request;
        xcb_send_event(c, 0, screen->root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&e));
        xcb_flush(c);
        // A window manager that claims the request answers at once; one that
        // does not within a moment is taken to draw no frame.
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
        while (!readExtents(c, w, extents, margins) && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        xcb_destroy_window(c, w);
        xcb_flush(c);
    }
    known[hints.decorations] = margins;
    return margins;
}
