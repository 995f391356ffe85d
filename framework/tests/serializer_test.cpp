#include "framework/AsciiSerializer.h"
#include "framework/Color.h"
#include "framework/Object.h"
#include "framework/Quaternion.h"
#include "framework/Vector.h"
#include "support/StringFile.h"
#include "tests/support/LogCapture.h"
#include "tests/support/NullSerializer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace {

struct Player : Object {
    explicit Player(std::string n = {}, int32_t k = 0) : name(std::move(n)), number(k) {}
    std::string name;
    int32_t number;

    void Serialize(Serializer& s, const char* descriptor) override
    {
        s.BeginSection("Player", descriptor);
        s.SerializeString("name", &name);
        s.SerializeInt("number", &number);
        s.EndSection();
    }
};

// A count drives creation when reading, as in the cut-scene scripts and action lists.
struct Squad : Object {
    int32_t count = 0;
    float speed = 0.0f;
    bool active = false;
    std::string label;
    Vector3 position;
    Quaternion rotation;
    Color tint;
    std::vector<std::unique_ptr<Player>> players;

    void Serialize(Serializer& s, const char* descriptor) override
    {
        s.BeginSection("Squad", descriptor);
        s.SerializeInt("Count", &count);
        s.SerializeFloat("Speed", &speed);
        s.SerializeBool("Active", &active);
        s.SerializeString("Label", &label);
        s.SerializeVector3("Pos", &position);
        s.SerializeQuaternion("Rot", &rotation);
        s.SerializeColor("Tint", &tint);
        int32_t np = static_cast<int32_t>(players.size());
        s.SerializeInt("num players", &np);
        if (s.IsReading()) {
            players.clear();
            for (int32_t i = 0; i < np; ++i)
                players.push_back(std::make_unique<Player>());
        }
        for (auto& player : players)
            s.SerializeObject("player", player.get());
        s.EndSection();
    }
};

std::string Write(Object& object, const char* descriptor)
{
    StringFile file;
    AsciiSerializer(&file, true).SerializeObject(descriptor, &object);
    return file.text;
}

void Read(const std::string& text, Object& object, const char* descriptor)
{
    MemoryFile file = TextFile(text);
    AsciiSerializer(&file, false).SerializeObject(descriptor, &object);
}

Squad MakeSquad()
{
    Squad squad;
    std::tie(squad.count, squad.speed, squad.active, squad.label) = std::tuple(-3, 1.5f, true, "Lizards \"A\" team");
    squad.position = {1.0f, -2.5f, 3.25f};
    squad.rotation = {0.5f, 0.5f, -0.5f, 0.5f};
    squad.tint = Color(0.5f, 0.25f, 1.0f, 0.75f);
    for (const char* name : {"Bo", "Al", ""})
        squad.players.push_back(std::make_unique<Player>(name, static_cast<int32_t>(squad.players.size() + 1) * 7));
    return squad;
}

}  // namespace

TEST(AsciiSerializerTest, WritesClassLinesIndentedSectionsAndReadsThemBack)
{
    Squad squad = MakeSquad();
    squad.players.resize(1);
    const std::string text = Write(squad, "My Squad");
    EXPECT_EQ(text,
              "class type: \"Squad\"\n[Squad] \"My Squad\"\n{\n \"Count\" -3\n \"Speed\" 1.500000\n \"Active\" 1\n"
              " \"Label\" \"Lizards \"A\" team\"\n \"Pos\" 1.000000 -2.500000 3.250000\n"
              " \"Rot\" 0.500000 0.500000 -0.500000 0.500000\n \"Tint\" 0.500000 0.250000 1.000000 0.750000\n"
              " \"num players\" 1\n"
              " class type: \"Player\"\n [Player] \"player\"\n {\n  \"name\" \"Bo\"\n  \"number\" 7\n }\n}\n");
    // Repeated keys and sections come back in order; written again, the copy gives the same text.
    Squad full = MakeSquad(), copy;
    const std::string fullText = Write(full, "Home");
    Read(fullText, copy, "Home");
    EXPECT_EQ(copy.label, full.label);  // inner quotes survive unescaped
    EXPECT_EQ(Write(copy, "Home"), fullText);
}

TEST(AsciiSerializerTest, EntriesAndSectionsAreFoundOnceEachInFileOrder)
{
    MemoryFile file = TextFile("\"top\" 4\n[Scene] \"intro\"\n{\n \"first\" 1\n \"rep\" 2\n \"rep\" 3\n"
                               " [Anim] \"actor\"\n {\n  \"v\" 1\n }\n [Fade] \"actor\"\n {\n  \"v\" 2\n }\n"
                               " [Fade] \"actor\"\n {\n  \"v\" 3\n }\n [Anim] \"actor\"\n {\n  \"v\" 4\n }\n"
                               " [Anim] \"other\"\n {\n  \"v\" 5\n }\n}\n");
    AsciiSerializer reader(&file, false);
    std::vector<int32_t> got;
    auto read = [&](const char* key) {
        int32_t value = -1;
        reader.SerializeInt(key, &value);
        got.push_back(value);
    };
    reader.BeginSection("Scene", "intro");
    read("rep");  // a repeated key read before a key written ahead of it
    read("rep");
    read("rep");  // never a value twice: absent, so kept
    read("first");
    for (const char* type : {"Fade", "Fade", "Fade", "Anim", "Anim", "Missing"}) {
        reader.BeginSection(type, "actor");
        reader.BeginSection("Anim", "other");  // inside an absent section nothing is found
        read("v");
        reader.EndSection();
        read("v");
        reader.EndSection();
    }
    read("top");  // not in this section
    reader.EndSection();
    read("top");  // entries outside any section are readable
    EXPECT_EQ(got, (std::vector<int32_t>{2, 3, -1, 1, -1, 2, -1, 3, -1, -1, -1, 1, -1, 4, -1, -1, -1, 4}));
}

TEST(AsciiSerializerTest, ReadingStopsAtTheOuterClosingBraceAndNoLineLengthLosesTheNext)
{
    // Two blocks in one file, as in a cast file: each reader takes one.
    MemoryFile file = TextFile(
        "# ---- first\nOBJECT START\nclass type: \"Player\"\n[Player] \"a\"\n{\n \"number\" 1\n}\n"
        "# ---- second\nOBJECT START\n[Player] \"b\"\n{\n \"number\" 2\n}\n");
    Player a, b;
    AsciiSerializer(&file, false).SerializeObject("a", &a);
    char line[64] = "";
    ASSERT_TRUE(file.ReadLine(line, sizeof line));
    EXPECT_STREQ(line, "# ---- second\n");
    AsciiSerializer(&file, false).SerializeObject("b", &b);
    EXPECT_EQ(std::pair(a.number, b.number), std::pair(1, 2));
    // Entries after the outer "}" do not belong to the table; only spaces indent.
    Player c;
    Read("[Player] \"c\"\n{\n}\n \"number\" 3\n[Player] \"c\"\n{\n \"number\" 4\n}\n", c, "c");
    EXPECT_EQ(c.number, 0);
    Read("[Player] \"c\"\n{\n\t\"number\" 5\n\t}\n \"name\" \"Tabs\"\n}\n", c, "c");
    EXPECT_EQ(std::pair(c.name, c.number), std::pair(std::string("Tabs"), 0));
    // Carriage returns are not part of values, even in a file read as bytes.
    file = TextFile("[Player] \"p\"\r\n{\r\n \"name\" \"Dos\"\r\r\n \"number\" 6\r\n}\r\n", false);
    AsciiSerializer(&file, false).SerializeObject("p", &c);
    EXPECT_EQ(std::pair(c.name, c.number), std::pair(std::string("Dos"), 6));
    // No line length loses the next line.
    for (const size_t length : {998u, 999u, 1000u, 1001u, 2000u, 4096u}) {
        for (const char* end : {"\n", "\r\n"}) {
            // A value of braces: a rest read as a line of its own would close the section.
            Player player(std::string(length - 10, '}'), 42);
            LogCapture log;
            std::string text = Write(player, "p");
            EXPECT_NE(text.find("{\n \"name\" \"" + player.name + "\"\n"), std::string::npos);
            EXPECT_EQ(log.Count("only 999 will read back"), length > 999 ? 1 : 0) << length;
            for (size_t at = 0; (at = text.find('\n', at)) != std::string::npos; at += std::strlen(end))
                text.replace(at, 1, end);
            Player copy;
            Read(text, copy, "p");
            EXPECT_EQ(copy.number, 42) << length << " " << (end[1] ? "CRLF" : "LF");
            EXPECT_EQ(copy.name, std::string(std::min<size_t>(length - 10, 990), '}')) << length;
            EXPECT_EQ(log.Count("the rest is skipped"), length > 999 ? 1 : 0) << length;
        }
    }
}

TEST(AsciiSerializerTest, MissingOrDamagedValuesAreReportedAndKeepOrLimitTheValue)
{
    Squad squad = MakeSquad();
    Read("[Squad] \"Away\"\n{\n \"Speed\" 7.0\n}\n", squad, "Home");  // another instance: nothing read
    EXPECT_EQ(squad.speed, 1.5f);
    LogCapture log;
    Read("}\n"  // stray brace before any section
         "[Squad] \"Home\"\n{\n# junk\n\tjunk\n\x01\xff\n{\nclass type: \"x\"\n \"Unknown\" 12\n"
         " \"Count\" lots\n"             // not a number: kept
         " \"Speed\" 2.5\n"              // fine
         " \"Label\" unquoted text \n"   // no quotes: taken as it stands
         " \"Pos\" 1 2\n"                // one number short: kept
         " \"Tint\" 0.1 0.2 0.3 0.4\n"
         " \"broken key\n"               // key without closing quote: ignored
         " [Player \"x\"\n {\n }\n"       // header without "]": still pairs with its brace
         " [Player] x\n {\n }\n"          // without instance name
         " [Player] \"x\n {\n }\n"        // without closing quote
         " \"Active\" 1\n",              // the text ends inside the section
         squad, "Home");
    EXPECT_EQ(log.Count("***WARNING: AsciiSerializer"), 9) << log.Text();
    EXPECT_EQ(squad.count, -3);
    EXPECT_EQ(std::tie(squad.speed, squad.label, squad.position, squad.tint, squad.rotation),
              std::tuple(2.5f, "unquoted text", Vector3(1.0f, -2.5f, 3.25f), Color(0.1f, 0.2f, 0.3f, 0.4f),
                         Quaternion(0.5f, 0.5f, -0.5f, 0.5f)));  // the rotation is absent: kept
    EXPECT_TRUE(squad.active) << "entries after a damaged header still belong to the section";
    // strtof takes these; no number field may.
    Squad kept = MakeSquad();
    kept.players.clear();  // made anew by every read
    const std::string unchanged = Write(kept, "Home");
    for (const std::string bad : {"nan", "-inf", "INF", "infinity", "nan(0x1)", "1e999"}) {
        log.Clear();
        Read("[Squad] \"Home\"\n{\n \"Speed\" " + bad + "\n \"Pos\" 1 " + bad + " 3\n \"Rot\" " + bad +
                 " 0 0 0\n \"Tint\" 0 0 0 " + bad + "\n}\n",
             kept, "Home");
        EXPECT_EQ(log.Count("finite number(s), found"), 4) << bad;
        EXPECT_EQ(Write(kept, "Home"), unchanged) << bad;
    }
    MemoryFile file = TextFile("[S] \"s\"\n{\n \"a\" \"open\n \"b\"\n \"c\" \"\"\n \"lo\" -2147483648\n"
                               " \"hi\" 2147483648\n \"t\" 2\n \"f\" 0\n \"g\" yes\n}\n");
    AsciiSerializer reader(&file, false);
    reader.BeginSection("S", "s");
    for (const auto& [key, initial, expected] : {std::tuple{"a", "", "open"}, {"b", "kept", "kept"}, {"c", "full", ""}}) {
        std::string value = initial;
        reader.SerializeString(key, &value);
        EXPECT_EQ(value, expected) << key;
    }
    for (const auto& [key, expected] : {std::pair{"lo", INT32_MIN}, {"hi", INT32_MAX}}) {
        int32_t value = 0;
        reader.SerializeInt(key, &value);
        EXPECT_EQ(value, expected) << key;
    }
    for (const auto& [key, initial, expected] : {std::tuple{"t", false, true}, {"f", true, false}, {"g", true, true}}) {
        bool value = initial;  // "yes" is no number: kept
        reader.SerializeBool(key, &value);
        EXPECT_EQ(value, expected) << key;
    }
    reader.EndSection();
    reader.EndSection();
    EXPECT_TRUE(log.Contains("AsciiSerializer::EndSection: no open section"));
}

// Pasted settings: the section asked for under the wildcard name is found by its type alone;
// nested sections are still found by their own names.
TEST(AsciiSerializerTest, WildcardInstanceFindsTheSectionByTypeAlone)
{
    const std::string text = "[Squad] \"Saved\"\n{\n \"Speed\" 2.5\n \"num players\" 1\n"
                             " [Player] \"other\"\n {\n  \"number\" 8\n }\n"
                             " [Player] \"player\"\n {\n  \"number\" 9\n }\n}\n";
    const auto read = [&](const char* wildcard) {
        Squad squad;
        MemoryFile file = TextFile(text);
        AsciiSerializer reader(&file, false);
        reader.SetAnyInstanceName(wildcard);
        reader.SerializeObject("Pasted", &squad);
        return squad;
    };
    Squad pasted = read("Pasted");
    EXPECT_EQ(pasted.speed, 2.5f);
    ASSERT_EQ(pasted.players.size(), 1u);
    EXPECT_EQ(pasted.players[0]->number, 9);
    EXPECT_EQ(read(nullptr).speed, 0.0f);
    EXPECT_EQ(read("Other").speed, 0.0f);
}

TEST(AsciiSerializerTest, WritingMendsLineBreaksAndReportsWhatItCannotDo)
{
    Squad squad;
    squad.label = "two\nlines\r}";
    LogCapture log;
    std::string text = Write(squad, "A\nB");
    EXPECT_EQ(log.Count("line break written as a blank"), 2);
    EXPECT_EQ(text.find('\r'), std::string::npos);
    Squad copy;
    copy.speed = 7.0f;
    Read(text, copy, "A B");
    EXPECT_EQ(std::pair(copy.label, copy.speed), std::pair(std::string("two lines }"), 0.0f)) << "all was read";
    StringFile file;
    {
        AsciiSerializer writer(&file, true);
        writer.EndSection();
        writer.SerializeButton("combobox [low][high]", "");
        writer.BeginSection("Player", "open");
    }
    EXPECT_EQ(file.text, "[Player] \"open\"\n{\n");
    EXPECT_TRUE(log.Contains("AsciiSerializer::EndSection: no open section"));
    EXPECT_TRUE(log.Contains("AsciiSerializer::~AsciiSerializer: 1 section(s) left open"));
    file.room = 10;
    Player player;
    AsciiSerializer(&file, true).SerializeObject("p", &player);
    EXPECT_TRUE(log.Contains("AsciiSerializer: could not write"));
    // Without a file nothing is read or written, and that is said.
    player.number = 5;
    AsciiSerializer(nullptr, false).SerializeObject("p", &player);
    AsciiSerializer(nullptr, true).SerializeObject("p", &player);
    EXPECT_EQ(player.number, 5);
    EXPECT_EQ(log.Count("AsciiSerializer::AsciiSerializer: no file to"), 2);
}

TEST(AsciiSerializerTest, AListCountIsKeptWithinWhatTheTableCanHold)
{
    // Four table lines (reading ends at the closing brace): no list in them has more items.
    const std::string table = "[Squad] \"s\"\n{\n \"num players\" 2\n}\nmore after the table\n";
    struct Case {
        int32_t count;
        int32_t read;
        const char* warning;  // empty: none
    };
    const Case cases[] = {
        {2, 2, ""},
        {4, 4, ""},
        {5, 4, "***WARNING: Squad::Serialize: num players 5 is more than the table can hold; read as 4\n"},
        {2000000000, 4,
         "***WARNING: Squad::Serialize: num players 2000000000 is more than the table can hold; read as 4\n"},
        {-3, 0, "***WARNING: Squad::Serialize: num players -3 read as 0\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        MemoryFile file = TextFile(table);
        AsciiSerializer reader(&file, false);
        LogCapture log;
        EXPECT_EQ(reader.BoundListCount("Squad::Serialize", "num players", c.count), c.read);
        EXPECT_EQ(log.Text(), c.warning);
    }
    StringFile out;
    EXPECT_EQ(AsciiSerializer(&out, true).BoundListCount("Squad::Serialize", "num players", -3), -3);
    // What is not a file cannot tell, and allows a generous list.
    NullSerializer dialog(false);
    EXPECT_EQ(dialog.BoundListCount("Squad::Serialize", "num players", 1 << 30), Serializer::kMaxListItems);
}

namespace outer::inner {
struct Nested : Object {};
template <typename T>
struct Holder : Object {};
}  // namespace outer::inner

TEST(ObjectTest, ClassNamesDropNamespacesAndNamesAreCopies)
{
    outer::inner::Nested nested;
    outer::inner::Holder<outer::inner::Nested> holder;
    Player player;  // in an anonymous namespace
    const Object& asBase = player;
    EXPECT_EQ(ClassNameOf(nested), "Nested");
    EXPECT_EQ(ClassNameOf(holder), "Holder<outer::inner::Nested>");
    EXPECT_EQ(ClassNameOf(asBase), "Player") << "the dynamic type names the class";
    Object object;
    EXPECT_EQ(object.GetName(), nullptr);
    std::string source = "Game Parameters";
    object.SetName(source.c_str());
    source[0] = 'X';
    EXPECT_STREQ(object.GetName(), "Game Parameters");
    object.SetName("");
    EXPECT_TRUE(object.HasName() && object.GetName()) << "an empty name is still a name";
    object.SetName(nullptr);
    EXPECT_FALSE(object.HasName() || object.GetName());
}
