#pragma once
// Interim: replaced by the full cast registry.
#include "framework/Singleton.h"
class CastManager : public Singleton<CastManager> {
};
