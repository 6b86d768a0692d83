#include "prefs/Preferences.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "framework/Files.h"
#include "framework/MsgBox.h"
#include "framework/Thread.h"
#include "prefs/PlistText.h"

namespace {

// Every file the store writes carries these type and creator codes.
void stampCodes(FolderItem& item)
{
    item.MacCreator("????");
    item.MacType("????");
}

Ref<FolderItem> itemInPreferencesFolder(const String& name)
{
    const Ref<FolderItem> folder = PreferencesFolder();
    return folder ? folder->Child(name) : nullptr;
}

// The old file stays whole unless the new one was written completely.
bool replaceFile(FolderItem& item, const String& text)
{
    const Ref<TextOutputStream> out = item.CreateTextFile();
    if (!out) return false;
    out->WriteLine(text);
    return out->Close();
}

// A file that exists but cannot be read is treated as absent, so the caller's
// defaults apply instead of the program stopping halfway through opening; the
// user learns why, since the defaults will soon replace it.
bool readWholeFile(const String& name, String& text)
{
    const Ref<FolderItem> item = itemInPreferencesFolder(name);
    if (!item || !item->Exists()) return false;
    const Ref<TextInputStream> in = item->OpenAsTextFile();
    if (!in) {
        const int error = errno;
        std::fprintf(stderr, "quib-zerevarove: can't read %s: %s\n", item->Path().ToUtf8().c_str(),
                     std::strerror(error));
        return false;
    }
    text = in->ReadAll();
    in->Close();
    return true;
}

} // namespace

Preferences::Preferences() { Preferences::Constructor(); }

void Preferences::Constructor() { mDict = std::make_shared<Dictionary>(); }

void Preferences::Clear() { mDict = std::make_shared<Dictionary>(); }

void Preferences::Put(const String& key, const Variant& value)
{
    NilCheck(mDict, "Preferences.mDict")->Value(StringToVariant(key), value);
}

Variant Preferences::Get(const String& key, const Variant& defaultValue)
{
    const Variant boxed = StringToVariant(key);
    if (!NilCheck(mDict, "Preferences.mDict")->HasKey(boxed)) Put(key, defaultValue);
    return NilCheck(mDict, "Preferences.mDict")->Value(boxed);
}

void Preferences::WriteFile()
{
    const Dictionary& dict = *NilCheck(mDict, "Preferences.mDict");
    const std::vector<Variant> keys = dict.Keys();
    const std::vector<Variant> values = dict.Values();
    if (Filename.IsEmpty()) {
        MsgBox("can't write preferences because no filename has been set");
        return;
    }
    if (Ubound(keys) < 0) {
        MsgBox("can't write preferences because none have been set");
        return;
    }
    const String text = PlistText(keys, values, [] { RuntimeBackgroundTask(); });

    const Ref<FolderItem> item = itemInPreferencesFolder(Filename);
    if (!item || !replaceFile(*item, text)) {
        MsgBox("couldn't write preferences File");
        return;
    }
    stampCodes(*item);
}

bool Preferences::ReadFile()
{
    if (Filename.IsEmpty()) {
        MsgBox("Can't read preferences because no filename has been set");
        return false;
    }
    String text;
    if (!readWholeFile(Filename, text)) return false;
    return ScanPlistText(text, [this](const String& key, const String& value) {
        Put(key, StringToVariant(value));
        RuntimeBackgroundTask();
    });
}

void Preferences::WritePagePrefsFile(const String& text)
{
    if (PagePrefsFilename.IsEmpty()) {
        MsgBox("can't write page preferences because no filename has been set");
        return;
    }
    const Ref<FolderItem> item = itemInPreferencesFolder(PagePrefsFilename);
    if (!item || !replaceFile(*item, text)) {
        MsgBox("couldn't write page preferences File");
        return;
    }
    stampCodes(*item);
}

String Preferences::ReadPagePrefsFile()
{
    if (PagePrefsFilename.IsEmpty()) {
        MsgBox("Can't read preferences because no filename has been set");
        return {};
    }
    String text;
    readWholeFile(PagePrefsFilename, text);
    return text;
}
