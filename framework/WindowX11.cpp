#include "framework/Window_p.h"

#include <QGuiApplication>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

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

xcb_atom_t motifHintsAtom(xcb_connection_t* c)
{
    static const char name[] = "_MOTIF_WM_HINTS";
    static xcb_atom_t atom = XCB_ATOM_NONE;
    if (atom != XCB_ATOM_NONE) return atom;
    auto* reply = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::strlen(name), name), nullptr);
    if (reply) atom = reply->atom;
    std::free(reply);
    return atom;
}

} // namespace

// The toolkit always offers resizing to the window manager and leaves size
// limits as the only way to refuse it, which would also refuse the program's
// own resizes. So the frame's functions are written here, after the toolkit's.
void setFrameFunctions(QWidget* frame, const WindowPrivate& p)
{
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (!c || !frame || QGuiApplication::platformName() != QLatin1String("xcb")) return;
    const xcb_atom_t atom = motifHintsAtom(c);
    if (atom == XCB_ATOM_NONE) return;
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
    const uint32_t hints[5] = {kHintFunctions | kHintDecorations, functions, decorations, 0, 0};
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(frame->winId()), atom, atom, 32, 5, hints);
    xcb_flush(c);
}
