#pragma once

#include "framework/Singleton.h"

// A holder the start-up creates with the core singletons; it carries nothing yet.
class Hud : public Singleton<Hud> {
public:
    Hud() = default;
};
