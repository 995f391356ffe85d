#include "frontend/training/DrillResults.h"

#include "characters/CharacterVariation.h"
#include "menus/Menu.h"

#include <string>

void PublishMemberValues(const char* prefix, const CharacterVariation* member, const RaisedValues& raised)
{
    const auto show = [&](const char* attribute, const Statistic* value, int add) {
        const std::string text = value ? std::to_string(static_cast<int>(value->level) + add) : "Not found";
        Menu::Instance()->SetVariable(std::string(prefix) + attribute + "%", text);
    };
    show("energy", member ? &member->energy : nullptr, raised.energy);
    show("speed", member ? &member->speed : nullptr, raised.speed);
    show("shooting", member ? &member->shooting : nullptr, raised.shooting);
}
