#include "engine/core/fuzz/FuzzSupport.h"
#include "engine/world/RpCollision.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {
RpCollisionTriangle* Count(RpIntersection*, RpWorldSector*, RpCollisionTriangle* t, RwReal, void* data)
{
    ++*static_cast<int*>(data);
    return t;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzBeginEngineRun();
    RwMemory mem;
    RwStream* stream = FuzzStream(data, size, mem);
    if (RwStreamFindChunk(stream, rwChunkWorld, nullptr, nullptr)) {
        if (RpWorld* world = RpWorldStreamRead(stream)) {
            // What was read must answer queries through its tree, write back and go away.
            int hits = 0;
            RpIntersection is{};
            is.type = rpIntersectSphere;
            is.t.sphere = {{0, 0, 0}, 10};
            RpCollisionWorldForAllIntersections(world, &is, Count, &hits);
            RpCollisionWorldBuildData(world, nullptr);
            is.type = rpIntersectLine;
            is.t.line = {{-10, 1, -10}, {10, -1, 10}};
            RpCollisionWorldForAllIntersections(world, &is, Count, &hits);
            is.type = rpIntersectBox;
            is.t.box = {{5, 5, 5}, {-5, -5, -5}};
            RpCollisionWorldForAllIntersections(world, &is, Count, &hits);
            RwStream* out = RwStreamOpen(rwStreamMemory, rwStreamWrite, nullptr);
            RpWorldStreamWrite(world, out);
            RwMemory written{};
            RwStreamClose(out, &written);
            std::free(written.start);
            RpWorldDestroy(world);
        }
    }
    RwStreamClose(stream, nullptr);
    return 0;
}
