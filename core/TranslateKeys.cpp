#include "core/Translate.h"
#include "core/Window1.h"
#include "framework/Controls.h"

bool Window1::EditField1_KeyDown(String key)
{
    switch (Asc(key)) {
    case 13: // Return
    case 3:  // Enter
        DoTranslate();
        return true;
    case 27: // Escape
        StopTranslation();
        return true;
    default:
        return false;
    }
}

void Window1::DoTranslate()
{
    NilCheck(t(), "t")->Cancelled = false;
    NilCheck(t(), "t")->Text = NilCheck(EditField1(), "EditField1")->Text();
    NilCheck(t(), "t")->Run();
}

void Window1::StopTranslation() { NilCheck(t(), "t")->Cancelled = true; }
