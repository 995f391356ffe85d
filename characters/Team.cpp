#include "characters/Team.h"

#include "characters/Actor.h"
#include "characters/Character.h"
#include "scene/SelectionCursor.h"
#include "settings/MatchSettings.h"
#include "simulation/ReplayEngine.h"

#include <algorithm>
#include <array>

namespace {

// Rebalancing looks at the five outfield and keeper slots only.
constexpr int32_t kBalancedRoles = 5;
constexpr size_t kMinBalancedTeam = 3;
// A period start takes off the players, never more than a side fields.
constexpr size_t kRemovedAtPeriodStart = 5;
constexpr float kQuarterTurn = 1.5707963f;
// The cursor lies flat on the grass.
const Vector3 kCursorTurnAxis{1.0f, 0.0f, 0.0f};
const Vector3 kBenchPosition{-10000.0f, -10000.0f, -10000.0f};

} // namespace

Team::~Team()
{
    // Taken out first: a character's destructor may look at its team.
    std::vector<std::unique_ptr<Character>> leaving;
    leaving.swap(m_members);
}

void Team::Update(float dt)
{
    Think(dt);
    Act(dt);
}

void Team::Think(float dt)
{
    for (auto& member : m_members)
        member->Think(dt);
}

void Team::Act(float dt)
{
    for (auto& member : m_members)
        member->Act(dt);
}

void Team::Render()
{
    for (auto& member : m_members)
        member->Render();
}

void Team::AddPlayer(std::unique_ptr<Character> character)
{
    if (character)
        m_members.push_back(std::move(character));
}

std::unique_ptr<Character> Team::RemovePlayer(Character* character)
{
    const auto found = std::find_if(m_members.begin(), m_members.end(),
                                    [&](const auto& member) { return member.get() == character; });
    if (found == m_members.end())
        return nullptr;
    std::unique_ptr<Character> removed = std::move(*found);
    m_members.erase(found);
    return removed;
}

std::vector<std::unique_ptr<Character>> Team::RemoveAll()
{
    std::vector<std::unique_ptr<Character>> removed;
    while (!m_members.empty() && removed.size() < kRemovedAtPeriodStart)
        removed.push_back(RemovePlayer(m_members.front().get()));
    ClearBench();
    return removed;
}

void Team::SendToBench(Character* character)
{
    m_bench.push_back(character);
    if (Actor* actor = character ? character->GetActor() : nullptr)
        actor->SetPosition(kBenchPosition);
}

std::unique_ptr<Character> Team::TakeFromBench(Character* character)
{
    const auto found = std::find(m_bench.begin(), m_bench.end(), character);
    if (found == m_bench.end())
        return nullptr;
    m_bench.erase(found);
    return std::unique_ptr<Character>(character);
}

bool Team::Contains(const Character* character) const
{
    return std::any_of(m_members.begin(), m_members.end(),
                       [&](const auto& member) { return member.get() == character; });
}

std::vector<Actor*> Team::GetActors() const
{
    std::vector<Actor*> actors;
    for (const auto& member : m_members) {
        if (Actor* actor = member->GetActor())
            actors.push_back(actor);
    }
    return actors;
}

Character* Team::GetBallHolder() const
{
    for (const auto& member : m_members) {
        if (member->GetActor() && member->GetActor()->HasBall())
            return member.get();
    }
    return nullptr;
}

SoccerTeam::SoccerTeam(bool firstSide) : m_firstSide(firstSide)
{
    const MatchSettings& settings = *MatchSettings::Instance();
    const std::string& texture = firstSide ? settings.playerSelectTextureA : settings.playerSelectTextureB;
    m_cursor = std::make_unique<SelectionCursor>(texture.c_str(), static_cast<int>(settings.playerSelectWidth),
                                                 static_cast<int>(settings.playerSelectHeight),
                                                 static_cast<int>(settings.playerSelectRotSpeed));
    m_cursor->SetRotation(Quaternion(kQuarterTurn, kCursorTurnAxis));
}

SoccerTeam::~SoccerTeam() = default;

void SoccerTeam::AddPlayer(std::unique_ptr<Character> character)
{
    if (!character)
        return;
    int32_t role = 0;
    while (std::any_of(m_members.begin(), m_members.end(),
                       [&](const auto& member) { return member->GetRoleIndex() == role; }))
        ++role;
    character->SetRoleIndex(role);
    m_controlled.Add(character.get());
    Team::AddPlayer(std::move(character));
}

std::unique_ptr<Character> SoccerTeam::RemovePlayer(Character* character)
{
    std::unique_ptr<Character> removed = Team::RemovePlayer(character);
    if (removed)
        m_controlled.Remove(removed.get());
    RebalanceRoles();
    return removed;
}

void SoccerTeam::ReplacePlayer(Character* outgoing, std::unique_ptr<Character> incoming)
{
    const int32_t role = outgoing ? outgoing->GetRoleIndex() : 0;
    RemovePlayer(outgoing).reset();
    Character* added = incoming.get();
    AddPlayer(std::move(incoming));
    if (added)
        added->SetRoleIndex(role);
    RebalanceRoles();
}

void SoccerTeam::UpdateWithSelection(float dt, bool refresh)
{
    ThinkWithSelection(dt, refresh);
    Act(dt);
}

void SoccerTeam::ThinkWithSelection(float dt, bool refresh)
{
    if (refresh)
        m_controlled.Refresh();
    m_cursor->Update(dt);
    Think(dt);
}

void SoccerTeam::Render()
{
    Character* selected = m_controlled.GetSelected();
    if (selected && selected->GetActor() && !ReplayEngine::Instance()->IsReplaying()) {
        const Vector3 loft{0.0f, MatchSettings::Instance()->playerSelectorLoft, 0.0f};
        m_cursor->SetPosition(selected->GetActor()->GetPosition() + loft);
        m_cursor->Render();
    }
    Team::Render();
}

void SoccerTeam::RebalanceRoles()
{
    if (m_members.size() < kMinBalancedTeam)
        return;
    std::array<bool, kBalancedRoles> present{};
    for (const auto& member : m_members) {
        const int32_t role = member->GetRoleIndex();
        if (role >= 0 && role < kBalancedRoles)
            present[static_cast<size_t>(role)] = true;
    }
    // The first member holding one of the roles takes the missing role.
    const auto fill = [&](int32_t first, int32_t second, int32_t missing) {
        for (const auto& member : m_members) {
            if (member->GetRoleIndex() == first || member->GetRoleIndex() == second) {
                member->SetRoleIndex(missing);
                return;
            }
        }
    };
    if (!present[1] && !present[2])
        fill(3, 4, 2);
    else if (!present[3] && !present[4])
        fill(1, 2, 3);
}
