#include "framework/Resources.h"

#include <QCoreApplication>
#include <QFile>

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <mutex>

#include "framework/Resources_p.h"
#include "framework/Sound.h"
#include "framework/SoundWav_p.h"

namespace resources {

namespace {

constexpr const char* kFileName = "quib-zerevarove.rcc";
// Far above the real file; refuses to map an unrelated huge file.
constexpr off_t kMaxFileSize = 256 * 1024 * 1024;

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

// A file truncated while mapped raises SIGBUS on the next read of a page past
// its new end, on whichever thread reads it (the device's too). The mapped
// files' ranges are kept here, and such a read finds zeros instead: the
// checked offsets stay inside the mapping, so a sound merely falls silent.
// The build replaces the file by renaming, which never does this.
namespace bus {

struct Range {
    std::atomic<uintptr_t> begin{0};
    std::atomic<uintptr_t> end{0};
};
// Old files stay mapped while a sound of theirs lives; a few at a time at most.
std::array<Range, 8> ranges;
std::mutex rangesLock;
struct sigaction previous;
// Read once outside the handler, where sysconf may not be called.
uintptr_t page;

void onBusError(int, siginfo_t* info, void*)
{
    const auto at = reinterpret_cast<uintptr_t>(info->si_addr);
    for (const Range& r : ranges) {
        const uintptr_t end = r.end.load();
        if (at < r.begin.load() || at >= end) continue;
        // Truncation takes the file's tail, so everything from here on is gone.
        const uintptr_t from = at & ~(page - 1);
        if (mmap(reinterpret_cast<void*>(from), end - from, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0)
            != MAP_FAILED)
            return;
    }
    // Not ours: the fault repeats under whatever handled it before.
    sigaction(SIGBUS, &previous, nullptr);
}

void add(const void* mapping, std::size_t size)
{
    std::lock_guard guard(rangesLock);
    static const bool installed = [] {
        page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
        struct sigaction action {};
        action.sa_sigaction = onBusError;
        action.sa_flags = SA_SIGINFO | SA_RESTART;
        sigemptyset(&action.sa_mask);
        return sigaction(SIGBUS, &action, &previous) == 0;
    }();
    (void)installed;
    for (Range& r : ranges) {
        if (r.end.load() != 0) continue;
        r.begin = reinterpret_cast<uintptr_t>(mapping);
        r.end = reinterpret_cast<uintptr_t>(mapping) + size;
        return;
    }
}

void remove(const void* mapping)
{
    std::lock_guard guard(rangesLock);
    for (Range& r : ranges) {
        if (r.begin.load() != reinterpret_cast<uintptr_t>(mapping)) continue;
        r.end = 0;
        r.begin = 0;
    }
}

}

}

ResourceFile::ResourceFile(QString path, int fd, const struct stat& opened, void* mapping, std::size_t size)
    : m_path(std::move(path)), m_fd(fd), m_opened(opened), m_mapping(mapping), m_size(size)
{
    bus::add(m_mapping, m_size);
}

ResourceFile::~ResourceFile()
{
    bus::remove(m_mapping);
    munmap(m_mapping, m_size);
    ::close(m_fd);
}

void ResourceFile::read(const uint8_t* from, std::size_t n, uint8_t* into) const
{
    uint64_t at = static_cast<uint64_t>(from - static_cast<const uint8_t*>(m_mapping));
    std::lock_guard guard(m_readLock);
    while (n > 0) {
        auto block = std::find_if(m_blocks.begin(), m_blocks.end(),
                                  [at](const Block& b) { return at >= b.at && at < b.at + b.length; });
        if (block == m_blocks.end()) {
            block = std::min_element(m_blocks.begin(), m_blocks.end(),
                                     [](const Block& a, const Block& b) { return a.used < b.used; });
            block->at = at - at % block->bytes.size();
            const ssize_t got = ::pread(m_fd, block->bytes.data(), block->bytes.size(), static_cast<off_t>(block->at));
            block->length = got > 0 ? static_cast<std::size_t>(got) : 0;
            // Cut short since it was mapped: what is gone reads as zeros, as it does in the mapping.
            if (at >= block->at + block->length) {
                std::memset(into, 0, n);
                return;
            }
        }
        block->used = ++m_reads;
        const std::size_t take = std::min<uint64_t>(n, block->at + block->length - at);
        std::memcpy(into, block->bytes.data() + (at - block->at), take);
        into += take;
        at += take;
        n -= take;
    }
}

ReadBytes ResourceFile::reader() const
{
    return [this](const uint8_t* from, std::size_t n, uint8_t* into) { read(from, n, into); };
}

std::shared_ptr<ResourceFile> ResourceFile::open(const QString& path)
{
    // Non-blocking, so that a FIFO in the file's place cannot hold up the start.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return nullptr;
    // The size is the open file's own, so a file cut short before this point
    // is mapped only as far as it goes.
    struct stat opened {};
    void* mapping = MAP_FAILED;
    if (fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && opened.st_size > 0 && opened.st_size <= kMaxFileSize)
        mapping = mmap(nullptr, static_cast<std::size_t>(opened.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
    if (mapping == MAP_FAILED) {
        ::close(fd);
        return nullptr;
    }

    const auto size = static_cast<std::size_t>(opened.st_size);
    // The file stays open: headers are read from it, and only the samples that play come from the mapping.
    std::shared_ptr<ResourceFile> file(new ResourceFile(path, fd, opened, mapping, size));
    auto entries = indexResourceData({static_cast<const uint8_t*>(mapping), size}, file->reader());
    if (!entries) return nullptr;
    file->m_entries = std::move(*entries);
    return file;
}

std::span<const uint8_t> ResourceFile::entry(const QString& name) const
{
    const auto found = m_entries.find(std::u16string(reinterpret_cast<const char16_t*>(name.utf16()), name.size()));
    return found == m_entries.end() ? std::span<const uint8_t>() : found->second;
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
    // The sound plays from the mapping where it can, and keeps the file mapped.
    const auto samples = audio::wavSampleBytes(m_file->entry(QStringLiteral("snd/%1.wav").arg(id)), m_file->reader());
    return samples ? Sound::FromSampleBytes(*samples, m_file) : nullptr;
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
