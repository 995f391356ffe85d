#pragma once

// A stadium from the default data as a match shows it, for tools that draw it off screen:
// the level's world with its dressing and display settings (sky, fog, flares, lights), the
// broadcast cameras, animated characters and the ball. The data must be mounted
// (tools::MountGameData) and the rendering engine running. Failures are reported on stderr.

#include "pitch/TBWorld.h"
#include "scene/AnimatedClump.h"
#include "scene/Light.h"
#include "simulation/TrackedObject.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class Cast;
class CameraControl;
class Font;
class Object;
class RenderObject;

namespace tools {

inline const char* const kLevels[] = {"level01", "level02", "level03", "level04"};

// A character that plays its clips and goes where it is put; the cameras can follow it.
class Character : public AnimatedClump, public TrackedObject {
public:
    const Vector3& GetPosition() const override { return m_position; }
    const Quaternion& GetRotation() const override { return m_rotation; }

    // race: "Panda", "Weasel"...; variation: the texture set ("Var00"...); clips from the
    // shared animation folder, indexed in the order given. Loops its clips; starts on the first.
    // Dressed as the game dresses its characters: the variation from the start-up
    // configuration's "TextureSet", the shirt from the set "<TP>" stands for.
    bool Load(const std::string& race, const std::string& variation, const std::vector<std::string>& clips);
    // Hides one atomic (the referee's card when it is not shown).
    void HideAtomic(int index);
};

// The match ball, which the cameras can follow.
class Ball : public Clump, public TrackedObject {
public:
    const Vector3& GetPosition() const override { return m_position; }
    const Quaternion& GetRotation() const override { return m_rotation; }
    bool Load();
};

// One stadium with everything a match puts into it before the players.
class Stadium {
public:
    // What dresses the world: the named models of the stands alone, or the level's objects cast
    // as a match reads it (dressing, screen, boards, pond, forest, mascot and particle systems).
    enum class Dressing { kModels, kLevelObjects };

    // The stadium fills the given world (borrowed; a match's), else one of its own.
    explicit Stadium(TBWorld* world = nullptr);
    ~Stadium();
    Stadium(const Stadium&) = delete;
    Stadium& operator=(const Stadium&) = delete;

    // Another level replaces the one loaded, with its display and level settings.
    bool Load(const char* level, Dressing dressing = Dressing::kModels);
    TBWorld& World() { return m_world; }
    // The level's objects cast; null unless loaded with Dressing::kLevelObjects.
    Cast* Objects() const { return m_objectCast; }

private:
    std::vector<Light*> Lights() { return {&m_ambient, &m_sun, &m_objects}; }

    void ClearDressing();
    bool LoadModels();
    bool LoadObjects();

    Cast* m_display;
    Cast* m_level;
    Cast* m_objectCast = nullptr;
    AmbientLight m_ambient;
    DirectionalLight m_sun;
    DirectionalLight m_objects;
    std::unique_ptr<TBWorld> m_ownWorld;
    TBWorld& m_world;
    std::vector<std::unique_ptr<RenderObject>> m_dressing;
};

// The camera controls by name, read from the cameras' settings file.
class Cameras {
public:
    // Makes the cast "cameras"; false when its settings or the broadcast camera are missing.
    bool Load();
    // The broadcast camera at the match camera's height and distance; only after a
    // successful Load.
    CameraControl& Standard() { return *m_standard; }
    // The control named so in the cast, without its "Cameras|"; null when there is none.
    CameraControl* Find(const std::string& name) const;

private:
    std::vector<std::unique_ptr<Object>> m_controls;
    CameraControl* m_standard = nullptr;
};

// The match display of a half in play, with the texts and fonts it draws in: the cast "hud"
// read as the match reads it, its groups shown as during a period, fed sample values.
class MatchHud {
public:
    MatchHud();
    ~MatchHud();
    MatchHud(const MatchHud&) = delete;
    MatchHud& operator=(const MatchHud&) = delete;

    // The texts and fonts alone, read under the texture set "<TP>" stands for now, as the game
    // reads them when it starts; false, with what failed on stderr, when any is missing.
    bool LoadFonts();
    // The fonts unless LoadFonts read them, then the cast. False, with what failed on stderr,
    // when the fonts, texts or the cast do not load.
    bool Load(int width, int height);
    void Render() const;

private:
    Cast* m_hud;
    std::vector<std::unique_ptr<Font>> m_fonts;
};

// Loads the game's texts and fonts, which the HUD draws in; false when any is missing. The
// caller keeps the fonts until the text display has forgotten them (ForgetTexts).
bool LoadTexts(std::vector<std::unique_ptr<Font>>& fonts);
void ForgetTexts(std::vector<std::unique_ptr<Font>>& fonts);
// Writes the values a match writes halfway through a first half into the HUD cast's items.
void FeedMatchHud(const Cast& hud);

// Mounts the game folder's data, starts the engine over a hidden window of the size and runs
// the work, then takes it all down. 1 when any of it fails (reported on stderr with the
// tool's name), else 0.
int RunInStadium(const char* toolName, const std::string& gameFolder, int width, int height,
                 const std::function<bool()>& work);
// RunInStadium for work that writes into a folder: the folder made and handed over as an
// absolute path, the log's problems on the console.
int RunInStadiumInto(const char* toolName, const std::string& gameFolder, const std::string& outFolder, int width,
                     int height, const std::function<bool(const std::string& out)>& work);

// Clears the current camera, lets draw fill it and shows the frame.
bool DrawFrame(const std::function<void()>& draw);
// Clears the current camera and draws the world, then the extra objects, and shows the frame.
bool DrawFrame(TBWorld& world, const std::vector<RenderObject*>& extra = {});
// Writes the current camera's picture as a PNG and checks that it shows a scene, not a flat
// clear; what failed goes to stderr under the tool's name.
bool SavePicture(const char* toolName, const std::string& path);

}  // namespace tools
