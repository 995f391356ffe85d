#include "frontend/cutscenes/Scene.h"

#include "characters/Actor.h"
#include "characters/Character.h"
#include "characters/CharacterRace.h"
#include "characters/Team.h"
#include "engine/core/RwTexture.h"
#include "engine/plugins/RtAnim.h"
#include "framework/Debug.h"
#include "framework/FileSystem.h"
#include "framework/Serializer.h"
#include "menus/LoadingScreen.h"
#include "scene/AnimatedClump.h"

#include <cerrno>
#include <cstdlib>

namespace {

// Reading: counts drive creation, so a damaged count must not make millions of objects: a
// negative count reads 0, and creation stops at the first section that is not there.
template <class T>
void SerializeList(Serializer& serializer, const char* countKey, const char* type, const char* instance,
                   std::vector<std::unique_ptr<T>>& list)
{
    int32_t count = static_cast<int32_t>(list.size());
    serializer.SerializeInt(countKey, &count);
    if (serializer.IsWriting()) {
        for (const auto& item : list)
            serializer.SerializeObject(instance, item.get());
        return;
    }
    if (count < 0) {
        LogWarning("Scene::Serialize: \"%s\" is %d; read as 0\n", countKey, count);
        count = 0;
    }
    for (int32_t i = 0; i < count; ++i) {
        if (!serializer.HasSection(type, instance)) {
            LogWarning("Scene::Serialize: \"%s\" is %d but only %d [%s] sections follow\n", countKey, count, i, type);
            return;
        }
        list.push_back(std::make_unique<T>());
        serializer.SerializeObject(instance, list.back().get());
    }
}

void SerializeAtomics(Serializer& serializer, std::vector<int32_t>& indices)
{
    std::string text = serializer.IsWriting() ? FormatAtomicIndices(indices) : std::string();
    serializer.SerializeString("invisible atomics", &text);
    if (serializer.IsReading())
        indices = ParseAtomicIndices(text);
}

std::string WithRace(const std::string& folder, const std::string& race)
{
    return race.empty() ? folder : folder + race + "\\";
}

void UpdateLoadingScreen()
{
    LoadingScreen::Instance()->Update();
}

}  // namespace

std::string FormatAtomicIndices(const std::vector<int32_t>& indices)
{
    std::string text;
    for (int32_t index : indices)
        text += std::to_string(index) + ",";
    return text;
}

std::vector<int32_t> ParseAtomicIndices(const std::string& text)
{
    std::vector<int32_t> indices;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(',', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string piece = text.substr(start, end - start);
        char* rest = nullptr;
        errno = 0;
        const long value = std::strtol(piece.c_str(), &rest, 10);
        if (!piece.empty() && rest != piece.c_str() && errno == 0 && value >= INT32_MIN && value <= INT32_MAX)
            indices.push_back(static_cast<int32_t>(value));
        start = end + 1;
    }
    return indices;
}

SceneActor::SceneActor() = default;

SceneActor::SceneActor(std::string name, std::string dff, std::string textures, std::vector<int32_t> invisible)
    : m_name(std::move(name)), m_dff(std::move(dff)), m_textures(std::move(textures)),
      m_invisibleAtomics(std::move(invisible))
{
}

SceneActor::~SceneActor()
{
    DropClump();
    if (m_dictionary)
        RwTexDictionaryDestroy(m_dictionary);
}

void SceneActor::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("SceneActor", descriptor);
    serializer.SerializeString("name", &m_name);
    serializer.SerializeString("dff", &m_dff);
    serializer.SerializeString("textures", &m_textures);
    SerializeAtomics(serializer, m_invisibleAtomics);
    serializer.EndSection();
}

void SceneActor::DropClump()
{
    m_ownedClump.reset();
    m_clump = nullptr;
}

void SceneActor::SetClump(AnimatedClump* clump)
{
    DropClump();
    m_clump = clump;
}

void SceneActor::LoadOwned(const std::string& path, const std::string& textureFolder)
{
    DropClump();
    if (m_dictionary)
        RwTexDictionaryDestroy(m_dictionary);
    RwTexDictionary* previous = RwTexDictionaryGetCurrent();
    m_dictionary = RwTexDictionaryCreate();
    RwTexDictionarySetCurrent(m_dictionary);
    m_ownedClump = std::make_unique<AnimatedClump>();
    m_ownedClump->LoadClump(path, textureFolder, false);
    RwTexDictionarySetCurrent(previous);
    m_clump = m_ownedClump.get();
}

void SceneActor::Load(const std::string& folder)
{
    const std::string base = WithRace(folder, m_raceName);
    LoadOwned(base + m_dff, base + m_textures + "\\");
}

void SceneActor::LoadGoalieCutsceneModel(const std::string& folder)
{
    if (!m_clump)
        return;
    const std::string textures = m_clump->GetTexturePath();
    const std::vector<int> hidden = m_clump->GetInvisibleAtomics();
    LoadOwned(folder + m_raceName + "\\goalie_cutscene.dff", textures);
    m_clump->ExcludeFromBounds(hidden);
}

ActorAnim::ActorAnim() = default;

ActorAnim::ActorAnim(std::string actor, std::string anim, std::string locator, std::vector<int32_t> invisible)
    : m_actor(std::move(actor)), m_anim(std::move(anim)), m_locator(std::move(locator)),
      m_invisibleAtomics(std::move(invisible))
{
}

ActorAnim::~ActorAnim()
{
    if (m_animation)
        RtAnimAnimationDestroy(m_animation);
}

void ActorAnim::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("ActorAnim", descriptor);
    serializer.SerializeString("actor", &m_actor);
    serializer.SerializeString("anim", &m_anim);
    serializer.SerializeString("locator", &m_locator);
    SerializeAtomics(serializer, m_invisibleAtomics);
    serializer.EndSection();
}

void ActorAnim::Init(const std::string& folder)
{
    if (!m_sceneActor)
        return;
    const std::string base = WithRace(folder, m_sceneActor->GetRaceName());
    if (m_animation)
        RtAnimAnimationDestroy(m_animation);
    m_animation = RtAnimAnimationRead((base + (IsIdle() ? std::string("idle_loop.anm") : m_anim)).c_str());
    m_duration = m_animation ? m_animation->duration : 0.0f;
    if (IsIdle())
        m_control = std::make_unique<AnimationControlLooping>(1.0f);
    if (!m_locator.empty()) {
        m_locatorObject = std::make_unique<Locator>();
        m_locatorObject->PlayAnimation(base + m_locator);
    }
}

void ActorAnim::AddToClump()
{
    AnimatedClump* clump = m_sceneActor ? m_sceneActor->GetClump() : nullptr;
    if (!clump || !m_animation)
        return;
    // The clump keeps the animation whether or not it can play it.
    clump->AddAnimation(m_animation, true, m_animationIndex);
    m_animation = nullptr;
    if (m_control)
        clump->SetAnimationControl(m_control.release());
}

SceneFade::SceneFade(int32_t type, float start, float end, const Color& colour, std::string objectName,
                     int32_t transType)
    : fadeType(type), fadeTransType(transType), fadeStart(start), fadeEnd(end), fadeObjName(std::move(objectName)),
      fadeColor(colour)
{
}

void SceneFade::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("SceneFade", descriptor);
    serializer.SerializeInt("fadeType", &fadeType);
    serializer.SerializeFloat("fadeStart", &fadeStart);
    serializer.SerializeFloat("fadeEnd", &fadeEnd);
    serializer.SerializeColor("fadeColor", &fadeColor);
    serializer.SerializeString("fadeObjName", &fadeObjName);
    serializer.SerializeInt("fadeTransType", &fadeTransType);
    serializer.EndSection();
}

SceneShot::SceneShot() = default;

SceneShot::~SceneShot()
{
    if (m_cameraAnimation)
        RtAnimAnimationDestroy(m_cameraAnimation);
}

void SceneShot::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("Scene shot", descriptor);
    SerializeList(serializer, "num actor-anims", "ActorAnim", "actor", m_actorAnims);
    SerializeList(serializer, "num fades", "SceneFade", "actor", m_fades);
    serializer.SerializeString("camera anim", &cameraAnim);
    serializer.SerializeFloat("camera fov", &cameraFov);
    serializer.SerializeFloat("fog distance", &fogDistance);
    serializer.SerializeFloat("fog density", &fogDensity);
    serializer.SerializeFloat("near clip", &nearClip);
    serializer.SerializeFloat("far clip", &farClip);
    serializer.SerializeFloat("replay speed", &replaySpeed);
    serializer.EndSection();
}

void SceneShot::Init(const std::string& folder, const std::string& raceName)
{
    for (const auto& anim : m_actorAnims)
        anim->Init(folder);
    const std::string path = WithRace(folder, raceName) + cameraAnim;
    if (m_cameraAnimation)
        RtAnimAnimationDestroy(m_cameraAnimation);
    m_cameraAnimation = RtAnimAnimationRead(path.c_str());
    m_duration = m_cameraAnimation ? m_cameraAnimation->duration : 0.0f;
    m_cameraClump.reset();
    if (path.size() < 3)
        return;
    const std::string clumpPath = path.substr(0, path.size() - 3) + "dff";
    if (!FileSystem::Instance()->FileExists(clumpPath.c_str()))
        return;
    m_cameraClump = std::make_unique<Clump>();
    m_cameraClump->LoadClump(clumpPath, "", true);
}

RtAnimAnimation* SceneShot::TakeCameraAnimation()
{
    RtAnimAnimation* animation = m_cameraAnimation;
    m_cameraAnimation = nullptr;
    return animation;
}

Scene::Scene() = default;

// Shots first: their animations may sit on the actors' clumps.
Scene::~Scene()
{
    m_shots.clear();
    m_actors.clear();
}

void Scene::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("Scene", descriptor);
    serializer.SerializeString("level", &level);
    serializer.SerializeString("settings", &settings);
    serializer.SerializeInt("crossFadeableSkyDome", &crossFadeableSkyDome);
    SerializeList(serializer, "num actors", "SceneActor", "actor", m_actors);
    SerializeList(serializer, "num shots", "Scene shot", "shot", m_shots);
    serializer.EndSection();
}

SceneActor* Scene::FindActor(const std::string& name) const
{
    for (const auto& actor : m_actors)
        if (actor->GetName() == name)
            return actor.get();
    return nullptr;
}

void Scene::BindTeam(Team& team, bool newspaper)
{
    for (int32_t i = 0; i < team.GetPlayerCount(); ++i) {
        const std::string name = i == 0 ? std::string("goalie") : "player" + std::to_string(i);
        SceneActor* actor = FindActor(name);
        Character* player = team.GetPlayer(i);
        AnimatedClump* clump = player && player->GetActor() ? player->GetActor()->GetClump() : nullptr;
        if (!actor || !clump) {
            LogError("Scene::Init Could not load actor named %s\n", name.c_str());
            continue;
        }
        actor->SetRaceName(player->GetRace() ? player->GetRace()->GetRaceName() : std::string());
        actor->SetClump(clump);
        if (newspaper && i == 0)
            m_raceName = actor->GetRaceName();
        UpdateLoadingScreen();
    }
}

void Scene::LoadActors(const std::string& folder, bool newspaper)
{
    for (const auto& actor : m_actors) {
        if (actor->IsLoaded())
            continue;
        if (newspaper)
            actor->SetRaceName(m_raceName);
        actor->Load(folder);
        UpdateLoadingScreen();
    }
}

void Scene::InitShots(const std::string& folder)
{
    for (const auto& shot : m_shots) {
        for (const auto& anim : shot->ActorAnims())
            anim->SetSceneActor(FindActor(anim->GetActorName()));
        shot->Init(folder, m_raceName);
        for (const auto& anim : shot->ActorAnims()) {
            anim->AddToClump();
            UpdateLoadingScreen();
        }
    }
}

void Scene::Init(const std::string& folder, Team* team)
{
    const bool newspaper = folder == kNewspaperFolder;
    if (team)
        BindTeam(*team, newspaper);
    LoadActors(folder, newspaper);
    if (newspaper && m_raceName == "Primate")
        if (SceneActor* goalie = FindActor("goalie"))
            goalie->LoadGoalieCutsceneModel(folder);
    InitShots(folder);
}
