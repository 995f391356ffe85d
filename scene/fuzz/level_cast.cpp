// Reads arbitrary bytes as a level's cast file: the level elements, their action lists and HUD
// items are made by class name and read through their tables, then updated and drawn once.
#include "engine/core/fuzz/FuzzSupport.h"
#include "engine/plugins/RpPlugins.h"
#include "framework/Cast.h"
#include "framework/fuzz/FuzzScratch.h"
#include "scene/GameElement.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr const char* kScratch = "fuzz_level_cast.txt";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzBeginEngineRun(&RpPluginsAttachAll);
    if (!FuzzWriteScratch(kScratch, data, size))
        std::abort();
    Cast cast("objects");
    LoadSettings(&cast, kScratch);
    for (int i = 0; i < cast.GetMemberCount(); ++i)
        if (auto* element = dynamic_cast<GameElement*>(cast.GetMember(i)->object))
            element->Update(0.1f);
    RenderCast(cast);
    return 0;
}
