// Windows and their fields as the framework shows them: where a window lands
// when shown, bringing it back, and which keys a field types.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>

#include "WidgetTestSupport.h"
#include "framework/Controls.h"
#include "framework/Controls_p.h"
#include "framework/Window_p.h"

namespace {

class FieldsWindow : public Window {
public:
    static constexpr const char* kClassName = "tests.FieldsWindow";
    std::string ClassName() const override { return kClassName; }
    explicit FieldsWindow(int fields = 1) : m_fields(fields) {}
    void CreateControls() override
    {
        for (int i = 0; i < m_fields; ++i) {
            auto field = __New<EditField>();
            field->Constructor();
            _AddControl(String("Field" + std::to_string(i)), field);
            field->SetLeft(10);
            field->SetTop(10 + 40 * i);
            field->SetWidth(200);
            field->SetHeight(30);
        }
    }
    void Event_Resized() override { ++resized; }
    Ref<EditField> field(int i = 0) const
    {
        return RuntimeCheckCast<EditField>(ControlByName(String("Field" + std::to_string(i))));
    }
    int resized = 0;

private:
    int m_fields;
};

Ref<FieldsWindow> openWindow(int fields = 1)
{
    auto w = std::make_shared<FieldsWindow>(fields);
    w->Construct();
    pumpEvents();
    return w;
}

class WindowFrameTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        for (const auto& w : OpenWindows()) w->Close();
        pumpEvents();
    }
};

TEST_F(WindowFrameTest, TabIsTypedOnlyIntoAFieldThatAcceptsTabs)
{
    const struct {
        bool acceptTabs;
        int fields;
        int key;
        const char* after;
    } cases[] = {
        {false, 1, Qt::Key_Tab, "ab"},     {false, 1, Qt::Key_Backtab, "ab"}, {false, 2, Qt::Key_Tab, "ab"},
        {true, 1, Qt::Key_Tab, "ab\t"},    {true, 2, Qt::Key_Tab, "ab\t"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "accepts tabs " << c.acceptTabs << ", " << c.fields << " field(s), key "
                                          << c.key);
        const auto w = openWindow(c.fields);
        const auto field = w->field();
        field->SetAcceptTabs(c.acceptTabs);
        field->SetText("ab");
        field->SetSelStart(2);
        field->priv().widget->setFocus();
        QKeyEvent e(QEvent::KeyPress, c.key, c.key == Qt::Key_Backtab ? Qt::ShiftModifier : Qt::NoModifier, "\t");
        QCoreApplication::sendEvent(field->priv().widget, &e);
        EXPECT_EQ(field->Text().ToUtf8(), c.after);
        w->Close();
        pumpEvents();
    }
}

// Each case is shown, then checked: the frame, title bar included, lies on the
// screen, and a window that fits keeps its size.
TEST_F(WindowFrameTest, ShowPutsTheWholeWindowOnTheScreen)
{
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const struct {
        const char* name;
        int32_t left, top, width, height;
    } cases[] = {
        {"inside", 100, 100, 300, 120},
        {"off the left", -200, 100, 300, 120},
        {"off the right", area.right() - 10, 100, 300, 120},
        {"above the top", 100, -5, 300, 120},
        {"off the bottom", 100, area.bottom() - 10, 300, 120},
        {"too big", 40, 10, 100000, 100000},
        {"far away", 2500 + area.width(), 1800 + area.height(), 300, 120},
    };
    const auto w = openWindow();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        w->SetVisible(false); // placed while hidden, as a window is before it opens
        w->SetTop(c.top);
        w->SetLeft(c.left);
        w->SetWidth(c.width);
        w->SetHeight(c.height);
        const int resizedBefore = w->resized;
        const QSize asked(w->Width(), w->Height());
        w->Show();
        pumpEvents();
        const QRect frame = w->priv().frame->frameGeometry();
        EXPECT_TRUE(area.contains(frame)) << frame.x() << "," << frame.y() << " " << frame.width() << "x"
                                          << frame.height();
        const bool fits = c.width < area.width() - 20 && c.height < area.height() - 40;
        if (fits) {
            EXPECT_EQ(QSize(w->Width(), w->Height()), QSize(c.width, c.height));
        }
        // Made smaller to fit, the window hears of its new size.
        EXPECT_EQ(w->resized > resizedBefore, QSize(w->Width(), w->Height()) != asked);
    }
}

TEST_F(WindowFrameTest, ShowBringsBackAMinimisedWindow)
{
    const auto first = openWindow();
    const auto second = openWindow();
    ASSERT_TRUE(pumpUntil([&] { return second->priv().frame->isActiveWindow(); }));
    first->priv().frame->setWindowState(Qt::WindowMinimized);
    ASSERT_TRUE(pumpUntil([&] { return first->priv().frame->isMinimized(); }));
    first->Show();
    EXPECT_TRUE(pumpUntil([&] { return !first->priv().frame->isMinimized() && first->priv().frame->isActiveWindow(); }));
    EXPECT_TRUE(first->Visible());
}

} // namespace
