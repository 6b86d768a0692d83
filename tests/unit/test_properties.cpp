#include <gtest/gtest.h>

#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "framework/Properties.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes entry(const std::string& name, const Bytes& value)
{
    Bytes out(name.begin(), name.end());
    out.push_back(' ');
    out.insert(out.end(), value.begin(), value.end());
    return out;
}
Bytes int32(int32_t v)
{
    const auto u = static_cast<uint32_t>(v);
    return {uint8_t(u >> 24), uint8_t(u >> 16), uint8_t(u >> 8), uint8_t(u)};
}
Bytes text(const std::string& s)
{
    Bytes out = int32(static_cast<int32_t>(s.size()));
    out.insert(out.end(), s.begin(), s.end());
    return out;
}
Bytes join(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
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

struct CaptureStderr {
    std::ostringstream text;
    std::streambuf* old = std::cerr.rdbuf(text.rdbuf());
    ~CaptureStderr() { std::cerr.rdbuf(old); }
};

// Tables chain to the base class; a value of another type than the setter's is refused, not converted.
TEST(Properties, TablesChainAndValuesArriveIntact)
{
    Derived d;
    EXPECT_TRUE(d.Properties().Knows("Width"));
    EXPECT_FALSE(Base().Properties().Knows("Title"));
    EXPECT_FALSE(d.Properties().Set(d, "Width", PropertyValue(true)));

    const Bytes record = join({entry("Width", int32(-2147483647 - 1)), entry("Title", text("\xC3\xA9\r")),
                               entry("BackColor", {0x00, 0xFF, 0x00}), entry("Visible", {1})});
    CaptureStderr err;
    ASSERT_TRUE(_SetProperties(d, record));
    EXPECT_EQ(err.text.str(), "");
    EXPECT_EQ(d.order, (std::vector<std::string>{"Width", "Title", "BackColor", "Visible"}));
    EXPECT_EQ(d.width, INT32_MIN);
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
        {"a known name the class lacks is skipped",
         join({entry("Width", int32(5)), entry("Height", int32(9)), entry("Visible", {1})}), false,
         {"Width", "Visible"}, "'Height'"},
        {"a name no record may carry ends the record",
         join({entry("Width", int32(5)), entry("Bogus", int32(1)), entry("Visible", {1})}), false, {"Width"},
         "unknown property name 'Bogus'"},
        {"cut inside a value", join({entry("Visible", {1}), Bytes{'T', 'i', 't', 'l', 'e', ' ', 0, 0}}), false,
         {"Visible"}, "ends inside Title"},
        {"string count beyond the end", join({entry("Title", int32(0x7FFFFFFF))}), false, {}, "ends inside Title"},
        {"empty record", {}, true, {}, ""},
    };
    for (const auto& c : cases) {
        Derived d;
        CaptureStderr err;
        EXPECT_EQ(_SetProperties(d, c.record), c.complete) << c.label;
        EXPECT_EQ(d.order, c.applied) << c.label;
        EXPECT_EQ(err.text.str().empty(), c.reported.empty()) << c.label;
        EXPECT_NE(err.text.str().find(c.reported), std::string::npos) << c.label << ": " << err.text.str();
    }
}

} // namespace
