#include <gtest/gtest.h>

#include "framework/AsciiSerializer.h"
#include "framework/Cast.h"
#include "framework/FileSystem.h"
#include "framework/Message.h"
#include "scene/GameElement.h"

#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

using Log = std::vector<std::string>;

class Probe : public GameElement {
public:
    Probe(Log* log = nullptr, const char* name = "") : m_log(log), m_name(name) {}
    void Render() override
    {
        if (m_log)
            m_log->push_back(m_name);
    }
    void Update(float) override {}

private:
    Log* m_log;
    std::string m_name;
};

void Serialize(Object& object, const char* path, bool writing, bool status = false)
{
    File* file = writing ? FileSystem::Instance()->OpenWrite(path) : FileSystem::Instance()->OpenRead(path);
    ASSERT_NE(file, nullptr) << path;
    auto serializer = std::make_unique<AsciiSerializer>(file, writing);
    if (status)
        dynamic_cast<GameElement&>(object).SerializeStatus(*serializer, "Element");
    else
        object.Serialize(*serializer, "Element");
    serializer.reset();
    EXPECT_TRUE(FileSystem::Instance()->Close(file) || !writing) << path;
}

TEST(GameElementTest, ActivateGroupTurnsOnTheElementsOfTheNamedGroupOnly)
{
    Probe never, first, second;
    second.SetGroup(2);
    for (Probe* p : {&never, &first, &second})
        p->SetStatusFlags(0);
    first.SetGroup(0);
    const int message = MessageServer::Instance()->RegisterMessage("activate group");
    const auto send = [&](const char* text) {
        MessageServer::Instance()->SendMessage(0, message, reinterpret_cast<intptr_t>(text));
        return std::vector<uint32_t>{never.GetStatusFlags(), first.GetStatusFlags(), second.GetStatusFlags()};
    };
    for (const char* text : {"2x", "", " ", "two"})
        EXPECT_EQ(send(text), (std::vector<uint32_t>{0, 0, 0})) << text;
    EXPECT_EQ(send(nullptr), (std::vector<uint32_t>{0, 0, 0}));
    EXPECT_EQ(send("0"), (std::vector<uint32_t>{3, 3, 0}));
    EXPECT_EQ(send("2"), (std::vector<uint32_t>{3, 3, 3}));
    // Another message leaves the state alone.
    second.SetStatusFlags(0);
    MessageServer::Instance()->SendMessage(0, MessageServer::Instance()->RegisterMessage("resetgame"),
                                           reinterpret_cast<intptr_t>("2"));
    EXPECT_EQ(second.GetStatusFlags(), 0u);
}

TEST(GameElementTest, TheTableCarriesTheDesignedStateAndReadingMakesItTheRunningOne)
{
    Probe written;
    written.SetFlags(GameElement::kVisible);
    written.SetGroup(4);
    Serialize(written, "element.txt", true);
    Probe read;
    read.SetStatusFlags(0);
    Serialize(read, "element.txt", false);
    EXPECT_EQ(std::tuple(read.GetFlags(), read.GetStatusFlags(), read.GetGroup(), read.GetDisplayDistance()),
              std::tuple(uint32_t(GameElement::kVisible), uint32_t(GameElement::kVisible), 4, 0));

    // The running state alone travels separately.
    read.SetStatusFlags(GameElement::kEnabled);
    Serialize(read, "status.txt", true, true);
    read.SetStatusFlags(0);
    Serialize(read, "status.txt", false, true);
    EXPECT_EQ(std::tuple(read.GetStatusFlags(), read.GetFlags()),
              std::tuple(uint32_t(GameElement::kEnabled), uint32_t(GameElement::kVisible)));
    std::ifstream in("status.txt");
    const std::string text{std::istreambuf_iterator<char>(in), {}};
    EXPECT_NE(text.find("\"statusFlags\" 1"), std::string::npos) << text;
}

TEST(GameElementTest, RenderCastDrawsTheRenderObjectsInMemberOrder)
{
    Log log;
    Cast cast("objects");
    Probe a(&log, "a"), b(&log, "b");
    Object plain;
    cast.AddMember(&b, "B", false);
    cast.AddMember(&plain, "plain", false);
    cast.AddMember(&a, "A", false);
    RenderCast(cast);
    EXPECT_EQ(log, (Log{"b", "a"}));
}

}  // namespace
