// The translation, stepped turn by turn against the fake sound clock: what is
// selected while each sound plays, which sound plays, and how it ends.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "WidgetTestSupport.h"
#include "core/SoundBank.h"
#include "core/Translate.h"
#include "core/Window1.h"
#include "framework/Controls.h"
#include "framework/MsgBox.h"
#include "framework/Thread.h"

namespace {

namespace fs = std::filesystem;

const String kReturn = Chr(13), kEnter = Chr(3), kEscape = Chr(27);

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
        AudioTesting::UseManualClock();
        ThreadTesting::UseManualScheduling(true);
        m_oldSink = SetMsgBoxSink([this](const String& m) { messages.push_back(m.ToUtf8()); });
    }

    void TearDown() override
    {
        if (auto w = _GetImplicitWindow(Window1::kClassName)) w->Close();
        window.reset();
        field.reset();
        pumpEvents(10);
        ThreadTesting::UseManualScheduling(false);
        AudioQuit();
        ReleaseSoundItems();
        SetMsgBoxSink(m_oldSink);
        ApplicationTesting::Reset();
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

    // Types a key into the field the way the framework delivers it; true when consumed.
    bool key(const String& k) { return field->raiseKeyDown(k); }

    void speak(const String& text)
    {
        field->SetText(text);
        ASSERT_TRUE(key(kReturn));
    }

    // Gives the thread turns until it plays its next sound (or ends); returns
    // what was selected as it started, or nothing. turnsTaken counts the turns.
    std::optional<Spoken> nextSound(int* turnsTaken = nullptr)
    {
        const std::size_t before = AudioTesting::PlayLog().size();
        for (int turns = 1; turns <= 10000; ++turns) {
            ThreadTesting::RunReadyOnce();
            const auto log = AudioTesting::PlayLog();
            if (log.size() > before) {
                if (turnsTaken) *turnsTaken = turns;
                return Spoken{log.back(), field->SelStart(), field->SelLength(), field->SelText()};
            }
            if (!thread()->IsRunning()) return std::nullopt;
        }
        ADD_FAILURE() << "the translation neither played nor ended";
        return std::nullopt;
    }

    // Lets the sound that plays now run to its end, checking on the way that
    // the thread keeps waiting and, unless the user changed the field, keeps
    // its character selected.
    void finish(const Spoken& s, bool userEdited = false)
    {
        for (int i = 0; i < 3; ++i) {
            ThreadTesting::RunReadyOnce();
            EXPECT_EQ(AudioTesting::PlayLog().back(), s.sound) << "nothing new starts while a sound plays";
            if (!userEdited) {
                EXPECT_EQ(field->SelStart(), s.selStart);
                EXPECT_EQ(field->SelLength(), s.selLength);
            }
            AudioTesting::Advance(s.sound->LengthFrames() / 4);
        }
        AudioTesting::Advance(s.sound->LengthFrames());
        EXPECT_FALSE(s.sound->IsPlaying());
    }

    // The whole translation: every sound with its selection, each played to its end.
    std::vector<Spoken> speakAll()
    {
        std::vector<Spoken> out;
        while (auto s = nextSound()) {
            out.push_back(*s);
            finish(*s);
        }
        return out;
    }

    Ref<Window1> window;
    Ref<EditField> field;
    std::vector<std::string> messages;
    MsgBoxSink m_oldSink;
};

TEST_F(Translation, EachCharacterIsSelectedWhileItsOwnSoundPlays)
{
    open();
    // A character outside the Basic Multilingual Plane is one character, selected whole.
    speak(String("a\xF0\x9F\x98\x80" "c"));
    const auto spoken = speakAll();
    const Sound* quiet = silence().get();
    EXPECT_EQ(spoken, (std::vector<Spoken>{{beep('a'), 0, 1, "a"}, {quiet, 1, 1, "\xF0\x9F\x98\x80"}, {beep('c'), 2, 1, "c"}}));
    EXPECT_FALSE(thread()->IsRunning());
    EXPECT_EQ(field->SelLength(), 0);
    EXPECT_EQ(field->SelStart(), 3);
    EXPECT_TRUE(messages.empty());
}

TEST_F(Translation, PrintableAsciiHasItsBeepEverythingElseSilence)
{
    open();
    const struct {
        const char* name;
        String text;
        char beepOf; // 0: silence
    } cases[] = {
        {"exclamation mark", "!", '!'}, {"tilde", "~", '~'},      {"space", " ", 0},  {"tab", "\t", 0},
        {"line feed", "\n", 0},         {"delete", Chr(127), 0}, {"e acute", "\xC3\xA9", 0},
        {"letter", "Q", 'Q'},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        speak(c.text);
        const auto spoken = speakAll();
        ASSERT_EQ(spoken.size(), 1u);
        EXPECT_EQ(spoken[0].sound, c.beepOf ? beep(c.beepOf) : silence().get());
        EXPECT_EQ(spoken[0].selText, c.text);
        EXPECT_EQ(field->SelStart(), 1);
    }
    EXPECT_EQ(beep('!'), window->beeps[0].get());
    EXPECT_EQ(beep('~'), window->beeps[93].get());
}

TEST_F(Translation, CollectsWithAYieldPerCharacterAndYieldsAfterEachSound)
{
    open();
    field->SetText("abcd");
    field->SetSelStart(1);
    field->SetSelLength(2);
    ASSERT_TRUE(key(kEnter));
    EXPECT_EQ(field->SelLength(), 2) << "nothing happens before the thread's first turn";
    ThreadTesting::RunReadyOnce();
    EXPECT_EQ(field->SelStart(), 1) << "the selection collapses at its start";
    EXPECT_EQ(field->SelLength(), 0);
    int turns = 0;
    auto first = nextSound(&turns);
    ASSERT_TRUE(first);
    EXPECT_EQ(turns + 1, 5) << "one turn per character collected, then the first sound";
    finish(*first);
    auto second = nextSound(&turns);
    ASSERT_TRUE(second);
    EXPECT_EQ(turns, 2) << "the turn that sees the end, then the one that plays on";
    finish(*second);
    speakAll();

    // A sound that has nothing to play still gets its yield before the next character.
    window->beeps[0] = std::make_shared<Sound>(std::vector<int16_t>{});
    speak("!!");
    ASSERT_TRUE(nextSound());
    ASSERT_TRUE(nextSound(&turns));
    EXPECT_EQ(turns, 2);
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
        AudioTesting::UseManualClock();
        speak("abcdef");
        std::vector<Spoken> spoken;
        if (c.soundsBefore < 0) {
            ThreadTesting::RunReadyOnce();
            EXPECT_TRUE(key(kEscape));
        }
        while (auto s = nextSound()) {
            spoken.push_back(*s);
            if (int(spoken.size()) == c.soundsBefore + 1) {
                EXPECT_TRUE(key(kEscape));
                EXPECT_TRUE(s->sound->IsPlaying()) << "Escape stops no sound";
            }
            finish(*s);
        }
        EXPECT_EQ(spoken.size(), c.spoken);
        EXPECT_EQ(AudioTesting::PlayLog().size(), c.spoken);
        EXPECT_EQ(field->SelLength(), 0);
        EXPECT_EQ(field->SelStart(), 6) << "the end of the whole text, not the last character spoken";
    }
    // With no translation running, Escape changes nothing and the next Return starts afresh.
    EXPECT_TRUE(key(kEscape));
    EXPECT_FALSE(thread()->IsRunning());
    speak("xy");
    EXPECT_EQ(speakAll().size(), 2u);
}

TEST_F(Translation, TypingDuringATranslationDoesNotMoveItsPositions)
{
    open();
    speak("abcd");
    auto first = nextSound();
    ASSERT_TRUE(first);
    // The user types two characters at the start and moves the caret.
    field->SetSelStart(0);
    field->SetSelText("XY");
    field->SetSelStart(5);
    finish(*first, true);
    std::vector<Spoken> rest;
    while (auto s = nextSound()) {
        rest.push_back(*s);
        finish(*s);
    }
    // Positions and sounds follow the text it started with, whatever the field now holds.
    EXPECT_EQ(rest, (std::vector<Spoken>{{beep('b'), 1, 1, "Y"}, {beep('c'), 2, 1, "a"}, {beep('d'), 3, 1, "b"}}));
    EXPECT_EQ(field->SelStart(), 4);
    EXPECT_EQ(field->Text(), "XYabcd");
}

TEST_F(Translation, ShortenedTextIsSelectedUpToItsEnd)
{
    open();
    speak("abcd");
    auto first = nextSound();
    ASSERT_TRUE(first);
    field->SetText("a");
    finish(*first, true);
    std::vector<Spoken> rest;
    while (auto s = nextSound()) {
        rest.push_back(*s);
        finish(*s);
    }
    EXPECT_EQ(rest, (std::vector<Spoken>{{beep('b'), 1, 0, ""}, {beep('c'), 1, 0, ""}, {beep('d'), 1, 0, ""}}));
    EXPECT_EQ(field->SelStart(), 1);
}

TEST_F(Translation, SameCharacterTwicePlaysTwiceOneAfterTheOther)
{
    open();
    speak("aa");
    auto first = nextSound();
    ASSERT_TRUE(first);
    for (int i = 0; i < 20; ++i) ThreadTesting::RunReadyOnce();
    EXPECT_EQ(AudioTesting::PlayLog().size(), 1u) << "the second waits for the first to end";
    AudioTesting::Advance(first->sound->LengthFrames());
    auto second = nextSound();
    ASSERT_TRUE(second);
    EXPECT_EQ(second->sound, first->sound);
    EXPECT_EQ(second->selStart, 1);
    EXPECT_TRUE(first->sound->IsPlaying()) << "played again from its start";
    EXPECT_EQ(first->sound->RemainingFrames(), first->sound->LengthFrames());
}

TEST_F(Translation, EmptyFieldPlaysNothingAndLeavesTheCaretAtZero)
{
    open();
    speak("");
    EXPECT_TRUE(speakAll().empty());
    EXPECT_FALSE(thread()->IsRunning());
    EXPECT_EQ(field->SelStart(), 0);
    EXPECT_EQ(field->SelLength(), 0);
}

TEST_F(Translation, OnlyReturnEnterAndEscapeAreConsumed)
{
    open();
    const struct {
        const char* name;
        String key;
        bool consumed, starts;
    } cases[] = {
        {"Return", kReturn, true, true}, {"Enter", kEnter, true, true}, {"Escape", kEscape, true, false},
        {"letter", "a", false, false},    {"tab", "\t", false, false},  {"backspace", Chr(8), false, false},
        {"Ctrl+C as its letter", "c", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        field->SetText("z");
        EXPECT_EQ(key(c.key), c.consumed);
        EXPECT_EQ(thread()->IsRunning(), c.starts);
        speakAll();
    }
}

TEST_F(Translation, ReturnWhileSpeakingGoesOnWithTheFirstText)
{
    open();
    speak("ab");
    auto first = nextSound();
    ASSERT_TRUE(first);
    EXPECT_TRUE(key(kEscape));
    field->SetText("xyz");
    EXPECT_TRUE(key(kReturn)) << "the second request is dropped; its Escape is withdrawn";
    EXPECT_EQ(thread()->Text, "xyz");
    EXPECT_FALSE(thread()->Cancelled);
    finish(*first, true);
    auto second = nextSound();
    ASSERT_TRUE(second);
    EXPECT_EQ(second->sound, beep('b'));
    finish(*second);
    EXPECT_FALSE(nextSound());
    EXPECT_EQ(field->SelStart(), 2);
    // The next Return speaks what the field holds then.
    ASSERT_TRUE(key(kReturn));
    EXPECT_EQ(speakAll().size(), 3u);
}

TEST_F(Translation, ClosingTheWindowEndsTheThreadWithoutReopeningIt)
{
    open();
    speak("abc");
    ASSERT_TRUE(nextSound());
    const auto t = thread();
    window->Close();
    for (int i = 0; i < 5; ++i) ThreadTesting::RunReadyOnce();
    AudioTesting::Advance(20000);
    for (int i = 0; i < 5; ++i) ThreadTesting::RunReadyOnce();
    EXPECT_FALSE(t->IsRunning());
    EXPECT_EQ(_GetImplicitWindow(Window1::kClassName), nullptr) << "no main window opened anew";
    EXPECT_EQ(AudioTesting::PlayLog().size(), 1u);
}

class TranslationResources : public Translation {
protected:
    void TearDown() override
    {
        Translation::TearDown();
        setenv("QZ_RESOURCE_FILE", QZ_BINARY_DIR "/quib-zerevarove.rcc", 1);
        fs::remove_all(folder);
    }

    // A copy of the real resource file in which sound `id` cannot be found.
    fs::path withoutSound(int32_t id) const
    {
        fs::create_directories(folder);
        std::ifstream in(QZ_BINARY_DIR "/quib-zerevarove.rcc", std::ios::binary);
        std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        std::string name;
        for (char c : std::to_string(id) + ".wav") name += {'\0', c};
        const auto at = bytes.find(name);
        EXPECT_NE(at, std::string::npos);
        bytes[at + name.size() - 1] = 'x';
        const fs::path path = folder / ("without-" + std::to_string(id) + ".rcc");
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    const fs::path folder = fs::temp_directory_path() / ("qz-translation-" + std::to_string(::getpid()));
};

TEST_F(TranslationResources, MissingBeepEndsTheTranslationAtItsCharacter)
{
    ExceptionRecorder reports;
    setenv("QZ_RESOURCE_FILE", withoutSound(175).c_str(), 1);
    window = Window1::Instance();
    field = window->EditField1();
    EXPECT_TRUE(reports.reports.empty()) << "nothing is shown at open";
    EXPECT_TRUE(messages.empty());
    ASSERT_EQ(window->beeps.size(), 94u);
    ASSERT_EQ(std::count(window->beeps.begin(), window->beeps.end(), nullptr), 1);
    const auto k = std::find(window->beeps.begin(), window->beeps.end(), nullptr) - window->beeps.begin();
    const char mute = char(33 + k);

    speak(String("a") + String(std::string(1, mute)) + "b");
    auto first = nextSound();
    ASSERT_TRUE(first);
    finish(*first);
    EXPECT_FALSE(nextSound());
    EXPECT_FALSE(thread()->IsRunning());
    ASSERT_EQ(reports.reports.size(), 1u);
    EXPECT_NE(reports.reports[0].find("NilObjectException"), std::string::npos);
    EXPECT_EQ(field->SelStart(), 1) << "the character without a sound stays selected";
    EXPECT_EQ(field->SelLength(), 1);
}

TEST_F(TranslationResources, NoResourceFileFailsTheOpenWithEmptyBeeps)
{
    setenv("QZ_RESOURCE_FILE", (folder / "absent.rcc").c_str(), 1);
    EXPECT_THROW(Window1::Instance(), NilObjectException);
    const auto w = RuntimeCheckCast<Window1>(_GetImplicitWindow(Window1::kClassName));
    ASSERT_NE(w, nullptr) << "the window stays open";
    EXPECT_TRUE(w->beeps.empty());
    EXPECT_EQ(w->r, nullptr);
}

} // namespace
