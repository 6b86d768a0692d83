#include "about/AboutWindow.h"

Ref<AboutWindow> AboutWindow::Instance() { return ImplicitInstance<AboutWindow>(); }

void AboutWindow::Show(bool) { Window::Show(); }
