#include "framework/Resources.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QResource>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <vector>

#include "framework/Resources_p.h"
#include "framework/Sound.h"

namespace resources {

namespace {

constexpr const char* kFileName = "quib-zerevarove.rcc";
// Far above the real file; refuses to pull an unrelated huge file into memory.
constexpr qint64 kMaxFileSize = 256 * 1024 * 1024;

uint32_t be32(const uint8_t* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

uint16_t be16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] << 8 | p[1]);
}

QString executableFolder()
{
    if (QCoreApplication::instance()) return QCoreApplication::applicationDirPath();
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? QString() : QString::fromStdString(exe.parent_path().string());
}

QString resourceFilePath()
{
    const QString overridden = qEnvironmentVariable("QZ_RESOURCE_FILE");
    if (!overridden.isEmpty()) return overridden;
    return executableFolder() + u'/' + QLatin1String(kFileName);
}

}

bool isWellFormedResourceData(const QByteArray& bytes)
{
    enum : uint16_t { Compressed = 0x01, Directory = 0x02, CompressedZstd = 0x04 };
    const auto* b = reinterpret_cast<const uint8_t*>(bytes.constData());
    const uint64_t size = static_cast<uint64_t>(bytes.size());
    const auto fits = [size](uint64_t at, uint64_t length) { return at <= size && length <= size - at; };

    if (size < 20 || std::memcmp(b, "qres", 4) != 0) return false;
    const uint32_t version = be32(b + 4);
    const uint64_t tree = be32(b + 8);
    const uint64_t data = be32(b + 12);
    const uint64_t names = be32(b + 16);
    if (version < 1 || version > 3) return false;
    if (version >= 3 && (size < 24 || (be32(b + 20) & ~uint32_t(Compressed | CompressedZstd)) != 0)) return false;

    const uint64_t nodeSize = version >= 2 ? 22 : 14;
    if (!fits(tree, nodeSize)) return false;
    const uint64_t nodeCount = (size - tree) / nodeSize;

    // Each node may be reached once only: that also rules out cycles.
    std::vector<bool> seen(nodeCount, false);
    std::vector<uint64_t> pending{0};
    while (!pending.empty()) {
        const uint64_t node = pending.back();
        pending.pop_back();
        if (seen[node]) return false;
        seen[node] = true;
        const uint8_t* n = b + tree + node * nodeSize;
        const uint16_t flags = be16(n + 4);
        // The root's name is never read.
        if (node != 0) {
            const uint64_t name = names + be32(n);
            if (!fits(name, 6) || !fits(name + 6, uint64_t(be16(b + name)) * 2)) return false;
        }
        if (flags & Directory) {
            const uint64_t count = be32(n + 6);
            const uint64_t first = be32(n + 10);
            if (first > nodeCount || count > nodeCount - first) return false;
            for (uint64_t child = first; child < first + count; ++child) pending.push_back(child);
        } else {
            const uint64_t entry = data + be32(n + 10);
            if (!fits(entry, 4) || !fits(entry + 4, be32(b + entry))) return false;
        }
    }
    return true;
}

ResourceFile::ResourceFile(QString path, qint64 size, QDateTime modified, QByteArray data)
    : m_path(std::move(path)), m_size(size), m_modified(std::move(modified)), m_data(std::move(data))
{
    // A root of its own per file, so a replaced file never shadows the old one
    // while a ResourceFork still holds it.
    static std::atomic<int> serial{0};
    m_root = QStringLiteral("/quib-zerevarove-%1").arg(++serial);
    m_registered = QResource::registerResource(reinterpret_cast<const uchar*>(m_data.constData()), m_root);
}

ResourceFile::~ResourceFile()
{
    if (m_registered) QResource::unregisterResource(reinterpret_cast<const uchar*>(m_data.constData()), m_root);
}

std::shared_ptr<ResourceFile> ResourceFile::open(const QString& path)
{
    QFile file(path);
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > kMaxFileSize || !file.open(QIODevice::ReadOnly)) return nullptr;
    QByteArray data = file.readAll();
    if (data.size() != info.size() || !isWellFormedResourceData(data)) return nullptr;
    std::shared_ptr<ResourceFile> opened(new ResourceFile(path, info.size(), info.lastModified(), std::move(data)));
    return opened->m_registered ? opened : nullptr;
}

QByteArray ResourceFile::read(const QString& name) const
{
    QFile entry(u':' + m_root + u'/' + name);
    if (!entry.open(QIODevice::ReadOnly)) return QByteArray();
    QByteArray bytes = entry.readAll();
    // readAll gives an empty, not a null, array for an empty entry.
    return bytes.isNull() ? QByteArray("") : bytes;
}

bool ResourceFile::isSameFile(const QString& path, qint64 size, const QDateTime& modified) const
{
    return path == m_path && size == m_size && modified == m_modified;
}

}

ResourceFork::ResourceFork(std::shared_ptr<const resources::ResourceFile> file) : m_file(std::move(file)) {}

Ref<Sound> ResourceFork::GetSound(int32_t id) const
{
    const QByteArray bytes = m_file->read(QStringLiteral("snd/%1.wav").arg(id));
    return Sound::FromWav({reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())});
}

Ref<ResourceFork> appResourceForkGetter()
{
    static std::mutex lock;
    // Never destroyed: unregistering during static destruction would reach
    // Qt's resource list after it is gone.
    static auto& current = *new std::shared_ptr<resources::ResourceFile>;
    std::lock_guard guard(lock);

    const QString path = resources::resourceFilePath();
    const QFileInfo info(path);
    if (!info.isFile()) {
        current.reset();
        return nullptr;
    }
    if (!current || !current->isSameFile(path, info.size(), info.lastModified()))
        current = resources::ResourceFile::open(path);
    return current ? std::make_shared<ResourceFork>(current) : nullptr;
}
