#include "tools/assets/characters/Characters.h"

#include "tools/assets/common/Files.h"
#include "tools/assets/common/Registry.h"

#include "engine/world/RpWorld.h"

#include <cstdio>

namespace assets::chars {

namespace {

bool WriteCharacters(const AssetContext& context)
{
    bool ok = true;
    for (Race race : kRaces) {
        RpClump* clump = BuildCharacter(race);
        if (!clump) {
            std::fprintf(stderr, "tbasset: the %s model does not build\n", RaceName(race));
            ok = false;
            continue;
        }
        ok = WriteClumpFile(clump, context.Path(ModelPath(race))) && ok;
        RpClumpDestroy(clump);
        for (const TextureFile& texture : PaintCharacterTextures(race))
            ok = context.WriteTextureSets(RaceFolder(race), texture.folder + "/" + texture.name, texture.image) && ok;
    }
    return ok;
}

const GeneratorRegistrar kCharacters("characters", &WriteCharacters);

}  // namespace

}  // namespace assets::chars
