#include "framework/Graphics.h"
#include "framework/Resources.h"
#include "framework/Resources_p.h"

Ref<Picture> ResourceFork::GetPicture(int32_t id) const
{
    const QByteArray bytes = m_file->read(QStringLiteral("pict/%1.png").arg(id));
    if (bytes.isEmpty()) return nullptr;
    return Picture::FromEncoded({reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())});
}
