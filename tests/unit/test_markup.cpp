#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "about/Credits.h"
#include "about/CreditsMarkup.h"

namespace {

struct Style {
    bool bold = false;
    bool italic = false;
    int32_t size = 12;
    friend bool operator==(const Style&, const Style&) = default;
};

// A text field reduced to characters with a style each, a selection and a
// scroll position, clamped the way the real field clamps them.
class ModelField {
public:
    String Text() const
    {
        std::u32string s;
        for (const auto& c : m_chars) s += c.ch;
        return String(s);
    }
    // Like the real field, new text takes the field's own style throughout.
    void SetText(const String& text)
    {
        m_chars.clear();
        for (char32_t ch : text.Chars()) m_chars.push_back({ch, Style{}});
        m_start = std::min(m_start, length());
        m_length = std::min(m_length, length() - m_start);
    }
    int32_t SelStart() const { return m_start; }
    int32_t SelLength() const { return m_length; }
    void SetSelStart(int32_t v)
    {
        m_start = std::clamp(v, 0, length());
        m_length = 0;
    }
    void SetSelLength(int32_t v) { m_length = std::clamp(v, 0, length() - m_start); }
    void SetSelText(const String& text)
    {
        const Style style = m_start > 0 ? m_chars[std::size_t(m_start - 1)].style : Style{};
        m_chars.erase(m_chars.begin() + m_start, m_chars.begin() + m_start + m_length);
        std::vector<Char> inserted;
        for (char32_t ch : text.Chars()) inserted.push_back({ch, style});
        m_chars.insert(m_chars.begin() + m_start, inserted.begin(), inserted.end());
        m_start += static_cast<int32_t>(inserted.size());
        m_length = 0;
    }
    void SetSelBold(bool on) { forSelection([on](Style& s) { s.bold = on; }); }
    void SetSelItalic(bool on) { forSelection([on](Style& s) { s.italic = on; }); }
    double SelTextSize() const
    {
        if (m_chars.empty()) return Style{}.size;
        const int32_t at = m_length > 0 || m_start == 0 ? m_start : m_start - 1;
        return m_chars[std::size_t(std::min(at, length() - 1))].style.size;
    }
    void SetSelTextSize(double points) { forSelection([points](Style& s) { s.size = int32_t(points); }); }
    void SetScrollPosition(int32_t line) { scroll = line; }

    int32_t scroll = 0;

    // The text cut into runs of one style.
    std::vector<std::pair<std::string, Style>> runs() const
    {
        std::vector<std::pair<std::string, Style>> out;
        for (const auto& c : m_chars) {
            if (out.empty() || !(out.back().second == c.style)) out.push_back({"", c.style});
            out.back().first += String(std::u32string(1, c.ch)).ToUtf8();
        }
        return out;
    }

private:
    struct Char {
        char32_t ch;
        Style style;
    };
    int32_t length() const { return static_cast<int32_t>(m_chars.size()); }
    template <class F>
    void forSelection(F change)
    {
        for (int32_t i = m_start; i < m_start + m_length; ++i) change(m_chars[std::size_t(i)].style);
    }
    std::vector<Char> m_chars;
    int32_t m_start = 0, m_length = 0;
};

using Runs = std::vector<std::pair<std::string, Style>>;

void PrintTo(const Style& s, std::ostream* os)
{
    *os << (s.bold ? "bold " : "") << (s.italic ? "italic " : "") << s.size;
}

constexpr Style plain{};
constexpr Style bold{true, false, 12};
constexpr Style italic{false, true, 12};
constexpr Style points(int32_t size) { return {false, false, size}; }

TEST(CreditsMarkup, TagsBecomeStyles)
{
    const struct {
        const char* name;
        const char* text;
        Runs shown;
    } cases[] = {
        {"no tags", "plain > text", {{"plain > text", plain}}},
        {"bold then plain", "<b>Author:</b> me", {{"Author:", bold}, {" me", plain}}},
        {"italic then plain", "<i>a</i>b", {{"a", italic}, {"b", plain}}},
        {"stray closing bold", "a</b>b", {{"ab", plain}}},
        {"one closing ends two openings", "<b><b>x</b>y", {{"x", bold}, {"y", plain}}},
        {"sizes are saved, not stacked", "<font size=\"10\">a<font size=\"20\">b</font>c</font>d",
         {{"a", points(10)}, {"b", points(20)}, {"cd", points(10)}}},
        {"closing font first", "a</font>b", {{"a", plain}, {"b", points(0)}}},
        {"font without quotes", "<font size=10>a", {{"a", points(0)}}},
        {"font with a colour quoted first", "<font color=\"#FF0000\" size=\"10\">a", {{"a", points(0)}}},
        {"font with an unclosed quote", "<font size=\"14>a", {{"a", points(14)}}},
        {"fraction rounds", "<font size=\"10.6\">a", {{"a", points(11)}}},
        {"words match whole", "<big>a<bold>b<font-size=\"9\">c", {{"abc", plain}}},
        {"leading space and empty tag", "< b>a<>b", {{"ab", plain}}},
        {"'>' without '<' stays", "a>b<b>c", {{"a>b", plain}, {"c", bold}}},
        {"second '<' belongs to the tag", "<b <i>x<b<i>y", {{"xy", bold}}},
        {"tag at the very end", "a<b>", {{"a", plain}}},
        {"'<' without '>' ends", "x<b>y<z <i", {{"x", plain}, {"y<z <i", bold}}},
    };
    for (const auto& c : cases) {
        ModelField field;
        field.SetScrollPosition(3);
        SetMarkupText(field, c.text, true);
        EXPECT_EQ(field.runs(), c.shown) << c.name;
        EXPECT_EQ(field.SelLength(), 0) << c.name;
        EXPECT_EQ(field.SelStart(), 0) << c.name;
        EXPECT_EQ(field.scroll, 0) << c.name;
    }
}

TEST(CreditsMarkup, ParseOffKeepsTagsSelectionAndScroll)
{
    ModelField field;
    field.SetText("0123456789");
    field.SetSelStart(2);
    field.SetSelLength(3);
    field.SetScrollPosition(4);
    SetMarkupText(field, "<b>bold</b> text", false);
    EXPECT_EQ(field.runs(), (Runs{{"<b>bold</b> text", plain}}));
    EXPECT_EQ(field.SelStart(), 2);
    EXPECT_EQ(field.SelLength(), 3);
    EXPECT_EQ(field.scroll, 4);
}

TEST(CreditsMarkup, SetAgainStartsFromPlainText)
{
    ModelField field;
    SetMarkupText(field, "<font size=\"10\"><b>a", true);
    SetMarkupText(field, "</font>b", true);
    // The saved size starts at 0 on every call, not at the 10 of the last one.
    EXPECT_EQ(field.runs(), (Runs{{"b", points(0)}}));
}

TEST(CreditsMarkup, TagParts)
{
    EXPECT_FALSE(FirstMarkupTag("no tag"));
    EXPECT_FALSE(FirstMarkupTag("a < b"));
    const auto tag = FirstMarkupTag("ab<font size=\"10\">c>");
    ASSERT_TRUE(tag);
    EXPECT_EQ(tag->start, 2);
    EXPECT_EQ(tag->length, 16);
    EXPECT_EQ(tag->text, String("font size=\"10\""));
    EXPECT_EQ(MarkupTagWord("font size=\"10\""), String("font"));
    EXPECT_EQ(MarkupTagWord(" b"), String());
    EXPECT_EQ(MarkupTagWord("/b"), String("/b"));
    for (const char* huge : {"size=\"1e999\"", "size=\"99999999999\""})
        EXPECT_EQ(MarkupFontSize(huge), INT32_MAX) << huge;
    EXPECT_EQ(MarkupFontSize("size=\"-1e999\""), INT32_MIN);
    EXPECT_EQ(MarkupFontSize("size=\"\""), 0);
}

TEST(CreditsMarkup, TheCredits)
{
    const String stored = CreditsText();
    const auto lines = Split(stored, Chr(13));
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_TRUE(lines[4].IsEmpty());
    for (std::size_t i : {1u, 2u, 3u}) EXPECT_EQ(Left(lines[i], 6), String("      ")) << i;
    for (const String& line : lines)
        for (const auto& word : Split(line, " "))
            if (InStr(word, "@") || InStr(word, "://")) {
                const String host = Lowercase(word);
                EXPECT_TRUE(InStr(host, "example.org") || InStr(host, "example.com")) << word;
            }

    ModelField field;
    SetMarkupText(field, stored, true);
    EXPECT_EQ(Len(field.Text()), Len(stored) - 37);
    std::string boldText, smallText;
    for (const auto& [text, style] : field.runs()) {
        EXPECT_FALSE(style.italic);
        EXPECT_TRUE(style.size == 12 || style.size == 10) << text;
        if (style.bold) boldText += text;
        if (style.size == 10) smallText += text;
    }
    EXPECT_EQ(boldText, "Author:Disclaimer:");
    EXPECT_EQ(Len(String(smallText)), 597);
    EXPECT_TRUE(std::none_of(smallText.begin(), smallText.end(), [](char ch) { return ch >= 'a' && ch <= 'z'; }));
    EXPECT_EQ(String("<font size=\"10\">") + smallText + "</font>", lines[6]);

    const auto notice = Split(CopyrightNotice(), Chr(13));
    ASSERT_EQ(notice.size(), 2u);
    EXPECT_FALSE(notice[0].IsEmpty() || notice[1].IsEmpty());
}

} // namespace
