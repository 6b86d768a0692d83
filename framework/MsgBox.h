#pragma once
// The modal message box, and a sink that tests put in its place.
#include <functional>

#include "framework/String.h"

using MsgBoxSink = std::function<void(const String&)>;

// Modal in the program; returns when dismissed. Without a sink and without a
// running application (unit tests) the message goes to standard error.
void MsgBox(const String& message);

// Installs a sink that receives every message instead of the box; an empty
// sink restores the box. Returns the sink that was installed before.
MsgBoxSink SetMsgBoxSink(MsgBoxSink sink);
