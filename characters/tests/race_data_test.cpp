// The default data's character cast, as the game loads it: every race plays on its model, the
// kicks carry the ball to the kick, the saves catch it and the referee whistles and cards.
#include "support/ActorTestSupport.h"

#include "characters/ActorClumpCache.h"
#include "characters/CharacterRace.h"
#include "characters/CharacterVariation.h"
#include "engine/plugins/RpHAnim.h"
#include "engine/plugins/RtAnim.h"
#include "framework/Cast.h"
#include "scene/AnimatedClump.h"

#include <algorithm>
#include <set>
#include <string>

namespace {

bool Has(const std::set<std::string>& names, const std::string& name) { return names.count(name) > 0; }

const std::set<std::string> kKicks = {"pass",        "shoot",          "kickoff",       "penaltyshot",
                                      "header",      "throwinpass",    "throwinshot",   "keeperkickpass",
                                      "keeperkickshot", "snag"};

class CharacterData : public KickAbout {
protected:
    void SetUp() override
    {
        KickAbout::SetUp();
        CharacterRace::CreateAll(2, owned);
        CharacterVariation::CreateAll(owned);
        Cast* cast = CastManager::Instance()->GetCast("Characters");
        ASSERT_NE(cast, nullptr);
        loaded = LoadSettings(cast, "<PP>\\Characters.txt");
    }
    void TearDown() override
    {
        if (Cast* cast = CastManager::Instance()->GetCast("Characters")) {
            while (cast->GetMemberCount() > 0)
                cast->RemoveMember(cast->GetMember(0)->object);
        }
        owned.clear();
        KickAbout::TearDown();
    }
    OwnedObjects owned;
    bool loaded = false;
};

}  // namespace

TEST_F(CharacterData, EveryActionPlaysOnItsRaceModel)
{
    ASSERT_TRUE(loaded);
    for (const char* raceName : CharacterRace::RaceNames()) {
        CharacterRace* race = CharacterRace::Find(raceName);
        ASSERT_NE(race, nullptr) << raceName;
        EXPECT_GT(race->GetRotationSpeed(), 0.0f) << raceName;
        EXPECT_GT(race->GetKeeperSaveGridWidth(), 1.0f) << raceName;
        EXPECT_GT(race->GetKeeperSaveGridHeight(), 0.5f) << raceName;

        const std::string model = std::string(raceName) + "/" + raceName + ".DFF";
        AnimatedClump* clump = ActorClumpCache::Instance()->GetClump(StagePath("Characters/" + std::string(raceName) + "/Textures24Bit/"),
                                                                      StagePath("Characters/" + model));
        ASSERT_NE(clump, nullptr) << raceName;
        const RpHAnimHierarchy* hierarchy = clump->GetHierarchy();
        ASSERT_NE(hierarchy, nullptr) << raceName;
        EXPECT_GE(race->GetHeadBoneIndex(), 0);
        EXPECT_LT(race->GetHeadBoneIndex(), hierarchy->numNodes);

        for (const char* name : CharacterRace::ActionNames()) {
            CharacterAction* action = race->GetAction(name);
            const RtAnimAnimation* animation = action->GetAnimation().GetRtAnimation();
            ASSERT_NE(animation, nullptr) << raceName << " " << name;
            EXPECT_EQ(RtAnimAnimationGetNumNodes(animation), hierarchy->numNodes) << raceName << " " << name;
            EXPECT_GT(action->boundRadius, 0.0f) << name;
            // A diving body is wider than it is tall.
            if (std::string(name).rfind("save", 0) != 0) {
                EXPECT_GT(action->boundHeight, action->boundRadius) << name;
            }
            EXPECT_GT(action->boundHeight, 0.0f) << name;
            if (Has(kKicks, name)) {
                // The locator ends at the kick: before the action does, after it starts.
                ASSERT_NE(action->GetBallLocator(), nullptr) << raceName << " " << name;
                const float kick = action->GetBallLocator()->GetDuration();
                EXPECT_GT(kick, 0.0f) << name;
                EXPECT_LT(kick, action->GetDuration()) << name;
            }
        }
        ActorClumpCache::Instance()->DestroyClump(clump);
    }
}

TEST_F(CharacterData, ActionsCarryTheirEventsAndRates)
{
    ASSERT_TRUE(loaded);
    CharacterRace* rhino = CharacterRace::Find("Rhino");
    ASSERT_NE(rhino, nullptr);
    const auto has = [rhino](const char* name, ActionEventType type) {
        return rhino->GetAction(name)->HasEvent(static_cast<int32_t>(type));
    };
    for (const char* save : {"savetopleft", "savetopcenter", "savetopright", "savemiddleleft", "savemiddlecenter",
                             "savemiddleright", "savebottomleft", "savebottomcenter", "savebottomright"}) {
        EXPECT_TRUE(has(save, ActionEventType::Save)) << save;
        EXPECT_NE(rhino->GetAction(save)->GetBallLocator(), nullptr) << save;
    }
    EXPECT_TRUE(has("snag", ActionEventType::ContactFoot));
    EXPECT_EQ(rhino->GetAction("run")->GetEventTimes(static_cast<int32_t>(ActionEventType::ContactFoot)).size(), 2u);
    EXPECT_FALSE(has("stand", ActionEventType::ContactFoot));
    CharacterRace* weasel = CharacterRace::Find("Weasel");
    EXPECT_TRUE(weasel->GetAction("refwhistleshortstatic")->HasEvent(static_cast<int32_t>(ActionEventType::WhistleShort)));
    EXPECT_TRUE(weasel->GetAction("refwhistlelong")->HasEvent(static_cast<int32_t>(ActionEventType::WhistleLong)));
    EXPECT_TRUE(weasel->GetAction("refredcardpresent")->HasEvent(static_cast<int32_t>(ActionEventType::TakeOutCard)));
    EXPECT_TRUE(weasel->GetAction("refredcardend")->HasEvent(static_cast<int32_t>(ActionEventType::PutAwayCard)));

    // Running plays faster the faster it goes; a pass takes its own time at any speed.
    MovingAnimation& run = rhino->GetAction("run")->GetAnimation();
    EXPECT_GT(run.MapTime(2.0f, 0.0f), run.MapTime(1.0f, 0.0f));
    // One play covers a running stride.
    const float stride = run.GetDuration() / run.MapTime(1.0f, 0.0f);
    EXPECT_GT(stride, 1.0f);
    EXPECT_LT(stride, 3.5f);
    MovingAnimation& pass = rhino->GetAction("pass")->GetAnimation();
    EXPECT_EQ(pass.MapTime(2.0f, 0.0f), pass.MapTime(0.0f, 0.0f));
    EXPECT_GT(rhino->GetAction("run")->energyPerSecond, 0.0f);
    EXPECT_GT(rhino->GetAction("slidetackle")->energyPerAction, 0.0f);
}

TEST_F(CharacterData, VariationsHaveNamesAndStatistics)
{
    ASSERT_TRUE(loaded);
    std::set<std::string> names;
    int trained = 0;
    for (const auto& object : owned) {
        const auto* variation = dynamic_cast<const CharacterVariation*>(object.get());
        if (!variation)
            continue;
        EXPECT_NE(variation->GetDisplayName(), "noname") << variation->GetKeyName();
        names.insert(variation->GetDisplayName());
        trained += variation->energy.level > 50.0f || variation->speed.level > 50.0f;
    }
    EXPECT_EQ(names.size(), 41u);
    EXPECT_GE(trained, 40);
    const CharacterVariation* referee = CharacterVariation::Find("Referee");
    ASSERT_NE(referee, nullptr);
    EXPECT_EQ(referee->GetInvisibleAtomics(), (std::vector<int32_t>{2}));
}
