// Immediate-mode and upload throughput of the GL device, on whatever driver SDL picks
// (the offscreen one unless told otherwise). Every iteration waits for the GL to finish,
// so the figures include the rasterisation, not only the submission.
#include "engine/core/RwCore.h"
#include "engine/gl/GLDevice.h"
#include "platform/Platform.h"
#include "platform/Window.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

struct Bench {
    std::unique_ptr<platform::Window> window;
    RwCamera* camera = nullptr;
    RwFrame* frame = nullptr;
    RwRaster* raster = nullptr;
    RwRaster* zRaster = nullptr;
    bool ok = false;
};

Bench& Engine()
{
    static Bench bench = [] {
        Bench b;
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        if (!platform::Init())
            return b;
        platform::WindowSettings settings;
        settings.title = "gl bench";
        settings.swapInterval = 0;
        b.window = platform::Window::Create(settings);
        if (!b.window)
            return b;
        if (!RwEngineStartUp(rwDeviceGL, b.window->GetSDLWindow()))
            return b;
        b.raster = RwRasterCreate(800, 600, 0, rwRasterTypeCamera);
        b.zRaster = RwRasterCreate(800, 600, 0, rwRasterTypeZBuffer);
        b.frame = RwFrameCreate();
        b.camera = RwCameraCreate();
        RwCameraSetRaster(b.camera, b.raster);
        RwCameraSetZRaster(b.camera, b.zRaster);
        RwObjectHasFrameSetFrame(b.camera, b.frame);
        RwCameraSetFarClipPlane(b.camera, 100.0f);
        b.ok = true;
        return b;
    }();
    return bench;
}

// A grid of n x n quads at distance 10; half size 10 fills the view.
void Grid(int n, std::vector<RwIm3DVertex>& vertices, std::vector<RwImVertexIndex>& indices,
          float half = 10.0f)
{
    vertices.clear();
    indices.clear();
    for (int y = 0; y <= n; ++y)
        for (int x = 0; x <= n; ++x) {
            const float fx = half * (2.0f * x / n - 1.0f);
            const float fy = half * (2.0f * y / n - 1.0f);
            const RwUInt32 colour = RwPackColor(RwUInt8(x * 255 / n), RwUInt8(y * 255 / n), 128, 255);
            vertices.push_back({{fx, fy, 10.0f}, {0, 0, -1}, colour, float(x) / n, float(y) / n});
        }
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const RwImVertexIndex a = RwImVertexIndex(y * (n + 1) + x);
            const RwImVertexIndex b = RwImVertexIndex(a + 1);
            const RwImVertexIndex c = RwImVertexIndex(a + n + 1);
            const RwImVertexIndex d = RwImVertexIndex(c + 1);
            indices.insert(indices.end(), {a, b, d, a, d, c});
        }
}

void BM_Im3DIndexedTriangles(benchmark::State& state)
{
    Bench& b = Engine();
    if (!b.ok) {
        state.SkipWithError("no GL engine");
        return;
    }
    const int n = static_cast<int>(state.range(0));
    std::vector<RwIm3DVertex> vertices;
    std::vector<RwImVertexIndex> indices;
    Grid(n, vertices, indices);
    const RwRGBA black = {0, 0, 0, 255};
    RwCameraClear(b.camera, &black, rwCameraClearImage | rwCameraClearZ);
    RwCameraBeginUpdate(b.camera);
    RwRenderStateSet(rwRenderStateZTestEnable, 0);
    for (auto _ : state) {
        if (!RwIm3DTransform(vertices.data(), RwUInt32(vertices.size()), nullptr, rwIm3DVertexUV) ||
            !RwIm3DRenderIndexedPrimitive(rwPrimTypeTriList, indices.data(), RwInt32(indices.size()))) {
            state.SkipWithError("draw refused");
            break;
        }
        RwIm3DEnd();
        glFinish();
    }
    RwCameraEndUpdate(b.camera);
    state.SetItemsProcessed(state.iterations() * int64_t(indices.size() / 3));
    state.counters["triangles/s"] =
        benchmark::Counter(double(state.iterations()) * double(indices.size() / 3),
                           benchmark::Counter::kIsRate);
}
// 2 x n^2 triangles per draw: 200, 8 000 and 32 768 (the most 16-bit indices reach).
BENCHMARK(BM_Im3DIndexedTriangles)
    ->Arg(10)
    ->Arg(63)
    ->Arg(128)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);

void BM_Im3DManySmallDraws(benchmark::State& state)
{
    // The immediate cache's pattern: many draws of a handful of triangles each.
    Bench& b = Engine();
    if (!b.ok) {
        state.SkipWithError("no GL engine");
        return;
    }
    std::vector<RwIm3DVertex> vertices;
    std::vector<RwImVertexIndex> indices;
    Grid(2, vertices, indices, 0.5f);  // a small patch in the middle of the view
    RwCameraBeginUpdate(b.camera);
    for (auto _ : state) {
        for (int i = 0; i < 100; ++i) {
            RwIm3DTransform(vertices.data(), RwUInt32(vertices.size()), nullptr, rwIm3DVertexUV);
            RwIm3DRenderIndexedPrimitive(rwPrimTypeTriList, indices.data(), RwInt32(indices.size()));
            RwIm3DEnd();
        }
        glFinish();
    }
    RwCameraEndUpdate(b.camera);
    state.counters["draws/s"] = benchmark::Counter(double(state.iterations()) * 100,
                                                   benchmark::Counter::kIsRate);
    state.counters["triangles/s"] = benchmark::Counter(
        double(state.iterations()) * 100 * double(indices.size() / 3), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Im3DManySmallDraws)->UseRealTime()->Unit(benchmark::kMicrosecond);

void BM_TextureUpload(benchmark::State& state)
{
    Bench& b = Engine();
    if (!b.ok) {
        state.SkipWithError("no GL engine");
        return;
    }
    const int size = static_cast<int>(state.range(0));
    RwImage* image = RwImageCreate(size, size, 32);
    RwImageAllocatePixels(image);
    // Opaque, so the device looks at every texel for translucency, as with most textures.
    for (int i = 0; i < size * size * 4; ++i)
        image->pixels[i] = (i % 4 == 3) ? 255 : RwUInt8(i * 7);
    RwRaster* raster = RwRasterCreate(size, size, 32, rwRasterTypeTexture);
    for (auto _ : state) {
        if (!RwRasterSetFromImage(raster, image)) {
            state.SkipWithError("upload refused");
            break;
        }
        glFinish();
    }
    state.SetBytesProcessed(state.iterations() * int64_t(size) * size * 4);
    RwRasterDestroy(raster);
    RwImageDestroy(image);
}
BENCHMARK(BM_TextureUpload)
    ->Arg(256)
    ->Arg(512)
    ->Arg(1024)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);

}  // namespace

