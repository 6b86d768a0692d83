#pragma once
// Reads the tree of a Qt binary resource file (rcc --binary) into a table
// from each entry's path ("snd/168.wav") to its bytes. No Qt: the fuzz target
// builds it alone.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>

#include "framework/ReadBytes_p.h"

namespace resources {

using Entries = std::unordered_map<std::u16string, std::span<const uint8_t>>;

// nullopt unless the whole tree is sound: the root is a folder; every node
// reached from it lies inside the data, and so do its name, its children and
// its entry's bytes; no node is reached twice (no cycles, no shared
// children); no entry is compressed, as ours never are; and the tree stays
// within a size no file of ours comes near, so that reading it is cheap.
// The spans point into bytes, which are looked at only through read.
std::optional<Entries> indexResourceData(std::span<const uint8_t> bytes, const ReadBytes& read = copyBytes);

}
