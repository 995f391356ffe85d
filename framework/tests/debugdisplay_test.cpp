#include "framework/DebugDisplay.h"
#include "framework/Serializer.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

// Records the calls and serves bools from a map, like a property table would.
class BoolTable : public Serializer {
public:
    explicit BoolTable(bool writing) : m_writing(writing) {}
    bool IsWriting() const override { return m_writing; }
    void SerializeQuaternion(const char*, Quaternion*) override { calls.push_back("quaternion"); }
    void SerializeColor(const char*, Color*) override { calls.push_back("color"); }
    void SerializeVector3(const char*, Vector3*) override { calls.push_back("vector"); }
    void SerializeString(const char*, std::string*) override { calls.push_back("string"); }
    void SerializeFloat(const char*, float*) override { calls.push_back("float"); }
    void SerializeInt(const char*, int32_t*) override { calls.push_back("int"); }
    void SerializeBool(const char* name, bool* value) override
    {
        calls.push_back(std::string("bool ") + name);
        if (m_writing) {
            values[name] = *value;
        } else {
            auto it = values.find(name);
            if (it != values.end())
                *value = it->second;
        }
    }
    void BeginSection(const char* type, const char* instance) override
    {
        calls.push_back(std::string("begin ") + type + " " + instance);
    }
    void EndSection() override { calls.push_back("end"); }

    std::vector<std::string> calls;
    std::map<std::string, bool> values;

private:
    bool m_writing;
};

class DebugDisplayTest : public ::testing::Test {
protected:
    void SetUp() override { DebugDisplay::DestroyInstance(); }
    void TearDown() override { DebugDisplay::DestroyInstance(); }
};

}  // namespace

TEST_F(DebugDisplayTest, NewOptionIsAddedSwitchedOff)
{
    DebugDisplay* d = DebugDisplay::Instance();
    EXPECT_FALSE(d->CheckOption("Display Menu Boxes"));
    ASSERT_EQ(d->GetOptions().size(), 1u);
    EXPECT_EQ(d->GetOptions()[0].first, "Display Menu Boxes");
    EXPECT_FALSE(d->CheckOption("Display Menu Boxes"));
    EXPECT_EQ(d->GetOptions().size(), 1u);

    d->SetOption("Display Menu Boxes", true);
    EXPECT_TRUE(d->CheckOption("Display Menu Boxes"));
    d->SetOption("Show Volumes", true);
    EXPECT_TRUE(d->CheckOption("Show Volumes"));
    EXPECT_FALSE(d->CheckOption(nullptr));

    d->Clear();
    EXPECT_TRUE(d->GetOptions().empty());
    EXPECT_FALSE(d->CheckOption("Show Volumes"));
}

TEST_F(DebugDisplayTest, PropertyTableHasOneBoolPerOptionInOrder)
{
    DebugDisplay* d = DebugDisplay::Instance();
    d->CheckOption("B option");
    d->SetOption("A option", true);

    BoolTable out(true);
    d->Serialize(out, "Debug Display");
    const std::vector<std::string> expected = {"begin DebugDisplay Debug Display", "bool B option", "bool A option", "end"};
    EXPECT_EQ(out.calls, expected);
    EXPECT_FALSE(out.values["B option"]);
    EXPECT_TRUE(out.values["A option"]);

    BoolTable in(false);
    in.values = {{"B option", true}};
    d->Serialize(in, "Debug Display");
    EXPECT_TRUE(d->CheckOption("B option"));
    EXPECT_TRUE(d->CheckOption("A option"));  // absent key keeps its value
}
