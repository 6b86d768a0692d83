#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/Application.h"
#include "framework/Control.h"
#include "framework/Graphics.h"

namespace {

// A control with the text field's and the canvas's events, without a widget.
class ProbeControl : public Control {
public:
    std::string ClassName() const override { return "ProbeControl"; }
    bool pressKey(const String& key)
    {
        bool consumed = false;
        Raise<bool(String)>("KeyDown", &consumed, key);
        return consumed;
    }
    bool mouseDown(int32_t x, int32_t y)
    {
        bool handled = false;
        return Raise<bool(int32_t, int32_t)>("MouseDown", &handled, x, y) && handled;
    }

protected:
    std::map<std::string, std::string> Events() const override
    {
        return {{"Open", "(  )"},
                {"KeyDown", "( String ) as Boolean"},
                {"MouseDown", "( Int32, Int32 ) as Boolean"},
                {"Paint", "( Graphics )"},
                {"Action", "(  )"}};
    }
};

struct Target {
    std::vector<std::string> calls;
    bool KeyDown(String key)
    {
        calls.push_back("KeyDown " + key.ToUtf8());
        return key == String("\r");
    }
    void KeyDownNoResult(String key) { calls.push_back("void " + key.ToUtf8()); }
    bool MouseDown(int32_t x, int32_t y)
    {
        calls.push_back("MouseDown " + std::to_string(x) + "," + std::to_string(y));
        return true;
    }
    void Paint(Graphics&) { calls.push_back("Paint"); }
    void Action() { calls.push_back("Action"); }
    bool Menu() { return true; }
};

TEST(Delegates, SignatureTextsOfTheBoundEvents)
{
    EXPECT_EQ(SignatureText<bool(String)>(), "( String ) as Boolean");
    EXPECT_EQ(SignatureText<void(Graphics&)>(), "( Graphics )");
    EXPECT_EQ(SignatureText<void()>(), "(  )");
    EXPECT_EQ(SignatureText<bool(int32_t, int32_t)>(), "( Int32, Int32 ) as Boolean");
    EXPECT_EQ(SignatureText<bool()>(), "(  ) as Boolean");
}

// The declared text must be exactly the method's: one blank too few or too many is a different signature.
TEST(Delegates, CreateDelegateChecksTheDeclaredText)
{
    auto target = std::make_shared<Target>();
    const struct {
        const char* text;
        bool accepted;
    } cases[] = {
        {"( String ) as Boolean", true},  {"(String) as Boolean", false}, {"( String )  as Boolean", false},
        {"( String ) as boolean", false}, {"( String )", false},          {"", false},
    };
    for (const auto& c : cases) {
        const Delegate d = RuntimeCreateDelegate(&Target::KeyDown, target, c.text);
        EXPECT_EQ(!d.IsNil(), c.accepted) << c.text;
        if (c.accepted) {
            EXPECT_EQ(d.Signature(), c.text);
        }
    }
    EXPECT_TRUE(RuntimeCreateDelegate(&Target::KeyDown, std::shared_ptr<Target>(), "( String ) as Boolean").IsNil());
    // A delegate hands out its callable only under its own signature.
    const Delegate d = RuntimeCreateDelegate(&Target::KeyDown, target, "( String ) as Boolean");
    EXPECT_NE(d.As<bool(String)>(), nullptr);
    EXPECT_EQ(d.As<void(String)>(), nullptr);
    EXPECT_EQ(d.As<bool()>(), nullptr);
}

TEST(Delegates, EventAcceptsOnlyItsOwnSignature)
{
    auto target = std::make_shared<Target>();
    const Delegate keyDown = RuntimeCreateDelegate(&Target::KeyDown, target, "( String ) as Boolean");
    const Delegate keyDownVoid = RuntimeCreateDelegate(&Target::KeyDownNoResult, target, "( String )");
    const Delegate mouseDown = RuntimeCreateDelegate(&Target::MouseDown, target, "( Int32, Int32 ) as Boolean");
    const Delegate paint = RuntimeCreateDelegate(&Target::Paint, target, "( Graphics )");
    const Delegate action = RuntimeCreateDelegate(&Target::Action, target, "(  )");
    const struct {
        const char* label;
        std::string event;
        Delegate handler;
        bool accepted;
    } cases[] = {
        {"KeyDown", "KeyDown", keyDown, true},
        {"KeyDown without result", "KeyDown", keyDownVoid, false},
        {"KeyDown given MouseDown's handler", "KeyDown", mouseDown, false},
        {"KeyDown given a nil handler", "KeyDown", Delegate(), false},
        {"MouseDown", "MouseDown", mouseDown, true},
        {"MouseDown given Paint's handler", "MouseDown", paint, false},
        {"Paint", "Paint", paint, true},
        {"Action", "Action", action, true},
        {"Open given Paint's handler", "Open", paint, false},
        {"an event the class lacks", "KeyUp", keyDown, false},
        {"event names are exact", "keydown", keyDown, false},
    };
    for (const auto& c : cases) {
        ProbeControl control;
        EXPECT_EQ(control.InstallEventHandler(c.event, c.handler), c.accepted) << c.label;
        EXPECT_EQ(control.HasHandler(c.event), c.accepted) << c.label << ": the control keeps no refused handler";
    }
}

TEST(Delegates, BoundHandlerDecidesWhetherTheKeyIsConsumed)
{
    auto target = std::make_shared<Target>();
    ProbeControl control;
    EXPECT_FALSE(control.pressKey("\r")) << "no handler: nothing consumed";
    ASSERT_TRUE(control.InstallEventHandler("KeyDown", RuntimeCreateDelegate(&Target::KeyDown, target,
                                                                             "( String ) as Boolean")));
    // A refused handler leaves the bound one in place.
    EXPECT_FALSE(control.InstallEventHandler(
        "KeyDown", RuntimeCreateDelegate(&Target::KeyDownNoResult, target, "( String )")));
    EXPECT_TRUE(control.pressKey("\r"));
    EXPECT_FALSE(control.pressKey("a"));
    ASSERT_TRUE(control.InstallEventHandler("MouseDown", RuntimeCreateDelegate(&Target::MouseDown, target,
                                                                               "( Int32, Int32 ) as Boolean")));
    EXPECT_TRUE(control.mouseDown(3, -4));
    EXPECT_EQ(target->calls, (std::vector<std::string>{"KeyDown \r", "KeyDown a", "MouseDown 3,-4"}));
}

// A handler whose target is gone raises the nil-object exception, which
// reaches the handler of last resort; the caller goes on.
TEST(Delegates, GoneTargetEndsInTheLastResortHandler)
{
    std::vector<std::string> reports;
    auto previous = SetUnhandledExceptionSink([&](const std::string& s) { reports.push_back(s); });
    ProbeControl control;
    {
        auto target = std::make_shared<Target>();
        ASSERT_TRUE(control.InstallEventHandler(
            "KeyDown", RuntimeCreateDelegate(&Target::KeyDown, target, "( String ) as Boolean")));
    }
    EXPECT_FALSE(control.pressKey("\r"));
    SetUnhandledExceptionSink(previous);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("NilObjectException"), std::string::npos) << reports[0];
}

TEST(Delegates, MenuHandlersNeedTheMenuSignature)
{
    auto target = std::make_shared<Target>();
    Application app;
    EXPECT_FALSE(app._AddMenuHandler("HelpHelp", RuntimeCreateDelegate(&Target::Action, target, "(  )")));
    EXPECT_FALSE(app._AddMenuHandler("HelpHelp", Delegate()));
    EXPECT_FALSE(app.HasMenuHandler("HelpHelp"));
    EXPECT_FALSE(app.HandleMenuItem("HelpHelp"));
    EXPECT_TRUE(app._AddMenuHandler("HelpHelp", RuntimeCreateDelegate(&Target::Menu, target, "(  ) as Boolean")));
    EXPECT_TRUE(app.HandleMenuItem("HelpHelp"));
    EXPECT_FALSE(app.HandleMenuItem("HelpAboutQuibZerevarove"));
}

} // namespace
