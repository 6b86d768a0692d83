#include <algorithm>

#include "about/AboutWindow.h"
#include "core/Window1.h"
#include "framework/Application.h"
#include "framework/Controls.h"

namespace {
constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kPanel = 0x222222;
constexpr uint32_t kOutline = 0x00FF00;
} // namespace

void Window1::Draw(::Graphics& g)
{
    auto picture = NilCheck(NewPicture(g.Width(), g.Height(), 32), "picture");
    auto pg = NilCheck(picture->Graphics(), "graphics");
    pg->SetForeColor(kBlack);
    pg->FillRect(0, 0, pg->Width(), pg->Height());
    pg->SetForeColor(kPanel);
    pg->FillRoundRect(10, 10, pg->Width() - 20, pg->Height() - 20, 16, 16);
    pg->SetForeColor(kOutline);
    pg->SetPenHeight(3);
    pg->SetPenWidth(3);
    pg->DrawRoundRect(10, 10, pg->Width() - 20, pg->Height() - 20, 16, 16);
    g.DrawPicture(picture, 0, 0);
}

void Window1::Event_Paint(::Graphics& g) { Draw(g); }

void Window1::Event_Resizing()
{
    Draw(*NilCheck(Graphics(), "graphics"));
    NilCheck(EditField1(), "EditField1")->Refresh(true);
}

void Window1::Event_Resized()
{
    Draw(*NilCheck(Graphics(), "graphics"));
    NilCheck(EditField1(), "EditField1")->Refresh(true);
}

bool Window1::Event_MouseDown(int32_t x, int32_t y)
{
    if (IsContextualClick()) return false;
    MouseX = x + Left();
    MouseY = y + Top();
    mLeft = Left();
    mTop = Top();
    mResizing = IsInLowerRightCorner(x, y);
    return true;
}

void Window1::Event_MouseDrag(int32_t x, int32_t y)
{
    const int32_t sx = x + Left();
    const int32_t sy = y + Top();
    if (sx == MouseX && sy == MouseY) return;
    const int32_t dx = sx - MouseX;
    const int32_t dy = sy - MouseY;
    if (mResizing) {
        ResizeWindow(dx, dy);
    } else {
        const int32_t nl = mLeft + dx;
        const int32_t nt = mTop + dy;
        if (Left() != nl) SetLeft(nl);
        if (Top() != nt) SetTop(nt);
    }
    MouseX = sx;
    MouseY = sy;
    mLeft = Left();
    mTop = Top();
}

void Window1::Event_MouseMove(int32_t x, int32_t y)
{
    SetMouseCursor(IsInLowerRightCorner(x, y) ? ArrowNorthwestSoutheast : ArrowCursor);
}

bool Window1::IsInLowerRightCorner(int32_t x, int32_t y)
{
    return x >= Width() - 10 && y >= Height() - 10;
}

void Window1::ResizeWindow(int32_t dx, int32_t dy)
{
    const int32_t w = Width();
    const int32_t h = Height();
    if (Width() != w + dx) SetWidth(std::max(w + dx, MinWidth));
    if (Height() != h + dy) SetHeight(std::max(h + dy, MinHeight));
}

bool Window1::Event_ConstructContextualMenu(const Ref<MenuItem>& base, int32_t, int32_t)
{
    for (const char* text : {"About Quib Zerevarove...", "-", "Quit"}) {
        auto item = std::make_shared<MenuItem>();
        item->Constructor(text);
        NilCheck(base, "menu")->Append(item);
    }
    return true;
}

bool Window1::Event_ContextualMenuAction(const Ref<MenuItem>& item)
{
    const String text = NilCheck(item, "menu item")->Text;
    if (text == String("About Quib Zerevarove...")) {
        NilCheck(AboutWindow::Instance(), "AboutWindow")->Show(true);
    } else if (text == String("Quit")) {
        Quit(0);
    }
    return true;
}
