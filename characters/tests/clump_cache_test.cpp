// The clump cache: sharing, letter case, eviction of the oldest unused model, growth.
#include "support/ActorTestSupport.h"

#include "characters/ActorClumpCache.h"
#include "scene/AnimatedClump.h"
#include "tests/support/LogCapture.h"

using ClumpCacheTest = KickAbout;

TEST_F(ClumpCacheTest, TheSameModelInOtherLetterCaseHits)
{
    ActorClumpCache cache;
    AnimatedClump* first = cache.GetClump("Textures\\", "Model.DFF");
    EXPECT_EQ(cache.GetClump("textures\\", "model.dff"), first);
    EXPECT_EQ(cache.GetUseCount(first), 2);
    EXPECT_NE(cache.GetClump("Other\\", "Model.DFF"), first);
    EXPECT_NE(cache.GetTextureDictionary(first), nullptr);
    EXPECT_EQ(cache.GetEntryCount(), 2);
}

TEST_F(ClumpCacheTest, TheFourteenthModelEvictsTheOldestUnusedOne)
{
    ActorClumpCache cache;
    std::vector<AnimatedClump*> clumps;
    for (int i = 0; i < 13; ++i)
        clumps.push_back(cache.GetClump("p\\", "model" + std::to_string(i)));
    cache.DestroyClump(clumps[5]);
    cache.DestroyClump(clumps[2]);
    cache.DestroyClump(clumps[9]);
    EXPECT_EQ(cache.GetUseCount(clumps[2]), 0);
    cache.GetClump("p\\", "model13");
    EXPECT_EQ(cache.GetEntryCount(), 13);
    // The oldest unused is the earliest loaded, not the first given back.
    EXPECT_EQ(cache.GetUseCount(clumps[2]), -1);
    EXPECT_EQ(cache.GetUseCount(clumps[5]), 0);
    EXPECT_EQ(cache.GetUseCount(clumps[9]), 0);
    EXPECT_EQ(cache.GetTextureDictionary(clumps[2]), nullptr);
}

TEST_F(ClumpCacheTest, WithEveryModelInUseItGrowsAndUnknownClumpsAreReported)
{
    ActorClumpCache cache;
    for (int i = 0; i < 15; ++i)
        cache.GetClump("p\\", "model" + std::to_string(i));
    EXPECT_EQ(cache.GetEntryCount(), 15);
    LogCapture log;
    AnimatedClump stranger;
    cache.DestroyClump(&stranger);
    EXPECT_TRUE(log.Contains("ActorClumpCache::DestroyClump could not find clump in cache!"));
    cache.DestroyUnusedClump();
    EXPECT_EQ(cache.GetEntryCount(), 15);
}
