#include "frontend/selection/SelectionBench.h"

#include "characters/Actor.h"
#include "characters/ActorState.h"
#include "characters/Character.h"
#include "characters/CharacterVariation.h"
#include "framework/Debug.h"
#include "framework/FileSystem.h"
#include "framework/Random.h"
#include "frontend/loading/MatchLoading.h"
#include "frontend/story/StoryModeGame.h"
#include "menus/Menu.h"
#include "pitch/CameraControl.h"
#include "pitch/CameraStack.h"
#include "scene/AnimatedClump.h"
#include "scene/Camera.h"
#include "scene/RwGraphics.h"
#include "scene/SelectionCursor.h"
#include "settings/GameParameters.h"
#include "settings/MatchSettings.h"

#include <algorithm>
#include <cstdio>
#include <cmath>
#include <numbers>

namespace {

struct RaceSeat {
    const char* race;
    float width;
};
// The first race also stands in for one the game does not know.
constexpr RaceSeat kSeats[] = {{"Lizard", 1.5f}, {"Panda", 1.5f}, {"Primate", 2.5f}, {"Rhino", 2.5f}};
// The camera frames the bench with a little room at both ends.
constexpr float kCameraDistancePerWidth = 1.3157895f;
// The window shape the menus are laid out for.
constexpr float kMenuAspect = 4.0f / 3.0f;
// What the camera shows of a candidate: the top of the tallest standing, and how far in front
// of his seat the floor marker under the cursor reaches; and the room a plate keeps from them.
constexpr float kStandingTop = 2.1f;
constexpr float kMarkerReach = 1.0f;
constexpr float kPlateClearance = 8.0f;
constexpr float kMarkerScale = 0.8f;
// Above the head's position so the flat marker does not sink into the ground.
constexpr float kMarkerLift = 0.1f;
constexpr int kShirtVariations = 7;
const char* const kBenchCamera = "Players Bench";

std::string RaceOf(const Character& candidate)
{
    const CharacterVariation* variation = candidate.GetVariation();
    return variation ? variation->GetRaceName() : std::string();
}

std::string MemberNameOf(const Character& candidate)
{
    const CharacterVariation* variation = candidate.GetVariation();
    return variation ? variation->GetKeyName() : std::string();
}

std::unique_ptr<SelectionCursor> MakeMarker(const std::string& texture, const MatchSettings& settings)
{
    auto marker = std::make_unique<SelectionCursor>(
        texture.c_str(), static_cast<int>(settings.playerSelectWidth * kMarkerScale),
        static_cast<int>(settings.playerSelectHeight * kMarkerScale), static_cast<int>(settings.playerSelectRotSpeed));
    marker->SetRotation(Quaternion(std::numbers::pi_v<float> * 0.5f, Vector3::UnitX));
    return marker;
}

PrimaryCamera* BenchViewCamera()
{
    return RwGraphics::Exists() ? RwGraphics::Instance()->GetPrimaryCamera() : nullptr;
}

}  // namespace

float SelectionBench::SeatWidth(const std::string& race)
{
    for (const RaceSeat& seat : kSeats)
        if (race == seat.race)
            return seat.width;
    return kSeats[0].width;
}

bool SelectionBench::IsKnownRace(const std::string& race)
{
    return std::any_of(std::begin(kSeats), std::end(kSeats), [&](const RaceSeat& seat) { return race == seat.race; });
}

SelectionBench::SeatWidths SelectionBench::KnownSeatWidths()
{
    SeatWidths widths{kSeats[0].width, kSeats[0].width, 0.0f};
    for (const RaceSeat& seat : kSeats) {
        widths.narrowest = std::min(widths.narrowest, seat.width);
        widths.widest = std::max(widths.widest, seat.width);
        widths.average += seat.width / static_cast<float>(std::size(kSeats));
    }
    return widths;
}

SelectionBench::Seating SelectionBench::LayOutSeats(const std::vector<std::string>& races, int gapCount)
{
    std::vector<float> widths;
    for (const std::string& race : races)
        widths.push_back(SeatWidth(race));
    return LayOutWidths(widths, gapCount);
}

SelectionBench::Seating SelectionBench::LayOutWidths(const std::vector<float>& widths, int gapCount)
{
    Seating seating;
    for (const float w : widths)
        seating.width += w;
    const int count = static_cast<int>(widths.size());
    float h = seating.width * 0.5f;
    for (int i = 0; i < count; ++i) {
        const float w = widths[static_cast<size_t>(i)];
        seating.seats.push_back(kOrigin + Vector3(h - w * 0.5f, 0.0f, 0.0f));
        h -= w;
        // The gap is not counted in the width: the camera frames the seats, not the gap.
        if (gapCount > 0 && i == count - gapCount - 1)
            h -= kGapWidth;
    }
    return seating;
}

float SelectionBench::CameraDistance(float benchWidth)
{
    return std::max(benchWidth * kCameraDistancePerWidth, kMinCameraDistance);
}

Vector3 SelectionBench::CameraPosition(float distance)
{
    return kOrigin - Vector3(0.0f, 0.0f, distance) + Vector3(0.0f, kCameraHeight, 0.0f);
}

float SelectionBench::ScreenX(float x, float depth, float widen)
{
    return Menu::kWidth * 0.5f * (1.0f - x / (kViewWindow * widen * depth));
}

float SelectionBench::ScreenY(float y, float depth)
{
    // The window's height shows the view window over the aspect.
    return Menu::kHeight * 0.5f * (1.0f + (kCameraHeight - y) * kMenuAspect / (kViewWindow * depth));
}

float SelectionBench::PlateTop(bool below, float plateHeight, float distance)
{
    if (below)
        return ScreenY(0.0f, distance - kMarkerReach) + kPlateClearance;
    return ScreenY(kStandingTop, distance) - kPlateClearance - plateHeight;
}

float SelectionBench::GetSeatScreenX(size_t seat) const
{
    if (seat >= m_seating.seats.size())
        return 0.0f;
    // A window wider than the menus' shows more at the sides, while the menus stretch to it.
    float widen = 1.0f;
    if (const PrimaryCamera* camera = BenchViewCamera(); camera && camera->GetHeight() > 0.0f)
        widen = std::max(1.0f, camera->GetWidth() / camera->GetHeight() / kMenuAspect);
    return ScreenX(m_seating.seats[seat].x - kOrigin.x, m_cameraDistance, widen);
}

float SelectionBench::GetSeatScreenRoom(size_t seat) const
{
    const size_t count = m_seating.seats.size();
    if (seat >= count)
        return 0.0f;
    float room = Menu::kWidth;
    if (seat > 0)
        room = GetSeatScreenX(seat) - GetSeatScreenX(seat - 1);
    if (seat + 1 < count)
        room = std::min(room, GetSeatScreenX(seat + 1) - GetSeatScreenX(seat));
    return room;
}

int SelectionBench::DrawShirtVariation(int shirtOne, int shirtTwo)
{
    int v = Random::Below(kShirtVariations);
    // Two shirts can cover at most two of the seven, so a free one always comes up.
    while (v == shirtOne || v == shirtTwo)
        v = Random::Below(kShirtVariations);
    return v;
}

SelectionBench::Shirt SelectionBench::ChooseShirt(const std::string& race, const std::string& memberName, bool keeper,
                                                  int side, int variation, int teamShirt,
                                                  const std::string& textureSet)
{
    Shirt shirt;
    char folder[16];
    if (keeper && side < 0) {
        const char last = memberName.empty() ? '0' : memberName.back();
        const int k = (last >= '0' && last <= '9') ? last - '0' : 0;
        std::snprintf(folder, sizeof folder, "var%02d", k);
        // As in the match, a keeper's own shirt carries a black number.
        shirt.numberColour = Color::OpaqueBlack;
    } else {
        const int n = side < 0 ? variation : teamShirt;
        std::snprintf(folder, sizeof folder, "shirt%02d", n);
        shirt.numberColour = MatchLoading::NumberColour(n);
    }
    shirt.shirtPath = "<PP>\\Characters\\" + race + "\\" + textureSet + folder + "\\" + race + "_shirt.png";
    shirt.numberPath = "<PP>\\Characters\\" + textureSet + "ShirtNumber_1.png";
    shirt.mirror = race == "Rhino";
    return shirt;
}

SelectionBench::SelectionBench()
{
    const MatchSettings* settings = MatchSettings::Instance();
    m_markers[0] = MakeMarker(settings->playerSelectTextureA, *settings);
    m_markers[1] = MakeMarker(settings->playerSelectTextureB, *settings);
}

SelectionBench::~SelectionBench() = default;

void SelectionBench::Enter(const std::vector<Character*>& candidates, const std::vector<bool>& picked, int gapCount)
{
    m_candidates = candidates;
    m_shirtSides.assign(m_candidates.size(), -1);
    SeatCandidates(picked, gapCount);
    const GameParameters* parameters = GameParameters::Instance();
    m_variation = DrawShirtVariation(parameters->shirts[0], parameters->shirts[1]);
    for (Character* candidate : m_candidates)
        SetShirt(*candidate, -1);
    PlaceCamera();
    m_entered = true;
}

void SelectionBench::SeatCandidates(const std::vector<bool>& picked, int gapCount)
{
    std::vector<std::string> races;
    for (const Character* candidate : m_candidates) {
        std::string race = RaceOf(*candidate);
        if (!IsKnownRace(race))
            LogError("PlayerSelection::Enter Unknown race: %s\n", race.c_str());
        races.push_back(std::move(race));
    }
    m_seating = LayOutSeats(races, gapCount);
    for (size_t i = 0; i < m_candidates.size(); ++i) {
        Actor* actor = m_candidates[i]->GetActor();
        const bool standing = i < picked.size() && picked[i];
        actor->PlaceInState(m_seating.seats[i], 0.0f,
                            new ActorState(standing ? ActorNodes::stoodup : ActorNodes::satdown));
        // A random start keeps a row of the same race from breathing in step.
        if (AnimatedClump* clump = actor->GetClump())
            clump->SetTime(Random::Unit() * clump->GetDuration());
    }
}

void SelectionBench::PlaceCamera()
{
    m_cameraDistance = CameraDistance(m_seating.width);
    m_pushedCamera = false;
    if (CameraStack* cameras = CameraStack::Current()) {
        const size_t before = cameras->GetCameraStack().size();
        cameras->PushCamera(kBenchCamera);
        m_pushedCamera = cameras->GetCameraStack().size() > before;
        auto* bench = m_pushedCamera ? dynamic_cast<SimpleCameraControl*>(cameras->GetActiveCamera()) : nullptr;
        if (bench) {
            bench->SetPosition(CameraPosition(m_cameraDistance));
            bench->SetRotation(Quaternion::Identity);
        } else {
            LogWarning("SelectionBench::Enter: no camera \"%s\"; the view stays as it was\n", kBenchCamera);
        }
    }
    if (PrimaryCamera* camera = BenchViewCamera()) {
        camera->GetViewWindow(m_savedViewWindow[0], m_savedViewWindow[1]);
        camera->SetViewWindow(kViewWindow, kViewWindow);
    }
}

void SelectionBench::Exit()
{
    if (!m_entered)
        return;
    m_entered = false;
    if (PrimaryCamera* camera = BenchViewCamera())
        camera->SetViewWindow(m_savedViewWindow[0], m_savedViewWindow[1]);
    if (CameraStack* cameras = CameraStack::Current(); cameras && m_pushedCamera)
        cameras->PopCamera();
    m_pushedCamera = false;
}

void SelectionBench::Update(float dt, const std::vector<bool>& picked, int cursor, int chooser)
{
    Update(dt, picked, cursor, [chooser](int) { return chooser; });
}

void SelectionBench::Update(float dt, const std::vector<bool>& picked, int cursor,
                            const std::function<int(int)>& sideOf)
{
    if (cursor >= 0 && static_cast<size_t>(cursor) < m_candidates.size()) {
        const Vector3 over = m_candidates[static_cast<size_t>(cursor)]->GetActor()->GetPosition() +
                             Vector3(0.0f, kMarkerLift, 0.0f);
        for (auto& marker : m_markers)
            marker->SetPosition(over);
    }
    for (auto& marker : m_markers)
        marker->Update(dt);
    for (size_t i = 0; i < m_candidates.size(); ++i)
        UpdateCandidate(*m_candidates[i], i, dt, i < picked.size() && picked[i], sideOf(static_cast<int>(i)));
}

void SelectionBench::UpdateCandidate(Character& candidate, size_t index, float dt, bool picked, int side)
{
    candidate.Update(dt);
    Actor* actor = candidate.GetActor();
    const std::string state = actor->GetStateName();
    // Between the two, the actor is still moving and finishes that first.
    if (state == "satdown" && picked) {
        actor->PlaceInState(m_seating.seats[index], 0.0f, new ActorState(ActorNodes::standup));
        SetShirt(candidate, side);
    } else if (state == "stoodup" && !picked) {
        actor->PlaceInState(m_seating.seats[index], 0.0f, new ActorState(ActorNodes::sitdown));
        SetShirt(candidate, -1);
    }
}

void SelectionBench::Render(int chooser) const
{
    for (Character* candidate : m_candidates)
        candidate->Render();
    m_markers[chooser == 1 ? 1 : 0]->Render();
}

void SelectionBench::SetShirt(Character& candidate, int side)
{
    if (StoryModeGame::Instance()->active)
        return;
    const auto at = std::find(m_candidates.begin(), m_candidates.end(), &candidate);
    if (at != m_candidates.end())
        m_shirtSides[static_cast<size_t>(at - m_candidates.begin())] = side;
    const int teamShirt = side < 0 ? 0 : GameParameters::Instance()->shirts[side == 1 ? 1 : 0];
    const FileSystem* files = FileSystem::Instance();
    const Shirt shirt = ChooseShirt(RaceOf(candidate), MemberNameOf(candidate),
                                    candidate.GetKind() == Character::kGoalkeeper, side, m_variation, teamShirt,
                                    files->GetAlias("<TP>"));
    if (!candidate.GetActor()->SetShirtTexture(files->ExpandAliases(shirt.shirtPath),
                                               files->ExpandAliases(shirt.numberPath), shirt.numberColour,
                                               shirt.mirror))
        LogWarning("SelectionBench::SetShirt: no shirt \"%s\"; the candidate keeps the one he wears\n",
                   shirt.shirtPath.c_str());
}

int SelectionBench::GetShirtSide(size_t candidate) const
{
    return candidate < m_shirtSides.size() ? m_shirtSides[candidate] : -1;
}

const SelectionCursor& SelectionBench::GetMarker(int side) const
{
    return *m_markers[side == 1 ? 1 : 0];
}
