// Renders one frame of a small pitch scene on the GL device without a screen and writes
// it as a PNG, so a person can see what the engine draws:
//     render_frame [out.png] [width height]
// The frame goes through the same path as the game's: off-screen camera raster, shown in
// the (hidden) window, then read back from the raster.
#include "engine/core/RwCore.h"
#include "engine/core/RwDevice.h"
#include "tools/common/OffscreenCamera.h"
#include "tools/common/OffscreenSession.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr float kPi = 3.14159265f;

struct Mesh {
    std::vector<RwIm3DVertex> vertices;
    std::vector<RwImVertexIndex> indices;

    void Quad(RwV3d a, RwV3d b, RwV3d c, RwV3d d, RwV3d normal, RwUInt32 colour)
    {
        const RwImVertexIndex base = RwImVertexIndex(vertices.size());
        for (RwV3d p : {a, b, c, d})
            vertices.push_back({p, normal, colour, 0, 0});
        indices.insert(indices.end(), {base, RwImVertexIndex(base + 1), RwImVertexIndex(base + 2),
                                       base, RwImVertexIndex(base + 2), RwImVertexIndex(base + 3)});
    }

    // An axis-aligned box standing on y = 0.
    void Box(float x, float z, float w, float h, float d, RwUInt32 colour)
    {
        const float x0 = x - w / 2, x1 = x + w / 2, z0 = z - d / 2, z1 = z + d / 2;
        Quad({x0, h, z0}, {x1, h, z0}, {x1, h, z1}, {x0, h, z1}, {0, 1, 0}, colour);
        Quad({x0, 0, z0}, {x0, h, z0}, {x0, h, z1}, {x0, 0, z1}, {-1, 0, 0}, colour);
        Quad({x1, 0, z0}, {x1, 0, z1}, {x1, h, z1}, {x1, h, z0}, {1, 0, 0}, colour);
        Quad({x0, 0, z0}, {x1, 0, z0}, {x1, h, z0}, {x0, h, z0}, {0, 0, -1}, colour);
        Quad({x0, 0, z1}, {x0, h, z1}, {x1, h, z1}, {x1, 0, z1}, {0, 0, 1}, colour);
    }

    void Draw(RwPrimitiveType type = rwPrimTypeTriList)
    {
        if (RwIm3DTransform(vertices.data(), RwUInt32(vertices.size()), nullptr, 0)) {
            RwIm3DRenderIndexedPrimitive(type, indices.data(), RwInt32(indices.size()));
            RwIm3DEnd();
        }
    }
};

// Looking down by pitch degrees from a point, screen up towards +z.
void PlaceLookingDown(tools::OffscreenCamera& camera, RwV3d eye, float pitchDegrees)
{
    const float pitch = pitchDegrees * kPi / 180;
    const RwV3d target{eye.x, eye.y - std::sin(pitch), eye.z + std::cos(pitch)};
    camera.LookAt(eye, target);
}

void DrawScene(RwDevice* device)
{
    // Lit meshes carry no pre-lit colour: their material colour is what the light shows.
    const RwUInt32 unlit = RwPackColor(0, 0, 0, 255);
    const RwDeviceDirectionalLight sun[2] = {
        {{0.3f, -0.8f, 0.5f}, {0.7f, 0.68f, 0.6f, 1}},
        {{-0.5f, -0.3f, -0.8f}, {0.15f, 0.15f, 0.25f, 1}},
    };
    RwDeviceLighting lighting = {{0.3f, 0.3f, 0.35f, 1}, sun, 2, {1, 1, 1, 1}};
    auto drawLit = [&](Mesh& mesh, RwRGBAReal material) {
        lighting.materialColour = material;
        device->SetLighting(&lighting);
        mesh.Draw();
    };

    // The pitch in stripes of two greens.
    Mesh stripes[2];
    for (int i = 0; i < 10; ++i) {
        const float z0 = -25 + i * 5.0f, z1 = z0 + 5.0f;
        stripes[i % 2].Quad({-16, 0, z0}, {-16, 0, z1}, {16, 0, z1}, {16, 0, z0}, {0, 1, 0}, unlit);
    }
    drawLit(stripes[0], {0.16f, 0.5f, 0.16f, 1});
    drawLit(stripes[1], {0.13f, 0.42f, 0.13f, 1});

    // Two teams of boxes and a ball.
    Mesh red, blue, ball;
    const float spots[5][2] = {{-6, -8}, {0, -4}, {6, -8}, {-3, 2}, {3, 2}};
    for (const auto& spot : spots) {
        red.Box(spot[0], spot[1], 0.8f, 1.8f, 0.5f, unlit);
        blue.Box(-spot[0] * 0.8f, -spot[1] - 6, 0.8f, 1.8f, 0.5f, unlit);
    }
    ball.Box(0.5f, -1, 0.4f, 0.4f, 0.4f, unlit);
    drawLit(red, {0.85f, 0.15f, 0.15f, 1});
    drawLit(blue, {0.15f, 0.25f, 0.85f, 1});
    drawLit(ball, {1, 1, 1, 1});
    device->SetLighting(nullptr);

    // Lines: touch lines, half-way line and centre circle, drawn a little above the grass.
    Mesh lines;
    auto line = [&](RwV3d a, RwV3d b) {
        const RwImVertexIndex base = RwImVertexIndex(lines.vertices.size());
        lines.vertices.push_back({a, {0, 1, 0}, RwPackColor(240, 240, 240, 255), 0, 0});
        lines.vertices.push_back({b, {0, 1, 0}, RwPackColor(240, 240, 240, 255), 0, 0});
        lines.indices.insert(lines.indices.end(), {base, RwImVertexIndex(base + 1)});
    };
    const float y = 0.02f;
    line({-15, y, -24}, {15, y, -24});
    line({15, y, -24}, {15, y, 24});
    line({15, y, 24}, {-15, y, 24});
    line({-15, y, 24}, {-15, y, -24});
    line({-15, y, 0}, {15, y, 0});
    for (int i = 0; i < 48; ++i) {
        const float a0 = 2 * kPi * i / 48, a1 = 2 * kPi * (i + 1) / 48;
        line({4 * std::cos(a0), y, 4 * std::sin(a0)}, {4 * std::cos(a1), y, 4 * std::sin(a1)});
    }
    lines.Draw(rwPrimTypeLineList);
}

void Rect2D(float x, float y, float w, float h, RwUInt32 colour)
{
    const float z = RwIm2DGetNearScreenZ();
    const RwIm2DVertex v[4] = {{x, y, z, 1, colour, 0, 0}, {x + w, y, z, 1, colour, 1, 0},
                               {x + w, y + h, z, 1, colour, 1, 1}, {x, y + h, z, 1, colour, 0, 1}};
    const RwImVertexIndex indices[6] = {3, 2, 0, 2, 1, 0};
    RwIm2DRenderIndexedPrimitive(rwPrimTypeTriList, v, 4, indices, 6);
}

int Run(const char* out, int width, int height)
{
    tools::OffscreenSession session("render_frame", width, height);
    if (!session.Start(tools::OffscreenSession::kStartEngine))
        return 1;
    RwDevice* device = RwDeviceGetCurrent();

    tools::OffscreenCamera main, map;
    if (!main.Create(width, height, 0.8f, 0.8f * height / width, 0.1f, 70, rwRasterTypeCamera) ||
        !map.Create(160, 240, 17, 25.5f, 0.1f, 80, rwRasterTypeCameraTexture)) {
        std::fprintf(stderr, "render_frame: no cameras\n");
        return 1;
    }
    PlaceLookingDown(main, {0, 9, -30}, 22);
    RwCameraSetFogDistance(main.Camera(), 30);

    // Pass 1: a top view of the pitch into a camera texture, for the corner map.
    PlaceLookingDown(map, {0, 40, 0}, 90);
    RwCameraSetProjection(map.Camera(), rwParallel);
    if (map.Begin({0, 0, 0, 255})) {
        DrawScene(device);
        map.End();
    }

    // Pass 2: the view, with fog, then the HUD over it.
    if (main.Begin({120, 160, 210, 255})) {
        RwRenderStateSet(rwRenderStateFogEnable, 1);
        RwRenderStateSet(rwRenderStateFogColor, RwPackColor(120, 160, 210, 255));
        RwRenderStateSet(rwRenderStateFogType, rwFogLinear);
        DrawScene(device);
        RwRenderStateSet(rwRenderStateFogEnable, 0);

        RwRenderStateSet(rwRenderStateZTestEnable, 0);
        RwRenderStateSet(rwRenderStateZWriteEnable, 0);
        RwRenderStateSet(rwRenderStateVertexAlphaEnable, 1);
        RwRenderStateSet(rwRenderStateSrcBlend, rwBlendSrcAlpha);
        RwRenderStateSet(rwRenderStateDestBlend, rwBlendInvSrcAlpha);
        Rect2D(20, 20, 220, 48, RwPackColor(0, 0, 0, 140));
        Rect2D(28, 28, 32, 32, RwPackColor(200, 40, 40, 255));
        Rect2D(200, 28, 32, 32, RwPackColor(40, 60, 200, 255));
        const float mapX = float(width) - 20 - 120, mapY = 20;
        Rect2D(mapX - 4, mapY - 4, 128, 188, RwPackColor(255, 255, 255, 200));
        RwRenderStateSet(rwRenderStateTextureRaster, reinterpret_cast<intptr_t>(map.Raster()));
        Rect2D(mapX, mapY, 120, 180, RwPackColor(255, 255, 255, 255));
        RwRenderStateSet(rwRenderStateTextureRaster, 0);
        main.End();
    }
    RwCameraShowRaster(main.Camera(), nullptr, 0);

    // After showing, as a screenshot would.
    const bool ok = main.SavePng(out);
    if (ok)
        std::printf("render_frame: wrote %s (%d x %d)\n", out, width, height);
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    const char* out = argc > 1 ? argv[1] : "frame.png";
    int width = 800, height = 600;
    if (argc > 3) {
        width = std::atoi(argv[2]);
        height = std::atoi(argv[3]);
    }
    if (width < 64 || height < 64 || width > 4096 || height > 4096) {
        std::fprintf(stderr, "usage: render_frame [out.png] [width height]\n");
        return 2;
    }
    return Run(out, width, height);
}
