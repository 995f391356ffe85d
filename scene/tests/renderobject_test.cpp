// Render objects kept in lists, and the render objects made by class name.
#include <gtest/gtest.h>

#include "framework/Factory.h"
#include "framework/Serializer.h"
#include "scene/Clump.h"
#include "scene/RenderObject.h"

#include <memory>
#include <string>
#include <vector>

namespace {

// Records what reaches it and whether it is still alive.
class Probe : public RenderObject {
public:
    Probe(std::string name, std::vector<std::string>* journal, bool* alive = nullptr)
        : m_name(std::move(name)), m_journal(journal), m_alive(alive)
    {
        if (m_alive)
            *m_alive = true;
    }
    ~Probe() override
    {
        if (m_alive)
            *m_alive = false;
    }
    void Render() override { m_journal->push_back("render " + m_name); }
    void Update(float dt) override { m_journal->push_back("update " + m_name + " " + std::to_string(dt)); }

private:
    std::string m_name;
    std::vector<std::string>* m_journal;
    bool* m_alive;
};

TEST(RenderObjectsList, TakesRenderObjectsOnlyAndKeepsDuplicates)
{
    std::vector<std::string> journal;
    Probe a("a", &journal), b("b", &journal);
    Object notDrawable;
    RenderObjectsList list;
    EXPECT_TRUE(list.IsEmpty());

    EXPECT_FALSE(list.Add(&notDrawable));
    EXPECT_FALSE(list.Add(nullptr));
    EXPECT_EQ(list.Count(), 0);

    EXPECT_TRUE(list.Add(&a));
    EXPECT_TRUE(list.Add(&b));
    EXPECT_TRUE(list.Add(&a));
    ASSERT_EQ(list.Count(), 3);
    EXPECT_FALSE(list.IsEmpty());

    // One removal takes out only the first entry of a duplicate.
    EXPECT_TRUE(list.Remove(&a));
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Get(0), &b);
    EXPECT_EQ(list.Get(1), &a);

    EXPECT_FALSE(list.Remove(&notDrawable));
    Probe stranger("c", &journal);
    EXPECT_FALSE(list.Remove(&stranger));
    EXPECT_EQ(list.Count(), 2);
}

TEST(RenderObjectsList, GetIsBoundedAndANegativeIndexGivesTheFirst)
{
    std::vector<std::string> journal;
    Probe a("a", &journal), b("b", &journal);
    RenderObjectsList list;
    EXPECT_EQ(list.Get(0), nullptr);
    EXPECT_EQ(list.Get(-1), nullptr);
    list.Add(&a);
    list.Add(&b);
    EXPECT_EQ(list.Get(1), &b);
    EXPECT_EQ(list.Get(2), nullptr);
    EXPECT_EQ(list.Get(100), nullptr);
    EXPECT_EQ(list.Get(-5), &a);
}

TEST(RenderObjectsList, ClearingOrDestroyingTheListLeavesMembersAlive)
{
    std::vector<std::string> journal;
    bool aliveA = false, aliveB = false;
    auto a = std::make_unique<Probe>("a", &journal, &aliveA);
    auto b = std::make_unique<Probe>("b", &journal, &aliveB);

    auto list = std::make_unique<RenderObjectsList>();
    list->Add(a.get());
    list->Add(b.get());
    list->Clear();
    EXPECT_TRUE(list->IsEmpty());
    EXPECT_TRUE(aliveA && aliveB);

    list->Add(a.get());
    list->Add(b.get());
    list.reset();
    EXPECT_TRUE(aliveA);
    EXPECT_TRUE(aliveB);
}

TEST(RenderObjectsList, PassesDrawingUpdatingAndPlacementOnInOrder)
{
    std::vector<std::string> journal;
    Probe a("a", &journal), b("b", &journal);
    RenderObjectsList list;
    list.SetVisible(false);  // the list draws regardless
    list.Add(&a);
    list.Add(&b);
    list.Render();
    list.Update(0.5f);
    const std::vector<std::string> expected = {"render a", "render b", "update a 0.500000", "update b 0.500000"};
    EXPECT_EQ(journal, expected);

    a.SetPosition({1, 1, 1});
    list.SetPosition({3, 4, 5});
    const Quaternion half{0.5f, 0.5f, 0.5f, 0.5f};
    list.SetRotation(half);
    // Every member gets the same absolute placement.
    for (RenderObject* member : {static_cast<RenderObject*>(&a), static_cast<RenderObject*>(&b)}) {
        EXPECT_EQ(member->GetPosition(), Vector3(3, 4, 5));
        EXPECT_EQ(member->GetRotation(), half);
    }
    EXPECT_EQ(list.GetPosition(), Vector3(3, 4, 5));
}

TEST(RenderObjectsList, PlacingAnEmptyListMovesOnlyItself)
{
    RenderObjectsList list;
    EXPECT_EQ(list.GetPosition(), Vector3(0, 0, 0));
    EXPECT_EQ(list.GetRotation(), Quaternion::Identity);
    list.SetPosition({1, 2, 3});
    EXPECT_EQ(list.GetPosition(), Vector3(1, 2, 3));
    EXPECT_EQ(list.Count(), 0);
}

TEST(RenderObjectRegistry, MakesListsAndClumpsByClassName)
{
    std::unique_ptr<Object> list(FactoryRegistry::Create(FactoryRegistry::RenderObjects(), "RenderObjectsList"));
    EXPECT_NE(dynamic_cast<RenderObjectsList*>(list.get()), nullptr);
    std::unique_ptr<Object> clump(FactoryRegistry::Create(FactoryRegistry::RenderObjects(), "Clump"));
    auto* made = dynamic_cast<Clump*>(clump.get());
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->GetRwClump(), nullptr);
    EXPECT_EQ(made->GetScale(), Vector3(1, 1, 1));
    EXPECT_EQ(FactoryRegistry::Create(FactoryRegistry::RenderObjects(), "NoSuchObject"), nullptr);
}

}  // namespace
