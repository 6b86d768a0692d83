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

protected:
    std::map<std::string, std::string> Events() const override
    {
        return {{"Open", "(  )"},
                {"KeyDown", "( String ) as Boolean"},
                {"MouseDown", "( Int32, Int32 ) as Boolean"},
                {"Paint", "( Graphics )"}};
    }
};

struct Target {
    std::vector<std::string> calls;
    bool KeyDown(String key)
    {
        calls.push_back(key.ToUtf8());
        return key == String("\r");
    }
    void KeyDownNoResult(String) {}
    bool MouseDown(int32_t, int32_t) { return true; }
    void Paint(Graphics&) {}
    void Action() {}
    bool Menu() { return true; }
};

// The declared text must be exactly the method's: one blank too few or too many is a different signature.
TEST(Delegates, CreateDelegateChecksTheDeclaredText)
{
    auto target = std::make_shared<Target>();
    for (const char* text : {"(String) as Boolean", "( String )  as Boolean", "( String ) as boolean", "( String )", ""})
        EXPECT_TRUE(RuntimeCreateDelegate(&Target::KeyDown, target, text).IsNil()) << text;
    EXPECT_TRUE(RuntimeCreateDelegate(&Target::KeyDown, std::shared_ptr<Target>(), "( String ) as Boolean").IsNil());
    // A delegate hands out its callable only under its own signature.
    const Delegate d = RuntimeCreateDelegate(&Target::KeyDown, target, "( String ) as Boolean");
    EXPECT_EQ(d.Signature(), "( String ) as Boolean");
    EXPECT_NE(d.As<bool(String)>(), nullptr);
    EXPECT_EQ(d.As<void(String)>(), nullptr);
    EXPECT_EQ(SignatureText<void(Graphics&)>(), "( Graphics )");
    EXPECT_EQ(SignatureText<bool(int32_t, int32_t)>(), "( Int32, Int32 ) as Boolean");
}

TEST(Delegates, EventAcceptsOnlyItsOwnSignature)
{
    auto target = std::make_shared<Target>();
    const Delegate keyDown = RuntimeCreateDelegate(&Target::KeyDown, target, "( String ) as Boolean");
    const Delegate keyDownVoid = RuntimeCreateDelegate(&Target::KeyDownNoResult, target, "( String )");
    const Delegate mouseDown = RuntimeCreateDelegate(&Target::MouseDown, target, "( Int32, Int32 ) as Boolean");
    const Delegate paint = RuntimeCreateDelegate(&Target::Paint, target, "( Graphics )");
    const struct {
        std::string event;
        Delegate handler;
        bool accepted;
    } cases[] = {
        {"KeyDown", keyDown, true},        {"KeyDown", keyDownVoid, false}, {"KeyDown", mouseDown, false},
        {"KeyDown", Delegate(), false},    {"MouseDown", mouseDown, true},  {"MouseDown", paint, false},
        {"Paint", paint, true},            {"Open", paint, false},          {"KeyUp", keyDown, false},
        {"keydown", keyDown, false},
    };
    for (const auto& c : cases) {
        ProbeControl control;
        EXPECT_EQ(control.InstallEventHandler(c.event, c.handler), c.accepted) << c.event << " " << c.handler.Signature();
        EXPECT_EQ(control.HasHandler(c.event), c.accepted) << c.event << ": the control keeps no refused handler";
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
    EXPECT_EQ(target->calls, (std::vector<std::string>{"\r", "a"}));
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
    EXPECT_FALSE(app.HandleMenuItem("HelpHelp"));
    EXPECT_TRUE(app._AddMenuHandler("HelpHelp", RuntimeCreateDelegate(&Target::Menu, target, "(  ) as Boolean")));
    EXPECT_TRUE(app.HandleMenuItem("HelpHelp"));
    EXPECT_FALSE(app.HandleMenuItem("HelpAboutQuibZerevarove"));
}

} // namespace
