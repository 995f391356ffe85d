#include "characters/data/CharacterCast.h"

#include "characters/CharacterVariation.h"
#include "framework/Cast.h"
#include "framework/FileSystem.h"

CharacterCast::CharacterCast(const std::string& file, int32_t gameSize)
{
    CharacterRace::CreateAll(gameSize, m_owned);
    CharacterVariation::CreateAll(m_owned);
    if (!file.empty() && FileSystem::Instance()->FileExists(file.c_str()))
        loaded = LoadSettings(CastManager::Instance()->GetCast("Characters"), file.c_str());
}

CharacterCast::~CharacterCast()
{
    // The cast only borrows the objects: empty it before they go.
    if (Cast* cast = CastManager::Instance()->GetCast("Characters")) {
        for (const auto& object : m_owned)
            cast->RemoveMember(object.get());
    }
}
