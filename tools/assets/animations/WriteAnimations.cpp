#include "tools/assets/animations/Motions.h"

#include "tools/assets/common/Files.h"
#include "tools/assets/common/Registry.h"

#include "engine/plugins/RtAnim.h"

#include <cstdio>

namespace assets::chars {

namespace {

bool WriteOne(const AssetContext& context, RtAnimAnimation* anim, const std::string& name)
{
    if (!anim) {
        std::fprintf(stderr, "tbasset: the animation %s does not build\n", name.c_str());
        return false;
    }
    const bool ok = WriteAnimationFile(anim, context.Path(std::string(kAnimationFolder) + "/" + name + ".anm"));
    RtAnimAnimationDestroy(anim);
    return ok;
}

bool WriteAnimations(const AssetContext& context)
{
    bool ok = true;
    for (const Clip& clip : Clips()) {
        ok = WriteOne(context, BuildClipAnimation(clip), clip.name) && ok;
        if (clip.ball != BallMode::None)
            ok = WriteOne(context, BuildBallLocator(clip), clip.name + "_ball") && ok;
        if (clip.move)
            ok = WriteOne(context, BuildMoveLocator(clip), clip.name + "_move") && ok;
        if (clip.collisionAt)
            ok = WriteOne(context, BuildCollisionLocator(clip), clip.name + "_collision") && ok;
    }
    return ok;
}

const GeneratorRegistrar kAnimations("animations", &WriteAnimations);

}  // namespace

}  // namespace assets::chars
