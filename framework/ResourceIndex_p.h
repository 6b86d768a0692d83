#pragma once
// Reads the tree of a Qt binary resource file (rcc --binary) into a table
// from each entry's path ("snd/168.wav") to where its bytes lie. No Qt: the
// fuzz target builds it alone.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>

namespace resources {

// Where an entry lies in the file: its 4-byte big-endian length, then its bytes.
using Entries = std::unordered_map<std::u16string, uint64_t>;

// The header is at most this long; versions 1 and 2 use 20 bytes of it.
inline constexpr std::size_t kHeaderSize = 24;

struct Layout {
    uint64_t fileSize;
    uint32_t version;
    uint64_t tree;
    uint64_t data;
    uint64_t names;
    // The tree and the names, which rcc writes after the data, lie from here to the end.
    uint64_t indexStart() const { return tree < names ? tree : names; }
};

// The header of a file of fileSize bytes, from its first bytes (up to
// kHeaderSize of them); nullopt unless it is one of ours, with the tree and
// the names inside the file.
std::optional<Layout> readLayout(std::span<const uint8_t> head, uint64_t fileSize);

// nullopt unless the whole tree is sound: the root is a folder; every node
// reached from it lies inside the file, and so do its name, its children and
// where its entry's length is; no node is reached twice (no cycles, no shared
// children); no entry is compressed, as ours never are; and the tree stays
// within a size no file of ours comes near, so that reading it is cheap.
// index holds the file's bytes from layout.indexStart() to its end. An
// entry's length is checked when the entry is read (see entryLength).
std::optional<Entries> indexResourceData(const Layout& layout, std::span<const uint8_t> index);

// The length of the entry at offset at, from its 4 length bytes; nullopt when
// its bytes would reach past the end of the file.
std::optional<uint64_t> entryLength(const Layout& layout, uint64_t at, std::span<const uint8_t, 4> lengthBytes);

}
