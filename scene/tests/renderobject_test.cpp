// Render objects kept in lists, and the render objects made by class name.
#include <gtest/gtest.h>

#include "framework/Factory.h"
#include "scene/Clump.h"
#include "scene/RenderObject.h"

#include <memory>

namespace {

using Journal = std::vector<std::string>;

// Records what reaches it, and its end.
struct Probe : RenderObject {
    Probe(std::string name, Journal& journal) : name(std::move(name)), journal(journal) {}
    ~Probe() override { journal.push_back("delete " + name); }
    void Render() override { journal.push_back("render " + name); }
    void Update(float dt) override { journal.push_back("update " + name + " " + std::to_string(dt)); }
    std::string name;
    Journal& journal;
};

TEST(RenderObjectsList, PassesDrawingUpdatingAndPlacementOnToMembersItDoesNotOwn)
{
    Journal journal;
    auto a = std::make_unique<Probe>("a", journal);
    auto b = std::make_unique<Probe>("b", journal);
    Object notDrawable;
    auto list = std::make_unique<RenderObjectsList>();
    EXPECT_FALSE(list->Add(&notDrawable) || list->Add(nullptr));
    EXPECT_TRUE(list->IsEmpty() && list->Get(0) == nullptr && list->Get(-1) == nullptr);
    EXPECT_TRUE(list->Add(a.get()) && list->Add(b.get()) && list->Add(a.get()));
    EXPECT_EQ(std::pair(list->Count(), list->IsEmpty()), std::pair(3, false));
    EXPECT_TRUE(list->Remove(a.get()));  // the first entry only
    EXPECT_FALSE(list->Remove(&notDrawable) || list->Remove(list.get()));
    // Get is bounded; a negative index gives the first member.
    for (const auto& [index, member] : std::vector<std::pair<int, Object*>>{{0, b.get()}, {1, a.get()}, {2, nullptr}, {-5, b.get()}})
        EXPECT_EQ(list->Get(index), member) << index;

    list->SetVisible(false);  // the list draws regardless
    list->Render();
    list->Update(0.5f);
    a->SetPosition({1, 1, 1});
    list->SetPosition({3, 4, 5});  // the same absolute placement for every member
    list->SetRotation({0.5f, 0.5f, 0.5f, 0.5f});
    for (RenderObject* object : std::initializer_list<RenderObject*>{a.get(), b.get(), list.get()})
        EXPECT_EQ(std::pair(object->GetPosition(), object->GetRotation()),
                  std::pair(Vector3(3, 4, 5), Quaternion(0.5f, 0.5f, 0.5f, 0.5f)));
    list->Clear();
    EXPECT_TRUE(list->IsEmpty());
    list->Add(a.get());
    list.reset();
    b.reset();
    EXPECT_EQ(journal, (Journal{"render b", "render a", "update b 0.500000", "update a 0.500000", "delete b"}));
}

TEST(RenderObjectRegistry, MakesListsAndClumpsByClassName)
{
    const auto make = [](const char* name) {
        return std::unique_ptr<Object>(FactoryRegistry::Create(FactoryRegistry::RenderObjects(), name));
    };
    EXPECT_NE(dynamic_cast<RenderObjectsList*>(make("RenderObjectsList").get()), nullptr);
    EXPECT_NE(dynamic_cast<Clump*>(make("Clump").get()), nullptr);
    EXPECT_EQ(make("NoSuchObject"), nullptr);
}

}  // namespace
