#pragma once
// The program's text type and the string functions it uses. Characters are
// Unicode code points throughout, so positions agree between the string
// functions and the text field's selection.
#include <compare>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class String {
public:
    String() = default;
    // A null pointer is the empty string, as a nil string is.
    String(const char* utf8) : String(utf8 ? std::string_view(utf8) : std::string_view()) {}
    String(std::string_view utf8);
    String(const std::string& utf8) : String(std::string_view(utf8)) {}
    explicit String(std::u32string chars) : m_chars(std::move(chars)) {}

    // Malformed UTF-8 decodes to U+FFFD per bad byte; nothing is lost silently beyond that.
    static String FromUtf8(std::string_view utf8) { return String(utf8); }
    std::string ToUtf8() const;

    const std::u32string& Chars() const { return m_chars; }
    std::size_t Length() const { return m_chars.size(); }
    bool IsEmpty() const { return m_chars.empty(); }
    char32_t operator[](std::size_t i) const { return m_chars[i]; }

    // 0-based helpers for framework code; the program uses Mid/InStr below.
    String Sub(std::size_t pos, std::size_t count = std::u32string::npos) const;
    std::size_t Find(const String& what, std::size_t from = 0) const;

    String& operator+=(const String& other) { m_chars += other.m_chars; return *this; }
    String& operator+=(char32_t c) { m_chars += c; return *this; }
    friend String operator+(String a, const String& b) { a += b; return a; }
    friend String operator+(String a, const char* b) { a += String(b); return a; }
    friend String operator+(const char* a, const String& b) { return String(a) + b; }

    friend bool operator==(const String&, const String&) = default;
    friend std::strong_ordering operator<=>(const String& a, const String& b) { return a.m_chars <=> b.m_chars; }

private:
    std::u32string m_chars;
};

std::ostream& operator<<(std::ostream& os, const String& s);

template <>
struct std::hash<String> {
    std::size_t operator()(const String& s) const noexcept { return std::hash<std::u32string>()(s.Chars()); }
};

// String functions count characters from 1; InStr gives 0 when absent.
int32_t Len(const String& s);
// Characters from start (1-based) on; a negative count means to the end.
String Mid(const String& s, int32_t start, int32_t count = -1);
String Left(const String& s, int32_t count);
// InStr(start, s, find): search from start (1-based; 0 also means the first character).
int32_t InStr(int32_t start, const String& s, const String& find);
int32_t InStr(const String& s, const String& find);
// Code of the first character; 0 for the empty string.
int32_t Asc(const String& s);
// A code that is no Unicode character gives U+FFFD.
String Chr(int32_t code);
String Str(int32_t value);
String Str(double value);
// The leading number of the text (after leading blanks); 0 when it has none,
// infinity when it is too large for a double.
double Val(const String& s);
// The empty delimiter splits into single characters; an empty text gives no element.
std::vector<String> Split(const String& s, const String& delimiter);
// The index-th field (from 1) of the text cut at each separator; empty when there is none.
String NthField(const String& s, const String& separator, int32_t index);
String Join(const std::vector<String>& parts, const String& delimiter);
String Lowercase(const String& s);

// Arrays are std::vector; the upper bound is the last index, -1 when empty.
template <class T>
int32_t Ubound(const std::vector<T>& v) { return static_cast<int32_t>(v.size()) - 1; }
