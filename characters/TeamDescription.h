#pragma once

#include "framework/Object.h"

#include <memory>
#include <string>
#include <vector>

// A selectable team as the game files it: its shown name and its members' variations. Lives
// for the whole run in the "Teams" cast under "Descriptions|<name>".
class TeamDescription : public Object {
public:
    struct Member {
        std::string variation;
        // The match loading reads it as the keeper flag.
        bool isSub = false;
    };

    void Serialize(Serializer& serializer, const char* descriptor) override;

    // The description filed under the name, or null without the cast or the member.
    static TeamDescription* Find(const std::string& name);
    // Creates the eight descriptions, files them in the "Teams" cast (created if missing),
    // which only borrows them, and hands them to the owner.
    static void CreateAll(std::vector<std::unique_ptr<Object>>& owner);
    static constexpr int kCount = 8;
    // The index-th description key in the order of the unlock flags; null out of range.
    static const char* KeyAt(int index);
    // The description key ("Panda01") filed for a shown team name by the last read of that
    // description; empty when none was read.
    static std::string KeyOfTeamName(const std::string& teamName);

    const std::string& GetTeamName() const { return m_teamName; }
    void SetTeamName(const std::string& name) { m_teamName = name; }
    std::vector<Member>& GetMembers() { return m_members; }
    const std::vector<Member>& GetMembers() const { return m_members; }

private:
    std::vector<Member> m_members;
    std::string m_teamName = "TeamName";
};
