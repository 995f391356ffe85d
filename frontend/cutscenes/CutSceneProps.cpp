#include "frontend/cutscenes/CutSceneProps.h"

#include "engine/core/RwImage.h"
#include "engine/core/RwMatrix.h"
#include "engine/core/RwTexture.h"
#include "engine/plugins/RtAnim.h"
#include "engine/world/RpClump.h"
#include "engine/world/RpGeometry.h"
#include "framework/Color.h"
#include "framework/Debug.h"
#include "framework/FileSystem.h"
#include "scene/Camera.h"
#include "scene/Clump.h"
#include "scene/ParticleSystem.h"
#include "scene/RwGraphics.h"
#include "scene/ScreenDraw.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kPageImages[NewspaperPage::kPageNumbers - 1] = {
    "1st_game_draw.png",   "1st_game_lost.png",      "1st_game_won.png",       "2nd_game_lost.png",
    "2nd_game_won.png",    "after_1st_training.png", "after_2nd_training.png", "before_1st_training.png",
};
constexpr const char* kPageFolder = "<PP>\\cutScenes\\newspaper\\Textures24Bit\\";

}  // namespace

std::string NewspaperPage::ImageName(int roundIndex, int pageNumber)
{
    if (pageNumber < 0 || pageNumber >= kNoPage)
        return {};
    char name[64];
    std::snprintf(name, sizeof name, "R%02d_%s", roundIndex + 1, kPageImages[pageNumber]);
    return name;
}

NewspaperPage::NewspaperPage(int width, int height, std::unique_ptr<Camera> camera)
    : m_camera(camera ? std::move(camera) : std::make_unique<Camera>())
{
    while (width >= kMinimumWidth &&
           !m_camera->Create(static_cast<uint32_t>(width), static_cast<uint32_t>(height), true, true, 0, 0)) {
        width /= 2;
        height /= 2;
    }
    if (width < kMinimumWidth || !m_camera->GetRaster()) {
        LogWarning("NewspaperPage: no raster down to %d pixels wide; the paper keeps its own texture\n",
                   kMinimumWidth);
        return;
    }
    const float black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    m_camera->Clear(black, 3);
    m_texture = RwTextureCreate(m_camera->GetRaster());
    m_width = width;
}

NewspaperPage::~NewspaperPage()
{
    if (!m_texture)
        return;
    // The camera destroys the raster; materials that still hold the texture keep it bare.
    RwTextureSetRaster(m_texture, nullptr);
    RwTextureDestroy(m_texture);
}

void NewspaperPage::DrawImage(const std::string& name, float x0, float y0, float x1, float y1)
{
    if (!m_texture)
        return;
    RwGraphics* graphics = RwGraphics::Instance();
    Camera* previous = graphics->GetCamera();
    graphics->SetCamera(m_camera.get());
    m_camera->BeginUpdate();
    RwImageSetPath(FileSystem::Instance()->ExpandAliases(kPageFolder).c_str());
    if (RwTexture* image = RwTextureRead(name.c_str(), nullptr)) {
        const float w = m_camera->GetWidth(), h = m_camera->GetHeight();
        DrawTexturedRect(image->raster, {x0 * w, y0 * h, (x1 - x0) * w, (y1 - y0) * h}, {0.0f, 0.0f, 1.0f, 1.0f},
                         Color(1.0f, 1.0f, 1.0f, 1.0f));
        RwTextureDestroy(image);
    } else {
        LogWarning("NewspaperPage::DrawImage: no image \"%s\"; the page stays black\n", name.c_str());
    }
    m_camera->EndUpdate();
    graphics->SetCamera(previous);
}

void NewspaperPage::ApplyToClump(Clump& clump) const
{
    if (!m_texture)
        return;
    std::vector<RpAtomic*> atomics;
    clump.GetAtomics(atomics);
    for (RpAtomic* atomic : atomics) {
        RpGeometry* geometry = RpAtomicGetGeometry(atomic);
        if (!geometry)
            continue;
        for (RwInt32 i = 0; i < geometry->matList.numMaterials; ++i) {
            RpMaterial* material = geometry->matList.materials[i];
            const RwTexture* texture = RpMaterialGetTexture(material);
            if (texture && std::strcmp(RwTextureGetName(texture), "paper") == 0)
                RpMaterialSetTexture(material, m_texture);
        }
    }
}

OutroParticleDriver::~OutroParticleDriver()
{
    DestroyPath(m_emitter);
    DestroyPath(m_controller);
}

bool OutroParticleDriver::ReadPath(Path& path, const std::string& file)
{
    DestroyPath(path);
    path.animation = RtAnimAnimationRead(file.c_str());
    if (path.animation)
        path.interpolator = RtAnimInterpolatorCreate(RtAnimAnimationGetNumNodes(path.animation), sizeof(RtAnimKeyFrame));
    if (!path.interpolator) {
        LogWarning("OutroParticleDriver::Init: no path in \"%s\"; the particles stay where they are\n", file.c_str());
        DestroyPath(path);
        return false;
    }
    RtAnimInterpolatorSetCurrentAnim(path.interpolator, path.animation);
    RtAnimInterpolatorSetCurrentTime(path.interpolator, 0.0f);
    return true;
}

void OutroParticleDriver::DestroyPath(Path& path)
{
    if (path.interpolator)
        RtAnimInterpolatorDestroy(path.interpolator);
    if (path.animation)
        RtAnimAnimationDestroy(path.animation);
    path = {};
}

void OutroParticleDriver::NodePosition(Path& path, float time, float out[3])
{
    RtAnimInterpolatorSetCurrentTime(path.interpolator, time);
    RwMatrix matrix{};
    if (RtAnimKeyFrame* key = RtAnimInterpolatorGetInterpFrame(path.interpolator, 0))
        RtAnimScheme1Apply(&matrix, key);
    out[0] = matrix.pos.x;
    out[1] = matrix.pos.y;
    out[2] = matrix.pos.z;
}

bool OutroParticleDriver::Init(ParticleSystem* system, const std::string& emitterBase,
                               const std::string& controllerBase)
{
    m_system = system;
    m_baseEmission = system ? system->GetEmitterSpeed() : 0.0f;
    m_emitterClump = std::make_unique<Clump>();
    m_emitterClump->LoadClump(emitterBase + ".dff", "", true);
    const bool emitter = ReadPath(m_emitter, emitterBase + ".anm");
    const bool controller = ReadPath(m_controller, controllerBase + ".anm");
    m_time = 0.0f;
    return system && emitter && controller;
}

void OutroParticleDriver::Update(float step)
{
    if (!m_system || !m_emitter.interpolator || !m_controller.interpolator)
        return;
    m_time += step;
    if (m_time > m_controller.animation->duration)
        m_time = 0.0f;
    if (m_time > m_emitter.animation->duration)
        m_time = 0.0f;
    float at[3];
    NodePosition(m_emitter, m_time, at);
    m_system->SetPosition({at[0], at[1], at[2] + kDepthOffset});
    NodePosition(m_controller, m_time, at);
    m_system->SetEmitterSpeed(std::fabs(at[1]) * m_baseEmission);
}
