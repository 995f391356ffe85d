#include "framework/AsciiSerializer.h"
#include "framework/Color.h"
#include "framework/Debug.h"
#include "framework/File.h"
#include "framework/MemoryFile.h"
#include "framework/Object.h"
#include "framework/Quaternion.h"
#include "framework/Vector.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

// A writable file in memory. Plain files keep the line feed in ReadLine; archive entries
// cut the line at it and blank carriage returns. Both kinds reach the reader.
class TextFile : public File {
public:
    explicit TextFile(std::string text = {}, bool archiveLines = false)
        : m_text(std::move(text)), m_archiveLines(archiveLines)
    {
    }

    size_t Read(void* buffer, size_t count) override
    {
        size_t n = std::min(count, m_text.size() - m_pos);
        m_text.copy(static_cast<char*>(buffer), n, m_pos);
        m_pos += n;
        return n;
    }
    size_t Write(const void* buffer, size_t count) override
    {
        size_t n = std::min(count, m_writeRoom);
        m_text.append(static_cast<const char*>(buffer), n);
        m_writeRoom -= n;
        return n;
    }
    bool ReadLine(char* buffer, size_t size) override
    {
        if (m_pos >= m_text.size()) {
            m_eof = true;
            return false;
        }
        size_t n = 0;
        while (n + 1 < size && m_pos < m_text.size()) {
            char c = m_text[m_pos++];
            if (c == '\n') {
                if (!m_archiveLines)
                    buffer[n++] = c;
                break;
            }
            buffer[n++] = (m_archiveLines && c == '\r') ? ' ' : c;
        }
        buffer[n] = '\0';
        return true;
    }
    bool IsEof() const override { return m_eof; }
    bool Seek(int64_t offset) override
    {
        m_pos = static_cast<size_t>(offset);
        return true;
    }
    int64_t Tell() const override { return static_cast<int64_t>(m_pos); }
    int64_t Size() const override { return static_cast<int64_t>(m_text.size()); }
    bool Close() override { return true; }

    const std::string& Text() const { return m_text; }
    void LimitWrites(size_t room) { m_writeRoom = room; }

private:
    std::string m_text;
    bool m_archiveLines;
    size_t m_pos = 0;
    size_t m_writeRoom = static_cast<size_t>(-1);
    bool m_eof = false;
};

struct Player : Object {
    std::string name;
    int32_t number = 0;

    void Serialize(Serializer& s, const char* descriptor) override
    {
        s.BeginSection("Player", descriptor);
        s.SerializeString("name", &name);
        s.SerializeInt("number", &number);
        s.EndSection();
    }
};

// Counts drive creation when reading, as in the cut-scene scripts and action lists.
struct Squad : Object {
    static constexpr int32_t kMaxCount = 1000;  // damaged counts must not exhaust memory
    int32_t count = 0;
    float speed = 0.0f;
    bool active = false;
    std::string label;
    Vector3 position;
    Quaternion rotation;
    Color tint;
    std::vector<std::string> actions;
    std::vector<std::unique_ptr<Player>> players;

    void Serialize(Serializer& s, const char* descriptor) override
    {
        s.BeginSection("Squad", descriptor);
        s.SerializeInt("Count", &count);
        s.SerializeButton("angle", "");
        s.SerializeFloat("Speed", &speed);
        s.SerializeBool("Active", &active);
        s.SerializeString("Label", &label);
        s.SerializeVector3("Pos", &position);
        s.SerializeQuaternion("Rot", &rotation);
        s.SerializeColor("Tint", &tint);
        int32_t n = static_cast<int32_t>(actions.size());
        s.SerializeInt("num actions", &n);
        if (s.IsReading())
            actions.resize(static_cast<size_t>(std::clamp(n, 0, kMaxCount)));
        for (std::string& action : actions)
            s.SerializeString("Action Type", &action);
        int32_t np = static_cast<int32_t>(players.size());
        s.SerializeInt("num players", &np);
        if (s.IsReading()) {
            players.clear();
            for (int32_t i = 0; i < std::min(np, kMaxCount); ++i)
                players.push_back(std::make_unique<Player>());
        }
        for (auto& player : players)
            s.SerializeObject("player", player.get());
        s.EndSection();
    }
};

std::string Write(Object& object, const char* descriptor)
{
    TextFile file;
    {
        AsciiSerializer writer(&file, true);
        EXPECT_TRUE(writer.IsWriting());
        EXPECT_FALSE(writer.IsReading());
        writer.SerializeObject(descriptor, &object);
    }
    return file.Text();
}

void Read(const std::string& text, Object& object, const char* descriptor, bool archiveLines = false)
{
    TextFile file(text, archiveLines);
    AsciiSerializer reader(&file, false);
    EXPECT_TRUE(reader.IsReading());
    reader.SerializeObject(descriptor, &object);
}

Squad MakeSquad()
{
    Squad squad;
    squad.count = -3;
    squad.speed = 1.5f;
    squad.active = true;
    squad.label = "Lizards \"A\" team";
    squad.position = {1.0f, -2.5f, 3.25f};
    squad.rotation = {0.5f, 0.5f, -0.5f, 0.5f};
    squad.tint = Color(0.5f, 0.25f, 1.0f, 0.75f);
    squad.actions = {"Run", "Jump", "Run"};
    for (const char* name : {"Bo", "Al", ""}) {
        squad.players.push_back(std::make_unique<Player>());
        squad.players.back()->name = name;
        squad.players.back()->number = static_cast<int32_t>(squad.players.size()) * 7;
    }
    return squad;
}

int Warnings()
{
    return Debug::Instance()->GetWarningCount();
}

}  // namespace

TEST(AsciiSerializerWrite, ExactTextWithClassLinesAndIndentation)
{
    Squad squad;
    squad.count = 3;
    squad.speed = 1.5f;
    squad.active = true;
    squad.label = "hi";
    squad.position = {1.0f, 2.0f, 3.0f};
    squad.tint = Color(0.5f, 0.25f, 1.0f, 1.0f);
    squad.actions = {"Run", "Jump"};
    squad.players.push_back(std::make_unique<Player>());
    squad.players[0]->name = "Bo";
    squad.players[0]->number = 7;

    EXPECT_EQ(Write(squad, "My Squad"),
              "class type: \"Squad\"\n"
              "[Squad] \"My Squad\"\n"
              "{\n"
              " \"Count\" 3\n"
              " \"Speed\" 1.500000\n"
              " \"Active\" 1\n"
              " \"Label\" \"hi\"\n"
              " \"Pos\" 1.000000 2.000000 3.000000\n"
              " \"Rot\" 1.000000 0.000000 0.000000 0.000000\n"
              " \"Tint\" 0.500000 0.250000 1.000000 1.000000\n"
              " \"num actions\" 2\n"
              " \"Action Type\" \"Run\"\n"
              " \"Action Type\" \"Jump\"\n"
              " \"num players\" 1\n"
              " class type: \"Player\"\n"
              " [Player] \"player\"\n"
              " {\n"
              "  \"name\" \"Bo\"\n"
              "  \"number\" 7\n"
              " }\n"
              "}\n");
}

TEST(AsciiSerializerRoundTrip, NestedObjectWithRepeatedSectionsAndKeys)
{
    Squad original = MakeSquad();
    std::string text = Write(original, "Home");

    for (bool archiveLines : {false, true}) {
        Squad copy;
        Read(text, copy, "Home", archiveLines);
        EXPECT_EQ(copy.count, original.count);
        EXPECT_EQ(copy.speed, original.speed);
        EXPECT_EQ(copy.active, original.active);
        EXPECT_EQ(copy.label, original.label);  // inner quotes survive unescaped
        EXPECT_EQ(copy.position.x, original.position.x);
        EXPECT_EQ(copy.position.y, original.position.y);
        EXPECT_EQ(copy.position.z, original.position.z);
        EXPECT_EQ(copy.rotation, original.rotation);
        EXPECT_EQ(copy.tint, original.tint);
        EXPECT_EQ(copy.actions, original.actions);
        ASSERT_EQ(copy.players.size(), original.players.size());
        for (size_t i = 0; i < copy.players.size(); ++i) {
            EXPECT_EQ(copy.players[i]->name, original.players[i]->name) << i;
            EXPECT_EQ(copy.players[i]->number, original.players[i]->number) << i;
        }
        // Written again, the copy gives the same text.
        EXPECT_EQ(Write(copy, "Home"), text);
    }
}

TEST(AsciiSerializerRead, MissingKeysAndSectionsKeepValues)
{
    Squad squad = MakeSquad();
    Read("[Squad] \"Home\"\n{\n \"Speed\" 9.0\n \"Unknown\" 12\n}\n", squad, "Home");
    EXPECT_EQ(squad.speed, 9.0f);
    EXPECT_EQ(squad.count, -3);
    EXPECT_EQ(squad.label, "Lizards \"A\" team");
    EXPECT_EQ(squad.tint, Color(0.5f, 0.25f, 1.0f, 0.75f));

    // Another instance name is another section: nothing is read.
    Squad other = MakeSquad();
    Read("[Squad] \"Away\"\n{\n \"Speed\" 9.0\n}\n", other, "Home");
    EXPECT_EQ(other.speed, 1.5f);
}

TEST(AsciiSerializerRead, RepeatedKeyIsNeverReadTwice)
{
    // Three actions announced, two present: the third keeps what it had rather than
    // taking the first one's value again.
    TextFile file("[S] \"s\"\n{\n \"Action Type\" \"A\"\n \"Action Type\" \"B\"\n}\n");
    AsciiSerializer reader(&file, false);
    reader.BeginSection("S", "s");
    std::string a, b, c = "kept";
    reader.SerializeString("Action Type", &a);
    reader.SerializeString("Action Type", &b);
    reader.SerializeString("Action Type", &c);
    reader.EndSection();
    EXPECT_EQ(a, "A");
    EXPECT_EQ(b, "B");
    EXPECT_EQ(c, "kept");

    // The same when the repeated key is read before a key written ahead of it.
    TextFile reordered("[S] \"s\"\n{\n \"first\" 1\n \"rep\" 2\n \"rep\" 3\n}\n");
    AsciiSerializer second(&reordered, false);
    int32_t rep1 = 0, rep2 = 0, rep3 = -1, first = 0;
    second.BeginSection("S", "s");
    second.SerializeInt("rep", &rep1);
    second.SerializeInt("rep", &rep2);
    second.SerializeInt("rep", &rep3);
    second.SerializeInt("first", &first);
    second.EndSection();
    EXPECT_EQ(rep1, 2);
    EXPECT_EQ(rep2, 3);
    EXPECT_EQ(rep3, -1);
    EXPECT_EQ(first, 1);
}

TEST(AsciiSerializerRead, SectionsMatchByTypeAndInstanceInFileOrder)
{
    const char* text =
        "[Scene] \"intro scene\"\n{\n"
        " [ActorAnim] \"actor\"\n {\n  \"v\" 1\n }\n"
        " [SceneFade] \"actor\"\n {\n  \"v\" 2\n }\n"
        " [SceneFade] \"actor\"\n {\n  \"v\" 3\n }\n"
        " [ActorAnim] \"actor\"\n {\n  \"v\" 4\n }\n"
        "}\n";
    TextFile file(text);
    AsciiSerializer reader(&file, false);
    int32_t fade1 = 0, fade2 = 0, fade3 = -1, anim1 = 0, anim2 = 0;
    reader.BeginSection("Scene", "intro scene");
    for (int32_t* out : {&fade1, &fade2, &fade3}) {
        reader.BeginSection("SceneFade", "actor");
        reader.SerializeInt("v", out);
        reader.EndSection();
    }
    for (int32_t* out : {&anim1, &anim2}) {
        reader.BeginSection("ActorAnim", "actor");
        reader.SerializeInt("v", out);
        reader.EndSection();
    }
    reader.EndSection();
    EXPECT_EQ(fade1, 2);
    EXPECT_EQ(fade2, 3);
    EXPECT_EQ(fade3, -1);  // only two fades in the file
    EXPECT_EQ(anim1, 1);
    EXPECT_EQ(anim2, 4);
}

TEST(AsciiSerializerRead, AbsentSectionStaysBalanced)
{
    TextFile file("[Outer] \"o\"\n{\n \"after\" 5\n [Inner] \"i\"\n {\n  \"x\" 1\n }\n}\n");
    AsciiSerializer reader(&file, false);
    int32_t x = 9, after = 0, deep = 4;
    reader.BeginSection("Outer", "o");
    reader.BeginSection("Missing", "m");
    reader.BeginSection("Inner", "i");  // inside an absent section nothing is found
    reader.SerializeInt("x", &x);
    reader.EndSection();
    reader.SerializeInt("after", &deep);
    reader.EndSection();
    reader.SerializeInt("after", &after);
    reader.EndSection();
    EXPECT_EQ(x, 9);
    EXPECT_EQ(deep, 4);
    EXPECT_EQ(after, 5);
}

TEST(AsciiSerializerRead, StopsAtTheOuterClosingBraceAndLeavesTheRest)
{
    // Two blocks in one file, as in a cast file: each reader takes one.
    std::string text =
        "# ---- first\nOBJECT START\nclass type: \"Player\"\n"
        "[Player] \"a\"\n{\n \"number\" 1\n}\n"
        "# ---- second\nOBJECT START\n"
        "[Player] \"b\"\n{\n \"number\" 2\n}\n";
    TextFile file(text);
    Player a, b;
    {
        AsciiSerializer reader(&file, false);
        reader.SerializeObject("a", &a);
    }
    char line[64] = "";
    ASSERT_TRUE(file.ReadLine(line, sizeof line));
    EXPECT_STREQ(line, "# ---- second\n");
    {
        AsciiSerializer reader(&file, false);
        reader.SerializeObject("b", &b);
    }
    EXPECT_EQ(a.number, 1);
    EXPECT_EQ(b.number, 2);

    // Entries after the outer "}" do not belong to the table.
    Player c;
    Read("[Player] \"c\"\n{\n}\n \"number\" 3\n[Player] \"c\"\n{\n \"number\" 4\n}\n", c, "c");
    EXPECT_EQ(c.number, 0);
}

TEST(AsciiSerializerRead, OnlySpacesIndent)
{
    Player player;
    player.number = 8;
    // A tab-indented entry is not an entry, and a tab-indented "}" closes nothing.
    Read("[Player] \"p\"\n{\n\t\"number\" 5\n\t}\n \"name\" \"Tabs\"\n}\n", player, "p");
    EXPECT_EQ(player.number, 8);
    EXPECT_EQ(player.name, "Tabs");
}

TEST(AsciiSerializerRead, CarriageReturnsAreNotPartOfValues)
{
    Player player;
    Read("[Player] \"p\"\r\n{\r\n \"name\" \"Dos\"\r\n \"number\" 6\r\n}\r\n", player, "p");
    EXPECT_EQ(player.name, "Dos");
    EXPECT_EQ(player.number, 6);
}

TEST(AsciiSerializerRead, LongestLineReadsWhole)
{
    // " \"name\" \"" is 9 characters and the closing quote one more.
    std::string value(AsciiSerializer::kMaxLineLength - 10, 'x');
    for (bool archiveLines : {false, true}) {
        Player player;
        Read("[Player] \"p\"\n{\n \"name\" \"" + value + "\"\n \"number\" 3\n}\n", player, "p", archiveLines);
        EXPECT_EQ(player.name, value);
        EXPECT_EQ(player.number, 3);
    }
}

TEST(AsciiSerializerRead, OverlongLineIsCutAndItsRestSkipped)
{
    // The line holds exactly the allowed characters up to the cut; what follows would
    // read as an entry or as the closing brace were it taken for a line of its own,
    // also when it only starts after another full buffer.
    std::string head = " \"name\" \"" + std::string(AsciiSerializer::kMaxLineLength - 9, 'y');
    ASSERT_EQ(head.size(), AsciiSerializer::kMaxLineLength);
    const std::string rests[] = {"z\"number\" 99", "z}", "z" + std::string(1000, 'z') + "\"number\" 99"};
    for (const std::string& rest : rests) {
        for (bool archiveLines : {false, true}) {
            Player player;
            int before = Warnings();
            Read("[Player] \"p\"\n{\n" + head + rest + "\n \"number\" 2\n}\n", player, "p", archiveLines);
            EXPECT_GT(Warnings(), before);
            EXPECT_EQ(player.number, 2) << rest.substr(0, 20);
            // Cut before its closing quote, the value runs to the end of what was kept.
            EXPECT_EQ(player.name, std::string(AsciiSerializer::kMaxLineLength - 9, 'y'));
        }
    }
}

TEST(AsciiSerializerRead, LongLinesThroughTheArchiveLineReader)
{
    std::string value(AsciiSerializer::kMaxLineLength - 10, 'v');
    std::string text = "[Player] \"p\"\r\n{\r\n \"name\" \"" + value + "\"\r\n \"name\" \"" + value +
                       "w\"\"number\" 99\r\n \"number\" 5\r\n}\r\n";
    ::MemoryFile file(std::vector<uint8_t>(text.begin(), text.end()));
    AsciiSerializer reader(&file, false);
    Player first, second;
    reader.BeginSection("Player", "p");
    reader.SerializeString("name", &first.name);
    reader.SerializeString("name", &second.name);
    reader.SerializeInt("number", &first.number);
    reader.EndSection();
    EXPECT_EQ(first.name, value);
    EXPECT_EQ(second.name, value + "w") << "cut at the limit, before its closing quote";
    EXPECT_EQ(first.number, 5);
}

TEST(AsciiSerializerRead, DamagedInputGivesWarningsAndSafeResults)
{
    Squad squad = MakeSquad();
    int before = Warnings();
    Read("}\n"  // stray brace before any section
         "[Squad] \"Home\"\n{\n"
         " \"Count\" lots\n"               // not a number: kept
         " \"Speed\" 2.5\n"                // fine
         " \"Label\" unquoted text \n"     // no quotes: taken as it stands
         " \"Pos\" 1 2\n"                  // one number short: kept
         " \"Tint\" 0.1 0.2 0.3 0.4\n"
         " \"broken key\n"                 // key without closing quote: ignored
         " [Player \"x\"\n {\n }\n"         // header without "]": still pairs with its brace
         " \"Active\" 1\n",                // the text ends inside the section
         squad, "Home");
    EXPECT_GE(Warnings() - before, 6);
    EXPECT_EQ(squad.count, -3);
    EXPECT_EQ(squad.speed, 2.5f);
    EXPECT_EQ(squad.label, "unquoted text");
    EXPECT_EQ(squad.position.x, 1.0f);
    EXPECT_EQ(squad.position.y, -2.5f);
    EXPECT_EQ(squad.tint, Color(0.1f, 0.2f, 0.3f, 0.4f));
    EXPECT_TRUE(squad.active) << "entries after a damaged header still belong to the section";
}

TEST(AsciiSerializerRead, StringWithoutClosingQuoteAndEmptyValue)
{
    TextFile file("[S] \"s\"\n{\n \"a\" \"open\n \"b\"\n \"c\" \"\"\n}\n");
    AsciiSerializer reader(&file, false);
    std::string a, b = "kept", c = "full";
    reader.BeginSection("S", "s");
    reader.SerializeString("a", &a);
    reader.SerializeString("b", &b);
    reader.SerializeString("c", &c);
    reader.EndSection();
    EXPECT_EQ(a, "open");
    EXPECT_EQ(b, "kept");
    EXPECT_EQ(c, "");
}

TEST(AsciiSerializerRead, IntegerLimitsAndBools)
{
    TextFile file("[S] \"s\"\n{\n \"lo\" -2147483648\n \"hi\" 2147483648\n \"t\" 2\n \"f\" 0\n \"g\" yes\n}\n");
    AsciiSerializer reader(&file, false);
    int32_t lo = 0, hi = 0;
    bool t = false, f = true, g = true;
    reader.BeginSection("S", "s");
    reader.SerializeInt("lo", &lo);
    reader.SerializeInt("hi", &hi);
    reader.SerializeBool("t", &t);
    reader.SerializeBool("f", &f);
    reader.SerializeBool("g", &g);
    reader.EndSection();
    EXPECT_EQ(lo, INT32_MIN);
    EXPECT_EQ(hi, INT32_MAX);
    EXPECT_TRUE(t);
    EXPECT_FALSE(f);
    EXPECT_TRUE(g);  // not a number: kept
}

TEST(AsciiSerializerRead, UnpairedEndSectionIsHarmless)
{
    TextFile file("\"top\" 4\n[S] \"s\"\n{\n}\n");
    AsciiSerializer reader(&file, false);
    int before = Warnings();
    reader.EndSection();
    EXPECT_GT(Warnings(), before);
    int32_t top = 0;
    reader.SerializeInt("top", &top);  // entries outside any section are readable
    EXPECT_EQ(top, 4);
}

TEST(AsciiSerializerRead, JunkLinesBetweenEntriesAreIgnored)
{
    std::mt19937 rng(99);
    for (int round = 0; round < 50; ++round) {
        auto junk = [&] {
            // Never "[", "}" or a quote after the leading spaces: no table line.
            std::string line(rng() % 4, ' ');
            const char starts[] = {'{', '#', 'a', 'c', '\t', '\x01', '\xff', ';'};
            line += starts[rng() % sizeof starts];
            for (size_t i = rng() % 200; i > 0; --i) {
                char c = static_cast<char>(1 + rng() % 255);
                line += c == '\n' ? 'n' : c;
            }
            return line + "\n";
        };
        std::string text = junk() + "[Player] \"p\"\n" + junk() + "{\n" + junk() + " \"name\" \"J\"\n" + junk() +
                           " \"number\" 42\n" + junk() + "}\n";
        Player player;
        Read(text, player, "p");
        EXPECT_EQ(player.name, "J") << round;
        EXPECT_EQ(player.number, 42) << round;
    }
}

TEST(AsciiSerializerRead, RandomBytesStopOnlyAtEndOrClosingBrace)
{
    std::mt19937 rng(1234);
    const char alphabet[] = "[]{}\" \t\r\nab1.-";
    for (int round = 0; round < 300; ++round) {
        std::string text;
        for (size_t i = rng() % 3000; i > 0; --i)
            text += (rng() % 8 == 0) ? static_cast<char>(rng() % 256) : alphabet[rng() % (sizeof alphabet - 1)];
        TextFile file(text);
        Squad squad;
        {
            AsciiSerializer reader(&file, false);
            reader.SerializeObject("", &squad);
        }
        size_t consumed = static_cast<size_t>(file.Tell());
        if (consumed == text.size())
            continue;
        // Stopped early: the last line taken must be the one that closed the table.
        ASSERT_GT(consumed, 0u);
        ASSERT_EQ(text[consumed - 1], '\n');
        size_t lineStart = text.rfind('\n', consumed - 2);
        lineStart = lineStart == std::string::npos ? 0 : lineStart + 1;
        size_t first = text.find_first_not_of(' ', lineStart);
        EXPECT_EQ(text[first], '}') << "round " << round;
    }
}

TEST(AsciiSerializerRead, NoFileReadsNothing)
{
    Player player;
    player.number = 5;
    AsciiSerializer reader(nullptr, false);
    reader.SerializeObject("p", &player);
    EXPECT_EQ(player.number, 5);
    AsciiSerializer writer(nullptr, true);
    writer.SerializeObject("p", &player);  // nowhere to write, nothing to crash on
}

TEST(AsciiSerializerWrite, LineBreaksInTextDoNotBreakTheTable)
{
    Squad squad;
    squad.label = "two\nlines\r}";
    int before = Warnings();
    std::string text = Write(squad, "A\nB");
    EXPECT_GT(Warnings(), before);
    EXPECT_EQ(text.find("\r"), std::string::npos);
    Squad copy;
    copy.speed = 7.0f;
    Read(text, copy, "A B");
    EXPECT_EQ(copy.label, "two lines }");
    EXPECT_EQ(copy.speed, 0.0f) << "the whole table was read";
}

TEST(AsciiSerializerWrite, UnpairedEndSectionAndButtonsWriteNothing)
{
    TextFile file;
    {
        AsciiSerializer writer(&file, true);
        int before = Warnings();
        writer.EndSection();
        EXPECT_GT(Warnings(), before);
        writer.SerializeButton("combobox [low][high]", "");
        writer.SerializeButton("changed", "x");
    }
    EXPECT_EQ(file.Text(), "");
}

TEST(AsciiSerializerWrite, FailedWriteIsReported)
{
    TextFile file;
    file.LimitWrites(10);
    int before = Warnings();
    {
        AsciiSerializer writer(&file, true);
        Player player;
        writer.SerializeObject("p", &player);
    }
    EXPECT_GT(Warnings(), before);
}

namespace outer::inner {
struct Nested : Object {};
template <typename T>
struct Holder : Object {};
}  // namespace outer::inner

TEST(ObjectClassName, NamespacesDroppedTemplateArgumentsKept)
{
    outer::inner::Nested nested;
    outer::inner::Holder<outer::inner::Nested> holder;
    Player player;  // in an anonymous namespace
    const Object& asBase = player;
    EXPECT_EQ(ClassNameOf(nested), "Nested");
    EXPECT_EQ(ClassNameOf(holder), "Holder<outer::inner::Nested>");
    EXPECT_EQ(ClassNameOf(asBase), "Player") << "the dynamic type names the class";
}

TEST(ObjectName, CopiedReplacedAndCleared)
{
    Object object;
    EXPECT_EQ(object.GetName(), nullptr);
    std::string source = "Game Parameters";
    object.SetName(source.c_str());
    source[0] = 'X';
    EXPECT_STREQ(object.GetName(), "Game Parameters");
    object.SetName("");
    ASSERT_NE(object.GetName(), nullptr) << "an empty name is still a name";
    EXPECT_TRUE(object.HasName());
    object.SetName(nullptr);
    EXPECT_EQ(object.GetName(), nullptr);
    EXPECT_FALSE(object.HasName());
}
