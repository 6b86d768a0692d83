#pragma once
// How the resource readers look at the bytes they are handed: they copy what
// they need through a ReadBytes. For bytes in memory that is a plain copy;
// for the mapped resource file it is a read of the file, since the kernel
// brings in the pages around every page of a mapping that is touched, and
// reading each entry's header in place would bring in every sample at once.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>

namespace resources {

// Copies n bytes from the address from, inside the bytes being read, to into.
using ReadBytes = std::function<void(const uint8_t* from, std::size_t n, uint8_t* into)>;

inline void copyBytes(const uint8_t* from, std::size_t n, uint8_t* into) { std::memcpy(into, from, n); }

}
