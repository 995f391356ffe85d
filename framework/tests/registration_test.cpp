#include "framework/Factory.h"
#include "framework/GameState.h"
#include "framework/Message.h"
#include "framework/Object.h"
#include "framework/Registration.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

class AnimateUVAction : public Object {};
class AnimatedTextureAction : public Object {};
class FirstVersion : public Object {};
class SecondVersion : public Object {};

Object* MakeFirst() { return new FirstVersion; }
Object* MakeSecond() { return new SecondVersion; }
Object* MakeUV() { return new AnimateUVAction; }
Object* MakeTexture() { return new AnimatedTextureAction; }

TEST(FactoryTest, NamesRunInAscendingByteOrder)
{
    Factory<Object> factory;
    factory.Register("AnimatedTextureAction", &MakeTexture);
    factory.Register("AnimateUVAction", &MakeUV);
    factory.Register("Zoom", &MakeFirst);
    EXPECT_EQ(factory.GetNames(),
              (std::vector<std::string>{"AnimateUVAction", "AnimatedTextureAction", "Zoom"}));

    std::vector<std::string> iterated;
    for (const auto& entry : factory)
        iterated.push_back(entry.first);
    EXPECT_EQ(iterated, factory.GetNames());
}

TEST(FactoryTest, LaterRegistrationReplacesAndUnknownNamesGiveNull)
{
    Factory<Object> factory;
    factory.Register("Thing", &MakeFirst);
    factory.Register("Thing", &MakeSecond);
    EXPECT_EQ(factory.Count(), 1u);
    std::unique_ptr<Object> made(factory.Create("Thing"));
    EXPECT_NE(dynamic_cast<SecondVersion*>(made.get()), nullptr);

    EXPECT_EQ(factory.Create("thing"), nullptr);  // names are exact
    EXPECT_EQ(factory.Create(nullptr), nullptr);
    EXPECT_FALSE(factory.Contains(nullptr));

    factory.Register(nullptr, &MakeFirst);
    factory.Register("Nothing", nullptr);
    EXPECT_EQ(factory.Count(), 1u);
}

// Registered by the macros in this file, below; they run before main().
class RegisteredElement : public Object {};
class RegisteredGame : public GameState {};
REGISTER_FACTORY(GameElements, RegisteredElement);
REGISTER_FACTORY(GameStates, RegisteredGame);
REGISTER_MESSAGE(g_msgFirst, "registration test message");
REGISTER_MESSAGE(g_msgAgain, "registration test message");

TEST(RegistrationTest, MacrosFillTheNamedRegistriesBeforeMain)
{
    std::unique_ptr<Object> element(
        FactoryRegistry::Create(FactoryRegistry::GameElements(), "RegisteredElement"));
    ASSERT_NE(element, nullptr);
    EXPECT_NE(dynamic_cast<RegisteredElement*>(element.get()), nullptr);
    // Each registry is its own.
    EXPECT_FALSE(FactoryRegistry::CameraControls().Contains("RegisteredElement"));
    EXPECT_NE(&FactoryRegistry::GameElements(), &FactoryRegistry::RenderObjects());

    std::unique_ptr<GameState> game(FactoryRegistry::GameStates().Create("RegisteredGame"));
    EXPECT_NE(dynamic_cast<RegisteredGame*>(game.get()), nullptr);

    EXPECT_GE(g_msgFirst, MessageServer::kFirstMessageId);
    EXPECT_EQ(g_msgAgain, g_msgFirst);
    EXPECT_STREQ(MessageServer::Instance()->GetMessageName(g_msgFirst),
                 "registration test message");
}

// probe_registration.cpp is linked in but nothing here names anything of it; only its
// start-up registrations can have put these names in place.
TEST(RegistrationTest, RegistrationInAnUnreferencedFileRuns)
{
    std::unique_ptr<Object> probe(FactoryRegistry::EditorProxies().Create("RegistrationProbe"));
    ASSERT_NE(probe, nullptr);
    EXPECT_EQ(ClassNameOf(*probe), "RegistrationProbe");

    MessageServer* server = MessageServer::Instance();
    bool found = false;
    for (int i = 0; i < server->GetMessageCount(); ++i) {
        const char* name = server->GetMessageName(MessageServer::kFirstMessageId + i);
        if (name && std::string(name) == "registration probe")
            found = true;
    }
    EXPECT_TRUE(found);
}

}  // namespace
