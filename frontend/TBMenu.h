#pragma once

#include "frontend/ingame/TBIngameMenu.h"
#include "frontend/menu/TBMenu.h"
