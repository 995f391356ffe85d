// The renderer's frame time for a generated stadium view at 1280 x 720 on the offscreen
// driver: clear, draw, show, one frame per iteration; median and worst of 300 frames.
#include <benchmark/benchmark.h>

#include "engine/core/RwCore.h"
#include "engine/core/RwDevice.h"
#include "scene/Camera.h"
#include "scene/RwGraphics.h"
#include "scene/bench/BenchRenderer.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

struct Mesh {
    std::vector<RwIm3DVertex> vertices;
    std::vector<RwImVertexIndex> indices;

    void Quad(RwV3d a, RwV3d b, RwV3d c, RwV3d d, RwV3d n, RwUInt32 colour)
    {
        const RwImVertexIndex base = RwImVertexIndex(vertices.size());
        for (RwV3d p : {a, b, c, d})
            vertices.push_back({p, n, colour, 0, 0});
        indices.insert(indices.end(), {base, RwImVertexIndex(base + 1), RwImVertexIndex(base + 2), base,
                                       RwImVertexIndex(base + 2), RwImVertexIndex(base + 3)});
    }
    void Box(float x, float y, float z, float w, float h, float d, RwUInt32 colour)
    {
        const float x0 = x - w / 2, x1 = x + w / 2, z0 = z - d / 2, z1 = z + d / 2, y1 = y + h;
        Quad({x0, y1, z0}, {x1, y1, z0}, {x1, y1, z1}, {x0, y1, z1}, {0, 1, 0}, colour);
        Quad({x0, y, z0}, {x0, y1, z0}, {x0, y1, z1}, {x0, y, z1}, {-1, 0, 0}, colour);
        Quad({x1, y, z0}, {x1, y, z1}, {x1, y1, z1}, {x1, y1, z0}, {1, 0, 0}, colour);
        Quad({x0, y, z0}, {x1, y, z0}, {x1, y1, z0}, {x0, y1, z0}, {0, 0, -1}, colour);
        Quad({x0, y, z1}, {x0, y1, z1}, {x1, y1, z1}, {x1, y, z1}, {0, 0, 1}, colour);
    }
    // Immediate-mode batches stay below the 16-bit index limit.
    bool Full() const { return vertices.size() > 60000; }
};

// Pitch, players and four stands of spectators: about 25,000 triangles in a few batches.
std::vector<Mesh> BuildStadium()
{
    std::vector<Mesh> meshes(1);
    auto mesh = [&]() -> Mesh& {
        if (meshes.back().Full())
            meshes.emplace_back();
        return meshes.back();
    };
    for (int i = 0; i < 20; ++i) {
        const float z0 = -50 + i * 5.0f;
        const RwUInt32 green = i % 2 ? RwPackColor(40, 128, 40, 255) : RwPackColor(33, 107, 33, 255);
        mesh().Quad({-34, 0, z0}, {-34, 0, z0 + 5}, {34, 0, z0 + 5}, {34, 0, z0}, {0, 1, 0}, green);
    }
    for (int i = 0; i < 22; ++i) {
        const RwUInt32 shirt = i < 11 ? RwPackColor(220, 40, 40, 255) : RwPackColor(40, 60, 220, 255);
        mesh().Box(float((i % 11) * 6 - 30), 0, float(i < 11 ? -10 - i : 10 + i - 11), 0.8f, 1.8f, 0.5f, shirt);
    }
    for (int side = 0; side < 4; ++side) {
        for (int tier = 0; tier < 12; ++tier) {
            for (int seat = 0; seat < 45; ++seat) {
                const float along = float(seat) * 2.5f - 55.0f;
                const float out = 40.0f + tier * 1.5f;
                const float up = tier * 1.0f;
                const RwUInt32 colour = RwPackColor(uint8_t(80 + (seat * 37 + tier * 11) % 150),
                                                    uint8_t(60 + (seat * 53) % 120), uint8_t(90 + tier * 9), 255);
                const float x = side < 2 ? along : (side == 2 ? -out : out);
                const float z = side < 2 ? (side == 0 ? -out - 15 : out + 15) : along;
                mesh().Box(x, up, z, 0.6f, 0.9f, 0.6f, colour);
            }
        }
    }
    return meshes;
}

void BM_StadiumFrame(benchmark::State& state)
{
    BenchRenderer renderer;
    if (!renderer.Start(state, 1280, 720))
        return;
    RwGraphics* graphics = RwGraphics::Instance();
    PrimaryCamera* camera = graphics->GetPrimaryCamera();
    camera->SetClipPlanes(0.5f, 400.0f);
    const RwV3d xAxis = {1, 0, 0};
    const RwV3d position = {0, 30, -95};
    RwFrameRotate(camera->GetFrame(), &xAxis, 20.0f, rwCombineReplace);
    RwFrameTranslate(camera->GetFrame(), &position, rwCombinePostMultiply);
    std::vector<Mesh> stadium = BuildStadium();
    RwRenderStateSet(rwRenderStateZTestEnable, 1);
    RwRenderStateSet(rwRenderStateZWriteEnable, 1);

    const float sky[4] = {0.4f, 0.6f, 0.9f, 1.0f};
    std::vector<double> frames;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        graphics->BeginRender();
        camera->Clear(sky, 3);
        camera->BeginUpdate();
        for (Mesh& mesh : stadium) {
            if (RwIm3DTransform(mesh.vertices.data(), RwUInt32(mesh.vertices.size()), nullptr, 0)) {
                RwIm3DRenderIndexedPrimitive(rwPrimTypeTriList, mesh.indices.data(), RwInt32(mesh.indices.size()));
                RwIm3DEnd();
            }
        }
        camera->EndUpdate();
        graphics->Render();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        frames.push_back(took.count());
        state.SetIterationTime(took.count());
    }
    ReportMedianAndWorst(state, frames);
    state.counters["triangles"] = graphics->GetCounter(RwGraphics::kTriangles);

}
BENCHMARK(BM_StadiumFrame)->Iterations(300)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
