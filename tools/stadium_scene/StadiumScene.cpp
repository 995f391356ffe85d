#include "tools/stadium_scene/StadiumScene.h"

#include "framework/Cast.h"
#include "framework/Debug.h"
#include "framework/Factory.h"
#include "framework/FileSystem.h"
#include "framework/Settings.h"
#include "pitch/CameraControl.h"
#include "pitch/PitchSimulation.h"
#include "scene/Camera.h"
#include "scene/EngineUtil.h"
#include "scene/GameElement.h"
#include "scene/GameElements.h"
#include "scene/HudItems.h"
#include "scene/RwGraphics.h"
#include "scene/RwGraphicsSettings.h"
#include "scene/Texture.h"
#include "settings/LevelSettings.h"
#include "text/Font.h"
#include "text/GameText.h"
#include "text/TextDisplay.h"
#include "text/TextManager.h"
#include "tools/common/ConsoleSink.h"
#include "tools/common/Fail.h"
#include "tools/common/GameData.h"
#include "tools/common/OffscreenCamera.h"
#include "tools/common/OffscreenSession.h"

#include <cstdio>
#include <filesystem>
#include <unordered_set>

namespace tools {

namespace {

// A picture with fewer colours than this is a flat clear, not a scene.
constexpr size_t kMinimumColours = 64;

const char* const kWorldFile = "<LP>\\Objects\\Level.bsp";
const char* const kAnimations = "<PP>Characters\\Animations\\";
const char* const kBall = "<PP>Balls\\tournamentball.dff";
const char* const kBallTextures = "<PP>Balls\\Textures24Bit\\;<PP>Balls\\";
const char* const kDressing[] = {"short_benches", "short_benches_shadow", "Crowd", "spec_mods_crowd",
                                 "flags", "flags_01", "flags_02", "flags_03"};
// The HUD groups a match period shows.
constexpr uint32_t kPeriodHud = PitchSimulation::kHudTeamNames | PitchSimulation::kHudScore |
                                PitchSimulation::kHudTime | PitchSimulation::kHudPlayerNames |
                                PitchSimulation::kHudEnergy | PitchSimulation::kHudPowerBar;

}  // namespace

bool Character::Load(const std::string& race, const std::string& variation, const std::vector<std::string>& clips)
{
    const std::string model = "<PP>Characters\\" + race + "\\" + race + ".DFF";
    const std::string directory = "<PP>Characters\\" + race + "\\";
    const std::string startUp = SettingsManager::Instance()->GetString("TextureSet");
    const std::string textures = directory + (startUp.empty() ? "" : startUp + "\\");
    const std::string folders =
        textures + variation + "\\;" + textures + "Common\\;" + directory + "<TP>Shirt00\\";
    if (!LoadClump(FileSystem::Instance()->ExpandAliases(model), FileSystem::Instance()->ExpandAliases(folders), true) || !GetHierarchy())
        return FailStep("no character %s", FileSystem::Instance()->ExpandAliases(model).c_str());
    for (const std::string& clip : clips)
        if (!LoadAnimation(FileSystem::Instance()->ExpandAliases(kAnimations + clip + ".anm")))
            return FailStep("no animation %s", clip.c_str());
    SetAnimationControl(new AnimationControlLooping(1.0f));
    SetAnimation(0, 0.0f);
    return true;
}

bool Ball::Load()
{
    if (!LoadClump(FileSystem::Instance()->ExpandAliases(kBall), FileSystem::Instance()->ExpandAliases(kBallTextures), true) ||
        !GetRwClump())
        return FailStep("no ball");
    Update(0.0f);
    return true;
}

Stadium::Stadium(TBWorld* world)
    : m_ownWorld(world ? nullptr : std::make_unique<TBWorld>()), m_world(world ? *world : *m_ownWorld)
{
    m_display = CastManager::Instance()->CreateCast("display");
    m_display->AddMember(&RwGraphicsSettings::Global(), "Engine", false);
    m_level = CastManager::Instance()->CreateCast("level");
    m_level->AddMember(LevelSettings::Instance(), "Level Settings", false);
    m_ambient.Create();
    m_sun.Create();
    m_objects.Create();
    m_display->AddMember(&m_ambient, "Ambient Light", false);
    m_display->AddMember(&m_sun, "Directional Light", false);
    m_display->AddMember(&m_objects, "Directional Light Objects", false);
    for (Light* light : Lights())
        m_world.AddLight(light);
}

Stadium::~Stadium()
{
    ClearDressing();
    for (Light* light : Lights())
        m_world.RemoveLight(light);
    m_world.Unload();
    for (Object* object : {static_cast<Object*>(&RwGraphicsSettings::Global()), static_cast<Object*>(&m_ambient),
                           static_cast<Object*>(&m_sun), static_cast<Object*>(&m_objects)})
        m_display->RemoveMember(object);
    m_level->RemoveMember(LevelSettings::Instance());
}

void Stadium::ClearDressing()
{
    for (auto& object : m_dressing)
        m_world.RemoveRenderObject(object.get());
    m_dressing.clear();
    if (!m_objectCast)
        return;
    for (int i = 0; i < m_objectCast->GetMemberCount(); ++i)
        if (auto* object = dynamic_cast<RenderObject*>(m_objectCast->GetMember(i)->object))
            m_world.RemoveRenderObject(object);
    m_objectCast->Clear();
}

bool Stadium::Load(const char* level, Dressing dressing)
{
    FileSystem* files = FileSystem::Instance();
    files->RemoveAlias("<LP>");
    files->RemoveAlias("<SP>");
    files->AddAlias("<LP>", (std::string("<PP>") + level + "\\").c_str());
    files->AddAlias("<SP>", (std::string("<PP>") + level + "\\settings\\").c_str());
    ClearDressing();
    if (!m_world.Load(kWorldFile, "<LP><TP>"))
        return FailStep("cannot load the stadium of %s", level);
    if (!LoadSettings(m_display, "<SP>display\\display.txt") || !LoadSettings(m_level, "<SP>level\\level.txt"))
        return FailStep("cannot read the display or level settings of %s", level);
    if (!(dressing == Dressing::kModels ? LoadModels() : LoadObjects()))
        return FailStep("cannot read the objects of %s", level);
    m_world.ShowShortBenches(true);
    m_world.ShowBenches(false);
    m_world.ShowSpectators(true);
    return true;
}

bool Stadium::LoadModels()
{
    FileSystem* files = FileSystem::Instance();
    const std::string textures = files->ExpandAliases("<LP><TP>");
    const auto model = [&](const char* name) { return files->ExpandAliases(std::string("<LP>Objects\\") + name + ".dff"); };
    // The lines as the level's objects place them: blended, writing no depth.
    auto markings = std::make_unique<ClumpElement>();
    markings->SetName("markings");
    markings->GetClump()->LoadClump(model("markings"), textures, true);
    markings->SetBlend(true, rwBlendSrcAlpha, rwBlendInvSrcAlpha);
    markings->SetZWrite(false);
    m_dressing.push_back(std::move(markings));
    for (const char* name : kDressing) {
        auto clump = std::make_unique<Clump>();
        clump->SetName(name);
        clump->LoadClump(model(name), textures, true);
        m_dressing.push_back(std::move(clump));
    }
    for (auto& object : m_dressing) {
        object->Update(0.0f);
        m_world.AddRenderObject(object.get());
    }
    return true;
}

bool Stadium::LoadObjects()
{
    m_objectCast = CastManager::Instance()->CreateCast("objects");
    if (!LoadSettings(m_objectCast, "<SP>objects\\objects.txt"))
        return false;
    for (int i = 0; i < m_objectCast->GetMemberCount(); ++i)
        if (auto* object = dynamic_cast<RenderObject*>(m_objectCast->GetMember(i)->object))
            m_world.AddRenderObject(object);
    return true;
}

MatchHud::MatchHud() : m_hud(CastManager::Instance()->CreateCast("hud")) {}

MatchHud::~MatchHud()
{
    m_hud->Clear();
    ForgetTexts(m_fonts);
}

bool MatchHud::LoadFonts()
{
    return LoadTexts(m_fonts) || FailStep("cannot read the fonts or texts");
}

bool MatchHud::Load(int width, int height)
{
    HudItem::SetScreenSize(width, height);
    if ((m_fonts.empty() && !LoadFonts()) || !LoadSettings(m_hud, "<PP>hud.txt"))
        return FailStep("cannot read the fonts, texts or the display of a match");
    PitchSimulation::Instance()->SetHudElements(kPeriodHud);
    FeedMatchHud(*m_hud);
    return true;
}

void MatchHud::Render() const
{
    RenderCast(*m_hud);
}

bool LoadTexts(std::vector<std::unique_ptr<Font>>& fonts)
{
    TextManager::Instance()->LoadTextFile(gametext::TextTableFor("XXL").c_str());
    TextDisplay::Instance()->Init();
    return gametext::CreateFonts(fonts);
}

void ForgetTexts(std::vector<std::unique_ptr<Font>>& fonts)
{
    // The display forgets the fonts before they go.
    TextDisplay::Instance()->Reset();
    fonts.clear();
}

void FeedMatchHud(const Cast& hud)
{
    const char* const values[][3] = {
        {"LeftTeamName", "text", "Pandas"},  {"RightTeamName", "text", "Zebras"},     {"LeftScore", "text", "2"},
        {"RightScore", "text", "1"},         {"TimeMinutes", "text", "23"},           {"TimeSeconds", "text", "07"},
        {"Player1Name", "text", "Bo"},       {"Player1Name", "color", "0,255,0,255"}, {"Player2Name", "text", "Zed"},
        {"EnergyMeter1", "level", "0.7"},    {"EnergyMeter1", "color", "0,255,0,255"},
        {"EnergyMeter2", "level", "0.15"},   {"EnergyMeter2", "color", "255,0,0,255"},
        {"EnergyDefaultLevel1", "level", "0.9"}, {"EnergyDefaultLevel2", "level", "0.8"},
        {"PowerBar", "level", "0.6"},
    };
    for (const auto& value : values)
        HudElement::SetItemParameter(hud, value[0], value[1], value[2]);
    for (int i = 0; i < hud.GetMemberCount(); ++i) {
        const CastMember* member = hud.GetMember(i);
        auto* element = dynamic_cast<HudElement*>(member->object);
        if (element && element->GetItem() && member->name.rfind("EnergyMeter", 0) == 0)
            element->GetItem()->SetColorParameterUsed(true);
    }
}

bool Cameras::Load()
{
    Cast* cast = CastManager::Instance()->CreateCast("cameras");
    for (const CameraControlEntry& entry : GetCameraControlTable()) {
        m_controls.emplace_back(FactoryRegistry::CameraControls().Create(entry.className));
        cast->AddMember(m_controls.back().get(), (std::string("Cameras|") + entry.name).c_str(), false);
    }
    if (!LoadSettings(cast, "<PP>cameras.txt"))
        return FailStep("cannot read the camera controls");
    m_standard = Find("StandardMedium");
    return m_standard != nullptr || FailStep("no broadcast camera");
}

CameraControl* Cameras::Find(const std::string& name) const
{
    Cast* cast = CastManager::Instance()->GetCast("cameras");
    CastMember* member = cast ? cast->FindByName(("Cameras|" + name).c_str()) : nullptr;
    return member ? dynamic_cast<CameraControl*>(member->object) : nullptr;
}

int RunInStadium(const char* toolName, const std::string& gameFolder, int width, int height,
                 const std::function<bool()>& work)
{
    if (!MountGameData(gameFolder) || !FileSystem::Instance()->FileExists("<PP>cameras.txt")) {
        std::fprintf(stderr, "%s: no game data in %s\n", toolName, gameFolder.c_str());
        return 1;
    }
    OffscreenSession session(toolName, width, height);
    if (!session.Start(OffscreenSession::kWindowOnly))
        return 1;
    RwGraphics* graphics = RwGraphics::Instance();
    graphics->SetScreenSize(width, height);
    bool ok = false;
    if (!graphics->Initialise(session.GetWindow()) || !graphics->GetPrimaryCamera())
        std::fprintf(stderr, "%s: the rendering engine does not start\n", toolName);
    else
        ok = work();
    graphics->SetWorld(nullptr);
    graphics->SetCamera(nullptr);
    CastManager::Instance()->DeleteAll();
    // The textures go before the engine that holds them.
    TextureManager::Instance()->Shutdown();
    graphics->Destroy();
    return ok ? 0 : 1;
}

int RunInStadiumInto(const char* toolName, const std::string& gameFolder, const std::string& outFolder, int width,
                     int height, const std::function<bool(const std::string& out)>& work)
{
    ConsoleSink console(true);
    Debug::Instance()->SetSink(&console);
    std::error_code error;
    const std::string out = std::filesystem::absolute(outFolder, error).string();
    std::filesystem::create_directories(out, error);
    const int result =
        error ? Fail("bad folder") : RunInStadium(toolName, gameFolder, width, height, [&] { return work(out); });
    Debug::Instance()->SetSink(nullptr);
    return result;
}

bool DrawFrame(const std::function<void()>& draw)
{
    Camera* camera = RwGraphics::Instance()->GetCamera();
    const float black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    if (!camera || !camera->Clear(black, rwCameraClearImage | rwCameraClearZ) || !camera->BeginUpdate())
        return FailStep("the camera does not begin its update");
    draw();
    camera->EndUpdate();
    return RwGraphics::Instance()->Render();
}

bool DrawFrame(TBWorld& world, const std::vector<RenderObject*>& extra)
{
    return DrawFrame([&] {
        world.Render();
        for (RenderObject* object : extra)
            object->Render();
    });
}

bool SavePicture(const char* toolName, const std::string& path)
{
    RwImage* image = EngineUtil::GrabCameraRaster(RwGraphics::Instance()->GetCamera()->GetRwCamera());
    if (!image)
        return FailStep("cannot read back the camera");
    std::unordered_set<uint32_t> colours;
    const RwInt32 pixels = image->width * image->height;
    for (RwInt32 i = 0; i < pixels && colours.size() < kMinimumColours; ++i) {
        const RwUInt8* p = image->pixels + static_cast<size_t>(i) * 4;
        colours.insert(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16);
    }
    // Blending leaves its own alpha in the raster: the picture is what was seen.
    const bool saved = SaveOpaquePng(*image, path);
    RwImageDestroy(image);
    if (!saved)
        return FailStep("cannot write %s", path.c_str());
    if (colours.size() < kMinimumColours)
        return FailStep("%s shows next to nothing", path.c_str());
    std::printf("%s: wrote %s\n", toolName, path.c_str());
    return true;
}

}  // namespace tools
