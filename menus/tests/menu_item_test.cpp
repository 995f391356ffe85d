#include "framework/Random.h"
#include "support/MenuTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using menutest::MenuProbe;

namespace {

std::unique_ptr<MenuProbe> Probe(const std::string& element)
{
    static std::vector<std::unique_ptr<XmlNode>> trees;
    trees.push_back(menutest::ParseText(element));
    auto probe = std::make_unique<MenuProbe>();
    probe->Create(trees.back().get());
    return probe;
}

TEST(MenuItemTest, CommonAttributesAreRead)
{
    const struct {
        const char* element;
        int mode;
        bool blinking;
    } cases[] = {
        {"<Probe fademode=none/>", MenuItem::kFadeNone, false},
        {"<Probe fademode=\"scroll left\"/>", MenuItem::kFadeScrollLeft, false},
        {"<Probe fademode=\"scroll right\"/>", MenuItem::kFadeScrollRight, false},
        {"<Probe fademode=blinking blinking=true/>", MenuItem::kFadeScrollRight, true},
        {"<Probe fademode=None blinking=yes/>", MenuItem::kFadeScrollRight, false},
    };
    for (const auto& c : cases) {
        const auto probe = Probe(c.element);
        EXPECT_EQ(probe->GetFadeMode(), c.mode) << c.element;
        EXPECT_EQ(probe->IsBlinking(), c.blinking) << c.element;
    }
    const auto named = Probe("<Probe name=start OnUpdate=\"Tick 1\"/>");
    EXPECT_EQ(named->GetName(), "start");
    EXPECT_EQ(named->GetUpdateAction(), "Tick 1");
    EXPECT_EQ(named->GetText(), "");
    named->SetString("key");
    EXPECT_EQ(named->GetExtraText(), "key");
}

TEST(MenuItemTest, FadeInLandingExactlyOnOneWaitsForTheNextFrame)
{
    const auto probe = Probe("<Probe/>");
    probe->SetFadeState(MenuItem::kWaitingToAppear);
    probe->StartFade(0.1f);
    probe->UpdateFade(0.05f);
    EXPECT_EQ(probe->GetFadeState(), MenuItem::kWaitingToAppear);
    probe->UpdateFade(0.05f);
    EXPECT_EQ(probe->GetFadeState(), MenuItem::kAppearing);
    probe->UpdateFade(1.0f / 3.0f);
    ASSERT_EQ(probe->GetFadeProgress(), 1.0f);
    EXPECT_EQ(probe->GetFadeState(), MenuItem::kAppearing);
    probe->UpdateFade(0.01f);
    EXPECT_EQ(probe->GetFadeState(), MenuItem::kShown);
    EXPECT_EQ(probe->GetFadeProgress(), 1.0f);

    probe->SetFadeState(MenuItem::kWaitingToDisappear);
    probe->StartFade(0.0f);
    probe->UpdateFade(0.0f);
    EXPECT_EQ(probe->GetFadeState(), MenuItem::kDisappearing);
    probe->UpdateFade(1.0f / 3.0f);
    EXPECT_EQ(probe->GetFadeState(), MenuItem::kDisappearing);
    probe->UpdateFade(0.01f);
    EXPECT_EQ(probe->GetFadeState(), MenuItem::kGone);
    EXPECT_EQ(probe->GetFadeProgress(), 0.0f);
}

TEST(MenuItemTest, TheFadeOffsetShrinksWithTheSquareOfWhatIsLeft)
{
    const auto probe = Probe("<Probe/>");
    EXPECT_EQ(probe->GetFadeOffset(), 0.0f);  // idle
    probe->SetFadeState(MenuItem::kWaitingToAppear);
    probe->StartFade(0.0f);
    probe->UpdateFade(0.0f);
    const struct {
        int mode;
        float offset;
    } modes[] = {{MenuItem::kFadeScrollRight, -1000.0f}, {MenuItem::kFadeScrollLeft, 1000.0f}, {MenuItem::kFadeNone, 0}};
    for (const auto& m : modes) {
        probe->SetFadeMode(m.mode);
        EXPECT_FLOAT_EQ(probe->GetFadeOffset(), m.offset) << m.mode;
    }
    probe->SetFadeMode(MenuItem::kFadeScrollRight);
    probe->UpdateFade(0.1f);  // progress 0.3
    EXPECT_FLOAT_EQ(probe->GetFadeOffset(), -1000.0f * 0.7f * 0.7f);
    for (int state : {MenuItem::kShown, MenuItem::kGone}) {
        probe->SetFadeState(state);
        EXPECT_FLOAT_EQ(probe->GetFadeOffset(), -490.0f);
    }
    probe->SetFadeState(MenuItem::kIdle);
    EXPECT_EQ(probe->GetFadeOffset(), 0.0f);
}

TEST(MenuItemTest, AFadeStartsFromATurnWhoseSideTheOffsetFollows)
{
    constexpr float kPi = 3.14159265f;
    int sides[2] = {};
    for (uint32_t seed = 1; seed <= 200; ++seed) {
        Random::Seed(seed);
        const auto probe = Probe("<Probe/>");
        probe->SetFadeState(MenuItem::kWaitingToAppear);
        probe->StartFade(0.0f);
        const Quaternion& q = probe->GetFadeStartRotation();
        const Vector3& offset = probe->GetFadeStartOffset();
        EXPECT_NEAR(q.NormSquared(), 1.0f, 1e-5f);
        // q = turn about y by b, then tilt about x by a: y carries sin(b/2), x sin(a/2).
        const float turn = 2 * std::asin(q.y / std::sqrt(q.w * q.w + q.y * q.y));
        const float tilt = 2 * std::asin(q.x / std::sqrt(q.w * q.w + q.x * q.x));
        EXPECT_LE(std::fabs(turn), 5 * kPi / 12 + 1e-4f);
        EXPECT_LE(std::fabs(tilt), kPi / 8 + 1e-4f);
        EXPECT_GT(offset.x * turn, 0.0f) << seed;
        EXPECT_NEAR(offset.Length(), 1.5f, 1e-4f);
        ++sides[turn > 0];
    }
    EXPECT_GT(sides[0], 60);
    EXPECT_GT(sides[1], 60);
}

TEST(MenuItemTest, TheFadeTransformLeavesAnArrivedItemInPlace)
{
    Random::Seed(7);
    const auto probe = Probe("<Probe/>");
    const Vector3 place(1, 2, 3);
    const Quaternion turn(0.5f, Vector3::UnitZ);
    Vector3 position = place;
    Quaternion rotation = turn;
    probe->GetFadeTransform(position, rotation);
    EXPECT_EQ(position, place);
    EXPECT_EQ(rotation, turn);

    probe->SetFadeState(MenuItem::kWaitingToAppear);
    probe->StartFade(0.0f);
    probe->GetFadeTransform(position, rotation);  // progress 0: the start of the fade
    EXPECT_NEAR((position - place - probe->GetFadeStartOffset()).Length(), 0.0f, 1e-5f);
    EXPECT_NEAR(std::fabs(rotation.Dot(probe->GetFadeStartRotation())), 1.0f, 1e-5f);
    probe->UpdateFade(0.0f);
    probe->UpdateFade(0.5f);  // arrived
    position = place;
    rotation = turn;
    probe->GetFadeTransform(position, rotation);
    EXPECT_NEAR((position - place).Length(), 0.0f, 1e-6f);
    EXPECT_NEAR(std::fabs(rotation.Dot(turn)), 1.0f, 1e-6f);
}

}  // namespace
