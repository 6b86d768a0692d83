#pragma once
// The resource file is a Qt binary resource (rcc --binary). Inside it, sound
// N is "snd/N.wav" and picture N is "pict/N.png".
#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <memory>

namespace resources {

class ResourceFile {
public:
    // nil when the file cannot be read or is not a well-formed resource file.
    static std::shared_ptr<ResourceFile> open(const QString& path);
    ~ResourceFile();
    ResourceFile(const ResourceFile&) = delete;
    ResourceFile& operator=(const ResourceFile&) = delete;

    // The named entry's bytes; a null QByteArray when there is none.
    QByteArray read(const QString& name) const;

    bool isSameFile(const QString& path, qint64 size, const QDateTime& modified) const;

private:
    ResourceFile(QString path, qint64 size, QDateTime modified, QByteArray data);

    QString m_path;
    qint64 m_size;
    QDateTime m_modified;
    const QByteArray m_data;
    QString m_root;
    bool m_registered = false;
};

// Checks that every offset reachable from the root stays inside the data.
// Qt trusts these offsets, so a damaged file must never reach it.
bool isWellFormedResourceData(const QByteArray& data);

}
