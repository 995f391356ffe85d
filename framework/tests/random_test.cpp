#include "framework/Random.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

TEST(RandomTest, DrawsCoverTheirWholeRangesAndNothingBeyond)
{
    constexpr int kDraws = 1000000;
    Random::Seed(12345);
    std::vector<bool> seen(Random::Max + 1, false);
    float unitLo = 1, unitHi = 0, signedLo = 1, signedHi = -1;
    double unitSum = 0;
    for (int i = 0; i < kDraws; ++i) {
        const int r = Random::Next();
        ASSERT_TRUE(r >= 0 && r <= Random::Max) << r;
        seen[r] = true;
        const float u = Random::Unit(), s = Random::Signed();
        unitLo = std::min(unitLo, u);
        unitHi = std::max(unitHi, u);
        signedLo = std::min(signedLo, s);
        signedHi = std::max(signedHi, s);
        unitSum += u;
    }
    // A 15-bit draw hits each end about 30 times in a million.
    EXPECT_EQ(std::count(seen.begin(), seen.end(), true), Random::Max + 1);
    EXPECT_EQ(std::make_pair(unitLo, unitHi), std::make_pair(0.0f, 1.0f));
    EXPECT_EQ(std::make_pair(signedLo, signedHi), std::make_pair(-1.0f, 1.0f));
    EXPECT_NEAR(unitSum / kDraws, 0.5, 0.01);

    int counts[7] = {}, range[7] = {};
    for (int i = 0; i < 70000; ++i) {
        const int below = Random::Below(7), r = Random::Range(-3, 4);
        ASSERT_TRUE(below >= 0 && below < 7 && r >= -3 && r < 4) << below << " " << r;
        ++counts[below];
        ++range[r + 3];
        const int wide = Random::Range(-2000000000, 2000000000);  // a span wider than an int
        ASSERT_TRUE(wide >= -2000000000 && wide < 2000000000) << wide;
    }
    EXPECT_GT(*std::min_element(counts, counts + 7), 8000);
    EXPECT_GT(*std::min_element(range, range + 7), 8000);
    for (const auto& [got, expected] : {std::pair{Random::Below(1), 0}, {Random::Below(0), 0}, {Random::Below(-5), 0},
                                        {Random::Range(5, 5), 5}, {Random::Range(9, 2), 9}})
        EXPECT_EQ(got, expected);
}

TEST(RandomTest, ASeedRepeatsItsSequence)
{
    std::vector<int> first, again, other;
    for (auto [seed, draws] : {std::pair{99u, &first}, {99u, &again}, {100u, &other}}) {
        Random::Seed(seed);
        for (int i = 0; i < 100; ++i)
            draws->push_back(Random::Next());
    }
    EXPECT_EQ(first, again);
    int same = 0;
    for (int i = 0; i < 100; ++i)
        same += other[i] == first[i];
    EXPECT_LT(same, 10);
}
