#include "core/Translate.h"

#include "core/SoundBank.h"
#include "core/Window1.h"
#include "framework/Controls.h"

const PropertyTable& Translate::Properties() const
{
    static const PropertyTable table = [] {
        PropertyTable t(&Thread::ThreadProperties());
        t.Add<Translate, bool>("Cancelled", [](Translate& th, bool v) { th.Cancelled = v; });
        return t;
    }();
    return table;
}

namespace {
// The field, reached through the main window each time it is used.
Ref<EditField> field() { return NilCheck(Window1::Instance()->EditField1(), "EditField1"); }
} // namespace

ThreadTask Translate::Event_Run()
{
    field()->SetSelLength(0);
    const std::vector<String> characters = Split(Text, "");
    std::vector<int32_t> codes;
    for (const auto& c : characters) {
        codes.push_back(Asc(c));
        co_await ThreadYield();
    }
    for (int32_t i = 0; i <= Ubound(codes); ++i) {
        field()->SetSelStart(i);
        field()->SetSelLength(1);
        field()->Refresh(true);
        const int32_t code = At(codes, i);
        Ref<Sound> sound;
        if (code < 33 || code > 126)
            sound = silence();
        else
            sound = At(Window1::Instance()->beeps, code - 33);
        NilCheck(sound, "sound")->Play();
        co_await ThreadYield();
        while (sound->IsPlaying()) co_await ThreadYield();
        if (Cancelled) break;
        co_await ThreadYield();
    }
    field()->SetSelLength(0);
    field()->SetSelStart(static_cast<int32_t>(codes.size()));
    field()->Refresh(true);
}
