// The match rules' settings files, written by the game's own cast writer from the settings
// objects, so the files hold exactly the keys the game reads, in its order.
#include "framework/Cast.h"
#include "match/MatchSettings.h"
#include "match/penalties/PenaltySettings.h"
#include "tools/assets/common/Files.h"
#include "tools/assets/common/Registry.h"
#include "tools/assets/world/Balls.h"

#include <cstdio>

namespace assets {

namespace {

// How far inside the lines a corner or throw-in is taken: more than the ball's diameter, so
// a ball placed for the kick never touches the plane it went out over.
constexpr float kPlacedInside = 1.0f;
static_assert(kPlacedInside > 2 * world::kBallRadius);

// The values the settings object leaves open or at zero; the rest keep their defaults.
void ShipMatchSettings(MatchSettings& s)
{
    s.fadeLength = 0.5f;
    s.directionArrowFileName = "<PP>\\Misc\\arrow.png";
    s.directionArrowWidth = 1.0f;
    s.directionArrowHeight = 4.0f;
    s.cornerDistIn = kPlacedInside;
    s.throwInDistIn = kPlacedInside;
    s.goalkickEndDistLimit = 1.0f;
    s.aiHeaderDistance = 3.0f;
    s.maxHeaderHeightError = 0.5f;
    s.goalReactionTime = 3.0f;
    s.goalMinStagger = 0.0f;
    s.goalMaxStagger = 0.3f;
    s.penaltyReactionTime = 1.5f;
    s.facingAngleError = 0.3f;
    s.minDeflectSpeed = 5.0f;
    s.maxDeflectSpeed = 15.0f;
    s.maxDeflectAngle = 0.5f;
    s.loftDeflectAngle = 0.3f;
}

// One object as the only member of its cast's file.
bool WriteCastFile(const AssetContext& context, const char* file, const char* castName, const char* member,
                   Object* object)
{
    const std::string path = context.Path(file);
    Cast cast(castName);
    cast.AddMember(object, member, false);
    const bool written = MakeParentDirs(path) && SaveSettings(&cast, path.c_str());
    cast.RemoveMember(object);
    if (!written) {
        std::fprintf(stderr, "tbasset: could not write %s\n", path.c_str());
        return false;
    }
    NoteWritten(path);
    return true;
}

bool WriteSettings(const AssetContext& context)
{
    MatchSettings match;
    ShipMatchSettings(match);
    // The compiled-in penalty values are the shipped ones.
    PenaltySettings penalties;
    const bool matchWritten = WriteCastFile(context, "matchsettings.txt", "matchsettings", "Match Settings", &match);
    return WriteCastFile(context, "penalties.txt", "penalties", "Penalty Settings", &penalties) && matchWritten;
}

const GeneratorRegistrar kSettings("settings", &WriteSettings);

}  // namespace

}  // namespace assets
