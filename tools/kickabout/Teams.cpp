// Two teams of the default data on the kick-about pitch, headless: "Panda01" against
// "Lizard01" with the referee, built from the character and team files. By scripted commands
// they play a pass chain, a shot into the net, a slide tackle in the penalty area and a snag,
// printing the match messages and the selected member after each kick; then every action of
// every race plays once to its end. Exits 1 when a play does not happen or a position becomes
// NaN. Then draws a member of each side in its match shirt. With --bench: building eleven
// characters with the model cache cold and warm.

#include "ai/TeamStrategy.h"
#include "characters/Actor.h"
#include "characters/ActorClumpCache.h"
#include "characters/Character.h"
#include "characters/CharacterBrain.h"
#include "characters/CharacterRace.h"
#include "characters/CharacterVariation.h"
#include "characters/Team.h"
#include "characters/TeamDescription.h"
#include "characters/data/CharacterCast.h"
#include "engine/core/RwCore.h"
#include "engine/world/RpWorld.h"
#include "framework/Cast.h"
#include "framework/Color.h"
#include "framework/FileSystem.h"
#include "framework/MathUtil.h"
#include "framework/Message.h"
#include "framework/Random.h"
#include "pitch/PitchSimulation.h"
#include "scene/RwGraphics.h"
#include "settings/GameSettings.h"
#include "settings/LevelSettings.h"
#include "settings/MatchSettings.h"
#include "simulation/Ball.h"
#include "tools/common/Fail.h"
#include "tools/common/GameData.h"
#include "tools/common/OffscreenCamera.h"
#include "tools/common/PictureOrBench.h"
#include "tools/common/SceneLights.h"
#include "tools/kickabout/Modes.h"
#include "tools/kickabout/PitchRun.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using tools::Fail;

const char* const kObjectsFile = "<SP>objects\\objects.txt";
const char* const kLevelFile = "<SP>level\\level.txt";
constexpr int kWidth = 960;
constexpr int kHeight = 540;
constexpr float kFrame = 1.0f / 60.0f;
constexpr float kPlayTimeout = 6.0f;
constexpr float kActionTimeout = 12.0f;
constexpr int kBenchCharacters = 11;
// The teams and the referee step here with the collisions and the ball.
constexpr uint32_t kPlaySteps = PitchSimulation::kUpdateCollisions | PitchSimulation::kUpdateBall |
                                PitchSimulation::kUpdateTeams;
// Side 0 attacks the goal at x = -50, the second side the one at +50.
constexpr float kTowardsRightGoal = -Math::Pi / 2;
constexpr float kTowardsLeftGoal = Math::Pi / 2;

bool IsNan(const Vector3& v) { return std::isnan(v.x) || std::isnan(v.y) || std::isnan(v.z); }

float HeadingTo(const Vector3& from, const Vector3& to) { return std::atan2(to.x - from.x, to.z - from.z); }

std::string NameOf(const Character* character)
{
    if (!character)
        return "nobody";
    return character->GetVariation()->GetKeyName() + " (" + character->GetVariation()->GetDisplayName() + ")";
}

// Prints the match messages as they come and remembers their names.
class MessagePrinter : public MessageListener {
public:
    MessagePrinter() { MessageServer::Instance()->RegisterListener(this); }
    ~MessagePrinter() override { MessageServer::Instance()->UnregisterListener(this); }
    int OnMessage(int message, intptr_t param) override
    {
        const std::string name = MessageServer::Instance()->GetMessageName(message);
        if (name == "did pass" || name == "Snagged" || name == "goal kick") {
            std::printf("  message \"%s\": %s\n", name.c_str(), NameOf(reinterpret_cast<const Character*>(param)).c_str());
        } else if (name == "did shot") {
            std::printf("  message \"did shot\"%s\n", param ? " with a parameter" : "");
        } else if (name == "penalty foul" || name == "free kick foul") {
            const auto* foul = reinterpret_cast<const Character::FoulRecord*>(param);
            std::printf("  message \"%s\": %s on %s at (%.1f, %.1f)\n", name.c_str(), NameOf(foul->offender).c_str(),
                        NameOf(foul->fouled).c_str(), foul->spot.x, foul->spot.z);
        } else if (name == "goal scored") {
            std::printf("  message \"goal scored\"\n");
        } else {
            return 0;
        }
        heard.push_back(name);
        return 0;
    }
    bool Heard(const std::string& name) const { return std::find(heard.begin(), heard.end(), name) != heard.end(); }

    std::vector<std::string> heard;
};

struct Match {
    PitchSimulation* pitch;
    Ball& ball;
    SoccerTeam& pandas;
    SoccerTeam& lizards;
};

void Place(Character& character, const Vector3& at, float heading)
{
    character.GetActor()->PlaceInState(at, heading, new ActorState(ActorNodes::stand));
    character.GetCommand() = ActorCommand{};
}

void GiveBall(Match& match, Character& holder)
{
    for (SoccerTeam* team : {&match.pandas, &match.lizards}) {
        if (Character* had = team->GetBallHolder())
            had->GetActor()->ReleaseBall();
    }
    match.ball.ReleasePossession(1);
    match.ball.SetVelocity({});
    match.ball.SetPosition(holder.GetActor()->GetPosition());
    if (match.ball.TakePossession(&holder))
        holder.GetActor()->TakeBall(&match.ball);
}

// Steps the match until done says so; false on a NaN or when the time runs out.
bool PlayUntil(Match& match, const std::function<bool()>& done, const std::function<void()>& steer = {})
{
    // The script steers: the brains only keep out of its way.
    for (SoccerTeam* team : {&match.pandas, &match.lizards}) {
        for (int32_t i = 0; i < team->GetPlayerCount(); ++i)
            team->GetPlayer(i)->GetBrain()->SetMode(CharacterBrain::kFrozen);
    }
    for (float time = 0.0f; time < kPlayTimeout; time += kFrame) {
        if (steer)
            steer();
        match.pitch->Update(kFrame, kPlaySteps);
        for (SoccerTeam* team : {&match.pandas, &match.lizards}) {
            for (int32_t i = 0; i < team->GetPlayerCount(); ++i) {
                if (IsNan(team->GetPlayer(i)->GetActor()->GetPosition()))
                    return false;
            }
        }
        if (IsNan(match.ball.GetPosition()))
            return false;
        if (done())
            return true;
    }
    return false;
}

// The command holds the input until the actor has taken it up.
std::function<void()> Press(Character& character, int32_t code, const char* state)
{
    return [&character, code, state] {
        ActorCommand& command = character.GetCommand();
        command.code = std::string(character.GetActor()->GetStateName()) == state ? ActorInput::None : code;
        // Held, so that the frozen brain leaves it to the actor.
        command.hold = command.code != ActorInput::None;
    };
}

void PrintSelected(SoccerTeam& team, const char* side)
{
    std::printf("  selected on the %s side: %s\n", side, NameOf(team.GetControlledPlayers().GetSelected()).c_str());
}

bool PassChain(Match& match, MessagePrinter& printer)
{
    std::printf("A pass chain along the Panda line:\n");
    std::vector<Character*> line;
    for (int32_t i = 1; i < match.pandas.GetPlayerCount(); ++i) {
        line.push_back(match.pandas.GetPlayer(i));
        Place(*line.back(), {-5.0f * static_cast<float>(i), 0.0f, 6.0f * static_cast<float>(i % 2)}, 0.0f);
    }
    GiveBall(match, *line.front());
    for (size_t k = 0; k + 1 < line.size(); ++k) {
        Character& from = *line[k];
        Character& to = *line[k + 1];
        from.GetCommand().targetPosition = to.GetActor()->GetPosition();
        from.GetCommand().direction = HeadingTo(from.GetActor()->GetPosition(), to.GetActor()->GetPosition());
        to.GetActor()->SetHeading(HeadingTo(to.GetActor()->GetPosition(), from.GetActor()->GetPosition()));
        printer.heard.clear();
        if (!PlayUntil(match, [&] { return to.GetActor()->HasBall(); }, Press(from, ActorInput::Pass, "pass")))
            return false;
        PrintSelected(match.pandas, "Panda");
        if (!printer.Heard("did pass"))
            return false;
    }
    return true;
}

bool ShotIntoTheNet(Match& match, MessagePrinter& printer)
{
    std::printf("A shot at the Lizard goal:\n");
    Character& striker = *match.pandas.GetPlayer(1);
    // The keeper stands aside.
    Place(*match.lizards.GetPlayer(0), {-30.0f, 0.0f, 25.0f}, 0.0f);
    Place(striker, {-38.0f, 0.0f, 0.0f}, kTowardsRightGoal);
    GiveBall(match, striker);
    striker.GetCommand().direction = kTowardsRightGoal;
    printer.heard.clear();
    const bool scored = PlayUntil(match, [&] { return printer.Heard("goal scored"); },
                                  Press(striker, ActorInput::Shoot, "shoot"));
    PrintSelected(match.pandas, "Panda");
    return scored && printer.Heard("did shot");
}

bool TackleInTheArea(Match& match, MessagePrinter& printer)
{
    std::printf("A slide tackle in the Panda penalty area:\n");
    Character& runner = *match.lizards.GetPlayer(1);
    Character& tackler = *match.pandas.GetPlayer(2);
    Place(runner, {44.0f, 0.0f, 0.0f}, kTowardsLeftGoal);
    Place(tackler, {42.8f, 0.0f, 0.0f}, kTowardsLeftGoal);
    GiveBall(match, runner);
    printer.heard.clear();
    const auto steer = [&] {
        ActorCommand& command = tackler.GetCommand();
        command.direction = HeadingTo(tackler.GetActor()->GetPosition(), runner.GetActor()->GetPosition());
        Press(tackler, ActorInput::Tackle, "slidetackle")();
    };
    return PlayUntil(match, [&] { return printer.Heard("penalty foul") || printer.Heard("free kick foul"); }, steer) &&
           printer.Heard("penalty foul");
}

bool Snag(Match& match, MessagePrinter& printer)
{
    std::printf("A snag face to face:\n");
    Character& holder = *match.lizards.GetPlayer(2);
    Character& snagger = *match.pandas.GetPlayer(3);
    Place(holder, {0.0f, 0.0f, 1.2f}, Math::Pi);
    Place(snagger, {0.0f, 0.0f, 0.0f}, 0.0f);
    GiveBall(match, holder);
    printer.heard.clear();
    const bool snagged = PlayUntil(match, [&] { return printer.Heard("Snagged"); }, Press(snagger, ActorInput::Snag, "snag"));
    PrintSelected(match.pandas, "Panda");
    return snagged && snagger.GetActor()->HasBall();
}

// Hears one actor's "End Action".
class EndListener : public ActorEventListener {
public:
    void OnBallTouched(CarriedBall&, bool, bool) override {}
    void OnActorCollision(Actor&) override {}
    void OnStrike(Actor&) override {}
    void OnActionEvent(const CharacterActionEvent& event) override
    {
        ended = ended || event.type == static_cast<int32_t>(ActionEventType::EndAction);
    }
    bool ended = false;
};

// Every action of every race, once, to its end.
bool Sweep()
{
    std::printf("Every action of every race:\n");
    const float runSpeed = GameSettings::Instance()->bestRunningSpeed;
    for (const char* raceName : CharacterRace::RaceNames()) {
        CharacterRace* race = CharacterRace::Find(raceName);
        if (!race)
            return false;
        EndListener listener;
        const CharacterVariation* variation =
            CharacterVariation::Find(std::string(raceName) == "Weasel" ? "Referee" : std::string(raceName) + "Pl00");
        if (!variation)
            return false;
        FileSystem* files = FileSystem::Instance();
        const std::string textures =
            files->ExpandAliases(variation->GetTexturePath() + ";" + race->GetDirectory() + "<TP>Shirt00\\");
        Actor actor(textures, files->ExpandAliases(race->GetModelFile()), race, &listener, ActorNodes::inactive, true);
        int played = 0;
        for (const char* name : CharacterRace::ActionNames()) {
            listener.ended = false;
            actor.PlayAction(name);
            actor.SetSpeed(runSpeed, 0.0f);
            float time = 0.0f;
            for (; time < kActionTimeout && !listener.ended; time += kFrame) {
                actor.UpdateAction(kFrame);
                if (IsNan(actor.GetFrameMovement()) || IsNan(actor.GetBallLocatorPoint()))
                    return false;
            }
            if (!listener.ended) {
                std::printf("  %s: \"%s\" never ended\n", raceName, name);
                return false;
            }
            ++played;
        }
        std::printf("  %s: %d actions, each to \"End Action\"\n", raceName, played);
    }
    return true;
}

// A side as the match loading builds it: the keeper first, numbers from 2, the side's shirt.
void BuildSide(SoccerTeam& team, const char* description, int shirt, const Color& numberColour)
{
    const TeamDescription* found = TeamDescription::Find(description);
    if (!found)
        return;
    const std::string textureSet = FileSystem::Instance()->GetAlias("<TP>");
    int number = 2;
    for (const TeamDescription::Member& member : found->GetMembers()) {
        const int32_t kind = member.isSub ? Character::kGoalkeeper : Character::kFieldPlayer;
        auto character = std::make_unique<Character>(kind, member.variation, &team);
        const std::string race = character->GetVariation()->GetRaceName();
        const std::string folder = member.isSub ? "var" + member.variation.substr(member.variation.size() - 2)
                                                : "Shirt0" + std::to_string(shirt);
        const std::string shirtNumber = member.isSub ? "1" : std::to_string(number++);
        FileSystem* files = FileSystem::Instance();
        character->GetActor()->SetShirtTexture(
            files->ExpandAliases("<PP>\\Characters\\" + race + "\\" + textureSet + folder + "\\" + race + "_shirt.png"),
            files->ExpandAliases("<PP>\\Characters\\" + textureSet + "ShirtNumber_" + shirtNumber + ".png"),
            member.isSub ? Color(0.0f, 0.0f, 0.0f, 1.0f) : numberColour, race == "Rhino");
        team.AddPlayer(std::move(character));
    }
    std::printf("%s: %s, %d members\n", description, found->GetTeamName().c_str(), team.GetPlayerCount());
}

bool TakePicture(Match& match, const std::string& out)
{
    Character& panda = *match.pandas.GetPlayer(1);
    Character& lizard = *match.lizards.GetPlayer(1);
    // Backs to the camera, to show the numbers.
    Place(panda, {-0.8f, 0.0f, 0.0f}, 0.0f);
    Place(lizard, {0.8f, 0.0f, 0.0f}, 0.0f);
    ActorCommand idle;
    for (Character* character : {&panda, &lizard})
        character->GetActor()->Update(0.3f, idle, nullptr, 0.0f, 0.0f, -1);
    const RwBBox box{{100, 100, 100}, {-100, -100, -100}};
    RpWorld* world = RpWorldCreate(&box);
    bool saved = false;
    {
        tools::SceneLights lights;
        tools::OffscreenCamera camera;
        if (lights.Create(world, {0.4f, 0.4f, 0.4f, 1}, {0.8f, 0.8f, 0.75f, 1}, {0.45f, -0.45f, 0.77f}) &&
            camera.Create(kWidth, kHeight, 0.5f, 0.5f * kHeight / kWidth, 0.1f, 100.0f, rwRasterTypeCamera)) {
            camera.LookAt({0.0f, 1.4f, -4.5f}, {0.0f, 0.9f, 0.0f});
            RpWorldAddCamera(world, camera.Camera());
            if (camera.Begin({60, 110, 60, 255})) {
                panda.Render();
                lizard.Render();
                camera.End();
                saved = camera.SavePng(out);
            }
            RpWorldRemoveCamera(world, camera.Camera());
        }
    }
    RpWorldDestroy(world);
    return saved;
}

int Play(Match& match, const std::string& out)
{
    BuildSide(match.pandas, "Panda01", 0, Color(1.0f, 1.0f, 1.0f, 1.0f));
    BuildSide(match.lizards, "Lizard01", 2, Color(1.0f, 1.0f, 0.0f, 1.0f));
    match.pitch->CreateReferee();
    if (match.pandas.GetPlayerCount() < 5 || match.lizards.GetPlayerCount() < 5)
        return Fail("the teams were not built from Teams.txt");
    match.pandas.GetControlledPlayers().SetControllerName("(0):");
    std::printf("the referee: %s\n", NameOf(match.pitch->GetReferee()).c_str());
    MessagePrinter printer;
    if (!PassChain(match, printer))
        return Fail("the pass chain broke");
    if (!ShotIntoTheNet(match, printer))
        return Fail("the shot did not score");
    if (!TackleInTheArea(match, printer))
        return Fail("the tackle in the area was no penalty foul");
    if (!Snag(match, printer))
        return Fail("the snag did not take the ball");
    if (!Sweep())
        return Fail("an action did not play to its end");
    if (!TakePicture(match, out))
        return Fail("cannot draw or save %s", out.c_str());
    std::printf("kickabout: wrote %s (%d x %d)\n", out.c_str(), kWidth, kHeight);
    return 0;
}

// Eleven characters built and deleted, first with no model cached, then with the models kept.
int Bench(SoccerTeam& team)
{
    const char* const variations[] = {"PandaGk00", "PandaPl00", "PandaPl01", "PandaPl02", "PandaPl03", "LizardGk00",
                                      "LizardPl00", "LizardPl01", "LizardPl02", "LizardPl03", "Referee"};
    using Clock = std::chrono::steady_clock;
    const auto build = [&] {
        const auto start = Clock::now();
        std::vector<std::unique_ptr<Character>> built;
        for (const char* variation : variations) {
            const bool referee = std::string(variation) == "Referee";
            const bool keeper = std::string(variation).find("Gk") != std::string::npos;
            built.push_back(std::make_unique<Character>(
                referee ? Character::kReferee : keeper ? Character::kGoalkeeper : Character::kFieldPlayer, variation,
                referee ? nullptr : &team));
        }
        return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    };
    ActorClumpCache::DestroyInstance();
    const double cold = build();
    // A character keeps its model in the cache while it lives; one kept alive keeps them warm.
    std::vector<std::unique_ptr<Character>> keep;
    for (const char* variation : {"PandaPl00", "LizardPl00", "Referee"})
        keep.push_back(std::make_unique<Character>(std::string(variation) == "Referee" ? Character::kReferee
                                                                                     : Character::kFieldPlayer,
                                                   variation, nullptr));
    double warm = 0.0;
    constexpr int kWarmRuns = 20;
    for (int run = 0; run < kWarmRuns; ++run)
        warm += build();
    std::printf("kickabout teams bench: %d characters built: cold cache %.2f ms, warm cache %.2f ms (mean of %d)\n",
                kBenchCharacters, cold, warm / kWarmRuns, kWarmRuns);
    return 0;
}

int Run(const std::string& folder, const std::string& out, bool bench)
{
    return kickabout::RunOnPitch("kickabout teams", folder, kWidth, kHeight, bench, [&] {
        Cast settings("settings");
        settings.AddMember(LevelSettings::Instance(), "Level Settings", false);
        settings.AddMember(MatchSettings::Instance(), "Match Settings", false);
        settings.AddMember(GameSettings::Instance(), "Game Settings", false);
        const bool read = LoadSettings(&settings, kLevelFile) && LoadSettings(&settings, "<PP>matchsettings.txt") &&
                          LoadSettings(&settings, "<PP>global\\global.txt");
        // Registered, so that the characters find the penalty and high-pass areas.
        CastManager::Instance()->CreateCast("objects");
        const bool placed = LoadSettings(CastManager::Instance()->GetCast("objects"), kObjectsFile);
        CharacterCast characters("<PP>Characters.txt");
        std::vector<std::unique_ptr<Object>> descriptions;
        TeamDescription::CreateAll(descriptions);
        TeamStrategy::CreateAll();
        const bool described = LoadSettings(CastManager::Instance()->GetCast("Teams"), "<PP>Teams.txt");
        PitchSimulation* pitch = PitchSimulation::Instance();
        pitch->SetupMatch();
        ActorSurroundings::clockRunning = true;
        Match match{pitch, *pitch->GetBall(), *pitch->GetTeam(0), *pitch->GetTeam(1)};
        int result = 1;
        if (!read || !placed)
            result = Fail("cannot read the settings or the level's objects");
        else if (!characters.loaded || !described)
            result = Fail("cannot read <PP>Characters.txt or <PP>Teams.txt");
        else
            result = bench ? Bench(match.pandas) : Play(match, out);
        PitchSimulation::DestroyInstance();
        CastManager::Instance()->GetCast("objects")->Clear();
        for (const auto& description : descriptions)
            CastManager::Instance()->GetCast("Teams")->RemoveMember(description.get());
        for (Object* object : {static_cast<Object*>(LevelSettings::Instance()), static_cast<Object*>(MatchSettings::Instance()),
                               static_cast<Object*>(GameSettings::Instance())})
            settings.RemoveMember(object);
        return result;
    });
}

}  // namespace

int RunTeams(int argc, char** argv)
{
    return tools::RunPictureOrBench("kickabout teams", argc, argv, Run);
}
