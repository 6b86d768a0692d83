#include "framework/String.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <ostream>

namespace {

// Decodes one UTF-8 sequence at i; malformed input yields U+FFFD and advances one byte.
char32_t decodeOne(std::string_view s, std::size_t& i)
{
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) { ++i; return b0; }
    int extra = 0;
    char32_t cp = 0;
    char32_t min = 0;
    if ((b0 & 0xE0) == 0xC0) { extra = 1; cp = b0 & 0x1F; min = 0x80; }
    else if ((b0 & 0xF0) == 0xE0) { extra = 2; cp = b0 & 0x0F; min = 0x800; }
    else if ((b0 & 0xF8) == 0xF0) { extra = 3; cp = b0 & 0x07; min = 0x10000; }
    else { ++i; return 0xFFFD; }
    if (i + static_cast<std::size_t>(extra) >= s.size()) { ++i; return 0xFFFD; }
    for (int k = 1; k <= extra; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) { ++i; return 0xFFFD; }
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) { ++i; return 0xFFFD; }
    i += static_cast<std::size_t>(extra) + 1;
    return cp;
}

void encodeOne(char32_t c, std::string& out)
{
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

} // namespace

String::String(std::string_view utf8)
{
    m_chars.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) m_chars += decodeOne(utf8, i);
}

std::string String::ToUtf8() const
{
    std::string out;
    out.reserve(m_chars.size());
    for (char32_t c : m_chars) encodeOne(c, out);
    return out;
}

String String::Sub(std::size_t pos, std::size_t count) const
{
    if (pos >= m_chars.size()) return {};
    return String(m_chars.substr(pos, count));
}

std::size_t String::Find(const String& what, std::size_t from) const
{
    if (from > m_chars.size()) return std::u32string::npos;
    return m_chars.find(what.m_chars, from);
}

std::ostream& operator<<(std::ostream& os, const String& s) { return os << s.ToUtf8(); }

int32_t Len(const String& s)
{
    return static_cast<int32_t>(std::min<std::size_t>(s.Length(), std::numeric_limits<int32_t>::max()));
}

String Mid(const String& s, int32_t start, int32_t count)
{
    if (start < 1) start = 1;
    const auto pos = static_cast<std::size_t>(start - 1);
    if (count < 0) return s.Sub(pos);
    return s.Sub(pos, static_cast<std::size_t>(count));
}

String Left(const String& s, int32_t count)
{
    if (count <= 0) return {};
    return s.Sub(0, static_cast<std::size_t>(count));
}

int32_t InStr(int32_t start, const String& s, const String& find)
{
    const std::size_t from = start <= 1 ? 0 : static_cast<std::size_t>(start - 1);
    if (from > s.Length()) return 0;
    const auto at = s.Find(find, from);
    if (at == std::u32string::npos) return 0;
    return static_cast<int32_t>(at) + 1;
}

int32_t InStr(const String& s, const String& find) { return InStr(1, s, find); }

int32_t Asc(const String& s) { return s.IsEmpty() ? 0 : static_cast<int32_t>(s[0]); }

String Chr(int32_t code)
{
    if (code < 0) return {};
    return String(std::u32string(1, static_cast<char32_t>(code)));
}

String Str(int32_t value) { return String(std::to_string(value)); }

String Str(double value)
{
    if (std::isfinite(value) && value == std::floor(value) && std::fabs(value) < 1e15)
        return String(std::to_string(static_cast<long long>(value)));
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", value);
    return String(std::string_view(buf));
}

double Val(const String& s)
{
    // Only ASCII can belong to a number; stop at the first other character.
    std::string ascii;
    std::size_t i = 0;
    while (i < s.Length() && (s[i] == U' ' || s[i] == U'\t')) ++i;
    for (; i < s.Length() && s[i] < 0x80 && ascii.size() < 400; ++i) ascii += static_cast<char>(s[i]);
    std::size_t j = 0;
    if (j < ascii.size() && (ascii[j] == '+' || ascii[j] == '-')) ++j;
    const bool negative = !ascii.empty() && ascii[0] == '-';
    double value = 0;
    const char* begin = ascii.data() + j;
    const char* end = ascii.data() + ascii.size();
    auto [ptr, ec] = std::from_chars(begin, end, value, std::chars_format::fixed | std::chars_format::scientific);
    if (ptr == begin) return 0;
    if (ec == std::errc::result_out_of_range)
        value = std::numeric_limits<double>::infinity();
    return negative ? -value : value;
}

std::vector<String> Split(const String& s, const String& delimiter)
{
    std::vector<String> parts;
    if (delimiter.IsEmpty()) {
        parts.reserve(s.Length());
        for (char32_t c : s.Chars()) parts.emplace_back(std::u32string(1, c));
        return parts;
    }
    std::size_t from = 0;
    for (;;) {
        const auto at = s.Find(delimiter, from);
        if (at == std::u32string::npos) break;
        parts.push_back(s.Sub(from, at - from));
        from = at + delimiter.Length();
    }
    parts.push_back(s.Sub(from));
    return parts;
}

String Join(const std::vector<String>& parts, const String& delimiter)
{
    String out;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i) out += delimiter;
        out += parts[i];
    }
    return out;
}

String Lowercase(const String& s)
{
    std::u32string out = s.Chars();
    for (auto& c : out)
        if (c >= U'A' && c <= U'Z') c = c - U'A' + U'a';
    return String(std::move(out));
}
