#pragma once
// The resource file is a Qt binary resource (rcc --binary). Inside it, sound
// N is "snd/N.wav" and picture N is "pict/N.png". It is mapped into memory and
// read in place; Qt's own resource system never sees it.
#include <QString>

#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "framework/ResourceIndex_p.h"

namespace resources {

class ResourceFile {
public:
    // nil when the file cannot be read or is not a well-formed resource file.
    static std::shared_ptr<ResourceFile> open(const QString& path);
    ~ResourceFile();
    ResourceFile(const ResourceFile&) = delete;
    ResourceFile& operator=(const ResourceFile&) = delete;

    // The named entry's bytes, inside the mapping: whoever keeps them keeps
    // this object. Empty when there is none.
    std::span<const uint8_t> entry(const QString& name) const;

    bool isSameFile(const QString& path, const struct stat& now) const;

private:
    ResourceFile(QString path, const struct stat& opened, void* mapping, std::size_t size);

    const QString m_path;
    const struct stat m_opened;
    void* const m_mapping;
    const std::size_t m_size;
    Entries m_entries;
};

}
