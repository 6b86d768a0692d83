#pragma once
// The resource file is a Qt binary resource (rcc --binary). Inside it, sound
// N is "snd/N.wav" and picture N is "pict/N.png". Its index is read when it
// is opened, and each entry's bytes only when that entry is fetched; Qt's
// own resource system never sees it.
#include <QString>

#include <sys/stat.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "framework/ResourceIndex_p.h"

namespace resources {

class ResourceFile {
public:
    // nil when the file cannot be read or is not a well-formed resource file.
    static std::shared_ptr<ResourceFile> open(const QString& path);
    ~ResourceFile();
    ResourceFile(const ResourceFile&) = delete;
    ResourceFile& operator=(const ResourceFile&) = delete;

    // The named entry's bytes, read from the file now; nullopt when there is
    // none or the file no longer holds all of it.
    std::optional<std::vector<uint8_t>> entry(const QString& name) const;

    bool isSameFile(const QString& path, const struct stat& now) const;

private:
    ResourceFile(QString path, int fd);

    const QString m_path;
    // Kept open, so that a file renamed over this one leaves us reading the one we indexed.
    const int m_fd;
    struct stat m_opened {};
    Layout m_layout {};
    Entries m_entries;
};

}
