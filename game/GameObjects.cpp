// The game state's casts and what it resets of the game elements.
#include "game/GameTB.h"

#include "ai/TeamStrategy.h"
#include "characters/Actor.h"
#include "characters/Character.h"
#include "characters/CharacterRace.h"
#include "characters/CharacterVariation.h"
#include "characters/RefereeSettings.h"
#include "characters/Team.h"
#include "characters/TeamDescription.h"
#include "framework/Cast.h"
#include "framework/DebugDisplay.h"
#include "frontend/story/StoryModeGame.h"
#include "frontend/story/StorySaveGame.h"
#include "match/GainedObjects.h"
#include "match/penalties/PenaltySettings.h"
#include "pitch/PitchSimulation.h"
#include "scene/GameElement.h"
#include "scene/RwGraphicsSettings.h"
#include "settings/GameParameters.h"
#include "settings/GameSettings.h"
#include "settings/LevelSettings.h"
#include "settings/MatchSettings.h"
#include "simulation/Ball.h"

const GameTB::CastEntry GameTB::kCastTable[kCastCount] = {
    {"<PP>", "Characters"},
    {"<PP>", "Teams"},
    {"<PP>global\\", "global"},
    {"Data\\SaveGames\\", "user"},
    {"Data\\SaveGames\\", "gained"},
    {"<PP>", "hud"},
    {"<PP>", "soundevents"},
    {"<SP>display\\", "display"},
    {"<SP>level\\", "level"},
    {"<SP>misc\\", "misc"},
    {"<SP>objects\\", "objects"},
    {"<PP>", "penalties"},
    {"<PP>", "matchsettings"},
    {"<PP>", "penaltyhud"},
    {"<PP>", "referee"},
    {"<PP>", "cameras"},
};

namespace {

const Vector3 kBallStart(0.0f, 10.0f, 0.0f);

Cast* GetCast(const char* name)
{
    return CastManager::Instance()->GetCast(name);
}

void AddSingleton(const char* cast, const char* member, Object* object)
{
    if (Cast* target = GetCast(cast))
        target->AddMember(object, member, false);
}

}  // namespace

void GameTB::AddSingletonsToCasts()
{
    AddSingleton("misc", "Debug Display", DebugDisplay::Instance());
    AddSingleton("display", "Engine", &RwGraphicsSettings::Global());
    AddSingleton("global", "Game Settings", GameSettings::Instance());
    AddSingleton("level", "Level Settings", LevelSettings::Instance());
    AddSingleton("penalties", "Penalty Settings", PenaltySettings::Instance());
    AddSingleton("matchsettings", "Match Settings", MatchSettings::Instance());
    AddSingleton("referee", "Referee Settings", RefereeSettings::Instance());
    AddSingleton("user", "Game Parameters", GameParameters::Instance());
    AddSingleton("gained", "Gained Objects", GainedObjects::Instance());
}

void GameTB::CreateSettingsCasts()
{
    CastManager* casts = CastManager::Instance();
    casts->DeleteAll();
    m_elements.ForgetElements();
    m_startupObjects.clear();
    for (const CastEntry& entry : kCastTable)
        casts->CreateCast(entry.name);
    // The game owns what they make; the casts only list it.
    CharacterRace::CreateAll(m_gameSize, m_startupObjects);
    CharacterVariation::CreateAll(m_startupObjects);
    TeamStrategy::CreateAll(m_startupObjects);
    TeamDescription::CreateAll(m_startupObjects);
    AddSingletonsToCasts();
    casts->CreateCast("savegame")->AddMember(StoryModeGame::Instance(), "SaveGame", false);
    casts->CreateCast("SaveGameMeta")->AddMember(StorySaveGame::Instance(), "Metainfo", false);
    m_cameras.CreateControls();
}

void GameTB::ResetObjects()
{
    for (GameElement* element : m_elements.GetGameElements())
        element->ResetStatus();
    PitchSimulation* pitch = PitchSimulation::Instance();
    for (int side = 0; side < PitchSimulation::kSides; ++side) {
        Team* team = pitch->GetTeam(side);
        Character* holder = team ? team->GetBallHolder() : nullptr;
        if (holder && holder->GetActor()) {
            holder->GetActor()->ReleaseBall();
            break;
        }
    }
    if (Ball* ball = pitch->GetBall()) {
        ball->SetBallPosition(kBallStart);
        ball->SetBallVelocity(Vector3(0, 0, 0));
    }
}
