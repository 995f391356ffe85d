#pragma once

// A cut scene as its script describes it: the models it shows and the camera shots it plays,
// each shot with the animations of its actors and its fades. One Serialize per class reads
// and writes the script:
//
//     [Scene] "intro scene"
//     {
//      "level" "level01"
//      "num actors" 1
//      class type: "SceneActor"
//      [SceneActor] "actor"
//      ...
//
// Scene::Init then loads what the script names from the cut-scene folder.

#include "framework/Color.h"
#include "framework/Object.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class AnimatedClump;
class AnimationControl;
class Clump;
class Locator;
class Team;
struct RtAnimAnimation;
struct RwTexDictionary;

// "3,7," for 3 and 7: each index followed by a comma; an empty list is an empty text.
std::string FormatAtomicIndices(const std::vector<int32_t>& indices);
// Split at commas, empty pieces and pieces that are no number skipped.
std::vector<int32_t> ParseAtomicIndices(const std::string& text);

// One model the shots animate: loaded from the cut-scene folder, or a home-team player's
// own model, borrowed.
class SceneActor : public Object {
public:
    SceneActor();
    // For writers of scripts.
    SceneActor(std::string name, std::string dff, std::string textures, std::vector<int32_t> invisible = {});
    ~SceneActor() override;

    SceneActor(const SceneActor&) = delete;
    SceneActor& operator=(const SceneActor&) = delete;

    void Serialize(Serializer& serializer, const char* descriptor) override;

    // The model folder + race + "\" (with a race) + dff, its textures from the folder named
    // by "textures" beside it, into a texture dictionary of the actor's own.
    void Load(const std::string& folder);
    // The model "goalie_cutscene.dff" of the race sub-folder in place of the clump held,
    // keeping that clump's texture folder and hidden atomics. Nothing without a clump.
    void LoadGoalieCutsceneModel(const std::string& folder);
    // A borrowed clump is never destroyed here and must outlive the actor's use of it; an
    // owned clump the actor held before is destroyed first.
    void SetClump(AnimatedClump* clump);

    // Null until loaded or given a clump.
    AnimatedClump* GetClump() const { return m_clump; }
    bool IsLoaded() const { return m_clump != nullptr; }
    bool IsBorrowed() const { return m_clump && !m_ownedClump; }
    const std::string& GetName() const { return m_name; }
    const std::string& GetDff() const { return m_dff; }
    const std::string& GetRaceName() const { return m_raceName; }
    void SetRaceName(const std::string& race) { m_raceName = race; }
    const std::vector<int32_t>& GetInvisibleAtomics() const { return m_invisibleAtomics; }

private:
    void DropClump();
    // The clump loaded into a new dictionary that becomes the actor's.
    void LoadOwned(const std::string& path, const std::string& textureFolder);

    std::string m_name;
    std::string m_dff;
    std::string m_textures;
    std::vector<int32_t> m_invisibleAtomics;
    std::string m_raceName;
    std::unique_ptr<AnimatedClump> m_ownedClump;
    AnimatedClump* m_clump = nullptr;  // m_ownedClump's, or borrowed
    RwTexDictionary* m_dictionary = nullptr;
};

// One actor's animation in one shot: a file of the cut-scene folder (or its race folder), or
// "idle" for the race's looping idle.
class ActorAnim : public Object {
public:
    ActorAnim();
    // For writers of scripts.
    ActorAnim(std::string actor, std::string anim, std::string locator = "", std::vector<int32_t> invisible = {});
    ~ActorAnim() override;

    ActorAnim(const ActorAnim&) = delete;
    ActorAnim& operator=(const ActorAnim&) = delete;

    void Serialize(Serializer& serializer, const char* descriptor) override;

    // Reads the animation and the locator; needs the scene actor.
    void Init(const std::string& folder);
    // Gives the animation (and the idle control) to the actor's clump, which owns them from
    // here; nothing without an actor or a clump.
    void AddToClump();

    const std::string& GetActorName() const { return m_actor; }
    const std::string& GetAnimName() const { return m_anim; }
    const std::vector<int32_t>& GetInvisibleAtomics() const { return m_invisibleAtomics; }
    bool IsIdle() const { return m_anim == "idle"; }
    // Borrowed from the scene; null when no actor bears the name.
    SceneActor* GetSceneActor() const { return m_sceneActor; }
    void SetSceneActor(SceneActor* actor) { m_sceneActor = actor; }
    // The animation's index in the actor's clump, once AddToClump has given it; 0 before.
    int32_t GetAnimationIndex() const { return m_animationIndex; }
    // The animation's length in seconds, 0 without one.
    float GetAnimationDuration() const { return m_duration; }
    // Null without a locator.
    Locator* GetLocator() const { return m_locatorObject.get(); }

private:
    std::string m_actor;
    std::string m_anim;
    std::string m_locator;
    std::vector<int32_t> m_invisibleAtomics;
    SceneActor* m_sceneActor = nullptr;
    RtAnimAnimation* m_animation = nullptr;  // owned until AddToClump hands it on
    float m_duration = 0.0f;
    int32_t m_animationIndex = 0;
    std::unique_ptr<Locator> m_locatorObject;
    std::unique_ptr<AnimationControl> m_control;  // idle only, until AddToClump
};

// One fade of a shot. The types: 0 none; 1/2 a colour over the screen; 3/4 the sky dome's
// cross-fade; 5/6 a world object's alpha; 7/8 the alpha of the actors of that name. Odd
// types count time from the shot's start, even ones until its end.
class SceneFade : public Object {
public:
    SceneFade() = default;
    // For writers of scripts.
    SceneFade(int32_t type, float start, float end, const Color& colour = {0, 0, 0, 1}, std::string objectName = "",
              int32_t transType = 0);

    void Serialize(Serializer& serializer, const char* descriptor) override;

    int32_t fadeType = 0;
    int32_t fadeTransType = 0;  // 0 alpha blend, 1 additive
    float fadeStart = 0.0f;
    float fadeEnd = 0.0f;
    std::string fadeObjName;
    Color fadeColor{0.0f, 0.0f, 0.0f, 1.0f};
    float factor = 0.0f;  // the last one drawn
};

// One camera shot: a camera path whose length is the shot's, the actors' animations, fades,
// fog, clip planes and a time multiplier.
class SceneShot : public Object {
public:
    SceneShot();
    ~SceneShot() override;

    SceneShot(const SceneShot&) = delete;
    SceneShot& operator=(const SceneShot&) = delete;

    void Serialize(Serializer& serializer, const char* descriptor) override;

    // Initialises the actor anims that have an actor, reads the camera path from the folder
    // (+ race + "\" with a race) and its clump when a ".dff" of the same name exists.
    void Init(const std::string& folder, const std::string& raceName);
    // The length of the camera path in seconds; 0 without one. Kept after the path is taken.
    float GetDuration() const { return m_duration; }
    // The camera path, handed to its player, who destroys it; null after the first call.
    RtAnimAnimation* TakeCameraAnimation();
    // Null when the shot has none.
    Clump* GetCameraClump() const { return m_cameraClump.get(); }

    // For writers of scripts and tests.
    void SetCamera(std::string anim, float fov, float nearClip, float farClip)
    {
        cameraAnim = std::move(anim);
        cameraFov = fov;
        this->nearClip = nearClip;
        this->farClip = farClip;
    }
    std::vector<std::unique_ptr<ActorAnim>>& ActorAnims() { return m_actorAnims; }
    const std::vector<std::unique_ptr<ActorAnim>>& ActorAnims() const { return m_actorAnims; }
    std::vector<std::unique_ptr<SceneFade>>& Fades() { return m_fades; }
    const std::vector<std::unique_ptr<SceneFade>>& Fades() const { return m_fades; }

    std::string cameraAnim;
    float cameraFov = 0.0f;
    float fogDistance = 0.0f;
    float fogDensity = 0.0f;
    float nearClip = 0.0f;
    float farClip = 0.0f;
    float replaySpeed = 1.0f;

private:
    std::vector<std::unique_ptr<ActorAnim>> m_actorAnims;
    std::vector<std::unique_ptr<SceneFade>> m_fades;
    RtAnimAnimation* m_cameraAnimation = nullptr;  // owned until taken
    float m_duration = 0.0f;
    std::unique_ptr<Clump> m_cameraClump;
};

// The whole script: read once, then loaded once by Init.
class Scene : public Object {
public:
    // The folder whose scenes show the home team's players with the newspaper.
    static constexpr const char* kNewspaperFolder = "<PP>cutScenes\\newspaper\\";

    Scene();
    ~Scene() override;

    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    void Serialize(Serializer& serializer, const char* descriptor) override;

    // Loads every model and animation the script names from the folder (ending in "\").
    // With a team, its players' own models stand for the actors "goalie", "player1",
    // "player2"...; the team is borrowed and must outlive the scene.
    void Init(const std::string& folder, Team* team);
    // The first actor of exactly that name, or null.
    SceneActor* FindActor(const std::string& name) const;

    // The goalie's race in a newspaper scene; empty elsewhere.
    const std::string& GetRaceName() const { return m_raceName; }

    std::vector<std::unique_ptr<SceneActor>>& Actors() { return m_actors; }
    const std::vector<std::unique_ptr<SceneActor>>& Actors() const { return m_actors; }
    std::vector<std::unique_ptr<SceneShot>>& Shots() { return m_shots; }
    const std::vector<std::unique_ptr<SceneShot>>& Shots() const { return m_shots; }

    std::string level;
    std::string settings;
    int32_t crossFadeableSkyDome = 0;

private:
    void BindTeam(Team& team, bool newspaper);
    void LoadActors(const std::string& folder, bool newspaper);
    void InitShots(const std::string& folder);

    std::vector<std::unique_ptr<SceneActor>> m_actors;
    std::vector<std::unique_ptr<SceneShot>> m_shots;
    std::string m_raceName;
};
