#include "about/CreditsMarkup.h"

#include <algorithm>
#include <limits>

std::optional<MarkupTag> FirstMarkupTag(const String& text)
{
    const int32_t open = InStr(text, "<");
    if (open == 0) return std::nullopt;
    const int32_t close = InStr(open + 1, text, ">");
    if (close == 0) return std::nullopt;
    MarkupTag tag;
    tag.start = open - 1;
    tag.length = close - open + 1;
    tag.text = Mid(text, open + 1, close - open - 1);
    return tag;
}

String MarkupTagWord(const String& tagText)
{
    const int32_t space = InStr(tagText, " ");
    return space == 0 ? tagText : Left(tagText, space - 1);
}

int32_t MarkupFontSize(const String& tagText)
{
    const int32_t quote = InStr(tagText, "\"");
    if (quote == 0) return 0;
    const int32_t end = InStr(quote + 1, tagText, "\"");
    const String value = end == 0 ? Mid(tagText, quote + 1) : Mid(tagText, quote + 1, end - quote - 1);
    return MarkupWholeSize(Val(value));
}

int32_t MarkupWholeSize(double points)
{
    if (std::isnan(points)) return 0;
    constexpr double kLow = std::numeric_limits<int32_t>::min();
    constexpr double kHigh = std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(std::lround(std::clamp(points, kLow, kHigh)));
}
