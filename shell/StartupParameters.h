#pragma once

#include "framework/Object.h"

#include <cstdint>

// The part of the player's game parameters that start-up needs, read from the user file
// under the member name "Game Parameters". Stands in until the game parameters object
// of the match rules exists.
class StartupParameters : public Object {
public:
    void Serialize(Serializer& serializer, const char* descriptor) override;

    int32_t resolution = 0;
};
