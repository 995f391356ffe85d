#include "scene/Atmosphere.h"

#include "engine/core/RwCore.h"
#include "engine/world/RpCollision.h"
#include "engine/world/RpLight.h"
#include "engine/world/RpWorld.h"
#include "framework/Debug.h"
#include "framework/FileSystem.h"
#include "framework/Registration.h"
#include "framework/Serializer.h"
#include "scene/Camera.h"
#include "scene/Clump.h"
#include "scene/Light.h"
#include "scene/RenderStateSaver.h"
#include "scene/RwGraphics.h"
#include "scene/ScreenDraw.h"
#include "scene/Texture.h"
#include "scene/World.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

REGISTER_FACTORY(RenderObjects, Fog);

namespace {

constexpr RwFogType kFogCodes[] = {rwFogLinear, rwFogExponential, rwFogExponential2};
constexpr uint32_t kSkyLightFlags = Light::kDynamicLighting | Light::kLightWorld | Light::kLightAtomics;
constexpr float kSkyLightIntensity = 0.5f;

RwCamera* CurrentRwCamera()
{
    Camera* camera = RwGraphics::Instance()->GetCamera();
    return camera ? camera->GetRwCamera() : nullptr;
}

RwUInt8 ToByte(float channel)
{
    return static_cast<RwUInt8>(std::clamp(channel, 0.0f, 1.0f) * 255.0f);
}

// The texture set's folder name, the part behind "<TP>".
std::string TextureSetFolder()
{
    return FileSystem::Instance()->GetAlias("<TP>");
}

std::unique_ptr<Clump> LoadDome(const char* file)
{
    auto dome = std::make_unique<Clump>();
    dome->LoadClump(std::string("<LP>\\") + file, "<LP>\\" + TextureSetFolder(), true);
    return dome;
}

RpCollisionTriangle* FirstHitCallback(RpIntersection*, RpWorldSector*, RpCollisionTriangle*, RwReal distance,
                                      void* data)
{
    *static_cast<float*>(data) = distance;
    return nullptr;
}

}  // namespace

void Fog::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("Fog", descriptor);
    serializer.SerializeBool("enable", &enable);
    serializer.SerializeButton("combobox [Linear][Exponential][Exponential2]", "");
    serializer.SerializeInt("type", &type);
    serializer.SerializeColor("color", &color);
    serializer.SerializeFloat("density", &density);
    serializer.SerializeFloat("distance", &distance);
    serializer.EndSection();
    if (serializer.IsReading() && (type < kLinear || type > kExponential2)) {
        LogWarning("Fog::Serialize: fog type %d is none of 0..2; clamped\n", type);
        type = std::clamp<int32_t>(type, kLinear, kExponential2);
    }
}

void Fog::Apply(RenderStateSaver* saver) const
{
    RwCamera* camera = CurrentRwCamera();
    if (!camera)
        return;
    const auto set = [saver](RwRenderState state, intptr_t value) {
        if (saver)
            saver->Set(state, value);
        else
            RwRenderStateSet(state, value);
    };
    const auto code = kFogCodes[std::clamp<int32_t>(type, kLinear, kExponential2)];
    set(rwRenderStateFogEnable, enable ? 1 : 0);
    set(rwRenderStateFogType, code);
    set(rwRenderStateFogColor, RwPackColor(ToByte(color.r), ToByte(color.g), ToByte(color.b), 255));
    set(rwRenderStateFogDensity, RwRenderStateFromReal(density));
    RwCameraSetFogDistance(camera, distance);
}

Skydome::Skydome(bool night)
    : m_day(LoadDome("objects\\skydome.dff")),
      m_fog(std::make_unique<Fog>()),
      m_light(std::make_unique<AmbientLight>())
{
    if (night)
        m_night = LoadDome("objects\\sky_night.dff");
    m_light->Create();
    m_light->SetColor(Color::White, kSkyLightIntensity);
    m_light->SetFlags(kSkyLightFlags);
    m_light->Disable();
    if (World* world = RwGraphics::Instance()->GetWorld())
        world->AddLight(m_light.get());
}

Skydome::~Skydome()
{
    World* world = RwGraphics::Instance()->GetWorld();
    if (world && std::find(world->GetLights().begin(), world->GetLights().end(), m_light.get()) !=
                     world->GetLights().end())
        world->RemoveLight(m_light.get());
}

void Skydome::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("Skydome Emitter", descriptor);
    serializer.SerializeButton("popup", "");
    serializer.SerializeObject("Fog", m_fog.get());
    serializer.SerializeButton("popup", "");
    serializer.SerializeObject("Light", m_light.get());
    serializer.EndSection();
    m_light->Disable();
}

void Skydome::SetPosition(const Vector3& position)
{
    m_position = position;
    m_day->SetPosition(position);
}

void Skydome::Update(float dt)
{
    m_day->Update(dt);
}

void Skydome::Draw(float nightAlpha)
{
    RwGraphics* graphics = RwGraphics::Instance();
    World* world = graphics->GetWorld();
    RwCamera* camera = CurrentRwCamera();
    if (!world || !camera)
        return;
    m_nightAlpha = nightAlpha;
    m_day->SetPosition(graphics->GetCameraPosition());
    m_day->Update(0.0f);
    std::vector<bool> states;
    world->SaveLightStates(states);
    world->DisableLights();
    m_light->SetEnabled(true);
    // Only the sky light moves in: the scene around the sky may be drawing with one light set out.
    RpLight* skyLight = m_light->GetRwLight();
    const bool addLight = skyLight && world->GetRwWorld() && !RpLightGetWorld(skyLight);
    if (addLight)
        RpWorldAddLight(world->GetRwWorld(), skyLight);

    RenderStateSaver saver;
    saver.Set(rwRenderStateZWriteEnable, 0);
    saver.Set(rwRenderStateZTestEnable, 1);
    saver.Set(rwRenderStateZAtFar, 1);
    const float fogDistance = camera->fogPlane;
    m_fog->Apply(&saver);
    m_day->Render();
    if (m_night) {
        m_night->SetPosition(graphics->GetCameraPosition());
        m_night->Update(0.0f);
        m_night->SetAlpha(m_nightAlpha);
        m_night->Render();
    }
    RwCameraSetFogDistance(camera, fogDistance);
    saver.Restore();

    if (addLight)
        RpWorldRemoveLight(world->GetRwWorld(), skyLight);
    world->RestoreLightStates(states);
}

Lensflares::Lensflares()
{
    m_position = Vector3{260.0f, 150.0f, 32.5f};
    for (int n = 1; n <= kTextureCount; ++n) {
        char name[64];
        std::snprintf(name, sizeof name, "<PP>\\Lensflares\\<TP>\\flare_%02d.png", n);
        m_textures.push_back(TextureManager::Instance()->CreateTexture(name, nullptr, false));
    }
}

Texture* Lensflares::GetTexture(int type) const
{
    if (type < 0 || type >= static_cast<int>(m_textures.size()))
        return nullptr;
    return m_textures[static_cast<size_t>(type)];
}

void Lensflares::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("Lensflares", descriptor);
    serializer.SerializeVector3("Light Position", &m_position);
    int32_t count = static_cast<int32_t>(m_flares.size());
    serializer.SerializeInt("count", &count);
    count = serializer.BoundListCount("Lensflares::Serialize", "count", count);
    if (static_cast<size_t>(count) != m_flares.size()) {
        m_flares.resize(static_cast<size_t>(count));
        serializer.SerializeButton("changed", "");
    }
    std::string choices = "combobox ";
    for (size_t i = 0; i < m_textures.size(); ++i)
        if (m_textures[i])
            choices += "[Flare #" + std::to_string(i + 1) + "]";
    for (Flare& flare : m_flares) {
        serializer.SerializeButton(choices.c_str(), "");
        serializer.SerializeInt("Type", &flare.type);
        serializer.SerializeFloat("Distance", &flare.distance);
        serializer.SerializeFloat("Size", &flare.size);
        serializer.SerializeFloat("Offset", &flare.offset);
        serializer.SerializeButton("angle", "");
        serializer.SerializeFloat("Rotation", &flare.rotation);
        serializer.SerializeBool("Do Rotate", &flare.doRotate);
        serializer.SerializeBool("Do Scale", &flare.doScale);
        serializer.SerializeColor("Color", &flare.color);
    }
    serializer.EndSection();
}

bool Lensflares::ProjectToScreen(const Vector3& point, Vector2& screen, float& depth)
{
    RwCamera* camera = CurrentRwCamera();
    if (!camera)
        return false;
    const RwV3d in{point.x, point.y, point.z};
    RwV3d view;
    RwV3dTransformPoints(&view, &in, 1, RwCameraGetViewMatrix(camera));
    depth = view.z;
    screen = depth != 0.0f ? Vector2{view.x / depth, view.y / depth} : Vector2{view.x, view.y};
    return true;
}

void Lensflares::Render()
{
    m_drawn = 0;
    RwGraphics* graphics = RwGraphics::Instance();
    Camera* camera = graphics->GetCamera();
    if (!camera)
        return;
    const Vector3 eye = graphics->GetCameraPosition();
    if (Raycaster::Instance()->RayTest(eye, m_position) > 0.0f)
        return;
    Vector2 sun;
    float depth = 0.0f;
    if (!ProjectToScreen(m_position, sun, depth) || depth < 0.0f)
        return;
    const float w = camera->GetWidth(), h = camera->GetHeight();
    const Vector2 toCentre = Vector2{0.5f, 0.5f} - sun;
    const float length = toCentre.Length();
    const Vector2 normal{-toCentre.y, toCentre.x};
    const float fade = std::clamp(m_fadeRange - length, 0.0f, 1.0f);
    // Wholly faded flares would draw nothing.
    if (fade <= 0.0f)
        return;

    const bool was2D = GetDraw2DStates();
    SetDraw2DStates(false);
    RenderStateSaver saver;
    saver.Set(rwRenderStateShadeMode, rwShadeFlat);
    saver.Set(rwRenderStateSrcBlend, rwBlendSrcAlpha);
    saver.Set(rwRenderStateDestBlend, rwBlendOne);
    saver.Set(rwRenderStateVertexAlphaEnable, 1);
    saver.Set(rwRenderStateTextureAddress, rwTextureAddressClamp);
    saver.Set(rwRenderStateZWriteEnable, 0);
    saver.Set(rwRenderStateZTestEnable, 0);
    // Saved once; each flare then switches the texture directly.
    saver.Set(rwRenderStateTextureRaster, 0);
    for (const Flare& flare : m_flares) {
        Texture* texture = GetTexture(flare.type);
        if (!texture || !texture->GetRaster())
            continue;
        RwRenderStateSet(rwRenderStateTextureRaster, reinterpret_cast<intptr_t>(texture->GetRaster()));
        Vector2 p = sun + toCentre * flare.distance + normal * flare.offset;
        p = Vector2{p.x * w, p.y * h};
        Color colour = flare.color;
        colour.a *= fade;
        float angle = flare.rotation;
        if (flare.doRotate)
            angle += std::atan2(toCentre.x, toCentre.y);
        float size = flare.size;
        if (flare.doScale && length != 0.0f)
            size /= length;
        DrawRotatedTexturedRect(texture->GetRaster(), ScreenRect{p.x - size / 2, p.y - size / 2, size, size},
                                ScreenRect{0.0f, 0.0f, 1.0f, 1.0f}, p, angle, colour);
        ++m_drawn;
    }
    SetDraw2DStates(was2D);
    saver.Restore();
}

float Raycaster::RayTest(const Vector3& from, const Vector3& to) const
{
    World* world = RwGraphics::Instance()->GetWorld();
    if (!world || !world->GetRwWorld())
        return -1.0f;
    RpIntersection line{};
    line.type = rpIntersectLine;
    line.t.line.start = RwV3d{from.x, from.y, from.z};
    line.t.line.end = RwV3d{to.x, to.y, to.z};
    float hit = -1.0f;
    RpCollisionWorldForAllIntersections(world->GetRwWorld(), &line, FirstHitCallback, &hit);
    return hit;
}
