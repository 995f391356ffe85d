#include "frontend/story/StorySelection.h"

#include "characters/Character.h"
#include "characters/CharacterVariation.h"
#include "characters/Team.h"
#include "framework/Debug.h"
#include "pitch/PitchSimulation.h"

#include <memory>

namespace story_selection {

namespace {

struct Makers {
    Maker test;
    Maker game;
};

Makers& Registered()
{
    static Makers makers;
    return makers;
}

// Owns the outputs the selection fills, and hands the first on as names when it ends.
class NamedPick : public State {
public:
    NamedPick(PlayerSelectionResult request, std::vector<std::string>& chosen) : m_request(std::move(request)), m_chosen(chosen)
    {
        m_request.firstOutput = &m_first;
        m_request.secondOutput = &m_second;
    }
    ~NamedPick() override { StateSlot::Set(&m_selection, nullptr, false); }
    NamedPick(const NamedPick&) = delete;
    NamedPick& operator=(const NamedPick&) = delete;

    // False when no selection state can be made.
    bool Create(const Maker& maker)
    {
        m_selection = maker(m_request);
        return m_selection != nullptr;
    }
    void Enter() override { m_selection->Enter(); }
    State* Update(float dt) override
    {
        StateSlot::Update(&m_selection, dt);
        if (m_selection)
            return this;
        // The picks are read once the selection has exited, which is when it writes them.
        m_chosen = ShortNames(m_first);
        return nullptr;
    }
    void Render() override
    {
        if (m_selection)
            m_selection->Render();
    }

private:
    PlayerSelectionResult m_request;
    std::vector<std::string>& m_chosen;
    std::vector<Character*> m_first;
    std::vector<Character*> m_second;
    State* m_selection = nullptr;
};

}  // namespace

void SetMaker(Maker maker)
{
    Registered().test = std::move(maker);
}

void SetDefaultMaker(Maker maker)
{
    Registered().game = std::move(maker);
}

State* Make(PlayerSelectionResult request, std::vector<std::string>& chosen)
{
    const Maker& maker = Registered().test ? Registered().test : Registered().game;
    if (!maker) {
        LogWarning("story_selection::Make: the game has no squad selection; nothing is picked\n");
        return nullptr;
    }
    const std::string screen = request.screen;
    auto pick = std::make_unique<NamedPick>(std::move(request), chosen);
    if (!pick->Create(maker)) {
        LogWarning("story_selection::Make: no selection state for \"%s\"; nothing is picked\n", screen.c_str());
        return nullptr;
    }
    return pick.release();
}

std::vector<Character*> PitchPlayers()
{
    std::vector<Character*> players;
    PitchSimulation* pitch = PitchSimulation::Instance();
    for (int side = 0; side < 2; ++side) {
        const SoccerTeam* team = pitch->GetTeam(side);
        if (!team)
            continue;
        for (int32_t i = 0; i < team->GetPlayerCount(); ++i)
            players.push_back(team->GetPlayer(i));
    }
    return players;
}

std::vector<std::string> ShortNames(const std::vector<Character*>& players)
{
    std::vector<std::string> names;
    for (const Character* player : players)
        names.push_back(player && player->GetVariation() ? player->GetVariation()->GetKeyName() : std::string());
    return names;
}

}  // namespace story_selection
