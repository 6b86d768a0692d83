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

void PrintTo(const Style& s, std::ostream* os) { *os << (s.bold ? "bold " : "") << (s.italic ? "italic " : "") << s.size; }

using Runs = std::vector<std::pair<std::string, Style>>;

// A text field reduced to characters with a style each, a selection and a
// scroll position, clamped the way the real field clamps them.
class ModelField {
public:
    String Text() const { return String(m_text); }
    // Like the real field, new text takes the field's own style throughout.
    void SetText(const String& text)
    {
        m_text = text.Chars();
        m_styles.assign(m_text.size(), Style{});
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
        const Style style = m_start > 0 ? m_styles[std::size_t(m_start - 1)] : Style{};
        const std::u32string inserted = text.Chars();
        m_text.replace(std::size_t(m_start), std::size_t(m_length), inserted);
        m_styles.erase(m_styles.begin() + m_start, m_styles.begin() + m_start + m_length);
        m_styles.insert(m_styles.begin() + m_start, inserted.size(), style);
        m_start += static_cast<int32_t>(inserted.size());
        m_length = 0;
    }
    void SetSelBold(bool on) { forSelection([on](Style& s) { s.bold = on; }); }
    void SetSelItalic(bool on) { forSelection([on](Style& s) { s.italic = on; }); }
    double SelTextSize() const
    {
        if (m_styles.empty()) return Style{}.size;
        const int32_t at = m_length > 0 || m_start == 0 ? m_start : m_start - 1;
        return m_styles[std::size_t(std::min(at, length() - 1))].size;
    }
    void SetSelTextSize(double points) { forSelection([points](Style& s) { s.size = int32_t(points); }); }
    void SetScrollPosition(int32_t line) { scroll = line; }

    int32_t scroll = 0;

    // The text cut into runs of one style.
    Runs runs() const
    {
        Runs out;
        for (std::size_t i = 0; i < m_text.size(); ++i) {
            if (out.empty() || !(out.back().second == m_styles[i])) out.push_back({"", m_styles[i]});
            out.back().first += String(m_text.substr(i, 1)).ToUtf8();
        }
        return out;
    }

private:
    int32_t length() const { return static_cast<int32_t>(m_text.size()); }
    template <class F>
    void forSelection(F change)
    {
        std::for_each(m_styles.begin() + m_start, m_styles.begin() + m_start + m_length, change);
    }
    std::u32string m_text;
    std::vector<Style> m_styles;
    int32_t m_start = 0, m_length = 0;
};

constexpr Style plain{};
constexpr Style bold{true, false, 12};
constexpr Style italic{false, true, 12};
constexpr Style points(int32_t size) { return {false, false, size}; }

TEST(CreditsMarkup, TagsBecomeStyles)
{
    const struct {
        const char* text;
        Runs shown;
    } cases[] = {
        {"plain > text", {{"plain > text", plain}}},
        {"<b>Author:</b> me", {{"Author:", bold}, {" me", plain}}},
        {"<i>a</i>b", {{"a", italic}, {"b", plain}}},
        {"a</b>b", {{"ab", plain}}},
        {"<b><b>x</b>y", {{"x", bold}, {"y", plain}}},
        // Sizes are saved, not stacked.
        {"<font size=\"10\">a<font size=\"20\">b</font>c</font>d",
         {{"a", points(10)}, {"b", points(20)}, {"cd", points(10)}}},
        {"a</font>b", {{"a", plain}, {"b", points(0)}}},
        {"<font size=10>a", {{"a", points(0)}}},
        {"<font color=\"#FF0000\" size=\"10\">a", {{"a", points(0)}}},
        {"<font size=\"14>a", {{"a", points(14)}}},
        {"<font size=\"10.6\">a", {{"a", points(11)}}},
        {"<font size=\"1e999\">a", {{"a", points(INT32_MAX)}}},
        {"<big>a<bold>b<font-size=\"9\">c", {{"abc", plain}}},
        {"< b>a<>b", {{"ab", plain}}},
        {"a>b<b>c", {{"a>b", plain}, {"c", bold}}},
        {"<b <i>x<b<i>y", {{"xy", bold}}},
        {"a<b>", {{"a", plain}}},
        {"x<b>y<z <i", {{"x", plain}, {"y<z <i", bold}}},
    };
    for (const auto& c : cases) {
        ModelField field;
        field.SetScrollPosition(3);
        SetMarkupText(field, c.text, true);
        EXPECT_EQ(field.runs(), c.shown) << c.text;
        EXPECT_EQ(field.SelLength(), 0) << c.text;
        EXPECT_EQ(field.SelStart(), 0) << c.text;
        EXPECT_EQ(field.scroll, 0) << c.text;
    }
    EXPECT_EQ(MarkupFontSize("size=\"-1e999\""), INT32_MIN);
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

// The saved size starts at 0 on every call, not at the 10 of the last one.
TEST(CreditsMarkup, SetAgainStartsFromPlainText)
{
    ModelField field;
    SetMarkupText(field, "<font size=\"10\"><b>a", true);
    SetMarkupText(field, "</font>b", true);
    EXPECT_EQ(field.runs(), (Runs{{"b", points(0)}}));
}

TEST(CreditsMarkup, TheCredits)
{
    const String stored = CreditsText();
    for (const String& line : Split(stored, Chr(13)))
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
    EXPECT_EQ(String("<font size=\"10\">") + smallText + "</font>", Split(stored, Chr(13)).back());
}

} // namespace
