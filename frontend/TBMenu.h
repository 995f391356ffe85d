#pragma once

#include "frontend/menu/TBMenu.h"
