#include "framework/String.h"

#include <algorithm>
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
    const bool scalar = code >= 0 && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF);
    return String(std::u32string(1, scalar ? static_cast<char32_t>(code) : char32_t(0xFFFD)));
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
    // Accepts digits with one point and an optional exponent after one sign;
    // "inf", "nan" and a second sign are no number. Only ASCII can belong to it.
    const auto& c = s.Chars();
    std::size_t i = 0;
    while (i < c.size() && (c[i] == U' ' || c[i] == U'\t')) ++i;
    bool negative = false;
    if (i < c.size() && (c[i] == U'+' || c[i] == U'-')) negative = c[i++] == U'-';
    auto isDigit = [&](std::size_t k) { return k < c.size() && c[k] >= U'0' && c[k] <= U'9'; };
    std::string text;
    bool point = false;
    int digits = 0;
    for (; i < c.size(); ++i) {
        if (isDigit(i)) {
            text += static_cast<char>(c[i]);
            ++digits;
        } else if (c[i] == U'.' && !point) {
            text += '.';
            point = true;
        } else {
            break;
        }
    }
    if (digits == 0) return 0;
    long long exponent = 0;
    if (i < c.size() && (c[i] == U'e' || c[i] == U'E')) {
        std::size_t k = i + 1;
        const bool expNegative = k < c.size() && c[k] == U'-';
        if (k < c.size() && (c[k] == U'+' || c[k] == U'-')) ++k;
        if (isDigit(k)) {
            for (; isDigit(k); ++k) exponent = std::min(exponent * 10 + (c[k] - U'0'), 1000000LL);
            if (expNegative) exponent = -exponent;
            text += 'e' + std::to_string(exponent);
        }
    }
    double value = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    (void)ptr;
    if (ec == std::errc::result_out_of_range) {
        // Too large or too small for a double: tell the two apart by the decimal magnitude.
        const auto firstNonZero = text.find_first_of("123456789");
        const auto pointAt = std::min({text.find('.'), text.find('e'), text.size()});
        long long magnitude = exponent;
        if (firstNonZero != std::string::npos && firstNonZero < pointAt)
            magnitude += static_cast<long long>(pointAt - firstNonZero) - 1;
        else if (firstNonZero != std::string::npos)
            magnitude -= static_cast<long long>(firstNonZero - pointAt);
        value = magnitude >= 0 ? std::numeric_limits<double>::infinity() : 0.0;
    }
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

String NthField(const String& s, const String& separator, int32_t index)
{
    if (index < 1 || separator.IsEmpty()) return {};
    std::size_t from = 0;
    for (int32_t field = 1; field < index; ++field) {
        const auto at = s.Find(separator, from);
        if (at == std::u32string::npos) return {};
        from = at + separator.Length();
    }
    const auto end = s.Find(separator, from);
    return s.Sub(from, end == std::u32string::npos ? std::u32string::npos : end - from);
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
