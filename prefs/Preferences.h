#pragma once
// A small key/value store of settings, saved as a property-list file in the
// user's preferences folder.
#include "framework/Dictionary.h"
#include "framework/Object.h"
#include "framework/String.h"
#include "framework/Variant.h"

class Preferences : public Object {
public:
    Preferences();

    String Filename;
    String PagePrefsFilename;

    // False when the file is missing or holds no key; entries already held stay
    // unless the file has the same key. A file that cannot be read is taken as
    // missing, and standard error says why.
    virtual bool ReadFile();
    // Replaces the file with every entry, or shows a message and leaves it as it was.
    virtual void WriteFile();
    // An absent key first receives defaultValue.
    virtual Variant Get(const String& key, const Variant& defaultValue);
    virtual void Put(const String& key, const Variant& value);
    virtual void Clear();
    // Replaces the file with the text and a line end, or shows a message and
    // leaves it as it was; so also for a text too long to read back.
    virtual void WritePagePrefsFile(const String& text);
    // The whole page-setup file; empty when there is no file or no name.
    virtual String ReadPagePrefsFile();
    virtual void Constructor();

private:
    Ref<Dictionary> mDict;
};
