#include "framework/Cast.h"
#include "framework/Factory.h"
#include "framework/Message.h"
#include "framework/Object.h"
#include "framework/Registration.h"
#include "framework/Serializer.h"
#include "support/FileTest.h"
#include "tests/support/LogCapture.h"

#include <string>
#include <tuple>

// Test classes live outside any namespace so that their written class names are plain.

// Counts destructions, to tell owned objects from the ones a cast must leave alone.
struct Tracked : Object {
    static inline int destroyed = 0;
    ~Tracked() override { ++destroyed; }
};

struct CastTestElement : Tracked {
    int32_t size = 0;
    float zoom = 0.0f;
    std::string texture;

    void Serialize(Serializer& s, const char* descriptor) override
    {
        s.BeginSection("CastTestElement", descriptor);
        s.SerializeInt("Size", &size);
        s.SerializeFloat("Zoom", &zoom);
        s.SerializeString("Texture", &texture);
        s.EndSection();
    }
};

struct CastTestParams : Tracked {
    int32_t volume = 0;
    CastTestElement inner;

    void Serialize(Serializer& s, const char* descriptor) override
    {
        s.BeginSection("CastTestParams", descriptor);
        s.SerializeInt("SFX Volume", &volume);
        s.SerializeObject("Inner", &inner);
        s.EndSection();
    }
};

// Made only by the HUD registry.
struct CastTestHudItem : CastTestElement {};

REGISTER_FACTORY(GameElements, CastTestElement);
REGISTER_FACTORY(HudItems, CastTestHudItem);

namespace {

const char* kRule = "# ------------------------------------------------ ";

class CastTest : public FileTest {
protected:
    void SetUp() override
    {
        FileTest::SetUp();
        CastManager::DestroyInstance();
        Tracked::destroyed = 0;
        cast = CastManager::Instance()->CreateCast("test");
    }
    // The casts delete only what they own: members on a test's stack are not touched.
    void TearDown() override
    {
        CastManager::DestroyInstance();
        FileTest::TearDown();
    }
    CastMember* Add(Object& object, const char* name) { return cast->AddMember(&object, name, false); }
    Cast* cast = nullptr;
};

class ClearListener : public MessageListener {
public:
    explicit ClearListener(Cast* cast) : m_cast(cast) {}
    int OnMessage(int message, intptr_t) override
    {
        if (message == MessageServer::Instance()->RegisterMessage("cast clear"))
            seen.push_back({m_cast->GetMemberCount(), Tracked::destroyed});
        return 0;
    }
    std::vector<std::pair<int, int>> seen;  // members left, objects destroyed

private:
    Cast* m_cast;
};

TEST_F(CastTest, MembersAreFoundByTheirObjectsNameAndOnlyOwnedOnesAreDeleted)
{
    Tracked a, b, c, stranger;
    Add(a, "Ball");
    Add(b, "Goal");
    CastMember* second = Add(c, "Ball");
    EXPECT_STREQ(c.GetName(), "Ball");  // the member name becomes the object's
    using Members = std::vector<CastMember*>;
    EXPECT_EQ((Members{cast->FindByName("Ball", 0), cast->FindByName("Ball", 1), cast->FindByName("Ball", 2),
                       cast->FindByName("Ball", -1), cast->FindByName("ball"), cast->FindByName(nullptr)}),
              (Members{cast->GetMember(0), second, nullptr, nullptr, nullptr, nullptr}));
    b.SetName("Ball");  // a renamed object is found by its new name
    EXPECT_EQ((Members{cast->FindByName("Ball", 1), cast->FindByName("Goal"), cast->GetMember(3), cast->GetMember(-1),
                       cast->AddMember(nullptr, "none", true)}),
              (Members{cast->GetMember(1), nullptr, nullptr, nullptr, nullptr}));
    EXPECT_EQ(std::pair(cast->GetMember(2)->object, cast->GetMemberCount()), (std::pair<Object*, int>(&c, 3)));
    Tracked* owned = new Tracked;
    cast->AddMember(owned, "Owned", true);
    // Only a member's object can be removed, once.
    EXPECT_EQ((std::vector<bool>{cast->RemoveMember(&stranger), cast->RemoveMember(nullptr), cast->RemoveMember(&a),
                                 cast->RemoveMember(&a), cast->RemoveMember(owned)}),
              (std::vector<bool>{false, false, true, false, true}));
    EXPECT_EQ(std::tuple(a.HasName(), Tracked::destroyed, cast->GetMemberCount()), std::tuple(false, 1, 2));
    // Clear deletes the owned objects first, then tells every listener.
    cast->AddMember(new Tracked, "Owned 1", true);
    cast->AddDynamicMember(new Tracked, "Owned 2");
    ClearListener listener(cast);
    MessageServer::Instance()->RegisterListener(&listener);
    cast->Clear();
    MessageServer::Instance()->UnregisterListener(&listener);
    EXPECT_EQ(listener.seen, (std::vector<std::pair<int, int>>{{0, 3}}));
    EXPECT_TRUE(c.HasName()) << "a member not owned is left alone";
}

TEST_F(CastTest, TheManagerFindsCastsAndObjectsByPathAndDeletesOnlyWhatIsOwned)
{
    CastManager* manager = CastManager::Instance();
    EXPECT_EQ(manager->CreateCast("test"), cast);  // a taken name gives the cast it names
    Cast* hud = manager->CreateCast("hud");
    EXPECT_EQ(manager->GetCastCount(), 2);
    EXPECT_EQ((std::vector<Cast*>{manager->GetCastAt(1), manager->GetCastAt(2), manager->GetCastAt(-1),
                                  manager->GetCast("hud"), manager->GetCast("HUD"), manager->GetCast(nullptr)}),
              (std::vector<Cast*>{hud, nullptr, nullptr, hud, nullptr, nullptr}));
    Tracked card1, card2, odd, nameless;
    hud->AddMember(&nameless, "", false);  // "hud|" still names no object
    hud->AddMember(&card1, "YellowCard1", false);
    hud->AddMember(&card2, "YellowCard1", false);
    hud->AddMember(&odd, "a|b", false);
    hud->AddDynamicMember(new Tracked, "Owned");
    cast->AddMember(new Tracked, "Owned", true);
    EXPECT_EQ(manager->FindObject("hud|YellowCard1"), &card1);  // the first of that name
    EXPECT_EQ(manager->FindObject("hud|a|b"), &odd);            // split at the first bar
    for (const char* missing : {"hud|Missing", "objects|YellowCard1", "test|YellowCard1", "hudYellowCard1",
                                "|YellowCard1", "hud|", "|", "", static_cast<const char*>(nullptr)})
        EXPECT_EQ(manager->FindObject(missing), nullptr) << (missing ? missing : "null");
    manager->DeleteAll();
    EXPECT_EQ(std::pair(Tracked::destroyed, manager->GetCastCount()), std::pair(2, 0));
    EXPECT_TRUE(card1.HasName());  // untouched
    cast = manager->CreateCast("test");
}

TEST_F(CastTest, ACastFileUpdatesMembersAndCreatesDynamicOnesThroughTheGivenRegistry)
{
    CastTestParams params;
    params.inner.texture = "unchanged";
    Add(params, "Game Parameters");
    WriteRaw(Path("cast.txt"), std::string(kRule) + "Game Parameters\r\nOBJECT START\r\n"
                               "class type: \"CastTestParams\"\r\n[CastTestParams] \"Game Parameters\"\r\n{\r\n"
                               " \"SFX Volume\" 10\r\n [CastTestElement] \"Inner\"\r\n {\r\n  \"Zoom\" 0.500000\r\n"
                               " }\r\n}\r\n" + kRule + "ClumpElement_1\nDYNAMIC OBJECT START\n"
                               "class type: \"CastTestHudItem\"\n[CastTestElement] \"ClumpElement_1\"\n{\n"
                               " \"Size\" 7\n \"Texture\" \"grass.png\"\n}\n");
    LogCapture log;
    // Not a game element: the block is skipped; the others are read all the same.
    EXPECT_FALSE(LoadSettings(cast, Dir("CAST.TXT").c_str()));
    EXPECT_EQ(log.Text(), "***WARNING: LoadSettings: " + Dir("CAST.TXT") +
                              ": unknown class \"CastTestHudItem\" for the dynamic object ClumpElement_1; skipped\n");
    EXPECT_EQ(std::tie(params.volume, params.inner.zoom, params.inner.texture), std::tuple(10, 0.5f, "unchanged"));
    EXPECT_EQ(cast->GetMemberCount(), 1);
    log.Clear();
    EXPECT_TRUE(LoadSettings(cast, Dir("cast.txt").c_str(), false, FactoryRegistry::HudItems()));
    EXPECT_EQ(log.Text(), "");
    ASSERT_EQ(cast->GetMemberCount(), 2);
    CastMember* created = cast->GetMember(1);
    EXPECT_TRUE(created->owned && created->dynamic && cast->FindByName("ClumpElement_1") == created);
    auto* element = dynamic_cast<CastTestHudItem*>(created->object);
    ASSERT_NE(element, nullptr);
    EXPECT_EQ(std::tie(element->size, element->texture), std::tuple(7, "grass.png"));

    // Read again (every match reads its casts), the dynamic block updates its member.
    element->size = 1;
    EXPECT_TRUE(LoadSettings(cast, Dir("cast.txt").c_str(), false, FactoryRegistry::HudItems()));
    ASSERT_EQ(cast->GetMemberCount(), 2);
    EXPECT_EQ(cast->GetMember(1)->object, element);
    EXPECT_EQ(element->size, 7);
}

TEST_F(CastTest, DynamicBlocksSharingANameStayApartWhenTheFileIsReadAgain)
{
    const auto block = [](int size) {
        return std::string(kRule) + "Box\nDYNAMIC OBJECT START\nclass type: \"CastTestElement\"\n"
               "[CastTestElement] \"Box\"\n{\n \"Size\" " + std::to_string(size) + "\n}\n";
    };
    WriteRaw(Path("boxes.txt"), block(1) + block(2));
    for (int read = 0; read < 2; ++read) {
        EXPECT_TRUE(LoadSettings(cast, Dir("boxes.txt").c_str()));
        ASSERT_EQ(cast->GetMemberCount(), 2) << read;
        EXPECT_EQ(static_cast<CastTestElement*>(cast->GetMember(0)->object)->size, 1);
        EXPECT_EQ(static_cast<CastTestElement*>(cast->GetMember(1)->object)->size, 2);
        static_cast<CastTestElement*>(cast->GetMember(1)->object)->size = 5;
    }
}

TEST_F(CastTest, SavedFilesHaveTheCastLayoutAndLoadBackPlainOrScrambled)
{
    CastTestParams params;
    params.volume = -12;
    std::tie(params.inner.size, params.inner.zoom, params.inner.texture) = std::tuple(9, 2.25f, "Cam \"Main\"");
    Add(params, "Game Parameters");
    auto* made = new CastTestElement;
    made->size = 33;
    cast->AddDynamicMember(made, "Made");
    ASSERT_TRUE(SaveSettings(cast, Dir("out.txt").c_str()));
    EXPECT_EQ(ReadRaw(Path("out.txt")),
              std::string(kRule) + "Game Parameters\nOBJECT START\nclass type: \"CastTestParams\"\n"
              "[CastTestParams] \"Game Parameters\"\n{\n \"SFX Volume\" -12\n class type: \"CastTestElement\"\n"
              " [CastTestElement] \"Inner\"\n {\n  \"Size\" 9\n  \"Zoom\" 2.250000\n  \"Texture\" \"Cam \"Main\"\"\n }\n}\n" +
              kRule + "Made\nDYNAMIC OBJECT START\nclass type: \"CastTestElement\"\n[CastTestElement] \"Made\"\n"
              "{\n \"Size\" 33\n \"Zoom\" 0.000000\n \"Texture\" \"\"\n}\n");
    for (bool scrambled : {false, true}) {
        ASSERT_TRUE(SaveSettings(cast, Dir("game.txt").c_str(), scrambled));
        EXPECT_EQ(ReadRaw(Path("game.txt")).find("OBJECT START") == std::string::npos, scrambled);
        Cast* loaded = CastManager::Instance()->CreateCast(scrambled ? "scrambled" : "plain");
        CastTestParams copy;
        loaded->AddMember(&copy, "Game Parameters", false);
        LogCapture log;
        ASSERT_TRUE(LoadSettings(loaded, Dir("game.txt").c_str(), scrambled));
        EXPECT_EQ(log.Text(), "");
        ASSERT_TRUE(SaveSettings(loaded, Dir("again.txt").c_str()));
        EXPECT_EQ(ReadRaw(Path("again.txt")), ReadRaw(Path("out.txt")));  // the dynamic member made anew too
        // Read the other way, the file is refused and nothing changes.
        copy.volume = 1;
        EXPECT_FALSE(LoadSettings(loaded, Dir("game.txt").c_str(), !scrambled));
        EXPECT_EQ(std::pair(copy.volume, loaded->GetMemberCount()), std::pair(1, 2));
    }
}

TEST_F(CastTest, DamagedBlocksAreReportedAndNeverSpoilTheOthers)
{
    CastTestElement elements[6];
    const char* names[] = {"A", "B", "C", "D", "E", "F"};
    for (int i = 0; i < 6; ++i)
        Add(elements[i], names[i]);
    const std::string garbage("\x01\xff\x00}\x80{\n \"Size\" 5\n", 17);
    const std::string text =
        "stray text\n" + std::string(kRule) + "A\nOBJECT START\n[CastTestElement] \"A\"\n{\n \"Size\" 1\n" +  // never closed
        kRule + "B\nOBJECT START\n[CastTestElement] \"B\"\n{\n \"Size\" 2\n}\n" +
        kRule + "Lost\nOBJECT START\n \"Size\" 666\n \"Texture\" \"wrong\"\n}\n" +  // no section header
        kRule + "C\nOBJECT START\n[CastTestElement] \"C\"\n{\n \"Size\" 3\n \"Zoom\" nan\n}\n" +
        kRule + "D\nOBJECT START\n[CastTestElement] \"D\"\n{\n \"Texture\" bare\n \"Size 9\n}\n" +
        kRule + "E\nOBJECT START\n[CastTestElement] \"E\"\n{\n" + garbage + "}\n" +
        kRule + "Nobody\nOBJECT START\n[CastTestElement] \"Nobody\"\n{\n}\n" +
        "DYNAMIC OBJECT START\n[CastTestElement] \"Classless\"\n{\n}\n" +
        "OBJECT START\nclass type: \"CastTestElement\"\n[CastTestElement] \"B\"\n{\n \"Zoom\" 4\n}\n" +
        kRule + "F\nOBJECT START\n[CastTestElement] \"F\"\n{\n \"Size\" 6\n \"Textu";  // truncated
    WriteRaw(Path("bad.txt"), text);
    LogCapture log;
    EXPECT_FALSE(LoadSettings(cast, Dir("bad.txt").c_str()));
    std::vector<std::string> got;
    for (const CastTestElement& o : elements)
        got.push_back(std::to_string(o.size) + " " + o.texture + " " + std::to_string(o.zoom));
    EXPECT_EQ(got, (std::vector<std::string>{"1  0.000000", "2  4.000000", "3  0.000000", "0 bare 0.000000",
                                             "5  0.000000", "6  0.000000"}));
    const std::string file = "LoadSettings: " + Dir("bad.txt") + ": ";
    for (const std::string& line :
         {file + "line 1 stands outside any object and is ignored", file + "the object A at line 3 was read with the problems above (table line 1 is line 4)",
          file + "the object at line 14 has no section; skipped", file + "the object C at line 19 was read with the problems above (table line 1 is line 20)",
          file + "the object D at line 26 was read", std::string("LoadSettings: Object Nobody not found"),
          file + "the dynamic object Classless at line 44 has no class type; skipped", file + "the object F at line"})
        EXPECT_EQ(log.Count(line), 1) << line << "\n" << log.Text();
    EXPECT_FALSE(log.Contains("the object B") || log.Contains("the object E"));
}

// A player's file that holds nothing readable is damaged however it came to be so, and is kept
// beside itself before the game can write over it; the data files keep their own rule.
TEST_F(CastTest, DamagedPlayerFilesAreReportedAndKeptBesideThemselves)
{
    CastTestElement element;
    element.size = 7;
    Add(element, "E");
    ASSERT_TRUE(SaveSettings(cast, Dir("good.txt").c_str(), true));
    const std::string scrambled = ReadRaw(Path("good.txt"));
    struct Case {
        const char* name;
        std::string bytes;
        bool scrambled;
    };
    const Case cases[] = {
        {"blanks alone", " \n\t\n\n", false},
        {"its comment alone", std::string(kRule) + "E\n", false},
        {"scrambled and cut to 100 bytes", scrambled.substr(0, 100), true},
        {"not scrambled", "[CastTestElement] \"E\"\n{\n}\n", true},
        {"a damaged object", std::string(kRule) + "E\nOBJECT START\n[CastTestElement] \"E\"\n{\n \"Size\" 2\n", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteRaw(Path("player.txt"), c.bytes);
        std::filesystem::remove(Path("player.txt.damaged"));
        LogCapture log;
        EXPECT_FALSE(LoadPlayerSettings(cast, Dir("player.txt").c_str(), c.scrambled));
        EXPECT_TRUE(log.Contains("player.txt was read as damaged; it is kept as ")) << log.Text();
        EXPECT_EQ(ReadRaw(Path("player.txt.damaged")), c.bytes);
        EXPECT_EQ(ReadRaw(Path("player.txt")), c.bytes);
    }
    LogCapture log;
    WriteRaw(Path("data.txt"), std::string(kRule) + "E\n");
    EXPECT_TRUE(LoadSettings(cast, Dir("data.txt").c_str()));
    EXPECT_TRUE(LoadPlayerSettings(cast, Dir("good.txt").c_str(), true));
    EXPECT_EQ(element.size, 7);
    EXPECT_FALSE(LoadPlayerSettings(cast, Dir("missing.txt").c_str()));
    EXPECT_FALSE(log.Contains("damaged")) << log.Text();
    EXPECT_FALSE(std::filesystem::exists(Path("good.txt.damaged")) || std::filesystem::exists(Path("data.txt.damaged")));
}

TEST_F(CastTest, FilesThatCannotBeReadOrWrittenLeaveMembersAndOldFilesAsTheyWere)
{
    CastTestElement element;
    element.texture = "old";
    Add(element, "E");
    LogCapture log;
    for (bool scrambled : {false, true}) {
        EXPECT_FALSE(LoadSettings(cast, Dir("missing.txt").c_str(), scrambled));
        EXPECT_EQ(element.texture, "old");
        WriteRaw(Path("taken"), "a file where a folder should be\n");
        EXPECT_FALSE(SaveSettings(cast, Dir("taken\\cast.txt").c_str(), scrambled));
        EXPECT_EQ(ReadRaw(Path("taken")), "a file where a folder should be\n");
    }
    EXPECT_EQ(log.Count("Could not load cast from \"" + Dir("missing.txt") + "\"\n"), 2);
    EXPECT_EQ(log.Count("Could not save settings to " + Dir("taken\\cast.txt") + "\n"), 2);
    EXPECT_FALSE(SaveSettings(nullptr, Dir("x.txt").c_str()) || LoadSettings(nullptr, Dir("x.txt").c_str()));
    for (bool scrambled : {false, true}) {
        const std::string name = Dir(scrambled ? "s.txt" : "p.txt");
        element.texture = "old";
        ASSERT_TRUE(SaveSettings(cast, name.c_str(), scrambled));
        const std::string old = ReadRaw(Path(scrambled ? "s.txt" : "p.txt"));
        element.texture.assign(900, 'x');
        for (int i = 0; i < 5; ++i)
            cast->AddMember(new CastTestElement(element), "Copy", true);
        log.Clear();
        const bool stored = [&] {
            DiskFullAfter full(4096);
            return SaveSettings(cast, name.c_str(), scrambled);
        }();
        EXPECT_FALSE(stored);
        EXPECT_TRUE(log.Contains("Could not save settings to " + name + "\n"));
        EXPECT_EQ(ReadRaw(Path(scrambled ? "s.txt" : "p.txt")), old);
        element.texture.clear();
        ASSERT_TRUE(LoadSettings(cast, name.c_str(), scrambled));
        EXPECT_EQ(element.texture, "old");
        while (cast->GetMemberCount() > 1)
            cast->RemoveMember(cast->GetMember(1)->object);
    }
}

}  // namespace
