#pragma once
// The modal message box, and a sink that tests put in its place.
#include <functional>

#include "framework/String.h"

using MsgBoxSink = std::function<void(const String&)>;

// Modal in the program; returns when dismissed. Without a sink, the message
// goes to standard error instead when no application runs (unit tests) or a
// termination signal is ending the program.
void MsgBox(const String& message);

// Installs a sink that receives every message instead of the box; an empty
// sink restores the box. Returns the sink that was installed before.
MsgBoxSink SetMsgBoxSink(MsgBoxSink sink);
