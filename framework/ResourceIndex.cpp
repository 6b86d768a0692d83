#include "framework/ResourceIndex_p.h"

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

enum : uint16_t { Compressed = 0x01, Directory = 0x02, CompressedZstd = 0x04 };

uint64_t nodeSize(const Layout& layout)
{
    return layout.version >= 2 ? 22 : 14;
}

}

std::optional<Layout> readLayout(std::span<const uint8_t> head, uint64_t fileSize)
{
    const uint8_t* h = head.data();
    if (head.size() < 20 || fileSize < head.size() || std::memcmp(h, "qres", 4) != 0) return std::nullopt;
    const Layout layout{fileSize, be32(h + 4), be32(h + 8), be32(h + 12), be32(h + 16)};
    if (layout.version < 1 || layout.version > 3) return std::nullopt;
    if (layout.version >= 3 && (head.size() < 24 || (be32(h + 20) & ~uint32_t(Compressed | CompressedZstd)) != 0))
        return std::nullopt;
    if (layout.tree > fileSize || nodeSize(layout) > fileSize - layout.tree || layout.names > fileSize)
        return std::nullopt;
    return layout;
}

std::optional<Entries> indexResourceData(const Layout& layout, std::span<const uint8_t> index)
{
    const uint64_t start = layout.indexStart();
    if (index.size() != layout.fileSize - start) return std::nullopt;
    const uint8_t* b = index.data() - start; // indexed by file offsets from start on
    const uint64_t size = layout.fileSize;
    const auto fits = [size](uint64_t at, uint64_t length) { return at <= size && length <= size - at; };

    const uint64_t nodeBytes = nodeSize(layout);
    const uint64_t nodeCount = (size - layout.tree) / nodeBytes;
    // Without a folder at the root, its child count would be read from
    // whatever the node holds there.
    if (be16(b + layout.tree + 4) != Directory) return std::nullopt;

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
        const uint8_t* n = b + layout.tree + node * nodeBytes;
        // The root has no name.
        if (node != 0) {
            const uint64_t name = layout.names + be32(n);
            if (!fits(name, 6)) return std::nullopt;
            const uint64_t length = be16(b + name);
            if (!fits(name + 6, length * 2) || path.size() + 1 + length > kMaxPath) return std::nullopt;
            if (!path.empty()) path += u'/';
            for (uint64_t i = 0; i < length; ++i) path += static_cast<char16_t>(be16(b + name + 6 + 2 * i));
        }
        const uint16_t flags = be16(n + 4);
        if (flags == Directory) {
            const uint64_t count = be32(n + 6);
            const uint64_t first = be32(n + 10);
            if (first > nodeCount || count > nodeCount - first || pending.size() + count > kMaxNodes)
                return std::nullopt;
            for (uint64_t child = first; child < first + count; ++child) pending.push_back({child, path});
        } else if (flags == 0) {
            const uint64_t entry = layout.data + be32(n + 10);
            if (!fits(entry, 4)) return std::nullopt;
            entries.emplace(std::move(path), entry);
        } else {
            // Compressed or unknown: ours are neither.
            return std::nullopt;
        }
    }
    return entries;
}

std::optional<uint64_t> entryLength(const Layout& layout, uint64_t at, std::span<const uint8_t, 4> lengthBytes)
{
    const uint64_t length = be32(lengthBytes.data());
    if (at > layout.fileSize || 4 + length > layout.fileSize - at) return std::nullopt;
    return length;
}

}
