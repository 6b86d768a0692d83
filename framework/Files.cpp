#include "framework/Files.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr const char* creatorAttribute = "user.quib.creator";
constexpr const char* typeAttribute = "user.quib.type";

String readAttribute(const std::string& path, const char* name)
{
    char buffer[64];
    const ssize_t size = ::getxattr(path.c_str(), name, buffer, sizeof buffer);
    if (size <= 0) return {};
    return String(std::string_view(buffer, static_cast<std::size_t>(size)));
}

// File systems without user attributes (and tmpfs on older kernels) refuse; the codes are only a hint.
void writeAttribute(const std::string& path, const char* name, const String& value)
{
    const std::string bytes = value.ToUtf8();
    (void)::setxattr(path.c_str(), name, bytes.data(), bytes.size(), 0);
}

std::string folderOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }

// The file a replacement must land in: links are followed, even to a target that
// does not exist yet, so a link to the preferences file stays a link.
bool followLinks(std::string& path)
{
    for (int depth = 0; depth < 40; ++depth) {
        struct stat st{};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return true;
        std::string target(PATH_MAX, '\0');
        const ssize_t size = ::readlink(path.c_str(), target.data(), target.size());
        if (size <= 0 || static_cast<std::size_t>(size) >= target.size()) return false;
        target.resize(static_cast<std::size_t>(size));
        path = target.front() == '/' ? target : folderOf(path) + "/" + target;
    }
    return false;
}

bool namedTemporariesOnly = false;

// What a save makes beside the target gets a hidden name from mkstemp or mkdtemp,
// so it can never be a file of the user's, and is removed on every failure.
std::string temporaryTemplate(const std::string& target)
{
    return folderOf(target) + "/." + nameOf(target) + ".saving-XXXXXX";
}

// An unnamed file in the target's folder, or -1. Only a file that /proc can
// name is any use, since linking it needs that name.
int openUnnamed(const std::string& target)
{
    if (namedTemporariesOnly) return -1;
    const int fd = ::open(folderOf(target).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd >= 0 && ::access(("/proc/self/fd/" + std::to_string(fd)).c_str(), F_OK) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// A link cannot replace a name, so the file gets a name in a folder of its own
// first and is renamed over the target from there.
bool linkUnnamed(int fd, const std::string& target)
{
    std::string holder = temporaryTemplate(target);
    if (!::mkdtemp(holder.data())) return false;
    const std::string staged = holder + "/file";
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    const bool linked = ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, staged.c_str(), AT_SYMLINK_FOLLOW) == 0;
    const bool renamed = linked && ::rename(staged.c_str(), target.c_str()) == 0;
    if (linked && !renamed) (void)::unlink(staged.c_str());
    (void)::rmdir(holder.c_str());
    return renamed;
}

bool writeAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Lexically, as a shell user reads it: no empty, "." or ".." parts.
std::string cleanPath(const std::string& path)
{
    std::vector<std::string> parts;
    std::size_t at = 0;
    while (at <= path.size()) {
        const auto end = std::min(path.find('/', at), path.size());
        const std::string part = path.substr(at, end - at);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        at = end + 1;
    }
    std::string clean;
    for (const auto& part : parts) clean += "/" + part;
    return clean.empty() ? "/" : clean;
}

bool makeFolders(const std::string& path)
{
    for (std::size_t at = path.find('/', 1);; at = path.find('/', at + 1)) {
        const std::string prefix = path.substr(0, at);
        // Settings are the user's own business (XDG base directories).
        if (::mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) return false;
        if (at == std::string::npos) break;
    }
    struct stat st{};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// A session without HOME (a service, su -) still has the account's own folder.
std::string homeFolder()
{
    const char* home = std::getenv("HOME");
    if (home && *home == '/') return home;
    const passwd* account = ::getpwuid(::getuid());
    if (account && account->pw_dir && *account->pw_dir == '/') return account->pw_dir;
    return {};
}

} // namespace

struct TextOutputStream::Impl {
    std::string target;
    std::string named; // the temporary's name; empty for an unnamed one
    int fd = -1;
    std::size_t written = 0;
    bool failed = false;

    // An uncommitted stream leaves no trace, so the old file stays.
    ~Impl()
    {
        if (fd < 0) return;
        if (!named.empty()) (void)::unlink(named.c_str());
        ::close(fd);
    }
};

TextOutputStream::TextOutputStream(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}

TextOutputStream::~TextOutputStream() = default;

void TextOutputStream::WriteLine(const String& text)
{
    Impl& s = *m_impl;
    std::string bytes = text.ToUtf8();
    bytes += '\n';
    // A file the reader would take as damaged is never committed.
    if (m_closed || s.failed || bytes.size() > TextInputStream::MaxSize - s.written
        || !writeAll(s.fd, bytes.data(), bytes.size()))
        s.failed = true;
    else
        s.written += bytes.size();
}

bool TextOutputStream::Close()
{
    if (m_closed) return m_result;
    m_closed = true;
    Impl& s = *m_impl;
    m_result = !s.failed && ::fsync(s.fd) == 0
        && (s.named.empty() ? linkUnnamed(s.fd, s.target) : ::rename(s.named.c_str(), s.target.c_str()) == 0);
    if (!m_result && !s.named.empty()) (void)::unlink(s.named.c_str());
    ::close(s.fd);
    s.fd = -1;
    return m_result;
}

struct TextInputStream::Impl {
    int fd = -1;
    ~Impl()
    {
        if (fd >= 0) ::close(fd);
    }
};

TextInputStream::TextInputStream(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}

TextInputStream::~TextInputStream() = default;

String TextInputStream::ReadAll()
{
    if (m_impl->fd < 0) return {};
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(m_impl->fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        bytes.append(buffer, static_cast<std::size_t>(n));
        if (bytes.size() > MaxSize) return {};
    }
    return String(bytes);
}

void TextInputStream::Close()
{
    if (m_impl->fd >= 0) ::close(m_impl->fd);
    m_impl->fd = -1;
}

Ref<FolderItem> FolderItem::Child(const String& name) const
{
    if (name.IsEmpty() || name == String(".") || name == String("..")) return nullptr;
    for (char32_t c : name.Chars())
        if (c == U'/' || c == U'\0') return nullptr;
    return std::make_shared<FolderItem>(m_path + "/" + name.ToUtf8());
}

bool FolderItem::Exists() const
{
    // A dangling link counts as present: writing through it would create its target.
    struct stat st{};
    return ::lstat(m_path.c_str(), &st) == 0;
}

bool FolderItem::Delete()
{
    struct stat st{};
    if (::lstat(m_path.c_str(), &st) != 0) return false;
    return (S_ISDIR(st.st_mode) ? ::rmdir(m_path.c_str()) : ::unlink(m_path.c_str())) == 0;
}

Ref<TextOutputStream> FolderItem::CreateTextFile()
{
    auto impl = std::make_unique<TextOutputStream::Impl>();
    impl->target = m_path;
    if (!followLinks(impl->target)) return nullptr;
    // Replacing a device or a FIFO would put a plain file where the system expects one.
    struct stat existing{};
    const bool exists = ::stat(impl->target.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode)) return nullptr;
    impl->fd = openUnnamed(impl->target);
    if (impl->fd < 0) {
        impl->named = temporaryTemplate(impl->target);
        impl->fd = ::mkostemp(impl->named.data(), O_CLOEXEC);
        if (impl->fd < 0) return nullptr;
    }
    if (exists) {
        // A file left by a run under sudo goes back to its owner where we may give it;
        // the owner keeps the right to read and write it, or nothing is remembered.
        (void)::fchown(impl->fd, existing.st_uid, existing.st_gid);
        (void)::fchmod(impl->fd, (existing.st_mode & 07777) | S_IRUSR | S_IWUSR);
    }
    return Ref<TextOutputStream>(new TextOutputStream(std::move(impl)));
}

Ref<TextInputStream> FolderItem::OpenAsTextFile()
{
    auto impl = std::make_unique<TextInputStream::Impl>();
    impl->fd = ::open(m_path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (impl->fd < 0) return nullptr;
    struct stat st{};
    const bool known = ::fstat(impl->fd, &st) == 0;
    if (!known || !S_ISREG(st.st_mode)) {
        const int error = !known ? errno : S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        impl.reset();
        errno = error;
        return nullptr;
    }
    return Ref<TextInputStream>(new TextInputStream(std::move(impl)));
}

String FolderItem::MacCreator() const { return readAttribute(m_path, creatorAttribute); }

void FolderItem::MacCreator(const String& code) { writeAttribute(m_path, creatorAttribute, code); }

String FolderItem::MacType() const { return readAttribute(m_path, typeAttribute); }

void FolderItem::MacType(const String& code) { writeAttribute(m_path, typeAttribute, code); }

Ref<FolderItem> PreferencesFolder()
{
    // Read each time, so tests can point it elsewhere. The bytes are used as given.
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::string path;
    if (config && *config == '/') {
        path = config;
    } else {
        path = homeFolder();
        if (path.empty()) return nullptr;
        path += "/.config";
    }
    path = cleanPath(path);
    if (!makeFolders(path)) return nullptr;
    return std::make_shared<FolderItem>(path);
}

void FilesTesting::UseNamedTemporaries(bool named) { namedTemporariesOnly = named; }
