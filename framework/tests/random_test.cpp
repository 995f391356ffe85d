#include "framework/Random.h"

#include <gtest/gtest.h>

#include <vector>

TEST(Random, UnitStaysInClosedUnitIntervalAndReachesBothEnds)
{
    Random::Seed(12345);
    bool sawZero = false, sawOne = false;
    double sum = 0.0;
    constexpr int kDraws = 1000000;
    for (int i = 0; i < kDraws; ++i) {
        const float u = Random::Unit();
        ASSERT_GE(u, 0.0f);
        ASSERT_LE(u, 1.0f);
        sawZero |= u == 0.0f;
        sawOne |= u == 1.0f;
        sum += u;
    }
    // A 15-bit draw hits each end about 30 times in a million.
    EXPECT_TRUE(sawZero);
    EXPECT_TRUE(sawOne);
    EXPECT_NEAR(sum / kDraws, 0.5, 0.01);
}

TEST(Random, RawDrawCoversFifteenBits)
{
    Random::Seed(7);
    std::vector<bool> seen(Random::Max + 1, false);
    int distinct = 0;
    for (int i = 0; i < 1000000; ++i) {
        const int r = Random::Next();
        ASSERT_GE(r, 0);
        ASSERT_LE(r, Random::Max);
        if (!seen[r]) {
            seen[r] = true;
            ++distinct;
        }
    }
    EXPECT_EQ(distinct, Random::Max + 1);
}

TEST(Random, SeededSequenceRepeats)
{
    Random::Seed(99);
    std::vector<int> first;
    for (int i = 0; i < 100; ++i)
        first.push_back(Random::Next());
    Random::Seed(99);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(Random::Next(), first[i]) << "draw " << i;

    Random::Seed(100);
    int same = 0;
    for (int i = 0; i < 100; ++i)
        same += Random::Next() == first[i];
    EXPECT_LT(same, 10);
}

TEST(Random, SignedCoversMinusOneToOne)
{
    Random::Seed(3);
    float lo = 1.0f, hi = -1.0f;
    int negative = 0;
    for (int i = 0; i < 1000000; ++i) {
        const float s = Random::Signed();
        ASSERT_GE(s, -1.0f);
        ASSERT_LE(s, 1.0f);
        lo = std::min(lo, s);
        hi = std::max(hi, s);
        negative += s < 0.0f;
    }
    EXPECT_EQ(lo, -1.0f);
    EXPECT_EQ(hi, 1.0f);
    EXPECT_NEAR(negative / 1e6, 0.5, 0.01);
}

TEST(Random, BelowStaysUnderBoundAndHitsEveryValue)
{
    Random::Seed(11);
    int counts[7] = {};
    for (int i = 0; i < 70000; ++i) {
        const int r = Random::Below(7);
        ASSERT_GE(r, 0);
        ASSERT_LT(r, 7);
        ++counts[r];
    }
    for (int c : counts)
        EXPECT_GT(c, 8000);
    EXPECT_EQ(Random::Below(1), 0);
    EXPECT_EQ(Random::Below(0), 0);
    EXPECT_EQ(Random::Below(-5), 0);
}

TEST(Random, RangeIsHalfOpen)
{
    Random::Seed(5);
    bool sawLo = false, sawLast = false;
    for (int i = 0; i < 10000; ++i) {
        const int r = Random::Range(-3, 4);
        ASSERT_GE(r, -3);
        ASSERT_LT(r, 4);
        sawLo |= r == -3;
        sawLast |= r == 3;
    }
    EXPECT_TRUE(sawLo);
    EXPECT_TRUE(sawLast);
    EXPECT_EQ(Random::Range(5, 5), 5);
    EXPECT_EQ(Random::Range(9, 2), 9);
    // A span wider than an int must not overflow.
    for (int i = 0; i < 1000; ++i) {
        const int r = Random::Range(-2000000000, 2000000000);
        ASSERT_GE(r, -2000000000);
        ASSERT_LT(r, 2000000000);
    }
}
