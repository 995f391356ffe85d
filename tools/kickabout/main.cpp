// A kick-about on the first stadium with the default data's panda: A runs a figure of eight,
// walks onto the loose ball and carries it, B slide-tackles A from behind, C idles. Prints
// what happens each second; exits 1 on a NaN or when the story does not happen. Then draws A
// and B in two shirts over their shadows on the stadium's grass. With --bench: eleven actors running about, frame times over 3,000 frames.

#include "characters/Actor.h"
#include "characters/data/DataActions.h"
#include "engine/core/RwCore.h"
#include "framework/Cast.h"
#include "framework/Color.h"
#include "framework/Debug.h"
#include "framework/FileSystem.h"
#include "framework/MathUtil.h"
#include "framework/Random.h"
#include "pitch/PitchSimulation.h"
#include "scene/AnimatedClump.h"
#include "scene/Camera.h"
#include "scene/RwGraphics.h"
#include "settings/GameSettings.h"
#include "settings/LevelSettings.h"
#include "simulation/Ball.h"
#include "simulation/BallToucher.h"
#include "tools/common/Fail.h"
#include "tools/common/GameData.h"
#include "tools/common/Modes.h"
#include "tools/common/OffscreenCamera.h"
#include "tools/common/PictureOrBench.h"
#include "tools/kickabout/Modes.h"
#include "tools/kickabout/PitchRun.h"
#include "tools/stadium_scene/StadiumScene.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using tools::Fail;

const char* const kLevel = "level01";
const char* const kObjectsFile = "<SP>objects\\objects.txt";
const char* const kLevelFile = "<SP>level\\level.txt";
const char* const kModel = "<PP>Characters\\Panda\\Panda.DFF";
const char* const kTextures = "<PP>Characters\\Panda\\Textures24Bit\\";
constexpr int kWidth = 960;
constexpr int kHeight = 540;
constexpr float kFrame = 1.0f / 60.0f;
constexpr float kRunSpeed = 6.0f;
constexpr float kRotationSpeed = 6.0f;
constexpr float kLoopSeconds = 4.0f;
constexpr float kSlideDistance = 1.1f;
constexpr int kBenchFrames = 3000;
constexpr int kBenchActors = 11;
// Low and in front of the two, so that the shadows on the grass show.
constexpr RwV3d kPictureEye{1.2f, 1.9f, -4.2f};
constexpr RwV3d kPictureTarget{0.0f, 0.6f, 0.0f};
// The actors are stepped here: the pitch runs the collisions and the ball.
constexpr uint32_t kPitchSteps = PitchSimulation::kUpdateCollisions | PitchSimulation::kUpdateBall;

// Tells what happens to one actor, and takes the ball when the node allows and nobody
// holds it.
class Player : public ActorEventListener, public BallToucher {
public:
    explicit Player(const char* name) : m_name(name) {}
    void OnBallTouched(CarriedBall& carried, bool canHold, bool) override
    {
        auto* ball = dynamic_cast<Ball*>(&carried);
        if (actor && canHold && ball && ball->TakePossession(this)) {
            std::printf("  %s takes the ball\n", m_name);
            actor->TakeBall(&carried);
        }
    }
    void OnActorCollision(Actor&) override {}
    void OnActionEvent(const CharacterActionEvent&) override {}
    void OnStrike(Actor&) override
    {
        std::printf("  %s hears the foul\n", m_name);
        fouled = true;
    }

    bool IsKeeper() const override { return false; }
    SoccerTeam* GetBallTeam() const override { return nullptr; }
    bool IsOnFirstSide() const override { return false; }
    void LetGoOfBall() override
    {
        if (actor)
            actor->ReleaseBall();
    }

    Actor* actor = nullptr;
    bool fouled = false;

private:
    const char* m_name;
};

struct Cast3 {
    Player a{"A"}, b{"B"}, c{"C"};
};

std::unique_ptr<Actor> MakeActor(DataActions& actions, Player& player, const std::string& variation,
                                 const ActorStateNode& node, const Vector3& at, float heading)
{
    FileSystem* files = FileSystem::Instance();
    const std::string textures = files->ExpandAliases(kTextures);
    const std::string folders = textures + variation + "\\;" + textures + "Common\\;" + textures + "Shirt00\\";
    auto actor = std::make_unique<Actor>(folders, files->ExpandAliases(kModel), &actions, &player, node, true);
    actor->PlaceInState(at, heading, new ActorState(node));
    player.actor = actor.get();
    return actor;
}

float HeadingTo(const Vector3& from, const Vector3& to) { return std::atan2(to.x - from.x, to.z - from.z); }

bool IsNan(const Vector3& v) { return std::isnan(v.x) || std::isnan(v.y) || std::isnan(v.z); }

std::string Name(const Actor& actor)
{
    const CharacterAction* action = actor.GetAction();
    return std::string(actor.GetStateName()) + "/" + (action && action->GetName() ? action->GetName() : "-");
}

// A's command: two loops from the moment it runs, then straight at the ball, then on with it.
void SteerA(Actor& a, ActorCommand& command, const Ball& ball, float& running)
{
    command.code = ActorInput::Run;
    if (std::string(a.GetStateName()) == "stand")
        return;
    running += kFrame;
    const float time = running;
    if (time < 2.0f * kLoopSeconds) {
        const float turn = Math::TwoPi / kLoopSeconds * kFrame;
        command.direction += time < kLoopSeconds ? turn : -turn;
        command.direction = std::fmod(command.direction + Math::TwoPi, Math::TwoPi);
    } else if (!a.HasBall()) {
        command.direction = std::fmod(HeadingTo(a.GetPosition(), ball.GetPosition()) + Math::TwoPi, Math::TwoPi);
    }
}

// B chases A once A is near the ball and slides in from close behind.
void SteerB(Actor& b, ActorCommand& command, const Actor& a, const Ball& ball, bool fouled)
{
    const bool near = (a.GetPosition() - ball.GetPosition()).Length() < 10.0f;
    if (fouled || (!near && !a.HasBall())) {
        command.code = ActorInput::None;
        return;
    }
    command.direction = std::fmod(HeadingTo(b.GetPosition(), a.GetPosition()) + Math::TwoPi, Math::TwoPi);
    // Closer than the AI's slide distance: the slide has to reach a runner who runs on.
    const bool close = (a.GetPosition() - b.GetPosition()).Length() < kSlideDistance;
    command.code = close ? ActorInput::Tackle : ActorInput::Run;
}

int PlayStory(DataActions& actions, Ball& ball)
{
    Cast3 players;
    auto a = MakeActor(actions, players.a, "Var00", ActorNodes::stand, {-4.0f, 0.0f, -6.0f}, 0.0f);
    auto b = MakeActor(actions, players.b, "Var01", ActorNodes::stand, {-4.0f, 0.0f, -2.0f}, 0.0f);
    auto c = MakeActor(actions, players.c, "Var02", ActorNodes::inactive, {6.0f, 0.0f, 8.0f}, Math::Pi);
    ActorCommand ca, cb, cc;
    bool idled = false, nan = false;
    float running = 0.0f;
    const int frames = static_cast<int>(26.0f / kFrame);
    for (int frame = 1; frame <= frames && !nan; ++frame) {
        const float time = frame * kFrame;
        SteerA(*a, ca, ball, running);
        SteerB(*b, cb, *a, ball, players.a.fouled);
        a->Update(kFrame, ca, nullptr, kRunSpeed, kRotationSpeed, -1);
        b->Update(kFrame, cb, nullptr, kRunSpeed, kRotationSpeed, -1);
        c->Update(kFrame, cc, nullptr, kRunSpeed, kRotationSpeed, -1);
        PitchSimulation::Instance()->Update(kFrame, kPitchSteps);
        if (!idled && c->GetAction() && std::string(c->GetAction()->GetName()) == "idle") {
            std::printf("  C plays idle at %.2f s\n", time);
            idled = true;
        }
        nan = IsNan(a->GetPosition()) || IsNan(b->GetPosition()) || IsNan(c->GetPosition()) || IsNan(ball.GetPosition());
        if (frame % 60 == 0 || nan) {
            const Vector3 pa = a->GetPosition(), pb = b->GetPosition(), pc = c->GetPosition(), pball = ball.GetPosition();
            std::printf("%5.1f s  A (%6.2f %6.2f) %-20s B (%6.2f %6.2f) %-22s C (%5.2f %5.2f) %-16s ball (%6.2f %5.2f %6.2f)\n",
                        time, pa.x, pa.z, Name(*a).c_str(), pb.x, pb.z, Name(*b).c_str(), pc.x, pc.z, Name(*c).c_str(),
                        pball.x, pball.y, pball.z);
        }
    }
    std::fflush(stdout);
    if (nan)
        return Fail("a position became NaN");
    if (!players.a.fouled)
        return Fail("A was never fouled");
    return idled ? 0 : Fail("C never played idle");
}

// A and B in their shirts on the first stadium's grass, each over its shadow.
bool TakePicture(DataActions& actions, const std::string& out)
{
    tools::Stadium stadium(PitchSimulation::Instance()->GetWorld());
    if (!stadium.Load(kLevel))
        return false;
    Player left("left"), right("right");
    auto a = MakeActor(actions, left, "Var00", ActorNodes::stand, {-0.8f, 0.0f, 0.0f}, Math::Pi);
    auto b = MakeActor(actions, right, "Var03", ActorNodes::stand, {0.8f, 0.0f, 0.0f}, Math::Pi);
    const std::string shirt = FileSystem::Instance()->ExpandAliases(kTextures) + "Shirt00\\panda_shirt.png";
    if (!a->SetShirtTexture(shirt, shirt, Color(0.9f, 0.1f, 0.1f, 1.0f), false) ||
        !b->SetShirtTexture(shirt, shirt, Color(0.1f, 0.2f, 0.9f, 1.0f), true))
        return false;
    ActorCommand idle;
    for (Actor* actor : {a.get(), b.get()})
        actor->Update(0.3f, idle, nullptr, 0.0f, 0.0f, -1);
    RwFrame* frame = RwGraphics::Instance()->GetCamera()->GetFrame();
    *RwFrameGetMatrix(frame) = tools::LookAtMatrix(kPictureEye, kPictureTarget);
    RwMatrixUpdateFlags(RwFrameGetMatrix(frame));
    RwFrameUpdateObjects(frame);
    return tools::DrawFrame([&] {
               PitchSimulation::Instance()->GetWorld()->Render();
               a->Render();
               b->Render();
           }) &&
           tools::SavePicture("kickabout", out);
}

// Eleven actors running and turning at random, as the bench measures a frame.
int Bench(DataActions& actions, Ball& ball)
{
    std::vector<Player> players(kBenchActors, Player("bench"));
    std::vector<std::unique_ptr<Actor>> actors;
    std::vector<ActorCommand> commands(kBenchActors);
    const char* const variations[] = {"Var00", "Var01", "Var02", "Var03", "Var04", "Var05",
                                      "Var06", "Var07", "Var08", "Var09", "Var00"};
    for (int i = 0; i < kBenchActors; ++i)
        actors.push_back(MakeActor(actions, players[static_cast<size_t>(i)], variations[i], ActorNodes::stand,
                                   {(i % 4) * 8.0f - 12.0f, 0.0f, (i / 4) * 8.0f - 8.0f}, 0.0f));
    ball.SetPosition({0.0f, ball.GetRadius(), 0.0f});
    std::vector<double> total, actorTimes, collisionTimes;
    using Clock = std::chrono::steady_clock;
    for (int frame = 0; frame < kBenchFrames; ++frame) {
        for (size_t i = 0; i < actors.size(); ++i) {
            ActorCommand& command = commands[i];
            if (Random::Below(90) == 0)
                command.code = Random::Below(4) == 0 ? ActorInput::None : ActorInput::Run;
            command.direction = std::fmod(command.direction + Random::Signed() * 0.05f + Math::TwoPi, Math::TwoPi);
        }
        const auto start = Clock::now();
        for (size_t i = 0; i < actors.size(); ++i)
            actors[i]->Update(kFrame, commands[i], nullptr, kRunSpeed, kRotationSpeed, -1);
        const auto moved = Clock::now();
        PitchSimulation::Instance()->Update(kFrame, kPitchSteps);
        const auto end = Clock::now();
        actorTimes.push_back(std::chrono::duration<double, std::milli>(moved - start).count());
        collisionTimes.push_back(std::chrono::duration<double, std::milli>(end - moved).count());
        total.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    const auto median = [](std::vector<double> v) {
        std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
        return v[v.size() / 2];
    };
    const auto worstFrame = std::max_element(total.begin(), total.end());
    std::printf("kickabout bench: %d actors, %d frames: median %.4f ms, worst %.4f ms at frame %d, worst after the "
                "first second %.4f ms (median: actors %.4f ms, collisions and ball %.4f ms)\n",
                kBenchActors, kBenchFrames, median(total), *worstFrame, static_cast<int>(worstFrame - total.begin()),
                *std::max_element(total.begin() + 60, total.end()), median(actorTimes), median(collisionTimes));
    return 0;
}

int Run(const std::string& folder, const std::string& out, bool bench)
{
    return kickabout::RunOnPitch("kickabout", folder, kWidth, kHeight, bench, [&] {
        Cast level("level");
        level.AddMember(LevelSettings::Instance(), "Level Settings", false);
        if (!LoadSettings(&level, kLevelFile))
            Fail("cannot read the level's settings %s", kLevelFile);
        Cast objects("objects");
        if (!LoadSettings(&objects, kObjectsFile))
            Fail("cannot read the level's objects %s", kObjectsFile);
        DataActions actions(FileSystem::Instance()->ExpandAliases("<PP>"));
        PitchSimulation* pitch = PitchSimulation::Instance();
        pitch->SetupMatch();
        Ball& ball = *pitch->GetBall();
        ball.SetPosition({6.0f, ball.GetRadius(), 2.0f});
        int result = 1;
        if (bench) {
            result = Bench(actions, ball);
        } else if ((result = PlayStory(actions, ball)) == 0 && !TakePicture(actions, out)) {
            result = Fail("cannot draw or save %s", out.c_str());
        }
        PitchSimulation::DestroyInstance();
        // The stadium's display cast, empty by now.
        CastManager::Instance()->DeleteAll();
        objects.Clear();
        level.RemoveMember(LevelSettings::Instance());
        return result;
    });
}

int Kickabout(int argc, char** argv)
{
    return tools::RunPictureOrBench("kickabout", argc, argv, Run);
}

}  // namespace

int main(int argc, char** argv)
{
    return tools::RunMode(argc, argv, {{"teams", RunTeams}, {"shots", RunShots}}, Kickabout);
}
