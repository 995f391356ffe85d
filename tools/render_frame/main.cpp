// Renders one frame of a small pitch scene on the GL device without a screen and writes
// it as a PNG, so a person can see what the engine draws:
//     render_frame [out.png] [width height]
// The frame goes through the same path as the game's: off-screen camera raster, shown in
// the (hidden) window, then read back from the raster.
#include "engine/core/RwCore.h"
#include "engine/core/RwDevice.h"
#include "framework/Debug.h"
#include "platform/Platform.h"
#include "platform/Window.h"

#include <png.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr float kPi = 3.14159265f;

bool WritePng(const char* path, const RwImage* image)
{
    FILE* file = std::fopen(path, "wb");
    if (!file) {
        std::fprintf(stderr, "render_frame: cannot write %s\n", path);
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, image->width, image->height, 8, PNG_COLOR_TYPE_RGB_ALPHA,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < image->height; ++y)
        png_write_row(png, image->pixels + static_cast<size_t>(y) * image->stride);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0;
}

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

struct Camera {
    RwCamera* camera = nullptr;
    RwFrame* frame = nullptr;
    RwRaster* raster = nullptr;
    RwRaster* zRaster = nullptr;

    bool Create(int width, int height, RwInt32 type)
    {
        raster = RwRasterCreate(width, height, 0, type);
        zRaster = RwRasterCreate(width, height, 0, rwRasterTypeZBuffer);
        frame = RwFrameCreate();
        camera = RwCameraCreate();
        if (!raster || !zRaster || !frame || !camera)
            return false;
        RwCameraSetRaster(camera, raster);
        RwCameraSetZRaster(camera, zRaster);
        RwObjectHasFrameSetFrame(camera, frame);
        return true;
    }
    // Looking down by pitch degrees from a point.
    void Place(RwV3d position, float pitch)
    {
        const RwV3d xAxis = {1, 0, 0};
        RwFrameRotate(frame, &xAxis, pitch, rwCombineReplace);
        RwFrameTranslate(frame, &position, rwCombinePostMultiply);
    }
    void Destroy()
    {
        RwObjectHasFrameSetFrame(camera, nullptr);
        RwCameraDestroy(camera);
        RwFrameDestroy(frame);
        RwRasterDestroy(zRaster);
        RwRasterDestroy(raster);
    }
};

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
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    if (!platform::Init())
        return 1;
    platform::WindowSettings settings;
    settings.title = "render_frame";
    settings.width = width;
    settings.height = height;
    auto window = platform::Window::Create(settings);
    if (!window)
        return 1;
    const RwEngineOpenParams params{window->GetSDLWindow(), rwDeviceGL};
    if (!RwEngineInit(nullptr, 0, 0x100000) || !RwEngineOpen(&params) || !RwEngineStart()) {
        std::fprintf(stderr, "render_frame: the engine does not start on GL\n");
        return 1;
    }
    RwDevice* device = RwDeviceGetCurrent();

    Camera main, map;
    if (!main.Create(width, height, rwRasterTypeCamera) ||
        !map.Create(160, 240, rwRasterTypeCameraTexture)) {
        std::fprintf(stderr, "render_frame: no cameras\n");
        return 1;
    }
    main.Place({0, 9, -30}, 22);
    const RwV2d view = {0.8f, 0.8f * height / width};
    RwCameraSetViewWindow(main.camera, &view);
    RwCameraSetNearClipPlane(main.camera, 0.1f);
    RwCameraSetFarClipPlane(main.camera, 70);
    RwCameraSetFogDistance(main.camera, 30);

    // Pass 1: a top view of the pitch into a camera texture, for the corner map.
    map.Place({0, 40, 0}, 90);
    RwCameraSetProjection(map.camera, rwParallel);
    const RwV2d mapView = {17, 25.5f};
    RwCameraSetViewWindow(map.camera, &mapView);
    RwCameraSetFarClipPlane(map.camera, 80);
    const RwRGBA black = {0, 0, 0, 255};
    RwCameraClear(map.camera, &black, rwCameraClearImage | rwCameraClearZ);
    if (RwCameraBeginUpdate(map.camera)) {
        DrawScene(device);
        RwCameraEndUpdate(map.camera);
    }

    // Pass 2: the view, with fog, then the HUD over it.
    const RwRGBA sky = {120, 160, 210, 255};
    RwCameraClear(main.camera, &sky, rwCameraClearImage | rwCameraClearZ);
    if (RwCameraBeginUpdate(main.camera)) {
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
        RwRenderStateSet(rwRenderStateTextureRaster, reinterpret_cast<intptr_t>(map.raster));
        Rect2D(mapX, mapY, 120, 180, RwPackColor(255, 255, 255, 255));
        RwRenderStateSet(rwRenderStateTextureRaster, 0);
        RwCameraEndUpdate(main.camera);
    }
    RwCameraShowRaster(main.camera, nullptr, 0);

    // After showing, as a screenshot would.
    RwImage* image = RwImageCreate(width, height, 32);
    RwImageAllocatePixels(image);
    bool ok = RwImageSetFromRaster(image, main.raster) && WritePng(out, image);
    if (ok)
        std::printf("render_frame: wrote %s (%d x %d)\n", out, width, height);
    RwImageDestroy(image);

    map.Destroy();
    main.Destroy();
    RwEngineStop();
    RwEngineClose();
    RwEngineTerm();
    window.reset();
    platform::Shutdown();
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
