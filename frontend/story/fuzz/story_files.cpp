// Reads arbitrary bytes, scrambled as the game stores them, as a story career file and as
// the slot table, and checks what the menus then rely on.
#include "characters/CharacterVariation.h"
#include "characters/TeamDescription.h"
#include "framework/Cast.h"
#include "framework/Scramble.h"
#include "framework/fuzz/FuzzRun.h"
#include "framework/fuzz/FuzzScratch.h"
#include "frontend/story/StoryModeGame.h"
#include "frontend/story/StorySaveGame.h"

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

void WriteScrambled(const char* path, const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    Scramble::Apply(text.data(), text.size());
    const std::string hex = Scramble::EncodeHex(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    if (!FuzzWriteScratch(path, reinterpret_cast<const uint8_t*>(hex.data()), hex.size()))
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzBeginRun();
    std::filesystem::create_directories("data/Savegames");
    WriteScrambled("data/Savegames/savegame0.txt", data, size);
    WriteScrambled("data/Savegames/SaveGameMeta.txt", data, size);

    OwnedObjects owned;
    CharacterVariation::CreateAll(owned);
    TeamDescription::CreateAll(owned);
    CastManager* casts = CastManager::Instance();
    casts->CreateCast("savegame")->AddMember(StoryModeGame::Instance(), "SaveGame", false);
    casts->CreateCast("SaveGameMeta")->AddMember(StorySaveGame::Instance(), "Metainfo", false);
    StorySaveGame* slots = StorySaveGame::Instance();
    slots->slots[0].free = false;
    slots->slots[0].fileName = StorySaveGame::CareerFileName(0);

    StoryModeGame* game = StoryModeGame::Instance();
    if (slots->LoadCareer(0)) {
        const TeamDescription* team = TeamDescription::Find(StoryModeGame::kStoryTeam);
        if (game->round < 0 || game->round > StoryModeGame::kFinalRound || !team ||
            team->GetMembers().size() > StoryCareer::kMembers)
            std::abort();
        game->GetOpponentName();
        game->IsRoundWon();
    }
    slots->LoadTable();
    casts->DeleteAll();
    StoryModeGame::DestroyInstance();
    StorySaveGame::DestroyInstance();
    return 0;
}
