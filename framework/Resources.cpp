#include "framework/Resources.h"

#include <QCoreApplication>
#include <QFile>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <mutex>

#include "framework/Resources_p.h"
#include "framework/Sound.h"

namespace resources {

namespace {

constexpr const char* kFileName = "quib-zerevarove.rcc";
// Far above the real file (about 1 MB); its index is read whole, so an
// unrelated huge file is refused rather than read.
constexpr off_t kMaxFileSize = 16 * 1024 * 1024;

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

// Reads n bytes at offset at; false when the file ends before.
bool readAt(int fd, uint64_t at, std::size_t n, uint8_t* into)
{
    while (n > 0) {
        const ssize_t got = ::pread(fd, into, n, static_cast<off_t>(at));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        into += got;
        at += static_cast<uint64_t>(got);
        n -= static_cast<std::size_t>(got);
    }
    return true;
}

}

ResourceFile::ResourceFile(QString path, int fd) : m_path(std::move(path)), m_fd(fd) {}

ResourceFile::~ResourceFile()
{
    ::close(m_fd);
}

std::shared_ptr<ResourceFile> ResourceFile::open(const QString& path)
{
    // Non-blocking, so that a FIFO in the file's place cannot hold up the start.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return nullptr;
    std::shared_ptr<ResourceFile> file(new ResourceFile(path, fd));
    if (fstat(fd, &file->m_opened) != 0 || !S_ISREG(file->m_opened.st_mode) || file->m_opened.st_size > kMaxFileSize)
        return nullptr;
    const auto size = static_cast<uint64_t>(file->m_opened.st_size);
    std::vector<uint8_t> bytes(std::min<uint64_t>(size, kHeaderSize));
    if (!readAt(fd, 0, bytes.size(), bytes.data())) return nullptr;
    const auto layout = readLayout(bytes, size);
    if (!layout) return nullptr;
    bytes.resize(size - layout->indexStart());
    if (!readAt(fd, layout->indexStart(), bytes.size(), bytes.data())) return nullptr;
    auto entries = indexResourceData(*layout, bytes);
    if (!entries) return nullptr;
    file->m_layout = *layout;
    file->m_entries = std::move(*entries);
    return file;
}

std::optional<std::vector<uint8_t>> ResourceFile::entry(const QString& name) const
{
    const auto found = m_entries.find(std::u16string(reinterpret_cast<const char16_t*>(name.utf16()), name.size()));
    if (found == m_entries.end()) return std::nullopt;
    const uint64_t at = found->second;
    uint8_t lengthBytes[4];
    if (!readAt(m_fd, at, sizeof lengthBytes, lengthBytes)) return std::nullopt;
    const auto length = entryLength(m_layout, at, lengthBytes);
    if (!length) return std::nullopt;
    std::vector<uint8_t> bytes(*length);
    // A file cut short since it was opened no longer holds all of it.
    if (!readAt(m_fd, at + 4, bytes.size(), bytes.data())) return std::nullopt;
    return bytes;
}

bool ResourceFile::isSameFile(const QString& path, const struct stat& now) const
{
    return path == m_path && now.st_dev == m_opened.st_dev && now.st_ino == m_opened.st_ino
        && now.st_size == m_opened.st_size && now.st_mtim.tv_sec == m_opened.st_mtim.tv_sec
        && now.st_mtim.tv_nsec == m_opened.st_mtim.tv_nsec;
}

}

ResourceFork::ResourceFork(std::shared_ptr<const resources::ResourceFile> file) : m_file(std::move(file)) {}

Ref<Sound> ResourceFork::GetSound(int32_t id) const
{
    const auto wav = m_file->entry(QStringLiteral("snd/%1.wav").arg(id));
    return wav ? Sound::FromWav(*wav) : nullptr;
}

Ref<ResourceFork> appResourceForkGetter()
{
    static std::mutex lock;
    static std::shared_ptr<resources::ResourceFile> current;
    std::lock_guard guard(lock);

    const QString path = resources::resourceFilePath();
    struct stat now {};
    if (stat(QFile::encodeName(path).constData(), &now) != 0 || !S_ISREG(now.st_mode)) {
        current.reset();
        return nullptr;
    }
    if (!current || !current->isSameFile(path, now)) current = resources::ResourceFile::open(path);
    return current ? std::make_shared<ResourceFork>(current) : nullptr;
}
