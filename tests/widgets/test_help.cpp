#include <gtest/gtest.h>

#include "WidgetTestSupport.h"
#include "about/winHelp.h"
#include "app/App.h"
#include "framework/Controls.h"

namespace {

TEST(HelpWindow, OneWindowThatOkClosesAndTheNextCommandBuildsAfresh)
{
    const Ref<Application> saved = _GetAppObject();
    const Ref<App> app = std::make_shared<App>();
    _RuntimeRegisterAppObject(app);
    _ApplicationAddMenuHandlers();
    const auto open = [] { return RuntimeCheckCast<winHelp>(_GetImplicitWindow(winHelp::kClassName)); };
    const auto button = [](const Ref<Window>& w) { return RuntimeCheckCast<PushButton>(w->ControlByName("PushButton1")); };

    EXPECT_FALSE(open());
    ASSERT_TRUE(app->HandleMenuItem("HelpHelp"));
    const auto first = open();
    ASSERT_TRUE(first);
    EXPECT_TRUE(first->Visible());
    const auto label = RuntimeCheckCast<StaticText>(first->ControlByName("StaticText1"));
    ASSERT_TRUE(label && button(first));
    EXPECT_EQ(first->Title(), String("Help"));
    EXPECT_EQ(label->Text(), String("Help is not available"));
    EXPECT_EQ(button(first)->Caption(), String("OK"));
    EXPECT_GT(button(first)->Top(), label->Top() + label->Height()) << "the label stands above the button";
    ASSERT_TRUE(app->HandleMenuItem("HelpHelp"));
    EXPECT_EQ(open(), first);

    first->SetWidth(400);
    button(first)->Push();
    EXPECT_FALSE(first->IsOpen());
    EXPECT_FALSE(open());

    ASSERT_TRUE(app->HandleMenuItem("HelpHelp"));
    const auto second = open();
    ASSERT_TRUE(second);
    EXPECT_NE(second, first);
    EXPECT_EQ(second->Width(), 300) << "nothing carries over from the closed window";
    int helpWindows = 0;
    for (const auto& w : OpenWindows()) helpWindows += RuntimeCheckCast<winHelp>(w) != nullptr;
    EXPECT_EQ(helpWindows, 1);

    second->Close();
    EXPECT_FALSE(open());
    pumpEvents();
    _RuntimeRegisterAppObject(saved);
}

} // namespace
