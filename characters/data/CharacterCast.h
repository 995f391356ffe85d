#pragma once

// The run's character cast as the game makes it at start-up: the races of a game size and all
// variations, their tables read from a characters file when one is given and exists. The
// cast goes with the helper.

#include "characters/CharacterRace.h"

#include <string>

class CharacterCast {
public:
    explicit CharacterCast(const std::string& file = "", int32_t gameSize = 2);
    ~CharacterCast();

    CharacterCast(const CharacterCast&) = delete;
    CharacterCast& operator=(const CharacterCast&) = delete;

    bool loaded = false;

private:
    OwnedObjects m_owned;
};
