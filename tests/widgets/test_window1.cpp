// The main window: its keys, the field's margins, and the mouse: the grip,
// resizing within the minimum and the contextual menu's items.
#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QMouseEvent>

#include <tuple>

#include "WidgetTestSupport.h"
#include "about/AboutWindow.h"
#include "app/App.h"
#include "core/Translate.h"
#include "core/Window1.h"
#include "framework/Controls.h"
#include "framework/Controls_p.h"
#include "framework/Window_p.h"

namespace {

// Records each size set.
class ProbeWindow1 : public Window1 {
public:
    std::vector<std::pair<int32_t, int32_t>> sizes;

    void Event_Resizing() override
    {
        sizes.emplace_back(Width(), Height());
        Window1::Event_Resizing();
    }
};

class Window1Test : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(startWithoutMainWindow());
        _RuntimeRegisterAppObject(std::make_shared<App>()); // the About window reads its version from it
        w = std::make_shared<ProbeWindow1>();
        w->Construct();
    }
    void TearDown() override
    {
        if (auto t = w->t()) t->Cancelled = true;
        pumpUntil([&] { return !w->t() || !w->t()->IsRunning(); }, 5000);
        for (const auto& open : OpenWindows()) open->Close();
        pumpEvents(10);
        ApplicationTesting::Reset();
        _RuntimeRegisterAppObject(m_savedApp);
    }
    void resize(int32_t width, int32_t height)
    {
        w->SetWidth(width);
        w->SetHeight(height);
        pumpEvents(5);
        w->sizes.clear();
    }

    Ref<ProbeWindow1> w;
    const Ref<Application> m_savedApp = _GetAppObject();
};

// Return, keypad Enter and Escape belong to the translation and never reach
// the text; every other key is typed.
TEST_F(Window1Test, TranslationKeysAreConsumedOthersTyped)
{
    auto field = w->EditField1();
    auto t = w->t();
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
        {Qt::Key_Backspace, Qt::NoModifier, "\b", "abc", false},  {Qt::Key_C, Qt::ControlModifier, "\x03", "abc", false},
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

// Locked to all four edges, the field keeps 20-pixel margins at any size; a
// dimension whose delta is 0 is not set, one at its minimum is set again.
TEST_F(Window1Test, ResizeWindowAppliesTheDeltaWithinTheMinimum)
{
    using Sets = std::vector<std::pair<int32_t, int32_t>>;
    const struct {
        int32_t fromW, fromH, dx, dy;
        Sets sets; // the size after each set, in order
    } cases[] = {
        {400, 120, 30, -10, {{430, 120}, {430, 110}}},     {400, 120, -400, -100, {{100, 120}, {100, 60}}},
        {400, 120, 0, 15, {{400, 135}}},                   {400, 120, 0, 0, {}},
        {100, 120, -5, 0, {{100, 120}}},                   {100, 60, 900, 2, {{1000, 60}, {1000, 62}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.fromW << " x " << c.fromH << " by " << c.dx << ", " << c.dy);
        resize(c.fromW, c.fromH);
        w->ResizeWindow(c.dx, c.dy);
        EXPECT_EQ(w->sizes, c.sets);
        const auto [width, height] = c.sets.empty() ? std::pair{c.fromW, c.fromH} : c.sets.back();
        EXPECT_EQ(std::pair(w->Width(), w->Height()), std::pair(width, height));
        pumpEvents(5);
        EXPECT_EQ(w->EditField1()->priv().widget->geometry(), QRect(20, 20, width - 40, height - 40));
    }
}

// A press in the 10 x 10 square at the lower-right corner starts a resize, one
// elsewhere a move; the mouse over the square shows the resize cursor.
TEST_F(Window1Test, GripIsTheTenByTenSquareAtTheLowerRightCorner)
{
    resize(400, 120);
    for (const auto& [x, y, in] : {std::tuple{390, 110, true}, {389, 110, false}, {390, 109, false},
                                   {399, 119, true}, {5, 60, false}}) {
        SCOPED_TRACE(::testing::Message() << x << ", " << y);
        for (const auto type : {QEvent::MouseMove, QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            const QPointF global(w->Left() + x, w->Top() + y);
            QMouseEvent e(type, QPointF(x, y), global, Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
            QCoreApplication::sendEvent(w->priv().content, &e);
        }
        EXPECT_EQ(w->resizing(), in);
        EXPECT_EQ(w->CurrentMouseCursor(), in ? ArrowNorthwestSoutheast : ArrowCursor);
    }
}

// Only the two exact texts act; every item is reported handled. Quit comes last.
TEST_F(Window1Test, ContextualActionsActOnTheirExactTextsOnly)
{
    for (const std::string text : {"-", "quit", "Quit ", "About", "About Quib Zerevarove\u2026",
                                   "About Quib Zerevarove...", "Quit"}) {
        SCOPED_TRACE(text);
        auto item = std::make_shared<MenuItem>();
        item->Constructor(text);
        EXPECT_TRUE(w->Event_ContextualMenuAction(item));
        EXPECT_EQ(_GetImplicitWindow(AboutWindow::kClassName) != nullptr, text.starts_with("About Quib Zerevarove.."));
        EXPECT_EQ(IsQuitting(), text == "Quit");
    }
    EXPECT_EQ(_GetImplicitWindow(Window1::kClassName), nullptr) << "Quit closed the main window";
}

} // namespace
