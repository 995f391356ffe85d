#include "framework/Cast.h"
#include "framework/Color.h"
#include "framework/Factory.h"
#include "framework/Message.h"
#include "framework/Object.h"
#include "framework/Quaternion.h"
#include "framework/Registration.h"
#include "framework/Serializer.h"
#include "framework/Vector.h"

#include "file_test_util.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <string>

// Test classes live outside any namespace so that their written class names are plain.

// Counts destructions, to tell owned objects from the ones a cast must leave alone.
struct Tracked : Object {
    static inline int destroyed = 0;
    ~Tracked() override { ++destroyed; }
};

struct CastTestInner : Object {
    Vector3 position;
    Quaternion rotation;
    Color tint;
    int32_t level = 0;

    void Serialize(Serializer& s, const char* descriptor) override
    {
        s.BeginSection("CastTestInner", descriptor);
        s.SerializeVector3("Position", &position);
        s.SerializeQuaternion("Rotation", &rotation);
        s.SerializeColor("Tint", &tint);
        s.SerializeInt("Level", &level);
        s.EndSection();
    }
};

struct CastTestParams : Tracked {
    int32_t volume = 0;
    float zoom = 0.0f;
    bool cards = false;
    std::string camera;
    CastTestInner inner;

    void Serialize(Serializer& s, const char* descriptor) override
    {
        s.BeginSection("CastTestParams", descriptor);
        s.SerializeInt("SFX Volume", &volume);
        s.SerializeBool("Cards", &cards);
        s.SerializeString("Camera_0", &camera);
        s.SerializeFloat("Zoom0", &zoom);
        s.SerializeObject("Inner", &inner);
        s.EndSection();
    }
};

struct CastTestElement : Tracked {
    int32_t size = 0;
    std::string texture;

    void Serialize(Serializer& s, const char* descriptor) override
    {
        s.BeginSection("CastTestElement", descriptor);
        s.SerializeInt("Size", &size);
        s.SerializeString("Texture", &texture);
        s.EndSection();
    }
};

// Made only by the HUD registry.
struct CastTestHudItem : CastTestElement {};

REGISTER_FACTORY(GameElements, CastTestElement);
REGISTER_FACTORY(HudItems, CastTestHudItem);

namespace {

using filetest::LogCapture;
using filetest::ReadRaw;
using filetest::WriteRaw;

class CastTest : public filetest::FileTest {
protected:
    void SetUp() override
    {
        FileTest::SetUp();
        CastManager::DestroyInstance();
        Tracked::destroyed = 0;
        cast = CastManager::Instance()->CreateCast("test");
    }
    void TearDown() override
    {
        CastManager::DestroyInstance();
        FileTest::TearDown();
    }

    Cast* cast = nullptr;
};

// ---------------------------------------------------------------------------------
// Members

TEST_F(CastTest, FindByNameCountsMatchesByTheObjectsName)
{
    Tracked a, b, c;
    EXPECT_NE(cast->AddMember(&a, "Ball", false), nullptr);
    cast->AddMember(&b, "Goal", false);
    CastMember* second = cast->AddMember(&c, "Ball", false);
    EXPECT_STREQ(c.GetName(), "Ball");  // the member name becomes the object's

    ASSERT_NE(cast->FindByName("Ball", 0), nullptr);
    EXPECT_EQ(cast->FindByName("Ball", 0)->object, &a);
    EXPECT_EQ(cast->FindByName("Ball", 1), second);
    EXPECT_EQ(cast->FindByName("Ball", 2), nullptr);
    EXPECT_EQ(cast->FindByName("Ball", -1), nullptr);
    EXPECT_EQ(cast->FindByName("ball", 0), nullptr);
    EXPECT_EQ(cast->FindByName(nullptr, 0), nullptr);

    // A renamed object is found by its new name.
    b.SetName("Ball");
    EXPECT_EQ(cast->FindByName("Ball", 1)->object, &b);
    EXPECT_EQ(cast->FindByName("Goal", 0), nullptr);

    EXPECT_EQ(cast->GetMemberCount(), 3);
    EXPECT_EQ(cast->GetMember(2)->object, &c);
    EXPECT_EQ(cast->GetMember(3), nullptr);
    EXPECT_EQ(cast->GetMember(-1), nullptr);
    EXPECT_EQ(cast->AddMember(nullptr, "none", true), nullptr);
    EXPECT_EQ(cast->GetMemberCount(), 3);
    cast->RemoveMember(&a);
    cast->RemoveMember(&b);
    cast->RemoveMember(&c);
}

TEST_F(CastTest, RemoveMemberClearsTheNameAndDeletesOnlyOwnedObjects)
{
    Tracked kept;
    cast->AddMember(&kept, "Kept", false);
    Tracked* owned = new Tracked;
    cast->AddMember(owned, "Owned", true);
    Tracked stranger;

    EXPECT_FALSE(cast->RemoveMember(&stranger));
    EXPECT_FALSE(cast->RemoveMember(nullptr));

    EXPECT_TRUE(cast->RemoveMember(&kept));
    EXPECT_FALSE(kept.HasName());
    EXPECT_EQ(Tracked::destroyed, 0);
    EXPECT_FALSE(cast->RemoveMember(&kept));  // already gone

    EXPECT_TRUE(cast->RemoveMember(owned));
    EXPECT_EQ(Tracked::destroyed, 1);
    EXPECT_EQ(cast->GetMemberCount(), 0);
}

class ClearListener : public MessageListener {
public:
    explicit ClearListener(Cast* cast) : m_cast(cast) {}
    int OnMessage(int message, intptr_t) override
    {
        if (message == MessageServer::Instance()->RegisterMessage("cast clear")) {
            ++clears;
            membersSeen = m_cast->GetMemberCount();
            destroyedSeen = Tracked::destroyed;
        }
        return 0;
    }
    int clears = 0;
    int membersSeen = -1;
    int destroyedSeen = -1;

private:
    Cast* m_cast;
};

TEST_F(CastTest, ClearDeletesOwnedMembersAndThenSendsCastClear)
{
    Tracked kept;
    cast->AddMember(&kept, "Kept", false);
    cast->AddMember(new Tracked, "Owned 1", true);
    cast->AddDynamicMember(new Tracked, "Owned 2");

    ClearListener listener(cast);
    MessageServer::Instance()->RegisterListener(&listener);
    cast->Clear();
    MessageServer::Instance()->UnregisterListener(&listener);

    EXPECT_EQ(listener.clears, 1);
    EXPECT_EQ(listener.membersSeen, 0);    // sent after the members went
    EXPECT_EQ(listener.destroyedSeen, 2);  // and the owned objects with them
    EXPECT_EQ(Tracked::destroyed, 2);
    EXPECT_EQ(cast->GetMemberCount(), 0);
}

// ---------------------------------------------------------------------------------
// Manager

TEST_F(CastTest, TheManagerFindsCastsAndObjectsByPath)
{
    CastManager* manager = CastManager::Instance();
    EXPECT_EQ(manager->CreateCast("test"), cast);  // a taken name gives the cast it names
    Cast* hud = manager->CreateCast("hud");
    EXPECT_EQ(manager->GetCastCount(), 2);
    EXPECT_EQ(manager->GetCastAt(1), hud);
    EXPECT_EQ(manager->GetCastAt(2), nullptr);
    EXPECT_EQ(manager->GetCastAt(-1), nullptr);
    EXPECT_EQ(manager->GetCast("hud"), hud);
    EXPECT_EQ(manager->GetCast("HUD"), nullptr);
    EXPECT_EQ(manager->GetCast(nullptr), nullptr);

    Tracked card1, card2, odd;
    hud->AddMember(&card1, "YellowCard1", false);
    hud->AddMember(&card2, "YellowCard1", false);
    hud->AddMember(&odd, "a|b", false);
    EXPECT_EQ(manager->FindObject("hud|YellowCard1"), &card1);  // the first of that name
    EXPECT_EQ(manager->FindObject("hud|a|b"), &odd);            // split at the first bar
    EXPECT_EQ(manager->FindObject("hud|Missing"), nullptr);
    EXPECT_EQ(manager->FindObject("objects|YellowCard1"), nullptr);
    EXPECT_EQ(manager->FindObject("test|YellowCard1"), nullptr);
    for (const char* malformed : {"hudYellowCard1", "|YellowCard1", "hud|", "|", ""})
        EXPECT_EQ(manager->FindObject(malformed), nullptr) << malformed;
    EXPECT_EQ(manager->FindObject(nullptr), nullptr);
    hud->Clear();
}

TEST_F(CastTest, DeleteAllDeletesTheCastsWithOnlyTheObjectsTheyOwn)
{
    CastManager* manager = CastManager::Instance();
    Tracked kept;
    cast->AddMember(&kept, "Kept", false);
    cast->AddMember(new Tracked, "Owned", true);
    manager->CreateCast("hud")->AddDynamicMember(new Tracked, "Owned");

    manager->DeleteAll();
    EXPECT_EQ(Tracked::destroyed, 2);
    EXPECT_EQ(manager->GetCastCount(), 0);
    EXPECT_EQ(manager->GetCast("test"), nullptr);
    EXPECT_TRUE(kept.HasName());  // untouched
}

// ---------------------------------------------------------------------------------
// Cast files

TEST_F(CastTest, ACastFileUpdatesOneObjectAndCreatesAnotherThroughTheFactory)
{
    CastTestParams params;
    params.volume = 3;
    params.camera = "unchanged";
    cast->AddMember(&params, "Game Parameters", false);

    WriteRaw(Path("cast.txt"),
             "# ------------------------------------------------ Game Parameters\r\n"
             "OBJECT START\r\n"
             "class type: \"CastTestParams\"\r\n"
             "[CastTestParams] \"Game Parameters\"\r\n"
             "{\r\n"
             " \"SFX Volume\" 10\r\n"
             " \"Zoom0\" 0.500000\r\n"
             "}\r\n"
             "# ------------------------------------------------ ClumpElement_1\n"
             "DYNAMIC OBJECT START\n"
             "class type: \"CastTestElement\"\n"
             "[CastTestElement] \"ClumpElement_1\"\n"
             "{\n"
             " \"Size\" 7\n"
             " \"Texture\" \"grass.png\"\n"
             "}\n");
    LogCapture log;
    EXPECT_TRUE(LoadSettings(cast, (Dir() + "CAST.TXT").c_str()));
    EXPECT_EQ(log.Text(), "");

    EXPECT_EQ(params.volume, 10);
    EXPECT_EQ(params.zoom, 0.5f);
    EXPECT_EQ(params.camera, "unchanged");  // absent key
    ASSERT_EQ(cast->GetMemberCount(), 2);
    CastMember* created = cast->GetMember(1);
    EXPECT_TRUE(created->owned);
    EXPECT_TRUE(created->dynamic);
    EXPECT_EQ(created->name, "ClumpElement_1");
    auto* element = dynamic_cast<CastTestElement*>(created->object);
    ASSERT_NE(element, nullptr);
    EXPECT_EQ(element->size, 7);
    EXPECT_EQ(element->texture, "grass.png");
    EXPECT_EQ(cast->FindByName("ClumpElement_1", 0), created);
    cast->RemoveMember(&params);
}

TEST_F(CastTest, DynamicBlocksUseTheGivenRegistryAndSkipUnknownClasses)
{
    const std::string text =
        "# ------------------------------------------------ Card\n"
        "DYNAMIC OBJECT START\n"
        "class type: \"CastTestHudItem\"\n"
        "[CastTestElement] \"Card\"\n"
        "{\n"
        " \"Size\" 4\n"
        "}\n";
    WriteRaw(Path("hud.txt"), text);
    const std::string name = Dir() + "hud.txt";

    LogCapture log;
    EXPECT_FALSE(LoadSettings(cast, name.c_str()));  // not a game element
    EXPECT_TRUE(log.Contains("unknown class \"CastTestHudItem\""));
    EXPECT_EQ(cast->GetMemberCount(), 0);

    EXPECT_TRUE(LoadSettings(cast, name.c_str(), false, FactoryRegistry::HudItems()));
    ASSERT_EQ(cast->GetMemberCount(), 1);
    auto* item = dynamic_cast<CastTestHudItem*>(cast->GetMember(0)->object);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->size, 4);
}

TEST_F(CastTest, SaveWritesTheCastFileLayout)
{
    CastTestElement element;
    element.size = 2;
    element.texture = "a.png";
    cast->AddMember(&element, "Static", false);
    auto* dynamic = new CastTestElement;
    cast->AddDynamicMember(dynamic, "Made");

    ASSERT_TRUE(SaveSettings(cast, (Dir() + "out.txt").c_str()));
    EXPECT_EQ(ReadRaw(Path("out.txt")),
              "# ------------------------------------------------ Static\n"
              "OBJECT START\n"
              "class type: \"CastTestElement\"\n"
              "[CastTestElement] \"Static\"\n"
              "{\n"
              " \"Size\" 2\n"
              " \"Texture\" \"a.png\"\n"
              "}\n"
              "# ------------------------------------------------ Made\n"
              "DYNAMIC OBJECT START\n"
              "class type: \"CastTestElement\"\n"
              "[CastTestElement] \"Made\"\n"
              "{\n"
              " \"Size\" 0\n"
              " \"Texture\" \"\"\n"
              "}\n");
    cast->RemoveMember(&element);
}

class CastRoundTrip : public CastTest, public ::testing::WithParamInterface<bool> {};

TEST_P(CastRoundTrip, SaveThenLoadRestoresValuesIncludingNestedObjects)
{
    const bool scrambled = GetParam();
    const std::string name = Dir() + "Saves\\game.txt";
    {
        CastTestParams params;
        params.volume = -12;
        params.zoom = 2.25f;
        params.cards = true;
        params.camera = "Cam \"Main\"";
        params.inner.position = Vector3(1.5f, -2.0f, 3.25f);
        params.inner.rotation = Quaternion(0.5f, 0.5f, -0.5f, 0.5f);
        params.inner.tint = Color(0.25f, 0.5f, 0.75f, 1.0f);
        params.inner.level = 9;
        cast->AddMember(&params, "Game Parameters", false);
        auto* element = new CastTestElement;
        element->size = 33;
        element->texture = "pitch.png";
        cast->AddDynamicMember(element, "Element 1");
        ASSERT_TRUE(SaveSettings(cast, name.c_str(), scrambled));
        cast->RemoveMember(&params);
        cast->Clear();
    }
    const std::string stored = ReadRaw(Path("Saves/game.txt"));
    EXPECT_EQ(stored.find("OBJECT START") == std::string::npos, scrambled);

    CastTestParams params;
    cast->AddMember(&params, "Game Parameters", false);
    LogCapture log;
    ASSERT_TRUE(LoadSettings(cast, name.c_str(), scrambled));
    EXPECT_EQ(log.Text(), "");
    EXPECT_EQ(params.volume, -12);
    EXPECT_EQ(params.zoom, 2.25f);
    EXPECT_TRUE(params.cards);
    EXPECT_EQ(params.camera, "Cam \"Main\"");
    EXPECT_EQ(params.inner.position, Vector3(1.5f, -2.0f, 3.25f));
    EXPECT_EQ(params.inner.rotation, Quaternion(0.5f, 0.5f, -0.5f, 0.5f));
    EXPECT_EQ(params.inner.tint.g, 0.5f);
    EXPECT_EQ(params.inner.tint.b, 0.75f);
    EXPECT_EQ(params.inner.level, 9);
    ASSERT_EQ(cast->GetMemberCount(), 2);
    auto* element = dynamic_cast<CastTestElement*>(cast->GetMember(1)->object);
    ASSERT_NE(element, nullptr);
    EXPECT_TRUE(cast->GetMember(1)->dynamic);
    EXPECT_EQ(element->size, 33);
    EXPECT_EQ(element->texture, "pitch.png");

    // Read the other way, the file is refused and nothing changes.
    params.volume = 1;
    EXPECT_FALSE(LoadSettings(cast, name.c_str(), !scrambled));
    EXPECT_EQ(params.volume, 1);
    EXPECT_EQ(cast->GetMemberCount(), 2);
    cast->RemoveMember(&params);
}

INSTANTIATE_TEST_SUITE_P(PlainAndScrambled, CastRoundTrip, ::testing::Bool());

TEST_F(CastTest, DamagedBlocksAreReportedAndNeverSpoilTheOthers)
{
    CastTestElement a, b, c, d, e, f;
    CastTestElement* objects[] = {&a, &b, &c, &d, &e, &f};
    const char* names[] = {"A", "B", "C", "D", "E", "F"};
    for (int i = 0; i < 6; ++i)
        cast->AddMember(objects[i], names[i], false);

    std::string text =
        // Unbalanced: the section never closes.
        "# ------------------------------------------------ A\n"
        "OBJECT START\n"
        "[CastTestElement] \"A\"\n"
        "{\n"
        " \"Size\" 1\n"
        "# ------------------------------------------------ B\n"
        "OBJECT START\n"
        "[CastTestElement] \"B\"\n"
        "{\n"
        " \"Size\" 2\n"
        "}\n"
        // No section header: its entries must not reach C.
        "# ------------------------------------------------ Lost\n"
        "OBJECT START\n"
        " \"Size\" 666\n"
        " \"Texture\" \"wrong\"\n"
        "}\n"
        "# ------------------------------------------------ C\n"
        "OBJECT START\n"
        "[CastTestElement] \"C\"\n"
        "{\n"
        " \"Size\" 3\n"
        "}\n"
        // Missing quotes: the value without them, the key without a closing one.
        "# ------------------------------------------------ D\n"
        "OBJECT START\n"
        "[CastTestElement] \"D\"\n"
        "{\n"
        " \"Texture\" bare\n"
        " \"Size 9\n"
        "}\n"
        // Garbage bytes, a NUL among them.
        "# ------------------------------------------------ E\n"
        "OBJECT START\n"
        "[CastTestElement] \"E\"\n"
        "{\n";
    const char garbage[] = "\x01\xff\x00}\x80{\n \"Size\" 5\n";
    text.append(garbage, sizeof garbage - 1);
    text +=
        "}\n"
        "# ------------------------------------------------ Nobody\n"
        "OBJECT START\n"
        "[CastTestElement] \"Nobody\"\n"
        "{\n"
        "}\n"
        // Truncated in the middle of a line.
        "# ------------------------------------------------ F\n"
        "OBJECT START\n"
        "[CastTestElement] \"F\"\n"
        "{\n"
        " \"Size\" 6\n"
        " \"Textu";
    WriteRaw(Path("bad.txt"), text);

    LogCapture log;
    EXPECT_FALSE(LoadSettings(cast, (Dir() + "bad.txt").c_str()));
    EXPECT_EQ(a.size, 1);  // read up to where it broke off
    EXPECT_EQ(b.size, 2);
    EXPECT_EQ(c.size, 3);
    EXPECT_EQ(c.texture, "");
    EXPECT_EQ(d.texture, "bare");
    EXPECT_EQ(d.size, 0);
    EXPECT_EQ(e.size, 5);
    EXPECT_EQ(f.size, 6);
    EXPECT_TRUE(log.Contains("the object A at line 2 was read with the problems above"));
    EXPECT_TRUE(log.Contains("the object at line 13 has no section; skipped"));
    EXPECT_TRUE(log.Contains("the object D at line 24 was read with the problems above"));
    EXPECT_TRUE(log.Contains("LoadSettings: Object Nobody not found"));
    EXPECT_TRUE(log.Contains("the object F at line"));
    EXPECT_FALSE(log.Contains("object B"));
    EXPECT_FALSE(log.Contains("object C"));
    for (CastTestElement* object : objects)
        cast->RemoveMember(object);
}

TEST_F(CastTest, BlocksWithoutACommentAreNamedByTheirSection)
{
    CastTestElement element;
    cast->AddMember(&element, "Flag", false);
    WriteRaw(Path("plain.txt"),
             "stray text\n"
             "OBJECT START\n"
             "class type: \"CastTestElement\"\n"
             "[CastTestElement] \"Flag\"\n"
             "{\n"
             " \"Size\" 8\n"
             "}\n"
             "DYNAMIC OBJECT START\n"
             "[CastTestElement] \"Classless\"\n"
             "{\n"
             "}\n");
    LogCapture log;
    EXPECT_FALSE(LoadSettings(cast, (Dir() + "plain.txt").c_str()));
    EXPECT_EQ(element.size, 8);
    EXPECT_TRUE(log.Contains("line 1 stands outside any object"));
    EXPECT_TRUE(log.Contains("the dynamic object Classless at line 8 has no class type"));
    EXPECT_EQ(cast->GetMemberCount(), 1);
    cast->RemoveMember(&element);
}

TEST_F(CastTest, AFileThatCannotBeReadKeepsTheMembersValues)
{
    CastTestElement element;
    element.size = 5;
    cast->AddMember(&element, "Kept", false);
    const std::string name = Dir() + "missing.txt";
    LogCapture log;
    EXPECT_FALSE(LoadSettings(cast, name.c_str()));
    EXPECT_TRUE(log.Contains("Could not load cast from \"" + name + "\"\n"));
    EXPECT_FALSE(LoadSettings(cast, name.c_str(), true));
    EXPECT_EQ(element.size, 5);
    EXPECT_EQ(cast->GetMemberCount(), 1);
    cast->RemoveMember(&element);
}

TEST_F(CastTest, ASaveThatCannotBeOpenedWritesNothing)
{
    WriteRaw(Path("taken"), "a file where a folder should be\n");
    CastTestElement element;
    cast->AddMember(&element, "E", false);
    const std::string name = Dir() + "taken\\cast.txt";
    for (bool scrambled : {false, true}) {
        LogCapture log;
        EXPECT_FALSE(SaveSettings(cast, name.c_str(), scrambled));
        EXPECT_TRUE(log.Contains("Could not save settings to " + name + "\n"));
    }
    EXPECT_EQ(ReadRaw(Path("taken")), "a file where a folder should be\n");
    cast->RemoveMember(&element);
}

TEST_F(CastTest, AFailedSaveKeepsTheOldFile)
{
    for (bool scrambled : {false, true}) {
        const std::string name = Dir() + (scrambled ? "s.txt" : "p.txt");
        CastTestElement element;
        element.texture = "old";
        cast->AddMember(&element, "E", false);
        ASSERT_TRUE(SaveSettings(cast, name.c_str(), scrambled));
        const std::string old = ReadRaw(Path(scrambled ? "s.txt" : "p.txt"));

        element.texture.assign(900, 'x');
        for (int i = 0; i < 5; ++i)
            cast->AddMember(new CastTestElement(element), "Copy", true);
        // A file-size limit makes the disk "full" after 4 KB.
        struct rlimit saved {};
        ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
        auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limited = saved;
        limited.rlim_cur = 4096;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
        LogCapture log;
        const bool stored = SaveSettings(cast, name.c_str(), scrambled);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);

        EXPECT_FALSE(stored);
        EXPECT_TRUE(log.Contains("Could not save settings to " + name + "\n"));
        EXPECT_EQ(ReadRaw(Path(scrambled ? "s.txt" : "p.txt")), old);
        element.texture.clear();
        ASSERT_TRUE(LoadSettings(cast, name.c_str(), scrambled));
        EXPECT_EQ(element.texture, "old");
        cast->RemoveMember(&element);
        cast->Clear();
    }
}

}  // namespace
