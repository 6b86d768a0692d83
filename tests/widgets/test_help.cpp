#include <gtest/gtest.h>

#include "WidgetTestSupport.h"
#include "about/winHelp.h"
#include "app/App.h"
#include "framework/Controls.h"

namespace {

class HelpWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        _RuntimeRegisterAppObject(app);
        _ApplicationAddMenuHandlers();
    }
    void TearDown() override
    {
        if (auto w = _GetImplicitWindow(winHelp::kClassName)) w->Close();
        pumpEvents();
        _RuntimeRegisterAppObject(saved);
    }

    static Ref<winHelp> open() { return RuntimeCheckCast<winHelp>(_GetImplicitWindow(winHelp::kClassName)); }
    static int openHelpWindows()
    {
        int n = 0;
        for (const auto& w : OpenWindows()) n += RuntimeCheckCast<winHelp>(w) != nullptr;
        return n;
    }

    const Ref<Application> saved = _GetAppObject();
    const Ref<App> app = std::make_shared<App>();
};

TEST_F(HelpWindow, HelpCommandShowsOneWindow)
{
    EXPECT_FALSE(open());
    ASSERT_TRUE(app->HandleMenuItem("HelpHelp"));
    const auto w = open();
    ASSERT_TRUE(w);
    EXPECT_TRUE(w->Visible());
    EXPECT_EQ(w->Title(), String("Help"));
    EXPECT_EQ(w->Width(), 300);
    EXPECT_EQ(w->Height(), 86);
    const auto label = RuntimeCheckCast<StaticText>(w->ControlByName("StaticText1"));
    const auto button = RuntimeCheckCast<PushButton>(w->ControlByName("PushButton1"));
    ASSERT_TRUE(label && button);
    EXPECT_EQ(label->Text(), String("Help is not available"));
    EXPECT_EQ(button->Caption(), String("OK"));
    EXPECT_GT(button->Top(), label->Top() + label->Height()) << "the label stands above the button";

    ASSERT_TRUE(app->HandleMenuItem("HelpHelp"));
    EXPECT_EQ(open(), w);
    EXPECT_EQ(openHelpWindows(), 1);
}

TEST_F(HelpWindow, OkClosesAndTheNextCommandBuildsAfresh)
{
    ASSERT_TRUE(app->HandleMenuItem("HelpHelp"));
    const auto first = open();
    ASSERT_TRUE(first);
    first->SetWidth(400);
    first->SetLeft(first->Left() + 30);
    RuntimeCheckCast<PushButton>(first->ControlByName("PushButton1"))->Push();
    EXPECT_FALSE(first->IsOpen());
    EXPECT_FALSE(first->Visible());
    EXPECT_FALSE(open());

    ASSERT_TRUE(app->HandleMenuItem("HelpHelp"));
    const auto second = open();
    ASSERT_TRUE(second);
    EXPECT_NE(second, first);
    EXPECT_EQ(second->Width(), 300) << "nothing carries over from the closed window";
    EXPECT_EQ(openHelpWindows(), 1);

    // The close box does what OK does.
    second->Close();
    EXPECT_FALSE(open());
}

} // namespace
