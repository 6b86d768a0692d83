// The main window and its translation, stepped turn by turn against the fake
// sound clock: what is selected while each sound plays, which sound plays, how
// it ends; the keys, and resizing.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <QKeyEvent>

#include "WidgetTestSupport.h"
#include "tests/FakeAudioOutput.h"
#include "core/SoundBank.h"
#include "core/Translate.h"
#include "core/Window1.h"
#include "framework/Controls.h"
#include "framework/Controls_p.h"
#include "framework/MsgBox.h"
#include "framework/Thread.h"

namespace {

namespace fs = std::filesystem;

const String kReturn = Chr(13), kEscape = Chr(27);

// What was selected when a sound started.
struct Spoken {
    const Sound* sound;
    int32_t selStart, selLength;
    String selText;
    bool operator==(const Spoken&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Spoken& s)
{
    return os << "sound " << s.sound << " at (" << s.selStart << ", " << s.selLength << ") \"" << s.selText << "\"";
}

class Translation : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("QZ_RESOURCE_FILE", QZ_BINARY_DIR "/quib-zerevarove.rcc", 0);
        ASSERT_EQ(_GetImplicitWindow(Window1::kClassName), nullptr) << "a main window is still open";
        ApplicationTesting::Reset();
        ReleaseSoundItems();
        audio.emplace();
        ThreadTesting::UseManualScheduling(true);
        m_oldSink = SetMsgBoxSink([this](const String& m) { messages.push_back(m.ToUtf8()); });
        m_oldReportSink = SetUnhandledExceptionSink([this](const std::string& r) { reports.push_back(r); });
    }

    void TearDown() override
    {
        if (auto w = _GetImplicitWindow(Window1::kClassName)) w->Close();
        window.reset();
        field.reset();
        pumpEvents(10);
        ThreadTesting::UseManualScheduling(false);
        audio.reset();
        ReleaseSoundItems();
        SetMsgBoxSink(m_oldSink);
        SetUnhandledExceptionSink(m_oldReportSink);
        ApplicationTesting::Reset();
        setenv("QZ_RESOURCE_FILE", QZ_BINARY_DIR "/quib-zerevarove.rcc", 1);
        fs::remove_all(folder);
    }

    void open()
    {
        window = Window1::Instance();
        field = window->EditField1();
        ASSERT_NE(field, nullptr);
        ASSERT_EQ(window->beeps.size(), 94u);
    }

    Ref<Translate> thread() const { return window->t(); }
    const Sound* beep(char c) const { return window->beeps.at(std::size_t(c - 33)).get(); }
    bool key(const String& k) { return field->raiseKeyDown(k); }

    void speak(const String& text)
    {
        field->SetText(text);
        ASSERT_TRUE(key(kReturn));
    }

    // Gives the thread turns until it plays its next sound, and returns what
    // was selected then; nothing once it ends.
    std::optional<Spoken> nextSound()
    {
        const std::size_t before = audio->plays.size();
        for (int turns = 1; turns <= 10000; ++turns) {
            ThreadTesting::RunReadyOnce();
            const auto log = audio->plays;
            if (log.size() > before) {
                EXPECT_EQ(log.back()->RemainingFrames(), log.back()->LengthFrames()) << "played from its start";
                return Spoken{log.back(), field->SelStart(), field->SelLength(), field->SelText()};
            }
            if (!thread()->IsRunning()) return std::nullopt;
        }
        ADD_FAILURE() << "the translation neither played nor ended";
        return std::nullopt;
    }

    // Runs the sound that plays now to its end, checking that nothing else
    // starts meanwhile and, unless the user changed the field, that its
    // character stays selected.
    void finish(const Spoken& s, bool userEdited = false)
    {
        const std::size_t played = audio->plays.size();
        for (int i = 0; i < 4; ++i) {
            ThreadTesting::RunReadyOnce();
            EXPECT_EQ(audio->plays.size(), played) << "nothing starts while a sound plays";
            if (!userEdited) {
                EXPECT_EQ(std::pair(field->SelStart(), field->SelLength()), std::pair(s.selStart, s.selLength));
            }
            audio->advance(s.sound->LengthFrames() / 4);
        }
        audio->advance(s.sound->LengthFrames());
    }

    // The rest of the translation: every sound with its selection, each played to its end.
    std::vector<Spoken> speakAll()
    {
        std::vector<Spoken> out;
        while (auto s = nextSound()) {
            out.push_back(*s);
            finish(*s);
        }
        return out;
    }

    std::optional<FakeAudioOutput> audio;
    Ref<Window1> window;
    Ref<EditField> field;
    std::vector<std::string> messages, reports; // message boxes, and what the handler of last resort showed
    MsgBoxSink m_oldSink;
    UnhandledExceptionSink m_oldReportSink;
    const fs::path folder = fs::temp_directory_path() / ("qz-translation-" + std::to_string(::getpid()));
};

TEST_F(Translation, EachCharacterIsSelectedWhileItsOwnSoundPlays)
{
    open();
    const String del = Chr(127), smiley = "\xF0\x9F\x98\x80", eAcute = "\xC3\xA9";
    const Sound* quiet = silence().get();
    const struct {
        const char* name;
        String text;
        std::vector<Spoken> spoken;
    } cases[] = {
        {"a character beyond the BMP is one", "a" + smiley + "c",
         {{beep('a'), 0, 1, "a"}, {quiet, 1, 1, smiley}, {beep('c'), 2, 1, "c"}}},
        {"both ends of the printable range", "!~", {{window->beeps[0].get(), 0, 1, "!"}, {window->beeps[93].get(), 1, 1, "~"}}},
        {"blanks, controls and accents are silent", " \t\n" + del + eAcute,
         {{quiet, 0, 1, " "}, {quiet, 1, 1, "\t"}, {quiet, 2, 1, "\n"}, {quiet, 3, 1, del}, {quiet, 4, 1, eAcute}}},
        {"the same character twice", "aa", {{beep('a'), 0, 1, "a"}, {beep('a'), 1, 1, "a"}}},
        {"empty", "", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        speak(c.text);
        EXPECT_EQ(speakAll(), c.spoken);
        EXPECT_FALSE(thread()->IsRunning());
        EXPECT_EQ(std::pair(field->SelStart(), field->SelLength()), std::pair(int32_t(c.spoken.size()), 0));
    }
    EXPECT_TRUE(messages.empty() && reports.empty());
}

TEST_F(Translation, EscapeLetsTheSoundEndThenPutsTheCaretAtTheEnd)
{
    open();
    const struct {
        const char* name;
        int soundsBefore; // sounds finished before Escape; -1: while collecting
        std::size_t spoken;
    } cases[] = {{"while collecting", -1, 1}, {"during the first sound", 0, 1}, {"during the third", 2, 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        speak("abcdef");
        if (c.soundsBefore < 0) {
            ThreadTesting::RunReadyOnce();
            EXPECT_TRUE(key(kEscape));
        }
        std::size_t spoken = 0;
        while (auto s = nextSound()) {
            if (int(++spoken) == c.soundsBefore + 1) {
                EXPECT_TRUE(key(kEscape));
                EXPECT_TRUE(s->sound->IsPlaying()) << "Escape stops no sound";
            }
            finish(*s);
        }
        EXPECT_EQ(spoken, c.spoken);
        EXPECT_EQ(std::pair(field->SelStart(), field->SelLength()), std::pair(6, 0)) << "the end of the whole text";
    }
    // Escape is forgotten once the translation ends: the next Return speaks everything.
    speak("xy");
    EXPECT_EQ(speakAll().size(), 2u);
}

TEST_F(Translation, ChangesDuringATranslationDoNotDisturbIt)
{
    open();
    const struct {
        const char* name;
        String text; // what the field holds, with the caret at its end, once the first sound plays
        bool escapeAndReturn;
        std::vector<Spoken> rest;
    } cases[] = {
        {"typing at the start", "XYabcd", false, {{beep('b'), 1, 1, "Y"}, {beep('c'), 2, 1, "a"}, {beep('d'), 3, 1, "b"}}},
        {"shortening the text", "a", false, {{beep('b'), 1, 0, ""}, {beep('c'), 1, 0, ""}, {beep('d'), 1, 0, ""}}},
        {"Escape, then Return again", "wxyz", true, {{beep('b'), 1, 1, "x"}, {beep('c'), 2, 1, "y"}, {beep('d'), 3, 1, "z"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        speak("abcd");
        auto first = nextSound();
        ASSERT_TRUE(first);
        field->SetText(c.text);
        field->SetSelStart(Len(c.text));
        if (c.escapeAndReturn) {
            EXPECT_TRUE(key(kEscape));
            EXPECT_TRUE(key(kReturn));
            EXPECT_FALSE(thread()->Cancelled) << "the second request is dropped; its Escape is withdrawn";
        }
        finish(*first, true);
        EXPECT_EQ(speakAll(), c.rest) << "the sounds and positions of the text it started with";
        EXPECT_EQ(field->SelStart(), std::min(4, Len(c.text)));
    }
}

TEST_F(Translation, ClosingTheWindowEndsTheThreadWithoutReopeningIt)
{
    open();
    speak("abc");
    ASSERT_TRUE(nextSound());
    const auto t = thread();
    window->Close();
    for (int i = 0; i < 5; ++i) ThreadTesting::RunReadyOnce();
    audio->advance(20000);
    t->Run(); // started again on the closed window, it never gets a turn
    for (int i = 0; i < 5; ++i) ThreadTesting::RunReadyOnce();
    EXPECT_FALSE(t->IsRunning());
    EXPECT_EQ(_GetImplicitWindow(Window1::kClassName), nullptr) << "no main window opened anew";
    EXPECT_EQ(audio->plays.size(), 1u);
}

TEST_F(Translation, MissingBeepEndsTheTranslationAtItsCharacter)
{
    // A copy of the resource file in which s07 (175.wav) cannot be found.
    std::ifstream in(QZ_BINARY_DIR "/quib-zerevarove.rcc", std::ios::binary);
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::string name;
    for (char c : std::string("175.wav")) name += {'\0', c};
    const auto at = bytes.find(name);
    ASSERT_NE(at, std::string::npos);
    bytes[at + name.size() - 1] = 'x';
    fs::create_directories(folder);
    std::ofstream(folder / "without-s07.rcc", std::ios::binary) << bytes;
    setenv("QZ_RESOURCE_FILE", (folder / "without-s07.rcc").c_str(), 1);

    open();
    EXPECT_TRUE(reports.empty() && messages.empty()) << "nothing is shown at open";
    ASSERT_EQ(std::count(window->beeps.begin(), window->beeps.end(), nullptr), 1);
    const auto k = std::find(window->beeps.begin(), window->beeps.end(), nullptr) - window->beeps.begin();

    speak("a" + String(std::string(1, char(33 + k))) + "b");
    auto first = nextSound();
    ASSERT_TRUE(first);
    finish(*first);
    EXPECT_FALSE(nextSound());
    EXPECT_FALSE(thread()->IsRunning());
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("NilObjectException"), std::string::npos);
    EXPECT_EQ(std::pair(field->SelStart(), field->SelLength()), std::pair(1, 1)) << "its character stays selected";
}

// Return, keypad Enter and Escape belong to the translation and never reach
// the text; every other key is typed.
TEST_F(Translation, TranslationKeysAreConsumedOthersTyped)
{
    open();
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
        EXPECT_EQ(thread()->IsRunning(), c.startsTranslation);
        EXPECT_EQ(speakAll().size(), c.startsTranslation ? 2u : 0u);
        field->SetSelStart(Len(field->Text()));
    }
}

// Locked to all four edges, the field keeps 20-pixel margins at any size down to the minimum.
TEST_F(Translation, ResizeWindowAppliesTheDeltaWithinTheMinimum)
{
    open();
    const struct {
        int32_t fromW, fromH, dx, dy, toW, toH;
    } cases[] = {
        {400, 120, 30, -10, 430, 110}, {400, 120, -400, -100, 100, 60}, {400, 120, 0, 15, 400, 135},
        {100, 120, -5, 0, 100, 120},   {100, 60, 680, 2, 780, 62},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.fromW << " x " << c.fromH << " by " << c.dx << ", " << c.dy);
        window->SetWidth(c.fromW);
        window->SetHeight(c.fromH);
        window->ResizeWindow(c.dx, c.dy);
        EXPECT_EQ(std::pair(window->Width(), window->Height()), std::pair(c.toW, c.toH));
        pumpEvents(5);
        EXPECT_EQ(field->priv().widget->geometry(), QRect(20, 20, c.toW - 40, c.toH - 40));
    }
    // Only showing keeps a window reachable: a shown one moves where it is asked.
    window->SetLeft(5 - window->Width());
    EXPECT_EQ(window->Left(), 5 - window->Width());
}

} // namespace
