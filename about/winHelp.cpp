#include "about/winHelp.h"

Ref<winHelp> winHelp::Instance() { return ImplicitInstance<winHelp>(); }
