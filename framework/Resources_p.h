#pragma once
// The resource file is a Qt binary resource (rcc --binary). Inside it, sound
// N is "snd/N.wav" and picture N is "pict/N.png". It is mapped into memory and
// read in place; Qt's own resource system never sees it.
#include <QString>

#include <sys/stat.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
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
    // Reads bytes of the mapping from the file, leaving the mapping untouched.
    ReadBytes reader() const;

    bool isSameFile(const QString& path, const struct stat& now) const;

private:
    ResourceFile(QString path, int fd, const struct stat& opened, void* mapping, std::size_t size);
    void read(const uint8_t* from, std::size_t n, uint8_t* into) const;

    const QString m_path;
    const int m_fd;
    const struct stat m_opened;
    void* const m_mapping;
    const std::size_t m_size;
    Entries m_entries;

    // The last few blocks read from the file: the tree, its names and an
    // entry's length, or a sound's header and chunk headers, lie in a few.
    struct Block {
        uint64_t at = UINT64_MAX;
        std::size_t length = 0;
        uint64_t used = 0;
        std::array<uint8_t, 512> bytes;
    };
    mutable std::mutex m_readLock;
    mutable std::array<Block, 4> m_blocks;
    mutable uint64_t m_reads = 0;
};

}
