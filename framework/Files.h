#pragma once
// Files in the user's preferences folder: folder items and text streams.
#include <memory>

#include "framework/Object.h"
#include "framework/String.h"

class TextOutputStream : public Object {
public:
    ~TextOutputStream() override;

    // Writes the text and a line feed.
    void WriteLine(const String& text);
    // Commits what was written: the new content replaces the file in one step.
    // False when anything failed; the file on disk is then the old one.
    bool Close();

private:
    friend class FolderItem;
    struct Impl;
    explicit TextOutputStream(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
    bool m_closed = false;
    bool m_result = false;
};

class TextInputStream : public Object {
public:
    ~TextInputStream() override;

    // The rest of the file, decoded as UTF-8.
    String ReadAll();
    void Close();

private:
    friend class FolderItem;
    struct Impl;
    explicit TextInputStream(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
};

class FolderItem : public Object {
public:
    explicit FolderItem(String path) : m_path(std::move(path)) {}

    const String& Path() const { return m_path; }

    // The item of that name directly inside this folder; nil for a name that
    // is not a plain file name (empty, ".", "..", or holding "/" or NUL).
    Ref<FolderItem> Child(const String& name) const;
    bool Exists() const;
    bool Delete();

    // Nil when the file cannot be created. The content reaches the file only when
    // the stream's Close succeeds; until then the old file stays as it was.
    Ref<TextOutputStream> CreateTextFile();
    // Nil when the file cannot be opened for reading.
    Ref<TextInputStream> OpenAsTextFile();

    // Four-character type and creator codes, kept as extended attributes where
    // the file system has them; elsewhere setting does nothing and reading gives "".
    String MacCreator() const;
    void MacCreator(const String& code);
    String MacType() const;
    void MacType(const String& code);

private:
    String m_path;
};

// $XDG_CONFIG_HOME (when absolute), else ~/.config; created when missing.
// Nil when the folder cannot be made.
Ref<FolderItem> PreferencesFolder();
