// The main window: one implicit instance, its fields, its declared layout and its keys.
#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QTextEdit>

#include <cstdlib>
#include <filesystem>
#include <tuple>

#include "WidgetTestSupport.h"
#include "core/Translate.h"
#include "core/Window1.h"
#include "framework/Controls.h"
#include "framework/Controls_p.h"
#include "framework/Window_p.h"

namespace {

// Fresh preferences and no main window before each test; the quit that
// closing the main window asks for is forgotten after it.
class Window1Test : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(startWithoutMainWindow());
        std::filesystem::remove(std::filesystem::path(std::getenv("XDG_CONFIG_HOME")) / "QuibZerevarovePrefs.plist");
    }
    void TearDown() override
    {
        if (auto w = _GetImplicitWindow(Window1::kClassName)) {
            if (auto t = RuntimeCheckCast<Window1>(w)->t()) t->Cancelled = true;
            pumpUntil([&] { auto t = RuntimeCheckCast<Window1>(w)->t(); return !t || !t->IsRunning(); }, 5000);
            w->Close();
        }
        pumpEvents(10);
        ApplicationTesting::Reset();
    }
};

// Records the fields as the Open event finds them, then opens as the main window does.
class ProbeWindow1 : public Window1 {
public:
    // beeps' Ubound, r is nil, MouseX, MouseY, mLeft, mTop, mResizing, found as the implicit instance, controls
    std::tuple<int32_t, bool, int32_t, int32_t, int32_t, int32_t, bool, bool, std::size_t> seen{};

    void Event_Open() override
    {
        seen = {Ubound(beeps), r == nullptr, mouseX(), mouseY(), left0(), top0(), resizing(),
                _GetImplicitWindow(kClassName).get() == this, Controls().size()};
        Window1::Event_Open();
    }
};

TEST_F(Window1Test, NamingItTwiceGivesOneWindow)
{
    auto first = Window1::Instance();
    EXPECT_EQ(Window1::Instance(), first);
    int mainWindows = 0;
    for (const auto& w : OpenWindows()) mainWindows += w->ClassName() == Window1::kClassName;
    EXPECT_EQ(mainWindows, 1);
}

// Open finds the declared initial values, the controls made, and itself as the implicit instance.
TEST_F(Window1Test, FieldsBeforeOpenThenSoundsAfter)
{
    auto w = std::make_shared<ProbeWindow1>();
    w->Construct();
    EXPECT_EQ(w->seen, std::tuple(-1, true, 0, 0, 0, 0, false, true, std::size_t{2}));
    EXPECT_EQ(w->beeps.size(), 94u) << "Open built the sound bank";
    EXPECT_NE(w->r, nullptr);
}

TEST_F(Window1Test, DeclaredLayoutIsApplied)
{
    auto w = Window1::Instance();
    EXPECT_EQ(w->Title(), String("Quib Zerevarove"));
    EXPECT_EQ(std::pair(w->MinWidth, w->MinHeight), std::pair(100, 60));
    const auto controls = Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint;
    EXPECT_EQ(w->priv().frame->windowFlags() & (controls | Qt::FramelessWindowHint),
              Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint);
    ASSERT_EQ(w->Controls().size(), 2u);
    EXPECT_EQ(w->Controls()[0]->Name, String("EditField1"));
    EXPECT_EQ(w->Controls()[1]->Name, String("t"));

    auto field = w->EditField1();
    ASSERT_NE(field, nullptr);
    auto* edit = qobject_cast<QTextEdit*>(field->priv().widget.data());
    ASSERT_NE(edit, nullptr);
    EXPECT_TRUE(edit->font().bold());
    EXPECT_DOUBLE_EQ(qtPointsToLayout(edit->font().pointSizeF()), 14.0);
    EXPECT_EQ(edit->palette().color(QPalette::Text), QColor(0x00, 0xFF, 0x00));
    EXPECT_EQ(edit->palette().color(QPalette::Base), QColor(0x22, 0x22, 0x22));
    EXPECT_EQ(edit->frameShape(), QFrame::NoFrame) << "borderless";

    ASSERT_NE(w->t(), nullptr) << "t is a Translate";
    EXPECT_EQ(w->t()->Priority, 5);
}

// Locked to all four edges: the field keeps 20-pixel margins at any size.
TEST_F(Window1Test, FieldFollowsTheWindowSize)
{
    auto w = Window1::Instance();
    auto field = w->EditField1();
    ASSERT_NE(field, nullptr);
    for (const auto& [width, height] : {std::pair{400, 120}, {600, 300}, {100, 60}, {780, 61}}) {
        w->SetWidth(width);
        w->SetHeight(height);
        pumpEvents(5);
        EXPECT_EQ(field->priv().widget->geometry(), QRect(20, 20, width - 40, height - 40)) << width << " x " << height;
        EXPECT_EQ(QRect(field->Left(), field->Top(), field->Width(), field->Height()),
                  QRect(20, 20, width - 40, height - 40));
    }
}

// Return, keypad Enter and Escape belong to the translation and never reach
// the text; every other key is typed.
TEST_F(Window1Test, TranslationKeysAreConsumedOthersTyped)
{
    auto w = Window1::Instance();
    auto field = w->EditField1();
    auto t = w->t();
    ASSERT_NE(field, nullptr);
    ASSERT_NE(t, nullptr);
    field->SetText("ab");
    field->SetSelStart(2);
    const struct {
        int key;
        Qt::KeyboardModifiers mods;
        QString text;
        const char* after;
        bool startsTranslation;
    } cases[] = {
        {Qt::Key_Return, Qt::NoModifier, "\r", "ab", true},       {Qt::Key_Return, Qt::ShiftModifier, "\r", "ab", true},
        {Qt::Key_Enter, Qt::KeypadModifier, "\r", "ab", true},    {Qt::Key_Escape, Qt::NoModifier, "\x1b", "ab", false},
        {Qt::Key_C, Qt::NoModifier, "c", "abc", false},           {Qt::Key_Space, Qt::NoModifier, " ", "abc ", false},
        {Qt::Key_Backspace, Qt::NoModifier, "\b", "abc", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "key " << c.key << " modifiers " << c.mods.toInt());
        QKeyEvent e(QEvent::KeyPress, c.key, c.mods, c.text);
        QCoreApplication::sendEvent(field->priv().widget, &e);
        EXPECT_EQ(field->Text().ToUtf8(), c.after);
        EXPECT_EQ(t->IsRunning(), c.startsTranslation);
        if (c.startsTranslation) {
            EXPECT_EQ(t->Text, String("ab"));
            t->Cancelled = true;
            ASSERT_TRUE(pumpUntil([&] { return !t->IsRunning(); }, 5000));
            field->SetSelStart(Len(field->Text()));
        }
    }
}

} // namespace
