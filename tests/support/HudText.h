#pragma once

// What a HUD element of the cast "hud" shows.

#include "framework/Cast.h"
#include "scene/GameElements.h"
#include "scene/HudItems.h"

#include <string>

// The element's "text" parameter; "?" without the cast, the element or its item.
inline std::string HudText(const char* element)
{
    const Cast* hud = CastManager::Instance()->GetCast("hud");
    const CastMember* member = hud ? hud->FindByName(element) : nullptr;
    const auto* hudElement = member ? dynamic_cast<HudElement*>(member->object) : nullptr;
    const HudItem* item = hudElement ? hudElement->GetItem() : nullptr;
    return item ? item->GetParameter("text") : "?";
}
