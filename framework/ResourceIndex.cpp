#include "framework/ResourceIndex_p.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace resources {

namespace {

// Ours has about a hundred nodes and paths like "snd/168.wav".
constexpr std::size_t kMaxNodes = 4096;
constexpr std::size_t kMaxPath = 256;

uint32_t be32(const uint8_t* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

uint16_t be16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] << 8 | p[1]);
}

}

std::optional<Entries> indexResourceData(std::span<const uint8_t> bytes, const ReadBytes& read)
{
    enum : uint16_t { Compressed = 0x01, Directory = 0x02, CompressedZstd = 0x04 };
    const uint8_t* b = bytes.data();
    const uint64_t size = bytes.size();
    const auto fits = [size](uint64_t at, uint64_t length) { return at <= size && length <= size - at; };

    const auto u16At = [&](uint64_t at) {
        uint8_t v[2];
        read(b + at, 2, v);
        return be16(v);
    };
    const auto u32At = [&](uint64_t at) {
        uint8_t v[4];
        read(b + at, 4, v);
        return be32(v);
    };

    if (size < 20) return std::nullopt;
    uint8_t header[24] = {};
    read(b, std::min<uint64_t>(size, sizeof header), header);
    if (std::memcmp(header, "qres", 4) != 0) return std::nullopt;
    const uint32_t version = be32(header + 4);
    const uint64_t tree = be32(header + 8);
    const uint64_t data = be32(header + 12);
    const uint64_t names = be32(header + 16);
    if (version < 1 || version > 3) return std::nullopt;
    if (version >= 3 && (size < 24 || (be32(header + 20) & ~uint32_t(Compressed | CompressedZstd)) != 0))
        return std::nullopt;

    const uint64_t nodeSize = version >= 2 ? 22 : 14;
    if (!fits(tree, nodeSize)) return std::nullopt;
    const uint64_t nodeCount = (size - tree) / nodeSize;
    // Without a folder at the root, its child count would be read from
    // whatever the node holds there.
    if (u16At(tree + 4) != Directory) return std::nullopt;

    struct Pending {
        uint64_t node;
        std::u16string path;
    };
    Entries entries;
    std::vector<bool> seen(nodeCount, false);
    std::size_t reached = 0;
    std::vector<Pending> pending{{0, {}}};
    while (!pending.empty()) {
        auto [node, path] = std::move(pending.back());
        pending.pop_back();
        // Each node reached once only: that rules out cycles and bounds the work.
        if (seen[node] || ++reached > kMaxNodes) return std::nullopt;
        seen[node] = true;
        uint8_t n[22];
        read(b + tree + node * nodeSize, nodeSize, n);
        // The root has no name.
        if (node != 0) {
            const uint64_t name = names + be32(n);
            if (!fits(name, 6)) return std::nullopt;
            const uint64_t length = u16At(name);
            if (!fits(name + 6, length * 2) || path.size() + 1 + length > kMaxPath) return std::nullopt;
            uint8_t text[2 * kMaxPath];
            read(b + name + 6, length * 2, text);
            if (!path.empty()) path += u'/';
            for (uint64_t i = 0; i < length; ++i) path += static_cast<char16_t>(be16(text + 2 * i));
        }
        const uint16_t flags = be16(n + 4);
        if (flags == Directory) {
            const uint64_t count = be32(n + 6);
            const uint64_t first = be32(n + 10);
            if (first > nodeCount || count > nodeCount - first || pending.size() + count > kMaxNodes)
                return std::nullopt;
            for (uint64_t child = first; child < first + count; ++child) pending.push_back({child, path});
        } else if (flags == 0) {
            const uint64_t entry = data + be32(n + 10);
            if (!fits(entry, 4)) return std::nullopt;
            const uint64_t length = u32At(entry);
            if (!fits(entry + 4, length)) return std::nullopt;
            entries.emplace(std::move(path), bytes.subspan(entry + 4, length));
        } else {
            // Compressed or unknown: ours are neither, and samples play in place.
            return std::nullopt;
        }
    }
    return entries;
}

}
