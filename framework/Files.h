#pragma once
// Files in the user's preferences folder: folder items and text streams.
// Paths are kept as the system's bytes, so a folder whose name is not UTF-8 still works.
#include <cstddef>
#include <memory>
#include <string>

#include "framework/Object.h"
#include "framework/String.h"

class TextOutputStream : public Object {
public:
    ~TextOutputStream() override;

    // Writes the text and a line feed. Past TextInputStream::MaxSize in all
    // the stream fails, so every file it commits reads back.
    void WriteLine(const String& text);
    // Commits what was written: the new content replaces the file in one step,
    // keeping the old file's mode (always readable and writable by its owner).
    // False when anything failed; the file on disk is then the old one, and the
    // folder holds nothing the stream made.
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
    // No text file of the program comes near this size; a larger one is taken as damaged.
    static constexpr std::size_t MaxSize = 1 << 20;

    ~TextInputStream() override;

    // The rest of the file, decoded as UTF-8; empty when it holds more than MaxSize bytes.
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
    explicit FolderItem(std::string path) : m_path(std::move(path)) {}

    // For messages: bytes that are not UTF-8 show as U+FFFD.
    String Path() const { return String(m_path); }

    // The item of that name directly inside this folder; nil for a name that
    // is not a plain file name (empty, ".", "..", or holding "/" or NUL).
    Ref<FolderItem> Child(const String& name) const;
    bool Exists() const;
    bool Delete();

    // Nil when the file cannot be created, or when the item (after following
    // links) exists and is no regular file. The content reaches the file only when
    // the stream's Close succeeds; until then the old file stays as it was, and a
    // link to it stays a link.
    Ref<TextOutputStream> CreateTextFile();
    // Nil unless the item is a regular file (or a link to one) that can be read;
    // errno then says why (EISDIR for a folder, EINVAL for another kind of item).
    // Never waits, also not on a FIFO or a device.
    Ref<TextInputStream> OpenAsTextFile();

    // Four-character type and creator codes, kept as extended attributes where
    // the file system has them; elsewhere setting does nothing and reading gives "".
    String MacCreator() const;
    void MacCreator(const String& code);
    String MacType() const;
    void MacType(const String& code);

private:
    std::string m_path;
};

// $XDG_CONFIG_HOME (when absolute), else .config in the home folder ($HOME when
// absolute, else the user's account entry); created when missing, for the user alone.
// Nil when the folder cannot be made.
Ref<FolderItem> PreferencesFolder();

namespace FilesTesting {
// Saves as on a file system without unnamed files: the temporary has a name.
void UseNamedTemporaries(bool named);
} // namespace FilesTesting
