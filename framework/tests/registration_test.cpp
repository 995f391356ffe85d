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

TEST(FactoryTest, NamesRunInByteOrderAndTheLastRegistrationOfANameWins)
{
    Factory<Object> factory;
    factory.Register("AnimatedTextureAction", [] { return static_cast<Object*>(new AnimatedTextureAction); });
    factory.Register("Zoom", [] { return new Object; });
    factory.Register("AnimateUVAction", [] { return new Object; });
    factory.Register("AnimateUVAction", [] { return static_cast<Object*>(new AnimateUVAction); });
    factory.Register(nullptr, [] { return new Object; });
    factory.Register("Nothing", nullptr);
    EXPECT_EQ(factory.GetNames(), (std::vector<std::string>{"AnimateUVAction", "AnimatedTextureAction", "Zoom"}));
    std::vector<std::string> iterated;
    for (const auto& entry : factory)
        iterated.push_back(entry.first);
    EXPECT_EQ(iterated, factory.GetNames());
    std::unique_ptr<Object> made(factory.Create("AnimateUVAction"));
    EXPECT_NE(dynamic_cast<AnimateUVAction*>(made.get()), nullptr);
    EXPECT_EQ(factory.Create("animateUVAction"), nullptr);  // names are exact
    EXPECT_EQ(factory.Create(nullptr), nullptr);
    EXPECT_FALSE(factory.Contains(nullptr));
}

// Registered by the macros below before main(); probe_registration.cpp is linked in but
// nothing here names anything of it, so only its start-up registrations can have put
// its names in place.
class RegisteredElement : public Object {};
class RegisteredGame : public GameState {};
REGISTER_FACTORY(GameElements, RegisteredElement);
REGISTER_FACTORY(GameStates, RegisteredGame);
REGISTER_MESSAGE(g_msgFirst, "registration test message");
REGISTER_MESSAGE(g_msgAgain, "registration test message");

TEST(RegistrationTest, MacrosFillTheNamedRegistriesBeforeMainFromEveryLinkedFile)
{
    std::unique_ptr<Object> element(FactoryRegistry::Create(FactoryRegistry::GameElements(), "RegisteredElement"));
    EXPECT_NE(dynamic_cast<RegisteredElement*>(element.get()), nullptr);
    EXPECT_FALSE(FactoryRegistry::CameraControls().Contains("RegisteredElement"));  // each registry is its own
    std::unique_ptr<GameState> game(FactoryRegistry::GameStates().Create("RegisteredGame"));
    EXPECT_NE(dynamic_cast<RegisteredGame*>(game.get()), nullptr);
    EXPECT_GE(g_msgFirst, MessageServer::kFirstMessageId);
    EXPECT_EQ(g_msgAgain, g_msgFirst);
    EXPECT_STREQ(MessageServer::Instance()->GetMessageName(g_msgFirst), "registration test message");

    std::unique_ptr<Object> probe(FactoryRegistry::EditorProxies().Create("RegistrationProbe"));
    ASSERT_NE(probe, nullptr);
    EXPECT_EQ(ClassNameOf(*probe), "RegistrationProbe");
    std::vector<std::string> names;
    for (int id = MessageServer::kFirstMessageId; MessageServer::Instance()->GetMessageName(id); ++id)
        names.push_back(MessageServer::Instance()->GetMessageName(id));
    EXPECT_NE(std::find(names.begin(), names.end(), "registration probe"), names.end());
}

}  // namespace
