#pragma once
// The preferences file's text: the writer's fixed layout and the reader's
// marker scan. No file access here, so tests and the fuzzer reach both directly.
#include <functional>
#include <vector>

#include "framework/String.h"
#include "framework/Variant.h"

// The whole file text for the entries keys[i] = values[i] (same length, at least one).
// afterEntry runs once after each entry is appended.
String PlistText(const std::vector<Variant>& keys, const std::vector<Variant>& values,
                 const std::function<void()>& afterEntry = {});

// Hands the key/string pairs of the text to put, in text order. False when the
// text holds no "<key>" with a "</key>" after it; nothing is put then.
// The scan stops at the first entry that lacks its "</key>", "<string>" or
// "</string>", putting nothing for it; the result stays True.
// Time is linear in the text. In damaged text, where a value runs over later
// pairs, a repeated key's middle values of that kind are skipped (a store ends
// the same), and putting stops once the values put reach twice the text
// plus 1M characters.
bool ScanPlistText(const String& text, const std::function<void(const String& key, const String& value)>& put);
