#include "core/Window1.h"
#include "framework/Variant.h"
#include "prefs/Preferences.h"

namespace {

constexpr const char* kPrefsFile = "QuibZerevarovePrefs.plist";

struct GeometryKey {
    const char* key;
    int32_t defaultValue;
    int32_t (Window::*get)() const;
    void (Window::*set)(int32_t);
};

// The order here is the order of every read and write.
constexpr GeometryKey kKeys[] = {
    {"Window1.Top", 40, &Window::Top, &Window::SetTop},
    {"Window1.Left", 10, &Window::Left, &Window::SetLeft},
    {"Window1.Width", 400, &Window::Width, &Window::SetWidth},
    {"Window1.Height", 120, &Window::Height, &Window::SetHeight},
};

Ref<Preferences> newStore()
{
    auto prefs = std::make_shared<Preferences>();
    prefs->Constructor();
    prefs->Filename = kPrefsFile;
    return prefs;
}

} // namespace

void Window1::ReadPrefs()
{
    auto prefs = newStore();
    const bool ok = prefs->ReadFile();
    for (const auto& k : kKeys) {
        auto window = Window1::Instance();
        const Variant v = prefs->Get(k.key, Int32ToVariant(k.defaultValue));
        ((*window).*k.set)(VariantToInt32(v));
    }
    // Missing or keyless file: the store now holds the four defaults; write them at once.
    if (!ok) prefs->WriteFile();
}

void Window1::WritePrefs()
{
    auto prefs = newStore();
    for (const auto& k : kKeys) {
        auto window = Window1::Instance();
        prefs->Put(k.key, Int32ToVariant(((*window).*k.get)()));
    }
    prefs->WriteFile();
}
