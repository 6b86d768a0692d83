#include "framework/Files.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QString>

#include <sys/types.h>
#include <sys/xattr.h>

#include <cstdlib>
#include <string>

namespace {

QString toQString(const String& s) { return QString::fromStdString(s.ToUtf8()); }

String fromQString(const QString& s) { return String(s.toStdString()); }

constexpr const char* creatorAttribute = "user.quib.creator";
constexpr const char* typeAttribute = "user.quib.type";

String readAttribute(const String& path, const char* name)
{
    const std::string file = path.ToUtf8();
    char buffer[64];
    const ssize_t size = ::getxattr(file.c_str(), name, buffer, sizeof buffer);
    if (size <= 0) return {};
    return String(std::string_view(buffer, static_cast<std::size_t>(size)));
}

// File systems without user attributes (and tmpfs on older kernels) refuse; the codes are only a hint.
void writeAttribute(const String& path, const char* name, const String& value)
{
    const std::string file = path.ToUtf8();
    const std::string bytes = value.ToUtf8();
    (void)::setxattr(file.c_str(), name, bytes.data(), bytes.size(), 0);
}

} // namespace

struct TextOutputStream::Impl {
    explicit Impl(const QString& path) : file(path) {}
    QSaveFile file;
    bool failed = false;
};

TextOutputStream::TextOutputStream(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}

// An uncommitted QSaveFile removes its temporary file, so dropping the stream leaves the old file.
TextOutputStream::~TextOutputStream() = default;

void TextOutputStream::WriteLine(const String& text)
{
    if (m_closed) {
        m_impl->failed = true;
        return;
    }
    std::string bytes = text.ToUtf8();
    bytes += '\n';
    const auto size = static_cast<qint64>(bytes.size());
    if (m_impl->file.write(bytes.data(), size) != size) m_impl->failed = true;
}

bool TextOutputStream::Close()
{
    if (m_closed) return m_result;
    m_closed = true;
    if (m_impl->failed || m_impl->file.error() != QFileDevice::NoError) {
        m_impl->file.cancelWriting();
        m_impl->file.commit();
        m_result = false;
    } else {
        m_result = m_impl->file.commit();
    }
    return m_result;
}

struct TextInputStream::Impl {
    explicit Impl(const QString& path) : file(path) {}
    QFile file;
};

TextInputStream::TextInputStream(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}

TextInputStream::~TextInputStream() = default;

String TextInputStream::ReadAll()
{
    if (!m_impl->file.isOpen()) return {};
    const QByteArray bytes = m_impl->file.readAll();
    return String(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

void TextInputStream::Close() { m_impl->file.close(); }

Ref<FolderItem> FolderItem::Child(const String& name) const
{
    if (name.IsEmpty() || name == String(".") || name == String("..")) return nullptr;
    for (char32_t c : name.Chars())
        if (c == U'/' || c == U'\0') return nullptr;
    return std::make_shared<FolderItem>(m_path + "/" + name);
}

bool FolderItem::Exists() const
{
    // A dangling link counts as present: writing through it would create its target.
    const QFileInfo info(toQString(m_path));
    return info.exists() || info.isSymLink();
}

bool FolderItem::Delete()
{
    const QString path = toQString(m_path);
    if (QFileInfo(path).isDir() && !QFileInfo(path).isSymLink()) return QDir().rmdir(path);
    return QFile::remove(path);
}

Ref<TextOutputStream> FolderItem::CreateTextFile()
{
    auto impl = std::make_unique<TextOutputStream::Impl>(toQString(m_path));
    // Never fall back to writing the target in place: that would lose the old file on failure.
    impl->file.setDirectWriteFallback(false);
    // Unbuffered, so a short write shows at once; a buffered one can fail in the
    // final flush without the commit noticing.
    if (!impl->file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return nullptr;
    return Ref<TextOutputStream>(new TextOutputStream(std::move(impl)));
}

Ref<TextInputStream> FolderItem::OpenAsTextFile()
{
    auto impl = std::make_unique<TextInputStream::Impl>(toQString(m_path));
    if (QFileInfo(impl->file.fileName()).isDir()) return nullptr;
    if (!impl->file.open(QIODevice::ReadOnly)) return nullptr;
    return Ref<TextInputStream>(new TextInputStream(std::move(impl)));
}

String FolderItem::MacCreator() const { return readAttribute(m_path, creatorAttribute); }

void FolderItem::MacCreator(const String& code) { writeAttribute(m_path, creatorAttribute, code); }

String FolderItem::MacType() const { return readAttribute(m_path, typeAttribute); }

void FolderItem::MacType(const String& code) { writeAttribute(m_path, typeAttribute, code); }

Ref<FolderItem> PreferencesFolder()
{
    // Read each time, so tests can point it elsewhere.
    QString path;
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && *config == '/') {
        path = QString::fromLocal8Bit(config);
    } else {
        const char* home = std::getenv("HOME");
        const QString homePath = home && *home ? QString::fromLocal8Bit(home) : QDir::homePath();
        path = homePath + QStringLiteral("/.config");
    }
    path = QDir::cleanPath(path);
    if (!QDir().mkpath(path) || !QFileInfo(path).isDir()) return nullptr;
    return std::make_shared<FolderItem>(fromQString(path));
}
