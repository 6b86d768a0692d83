#include "framework/Graphics.h"
#include "framework/Resources.h"
#include "framework/Resources_p.h"

Ref<Picture> ResourceFork::GetPicture(int32_t id) const
{
    const std::span<const uint8_t> bytes = m_file->entry(QStringLiteral("pict/%1.png").arg(id));
    if (bytes.empty()) return nullptr;
    return Picture::FromEncoded(bytes);
}
