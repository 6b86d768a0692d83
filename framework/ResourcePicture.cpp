#include "framework/Graphics.h"
#include "framework/Resources.h"
#include "framework/Resources_p.h"

Ref<Picture> ResourceFork::GetPicture(int32_t id) const
{
    const auto bytes = m_file->entry(QStringLiteral("pict/%1.png").arg(id));
    return bytes ? Picture::FromEncoded(*bytes) : nullptr;
}
