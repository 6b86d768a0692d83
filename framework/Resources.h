#pragma once
// The program's resource file: sounds and pictures looked up by numeric
// identifier. Sounds and pictures have separate identifiers, so sound 168
// and picture 168 are different resources.
#include <cstdint>
#include <memory>

#include "framework/Object.h"

class Sound;
class Picture;

namespace resources {
class ResourceFile;
}

class ResourceFork : public Object {
public:
    // Made by appResourceForkGetter.
    explicit ResourceFork(std::shared_ptr<const resources::ResourceFile> file);

    // nil when the file has no such sound or it does not decode.
    Ref<Sound> GetSound(int32_t id) const;
    // nil when the file has no such picture or it does not decode.
    Ref<Picture> GetPicture(int32_t id) const;

private:
    std::shared_ptr<const resources::ResourceFile> m_file;
};

// The resource file "quib-zerevarove.rcc" beside the executable, or the file
// named by the environment variable QZ_RESOURCE_FILE when that is set (tests
// point it elsewhere). nil when the file is missing or damaged. Its index is
// read once and again only when the file changes; a sound or picture is read
// from it when fetched and holds its own copy.
Ref<ResourceFork> appResourceForkGetter();
