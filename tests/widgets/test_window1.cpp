// The main window: one implicit instance, its fields, its declared layout and its keys.
#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QTextEdit>

#include <cstdlib>
#include <filesystem>

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
        setenv("QZ_RESOURCE_FILE", QZ_BINARY_DIR "/quib-zerevarove.rcc", 0);
        ASSERT_EQ(_GetImplicitWindow(Window1::kClassName), nullptr) << "a main window is still open";
        std::filesystem::remove(std::filesystem::path(std::getenv("XDG_CONFIG_HOME")) / "QuibZerevarovePrefs.plist");
        ApplicationTesting::Reset();
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
    struct Seen {
        int32_t beepsUbound = 99;
        bool rIsNil = false;
        int32_t mouseX = 99, mouseY = 99, mLeft = 99, mTop = 99;
        bool mResizing = true;
        bool findable = false;
        int controls = 0;
    } seen;

    void Event_Open() override
    {
        seen = {Ubound(beeps), r == nullptr, mouseX(), mouseY(), left0(), top0(), resizing(),
                _GetImplicitWindow(kClassName).get() == this, static_cast<int>(Controls().size())};
        Window1::Event_Open();
    }
};

TEST_F(Window1Test, NamingItTwiceGivesOneWindow)
{
    auto first = Window1::Instance();
    auto second = Window1::Instance();
    EXPECT_EQ(first, second);
    int mainWindows = 0;
    for (const auto& w : OpenWindows()) mainWindows += w->ClassName() == Window1::kClassName;
    EXPECT_EQ(mainWindows, 1);
    EXPECT_EQ(_GetImplicitWindow("Window1.Window1"), first);
}

TEST_F(Window1Test, FieldsBeforeOpenThenSoundsAfter)
{
    auto w = std::make_shared<ProbeWindow1>();
    // Made but not constructed: the declared initial values.
    EXPECT_EQ(Ubound(w->beeps), -1);
    EXPECT_EQ(w->r, nullptr);
    w->Construct();
    const auto& s = w->seen;
    EXPECT_EQ(s.beepsUbound, -1);
    EXPECT_TRUE(s.rIsNil);
    EXPECT_EQ(s.mouseX, 0);
    EXPECT_EQ(s.mouseY, 0);
    EXPECT_EQ(s.mLeft, 0);
    EXPECT_EQ(s.mTop, 0);
    EXPECT_FALSE(s.mResizing);
    EXPECT_TRUE(s.findable) << "Open must find the window as its class's implicit instance";
    EXPECT_EQ(s.controls, 2) << "controls are made before Open";
    // Open read the preferences (reaching this same window) and built the sound bank.
    EXPECT_EQ(Window1::Instance(), w);
    EXPECT_EQ(w->beeps.size(), 94u);
    EXPECT_NE(w->r, nullptr);
}

TEST_F(Window1Test, DeclaredLayoutIsApplied)
{
    auto w = Window1::Instance();
    EXPECT_EQ(w->Width(), 400);
    EXPECT_EQ(w->Height(), 120);
    EXPECT_EQ(w->Title(), String("Quib Zerevarove"));
    EXPECT_EQ(w->MinWidth, 100);
    EXPECT_EQ(w->MinHeight, 60);
    EXPECT_TRUE(w->Visible());
    EXPECT_TRUE(w->priv().frame->windowFlags().testFlag(Qt::FramelessWindowHint)) << "no system frame";
    EXPECT_EQ(w->priv().content->palette().color(QPalette::Window), QColor(0, 0, 0));

    ASSERT_EQ(w->Controls().size(), 2u);
    EXPECT_EQ(w->Controls()[0]->Name, String("EditField1"));
    EXPECT_EQ(w->Controls()[1]->Name, String("t"));

    auto field = w->EditField1();
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->Index, INT32_MIN);
    EXPECT_EQ(field->Left(), 20);
    EXPECT_EQ(field->Top(), 20);
    EXPECT_EQ(field->Width(), 360);
    EXPECT_EQ(field->Height(), 80);
    EXPECT_TRUE(field->LockLeft && field->LockTop && field->LockRight && field->LockBottom);
    EXPECT_TRUE(field->Multiline());
    EXPECT_FALSE(field->Styled());
    EXPECT_FALSE(field->ReadOnly());
    EXPECT_EQ(field->Text(), String());
    auto* edit = qobject_cast<QTextEdit*>(field->priv().widget.data());
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->parentWidget(), w->priv().content.data());
    EXPECT_EQ(edit->geometry(), QRect(20, 20, 360, 80));
    EXPECT_TRUE(edit->font().bold());
    EXPECT_DOUBLE_EQ(qtPointsToLayout(edit->font().pointSizeF()), 14.0);
    EXPECT_EQ(edit->palette().color(QPalette::Text), QColor(0x00, 0xFF, 0x00));
    EXPECT_EQ(edit->palette().color(QPalette::Base), QColor(0x22, 0x22, 0x22));
    EXPECT_EQ(edit->frameShape(), QFrame::NoFrame) << "borderless";
    EXPECT_EQ(edit->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(edit->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);

    auto t = w->t();
    ASSERT_NE(t, nullptr) << "t is a Translate";
    EXPECT_EQ(t->Priority, 5);
    EXPECT_EQ(t->StackSize, 0);
    EXPECT_FALSE(t->Cancelled);
    EXPECT_EQ(t->Text, String());
    EXPECT_EQ(t->ownerWindow(), w);
    EXPECT_FALSE(t->IsRunning());
}

// Locked to all four edges: the field keeps 20-pixel margins at any size.
TEST_F(Window1Test, FieldFollowsTheWindowSize)
{
    auto w = Window1::Instance();
    auto field = w->EditField1();
    ASSERT_NE(field, nullptr);
    const struct {
        int32_t width, height;
    } sizes[] = {{600, 300}, {401, 121}, {100, 60}, {1000, 61}, {400, 120}};
    for (const auto& s : sizes) {
        w->SetWidth(s.width);
        w->SetHeight(s.height);
        pumpEvents(5);
        ASSERT_EQ(w->Width(), s.width);
        ASSERT_EQ(w->Height(), s.height);
        EXPECT_EQ(field->Left(), 20) << s.width << " x " << s.height;
        EXPECT_EQ(field->Top(), 20) << s.width << " x " << s.height;
        EXPECT_EQ(field->Width(), s.width - 40) << s.width << " x " << s.height;
        EXPECT_EQ(field->Height(), s.height - 40) << s.width << " x " << s.height;
        EXPECT_EQ(field->priv().widget->geometry(), QRect(20, 20, s.width - 40, s.height - 40));
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
    QWidget* edit = field->priv().widget;
    auto press = [&](int key, Qt::KeyboardModifiers mods, const QString& text) {
        QKeyEvent e(QEvent::KeyPress, key, mods, text);
        QCoreApplication::sendEvent(edit, &e);
    };
    field->SetText("ab");
    field->SetSelStart(2);

    const struct {
        const char* label;
        int key;
        Qt::KeyboardModifiers mods;
        QString text;
        const char* after;
        bool startsTranslation;
    } cases[] = {
        {"Return", Qt::Key_Return, Qt::NoModifier, "\r", "ab", true},
        {"Shift+Return", Qt::Key_Return, Qt::ShiftModifier, "\r", "ab", true},
        {"keypad Enter", Qt::Key_Enter, Qt::KeypadModifier, "\r", "ab", true},
        {"Escape", Qt::Key_Escape, Qt::NoModifier, "\x1b", "ab", false},
        {"a letter", Qt::Key_C, Qt::NoModifier, "c", "abc", false},
        {"a blank", Qt::Key_Space, Qt::NoModifier, " ", "abc ", false},
        {"Backspace", Qt::Key_Backspace, Qt::NoModifier, "\b", "abc", false},
    };
    for (const auto& c : cases) {
        press(c.key, c.mods, c.text);
        EXPECT_EQ(field->Text().ToUtf8(), c.after) << c.label;
        EXPECT_EQ(t->IsRunning(), c.startsTranslation) << c.label;
        if (c.startsTranslation) {
            EXPECT_EQ(t->Text, String("ab")) << c.label;
            EXPECT_FALSE(t->Cancelled) << c.label;
            // Escape stops it after the sound that is playing.
            press(Qt::Key_Escape, Qt::NoModifier, "\x1b");
            EXPECT_TRUE(t->Cancelled) << c.label;
            EXPECT_TRUE(pumpUntil([&] { return !t->IsRunning(); }, 5000)) << c.label;
            EXPECT_EQ(field->Text().ToUtf8(), c.after) << c.label;
            EXPECT_EQ(field->SelLength(), 0);
            field->SetSelStart(Len(field->Text()));
        }
    }
}

} // namespace
