// "Characters.txt": the races with their 63 actions and the 41 team members, written by the
// game's own cast writer from the race and variation objects. The action timings come from
// the animation library, so events, ball locators and rates agree with the clips they play.
#include "tools/assets/animations/Motions.h"
#include "tools/assets/characters/Characters.h"

#include "characters/CharacterRace.h"
#include "characters/CharacterVariation.h"
#include "framework/Cast.h"
#include "tools/assets/common/Files.h"
#include "tools/assets/common/Registry.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>
#include <string>

namespace assets::chars {

namespace {

using Event = ActionEventType;

// Looping moves whose playback follows the ground covered: one play covers a stride.
const std::set<std::string> kLocomotion = {"run", "jog", "refwalk", "refrun", "specialmove"};
// Whose foot plants are footsteps ("Contact Foot").
const std::set<std::string> kFootsteps = {"run", "jog", "refwalk", "refrun", "specialmove"};
// Every action that strikes the ball on its ball locator's last frame.
const std::set<std::string> kKicks = {"pass",       "shoot",          "kickoff",        "penaltyshot",
                                      "header",     "throwinpass",    "throwinshot",    "keeperkickpass",
                                      "keeperkickshot", "specialstart", "special_panda"};
const std::set<std::string> kLying = {"slidetackle", "slidegetup", "fallover", "fallgetup"};
// A ball that meets these glances off ("Deflect"): a keeper at full stretch or above his head
// palms it away and holds only what comes at his body; a player still in his own kick's
// follow-through cannot trap it.
const std::set<std::string> kDeflecting = {"savetopleft",    "savetopcenter",  "savetopright",
                                           "savemiddleleft", "savemiddleright", "savebottomleft",
                                           "savebottomright", "shoot",          "pass"};
const std::map<std::string, Event> kRefereeEvents = {{"refwhistleshortstatic", Event::WhistleShort},
                                                    {"refwhistleshortmoving", Event::WhistleShort},
                                                    {"refwhistlelong", Event::WhistleLong},
                                                    {"refredcardpresent", Event::TakeOutCard},
                                                    {"refredcardend", Event::PutAwayCard}};

// Energy per second of the moves that tire, and per play of the efforts.
const std::map<std::string, float> kDrainPerSecond = {{"run", 1.2f}, {"startrun", 1.2f}, {"jog", 0.3f},
                                                     {"specialmove", 4.0f}};
const std::map<std::string, float> kDrainPerAction = {{"slidetackle", 4.0f}, {"shoot", 1.5f},
                                                     {"header", 1.5f},      {"snag", 1.0f},
                                                     {"specialstart", 8.0f}, {"special_panda", 8.0f},
                                                     {"penaltyshot", 1.0f}};

constexpr float kBoundRadius = 0.4f;
constexpr float kLyingRadius = 0.7f;
// A keeper on his feet flings an arm or a leg this far out to either side.
constexpr float kSaveSpan = 0.45f;
// The middle column of the save grid is no wider than a save on the spot reaches (a ball
// touching its edge included): the dives to either side cover the rest, from the body's
// side out beyond the posts. A third of the goal's 2.4 m height per row.
constexpr float kSaveCellWidth = 2.0f * (kSaveSpan + kBallRadius);
constexpr float kSaveCellHeight = 0.8f;
// Above the head, from the bind pose: the body's own height.
constexpr float kHeadroom = 0.3f;
// A header meets balls a little below and above the ball point of the clip.
constexpr float kHeaderBelow = 0.5f;
constexpr float kHeaderAbove = 0.4f;

std::string AnimationPath(const std::string& file) { return "<PP>\\Characters\\Animations\\" + file + ".anm"; }

bool IsSave(const std::string& name) { return name.rfind("save", 0) == 0; }

float StandingHeight() { return PoseToWorld(Pose{})[kHead].pos.y + kHeadroom; }

// Metres one play of a looping clip covers: each foot sweeps back once under the body, and
// the body travels that sweep twice.
float StrideLength(const Clip& clip)
{
    constexpr int kSamples = 40;
    float low = 1e9f, high = -1e9f;
    for (int i = 0; i < kSamples; ++i) {
        const auto world = PoseToWorld(clip.pose(clip.duration * float(i) / kSamples));
        const Vec3 foot = world[kFootL].pos;
        low = std::min(low, foot.z);
        high = std::max(high, foot.z);
    }
    return 2.0f * (high - low);
}

// The two foot plants of a stride cycle: the moment each foot is lowest.
std::vector<float> FootPlants(const Clip& clip)
{
    constexpr int kSamples = 80;
    std::vector<float> plants;
    for (const Bone foot : {kFootL, kFootR}) {
        int lowest = 0;
        float lowestY = 1e9f;
        for (int i = 0; i < kSamples; ++i) {
            const float y = PoseToWorld(clip.pose(clip.duration * float(i) / kSamples))[foot].pos.y;
            if (y < lowestY) {
                lowestY = y;
                lowest = i;
            }
        }
        plants.push_back(clip.duration * float(lowest) / kSamples);
    }
    std::sort(plants.begin(), plants.end());
    return plants;
}

// The cylinder stands on the body's root while the hands reach out to the side or up: it
// holds the ball in the hands at the contact, or a ball through the save's reach passes
// over or beside it untouched.
void SetSaveBound(const Clip& clip, CharacterAction& action)
{
    const Vec3 hands = BallInHands(clip.pose(clip.contact));
    const float base = clip.collisionAt ? clip.collisionAt(clip.contact).y : 0.0f;
    // From the push off to the contact the head and hands pass this high: a low dive still
    // meets a ball at the height of his chest as he goes down.
    constexpr int kSamples = 8;
    float top = 0.0f;
    for (int i = 0; i <= kSamples; ++i) {
        const Pose pose = clip.pose(clip.contact * (0.35f + 0.65f * float(i) / kSamples));
        top = std::max({top, BallInHands(pose).y + kBallRadius, PoseToWorld(pose)[kHead].pos.y});
    }
    // A save on the spot covers his own cell's width and his upright body too.
    const bool onTheSpot = !clip.move || std::fabs(clip.move(clip.duration).x) < 0.01f;
    action.boundRadius = std::max(std::hypot(hands.x, hands.z), onTheSpot ? kSaveSpan : kBoundRadius);
    action.boundHeight = std::max(top - base, onTheSpot ? StandingHeight() : 0.0f);
}

void FillAction(CharacterAction& action, const std::string& name, const std::string& clipName)
{
    const Clip* clip = FindClip(clipName);
    MovingAnimation& animation = action.GetAnimation();
    animation.SetFileName(AnimationPath(clipName));
    if (clip && clip->move)
        animation.SetLocatorAnimation(AnimationPath(clipName + "_move"));
    if (clip && kLocomotion.count(name))
        animation.SetRates(StrideLength(*clip), 0.0f, 1.0f, MovingAnimation::kMovement);
    else
        animation.SetRates(0.0f, 0.0f, 1.0f, MovingAnimation::kFixed);

    const bool lying = kLying.count(name);
    action.boundRadius = lying ? kLyingRadius : kBoundRadius;
    action.boundHeight = lying ? StandingHeight() * 0.5f : StandingHeight();
    if (clip && IsSave(name) && clip->contact >= 0.0f)
        SetSaveBound(*clip, action);
    if (clip && clip->collisionAt)
        action.SetCollisionLocatorName(AnimationPath(clipName + "_collision"));
    const auto perSecond = kDrainPerSecond.find(name);
    action.energyPerSecond = perSecond != kDrainPerSecond.end() ? perSecond->second : 0.0f;
    const auto perAction = kDrainPerAction.find(name);
    action.energyPerAction = perAction != kDrainPerAction.end() ? perAction->second : 0.0f;
    action.needsPowerBar = name == "shoot";
    if (!clip)
        return;
    if (clip->ball != BallMode::None)
        action.SetBallLocatorName(AnimationPath(clipName + "_ball"));

    auto& events = action.GetEvents();
    const auto add = [&events](Event type, float time) { events.emplace_back(static_cast<int32_t>(type), time); };
    if (name == "snag")
        add(Event::ContactFoot, clip->contact);
    if (kFootsteps.count(name)) {
        for (float plant : FootPlants(*clip))
            add(Event::ContactFoot, plant);
    }
    if (IsSave(name)) {
        add(Event::SavePrepare, clip->contact * 0.35f);
        add(Event::Save, clip->contact);
    }
    // Only whether the action has the event counts, not its time.
    if (kDeflecting.count(name))
        add(Event::Deflect, std::max(clip->contact, 0.0f));
    if (name == "slidetackle" && clip->contact >= 0.0f)
        add(Event::BeginSlideTackle, clip->contact);
    const auto referee = kRefereeEvents.find(name);
    if (referee != kRefereeEvents.end() && clip->contact >= 0.0f)
        add(referee->second, clip->contact);
}

struct RaceTuning {
    const char* name;
    float rotationSpeed;  // radians per second
};
// The heavy races turn slower.
const RaceTuning kTunings[] = {{"Lizard", 9.0f}, {"Panda", 8.0f}, {"Primate", 7.0f}, {"Rhino", 6.0f}, {"Weasel", 8.0f}};

// Sets the race's tuning and its save grid: three by three cells, the middle column as wide as a
// save on the spot reaches, so that a penalty aimed at the optimum offsets falls in the outer ones.
void TuneRace(CharacterRace& race, float rotationSpeed)
{
    const Clip* header = FindClip("header");
    const float headerBall = header && header->ballAt ? header->ballAt(header->contact >= 0 ? header->contact : 0).y : 2.3f;
    CharacterRace::Tuning tuning;
    tuning.headBoneIndex = kHead;
    tuning.rotationSpeed = rotationSpeed;
    // The keeper's brain reads these as one cell's size.
    tuning.saveGridWidth = kSaveCellWidth;
    tuning.saveGridHeight = kSaveCellHeight;
    tuning.minHeaderHeight = headerBall - kHeaderBelow;
    tuning.maxHeaderHeight = headerBall + kHeaderAbove;
    race.SetTuning(tuning);
}

struct Member {
    const char* name;
    float energy, speed, shooting;
};

// Display names and statistics, in creation order: Gk00, Gk01, Pl00 to Pl07 per race.
const std::map<std::string, std::vector<Member>> kMembers = {
    {"Lizard",
     {{"Gekko", 70, 62, 55}, {"Iggy", 64, 58, 52}, {"Slither", 72, 84, 66}, {"Scales", 66, 80, 70},
      {"Flick", 60, 88, 62}, {"Chamo", 74, 70, 78}, {"Basil", 68, 76, 74}, {"Monty", 62, 82, 68},
      {"Agama", 70, 74, 80}, {"Skink", 58, 86, 64}}},
    {"Panda",
     {{"Bamboo", 80, 55, 52}, {"Ling", 74, 54, 54}, {"Bao", 78, 62, 72}, {"Mei", 76, 66, 68},
      {"Tuan", 84, 58, 76}, {"Pan", 72, 64, 70}, {"Xiong", 86, 56, 80}, {"Lulu", 70, 68, 66},
      {"Chubs", 82, 60, 74}, {"Yin", 74, 66, 72}}},
    {"Primate",
     {{"Koko", 72, 66, 58}, {"Bongo", 70, 62, 56}, {"Grodd", 76, 74, 82}, {"Mandy", 70, 80, 72},
      {"Silverback", 84, 68, 86}, {"Kong", 80, 70, 84}, {"Chimp", 66, 84, 70}, {"Bobo", 72, 76, 74},
      {"Tamarin", 64, 88, 66}, {"Howler", 74, 72, 78}}},
    {"Rhino",
     {{"Tusk", 86, 50, 54}, {"Boulder", 82, 50, 52}, {"Crash", 90, 60, 84}, {"Horn", 88, 58, 80},
      {"Dozer", 92, 54, 86}, {"Ram", 84, 62, 78}, {"Tank", 94, 52, 82}, {"Gravel", 86, 60, 76},
      {"Rumble", 90, 56, 88}, {"Flint", 84, 64, 74}}},
};

bool WriteCharacterCast(const AssetContext& context)
{
    OwnedObjects owned;
    Cast cast("Characters");
    for (const RaceTuning& tuning : kTunings) {
        auto race = std::make_unique<CharacterRace>(tuning.name, CharacterRace::SoundNamesOf(tuning.name));
        for (const ActionAnimation& entry : ActionAnimations())
            FillAction(*race->GetAction(entry.action), entry.action, entry.clip);
        TuneRace(*race, tuning.rotationSpeed);
        cast.AddMember(race.get(), (std::string("Races|") + tuning.name).c_str(), false);
        owned.push_back(std::move(race));
    }
    for (const auto& [raceName, members] : kMembers) {
        for (size_t i = 0; i < members.size(); ++i) {
            const bool keeper = i < 2;
            const std::string key = raceName + (keeper ? "Gk0" : "Pl0") + std::to_string(keeper ? i : i - 2);
            auto variation = std::make_unique<CharacterVariation>(key, raceName, static_cast<int32_t>(i));
            variation->SetDisplayName(members[i].name);
            variation->energy.SetLevel(members[i].energy);
            variation->speed.SetLevel(members[i].speed);
            variation->shooting.SetLevel(members[i].shooting);
            cast.AddMember(variation.get(), ("Variations|" + key).c_str(), false);
            owned.push_back(std::move(variation));
        }
    }
    auto referee = std::make_unique<CharacterVariation>("Referee", "Weasel", 0);
    referee->SetDisplayName("Referee");
    // The card stays in the pocket until the referee shows it.
    referee->SetInvisibleAtomics({kCardAtomic});
    cast.AddMember(referee.get(), "Variations|Referee", false);
    owned.push_back(std::move(referee));

    const bool written = WriteCastFile(cast, context.Path("Characters.txt"));
    if (!written)
        std::fprintf(stderr, "tbasset: Characters.txt could not be written\n");
    // The cast borrows the objects: it goes before them.
    while (cast.GetMemberCount() > 0)
        cast.RemoveMember(cast.GetMember(0)->object);
    return written;
}

const GeneratorRegistrar kCharacterCast("charactercast", &WriteCharacterCast);

}  // namespace

std::vector<std::string> MemberNames(Race race)
{
    std::vector<std::string> names;
    const auto members = kMembers.find(RaceName(race));
    if (members != kMembers.end())
        for (const Member& member : members->second)
            names.emplace_back(member.name);
    return names;
}

}  // namespace assets::chars
