// Render objects kept in lists and containers, and the render objects made by class name.
#include <gtest/gtest.h>

#include "framework/Factory.h"
#include "scene/Clump.h"
#include "scene/RenderObject.h"

#include <algorithm>
#include <memory>

namespace {

using Journal = std::vector<std::string>;

// Records what reaches it, and its end.
class Probe : public RenderObject {
public:
    Probe(std::string name, Journal& journal) : m_name(std::move(name)), m_journal(journal) {}
    ~Probe() override { m_journal.push_back("delete " + m_name); }
    void Render() override { m_journal.push_back("render " + m_name); }
    void Update(float dt) override { m_journal.push_back("update " + m_name + " " + std::to_string(dt)); }

private:
    std::string m_name;
    Journal& m_journal;
};

TEST(RenderObjectsList, TakesRenderObjectsOnlyAndRemovesTheFirstOfDuplicates)
{
    Journal journal;
    Probe a("a", journal), b("b", journal), stranger("c", journal);
    Object notDrawable;
    RenderObjectsList list;
    EXPECT_FALSE(list.Add(&notDrawable) || list.Add(nullptr));
    EXPECT_TRUE(list.IsEmpty() && list.Get(0) == nullptr && list.Get(-1) == nullptr);
    EXPECT_TRUE(list.Add(&a) && list.Add(&b) && list.Add(&a));
    EXPECT_EQ(std::pair(list.Count(), list.IsEmpty()), std::pair(3, false));
    EXPECT_TRUE(list.Remove(&a));
    EXPECT_FALSE(list.Remove(&notDrawable) || list.Remove(&stranger));
    // Get is bounded; a negative index gives the first member.
    for (const auto& [index, member] : std::vector<std::pair<int, Object*>>{{0, &b}, {1, &a}, {2, nullptr}, {-5, &b}})
        EXPECT_EQ(list.Get(index), member) << index;
}

TEST(RenderObjectsList, PassesDrawingUpdatingAndPlacementOnButOwnsNoMember)
{
    Journal journal;
    auto a = std::make_unique<Probe>("a", journal);
    auto b = std::make_unique<Probe>("b", journal);
    auto list = std::make_unique<RenderObjectsList>();
    EXPECT_EQ(std::pair(list->GetPosition(), list->GetRotation()), std::pair(Vector3(), Quaternion::Identity));
    list->SetVisible(false);  // the list draws regardless
    list->Add(a.get());
    list->Add(b.get());
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
    EXPECT_EQ(journal, (Journal{"render a", "render b", "update a 0.500000", "update b 0.500000", "delete b"}));
}

// Holds objects in order; the refused one cannot be removed.
struct Box : Container {
    bool Add(Object* object) override { return items.push_back(object), true; }
    bool Remove(Object* object) override
    {
        const auto it = std::find(items.begin(), items.end(), object);
        return object != refused && it != items.end() && (items.erase(it), true);
    }
    int Count() const override { return static_cast<int>(items.size()); }
    Object* Get(int index) const override { return items[static_cast<size_t>(index)]; }
    std::vector<Object*> items;
    Object* refused = nullptr;
};

TEST(Container, ClearRemovesTheFirstMemberUntilNoneIsLeftOrOneStays)
{
    Object a, b;
    Box box;
    box.items = {&a, &b, &a};
    box.refused = &b;
    box.Clear();
    EXPECT_EQ(box.items, (std::vector<Object*>{&b, &a}));
    box.refused = nullptr;
    box.Clear();
    EXPECT_TRUE(box.IsEmpty());
}

TEST(RenderObjectRegistry, MakesListsAndClumpsByClassName)
{
    const auto make = [](const char* name) { return std::unique_ptr<Object>(FactoryRegistry::Create(FactoryRegistry::RenderObjects(), name)); };
    EXPECT_NE(dynamic_cast<RenderObjectsList*>(make("RenderObjectsList").get()), nullptr);
    EXPECT_NE(dynamic_cast<Clump*>(make("Clump").get()), nullptr);
    EXPECT_EQ(make("NoSuchObject"), nullptr);
}

}  // namespace
