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
};

const RecordCase kRecordCases[] = {
    {"Window1", kWindow1Record, layout::kWindowSequence, 298},
    {"EditField1", kEditField1Record, layout::kEditFieldSequence, 486},
    {"t", kTRecord, layout::kTranslateSequence, 38},
    {"AboutWindow", kAboutWindowRecord, layout::kWindowSequence, 283},
    {"AppIconCanvas", kAppIconCanvasRecord, layout::kCanvasSequence, 263},
    {"StatAppName", kStatAppNameRecord, layout::kStaticTextSequence, 346},
    {"StatAppVersion", kStatAppVersionRecord, layout::kStaticTextSequence, 352},
    {"EditAppCredits", kEditAppCreditsRecord, layout::kEditFieldSequence, 540},
    {"StatAppCopyright", kStatAppCopyrightRecord, layout::kStaticTextSequence, 356},
    {"KvIconCanvas", kKvIconCanvasRecord, layout::kCanvasSequence, 262},
    {"winHelp", kWinHelpRecord, layout::kWindowSequence, 287},
    {"StaticText1", kStaticText1Record, layout::kStaticTextSequence, 359},
    {"PushButton1", kPushButton1Record, layout::kPushButtonSequence, 293},
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

// A base class with geometry and a derived one with a title: tables chain.
class Base : public Reflectable {
public:
    int32_t width = 0;
    bool visible = false;
    std::vector<std::string> order;
    std::string ClassName() const override { return "Base"; }
    static const PropertyTable& BaseProperties()
    {
        static const PropertyTable t = [] {
            PropertyTable table;
            table.Add<Base, int32_t>("Width", [](Base& b, int32_t v) { b.width = v; b.order.push_back("Width"); });
            table.Add<Base, bool>("Visible", [](Base& b, bool v) { b.visible = v; b.order.push_back("Visible"); });
            return table;
        }();
        return t;
    }
    const PropertyTable& Properties() const override { return BaseProperties(); }
};

class Derived : public Base {
public:
    String title;
    Color back;
    std::string ClassName() const override { return "Derived"; }
    const PropertyTable& Properties() const override
    {
        static const PropertyTable t = [] {
            PropertyTable table(&Base::BaseProperties());
            table.Add<Derived, String>("Title", [](Derived& d, String v) { d.title = v; d.order.push_back("Title"); });
            table.Add<Derived, Color>("BackColor", [](Derived& d, Color c) { d.back = c; d.order.push_back("BackColor"); });
            return table;
        }();
        return t;
    }
};

// Tables chain to the base class; a value of another type than the setter's is refused, not converted.
TEST(Properties, TablesChainAndValuesArriveIntact)
{
    Derived d;
    EXPECT_TRUE(d.Properties().Knows("Width"));
    EXPECT_FALSE(Base().Properties().Knows("Title"));
    EXPECT_FALSE(d.Properties().Set(d, "Width", PropertyValue(true)));

    const Bytes record = Raw({"Width ", {0xFE, 0xFD, 0xFC, 0xFB}, "Title ", {0, 0, 0, 3, 0xC3, 0xA9, 0x0D}, "BackColor ",
                              {0x00, 0xFF, 0x00}, "Visible ", {1}});
    ::testing::internal::CaptureStderr();
    EXPECT_TRUE(_SetProperties(d, record));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(d.order, (std::vector<std::string>{"Width", "Title", "BackColor", "Visible"}));
    EXPECT_EQ(d.width, -0x01020305);
    EXPECT_EQ(d.title, String("\xC3\xA9\r"));
    EXPECT_EQ(d.back.Rgb(), 0x00FF00u);
    EXPECT_TRUE(d.visible);
}

// Whatever the record holds, _SetProperties applies what it can in record
// order, reports the rest by name on standard error and never crashes.
TEST(Properties, SetPropertiesReportsWhatItCannotApply)
{
    const struct {
        const char* label;
        Bytes record;
        bool complete;
        std::vector<std::string> applied;
        std::string reported; // expected in the report; empty: nothing reported
    } cases[] = {
        {"a known name the class lacks is skipped", Raw({"Width ", {0, 0, 0, 5}, "Height ", {0, 0, 0, 9}, "Visible ", {1}}),
         false, {"Width", "Visible"}, "'Height'"},
        {"a name no record may carry ends the record", Raw({"Width ", {0, 0, 0, 5}, "Bogus ", {1}, "Visible ", {1}}),
         false, {"Width"}, "unknown property name 'Bogus'"},
        {"cut inside a value", Raw({"Visible ", {1}, "Title ", {0, 0}}), false, {"Visible"}, "ends inside Title"},
        {"string count beyond the end", Raw({"Title ", {0x7F, 0xFF, 0xFF, 0xFF}}), false, {}, "ends inside Title"},
        {"empty record", {}, true, {}, ""},
    };
    for (const auto& c : cases) {
        Derived d;
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(_SetProperties(d, c.record), c.complete) << c.label;
        const std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(d.order, c.applied) << c.label;
        EXPECT_EQ(err.empty(), c.reported.empty()) << c.label;
        EXPECT_NE(err.find(c.reported), std::string::npos) << c.label << ": " << err;
    }
}

} // namespace
