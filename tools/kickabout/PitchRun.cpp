#include "tools/kickabout/PitchRun.h"

#include "characters/ActorClumpCache.h"
#include "framework/Random.h"
#include "scene/RwGraphics.h"
#include "simulation/CollisionManager.h"
#include "simulation/ShapeCollision.h"
#include "tools/common/GameData.h"
#include "tools/common/OffscreenSession.h"

#include <cstdio>

namespace kickabout {

int RunOnPitch(const char* tool, const std::string& folder, int width, int height, bool bench,
               const std::function<int()>& body)
{
    if (!tools::MountGameData(folder, "level01")) {
        std::fprintf(stderr, "%s: no game data in %s\n", tool, folder.c_str());
        return 1;
    }
    tools::OffscreenSession session(tool, width, height);
    if (!session.Start(tools::OffscreenSession::kWindowOnly))
        return 1;
    RwGraphics* graphics = RwGraphics::Instance();
    if (bench)
        graphics->SetDeviceKind(rwDeviceNull);
    graphics->SetScreenSize(width, height);
    if (!graphics->Initialise(session.GetWindow())) {
        std::fprintf(stderr, "%s: the rendering engine does not start\n", tool);
        return 1;
    }
    Random::Seed(7);
    ShapeCollisionTable::Init();
    const int result = body();
    ActorClumpCache::DestroyInstance();
    CollisionManager::DestroyInstance();
    graphics->Destroy();
    return result;
}

}  // namespace kickabout
