#pragma once
// The fixed texts of the About window.
#include "framework/String.h"

// Seven lines joined by carriage returns, with the credits mark-up in place.
String CreditsText();
// Two lines joined by a carriage return.
String CopyrightNotice();
// The page that the About window's badge opens.
String BadgeAddress();
