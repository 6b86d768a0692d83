#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "framework/Properties.h"
#include "resources/PropertyNames.h"
#include "resources/Records.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Sequence = std::span<const std::string_view>;

// A raw record written out by hand: text pieces and byte lists back to back.
struct Piece {
    Piece(const char* text) : bytes(text, text + std::char_traits<char>::length(text)) {}
    Piece(std::initializer_list<int> raw) { for (int b : raw) bytes.push_back(std::uint8_t(b)); }
    Bytes bytes;
};
Bytes Raw(std::initializer_list<Piece> pieces)
{
    Bytes out;
    for (const auto& p : pieces) out.insert(out.end(), p.bytes.begin(), p.bytes.end());
    return out;
}

std::optional<PropertyValue> ValueOf(std::span<const std::uint8_t> record, std::string_view name)
{
    for (auto& e : DecodeRecord(record).entries)
        if (e.name == name) return e.value;
    return std::nullopt;
}

// Bytes one decoded entry took: its name, a blank and its value.
std::size_t EntrySize(const PropertyEntry& e)
{
    switch (*PropertyTypeOf(e.name)) {
    case PropertyType::Int32: return e.name.size() + 5;
    case PropertyType::Boolean: return e.name.size() + 2;
    case PropertyType::Color: return e.name.size() + 4;
    case PropertyType::String: return e.name.size() + 5 + std::get<String>(e.value).ToUtf8().size();
    }
    return 0;
}

struct RecordCase {
    const char* label;
    std::span<const std::uint8_t> record;
    Sequence sequence;
    std::size_t size;
    const char* controlName; // nullptr for windows and the thread control
};

const RecordCase kRecordCases[] = {
    {"Window1", kWindow1Record, layout::kWindowSequence, 298, nullptr},
    {"EditField1", kEditField1Record, layout::kEditFieldSequence, 486, "EditField1"},
    {"t", kTRecord, layout::kTranslateSequence, 38, nullptr},
    {"AboutWindow", kAboutWindowRecord, layout::kWindowSequence, 283, nullptr},
    {"AppIconCanvas", kAppIconCanvasRecord, layout::kCanvasSequence, 263, "AppIconCanvas"},
    {"StatAppName", kStatAppNameRecord, layout::kStaticTextSequence, 346, "StatAppName"},
    {"StatAppVersion", kStatAppVersionRecord, layout::kStaticTextSequence, 352, "StatAppVersion"},
    {"EditAppCredits", kEditAppCreditsRecord, layout::kEditFieldSequence, 540, "EditAppCredits"},
    {"StatAppCopyright", kStatAppCopyrightRecord, layout::kStaticTextSequence, 356, "StatAppCopyright"},
    {"KvIconCanvas", kKvIconCanvasRecord, layout::kCanvasSequence, 262, "KvIconCanvas"},
    {"winHelp", kWinHelpRecord, layout::kWindowSequence, 287, nullptr},
    {"StaticText1", kStaticText1Record, layout::kStaticTextSequence, 359, "StaticText1"},
    {"PushButton1", kPushButton1Record, layout::kPushButtonSequence, 293, "PushButton1"},
};

class EachRecord : public ::testing::TestWithParam<RecordCase> {};

TEST_P(EachRecord, DecodesWholeInItsKindsSequence)
{
    const auto& c = GetParam();
    ASSERT_EQ(c.record.size(), c.size);
    const auto decoded = DecodeRecord(c.record);
    EXPECT_EQ(decoded.error, "");
    EXPECT_EQ(decoded.consumed, c.size);

    // The decoder may be lenient about a Boolean byte; the record itself is not.
    std::vector<std::string_view> names;
    std::size_t at = 0;
    for (const auto& e : decoded.entries) {
        names.push_back(e.name);
        at += EntrySize(e);
        if (PropertyTypeOf(e.name) == PropertyType::Boolean) {
            EXPECT_LE(c.record[at - 1], 1) << e.name;
        }
    }
    EXPECT_EQ(names, std::vector<std::string_view>(c.sequence.begin(), c.sequence.end()));

    if (c.controlName) {
        EXPECT_EQ(ValueOf(c.record, "Name"), PropertyValue(String(c.controlName)));
        EXPECT_EQ(ValueOf(c.record, "Index"), PropertyValue(std::numeric_limits<std::int32_t>::min()));
    }
}

INSTANTIATE_TEST_SUITE_P(Records, EachRecord, ::testing::ValuesIn(kRecordCases),
                         [](const auto& param) { return std::string(param.param.label); });

// Cutting a record anywhere must never read past the cut: inside an entry the
// decoder stops with an error, at an entry boundary it yields the entries so far.
TEST(DecodeRecord, RecordCutAtEveryLength)
{
    const auto full = DecodeRecord(kEditAppCreditsRecord);
    ASSERT_EQ(full.error, "");
    std::vector<std::size_t> boundaries{0};
    for (const auto& e : full.entries) boundaries.push_back(boundaries.back() + EntrySize(e));
    ASSERT_EQ(boundaries.back(), kEditAppCreditsRecord.size());

    for (std::size_t cut = 0; cut < kEditAppCreditsRecord.size(); ++cut) {
        // A heap copy of exactly the cut bytes, so a sanitizer build sees any overread.
        const Bytes piece(kEditAppCreditsRecord.begin(), kEditAppCreditsRecord.begin() + cut);
        const auto decoded = DecodeRecord(piece);
        const auto whole = std::upper_bound(boundaries.begin(), boundaries.end(), cut) - boundaries.begin() - 1;
        EXPECT_EQ(decoded.error.empty(), boundaries[whole] == cut) << "cut " << cut;
        EXPECT_EQ(decoded.consumed, boundaries[whole]) << "cut " << cut;
        EXPECT_EQ(decoded.entries.size(), std::size_t(whole)) << "cut " << cut;
    }
}

TEST(DecodeRecord, MalformedRecordsStopWithAnError)
{
    const struct {
        const char* what;
        Bytes record;
        std::size_t entries, consumed;
    } cases[] = {
        {"unknown name after a good entry", Raw({"Placement ", {0, 0, 0, 0}, "Bogus ", {1}}), 1, 14},
        {"name differs only in case", Raw({"visible ", {1}}), 0, 0},
        {"empty name", Raw({" Visible ", {1}}), 0, 0},
        {"string count beyond the end", Raw({"Title ", {0, 0, 0, 5}, "abc"}), 0, 0},
        {"string count negative", Raw({"Title ", {0xFF, 0xFF, 0xFF, 0xFF}, "abc"}), 0, 0},
    };
    for (const auto& c : cases) {
        const auto decoded = DecodeRecord(c.record);
        EXPECT_NE(decoded.error, "") << c.what;
        EXPECT_EQ(decoded.entries.size(), c.entries) << c.what;
        EXPECT_EQ(decoded.consumed, c.consumed) << c.what;
    }
}

} // namespace
