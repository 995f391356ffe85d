#pragma once

// The member values that the dribbling and penalty results screens show.

class CharacterVariation;

// Sets "<prefix>energy%", "<prefix>speed%" and "<prefix>shooting%" (prefix such as
// "%training_player_subselect_") to each level, truncated, plus the points given for it;
// "Not found" in all three when there is no member.
struct RaisedValues {
    int energy = 0;
    int speed = 0;
    int shooting = 0;
};
void PublishMemberValues(const char* prefix, const CharacterVariation* member, const RaisedValues& raised);
