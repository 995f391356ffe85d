#pragma once

#include "framework/Singleton.h"

#include <memory>
#include <set>
#include <string>
#include <vector>

class FactoryRegistry;
class Object;

// One entry of a cast. An owned object is deleted with its entry; a dynamic one was made
// by a factory from a cast file and is written back as such.
struct CastMember {
    Object* object = nullptr;
    bool owned = false;
    bool dynamic = false;
    std::string name;
};

// A named, ordered set of objects, found by name and saved to and loaded from cast files.
class Cast {
public:
    explicit Cast(const char* name);
    // Deletes the members and the objects it owns, without telling anyone: casts go
    // when the whole registry goes.
    ~Cast();

    Cast(const Cast&) = delete;
    Cast& operator=(const Cast&) = delete;

    const std::string& GetName() const { return m_name; }

    // Appends the object and gives it the member's name, so that FindByName sees it.
    // Returns the new member (stable until it is removed), or null for a null object.
    CastMember* AddMember(Object* object, const char* name, bool owned);
    // An owned member made by a factory.
    CastMember* AddDynamicMember(Object* object, const char* name);

    // The n-th member (0 = the first) whose object bears the name, or null.
    CastMember* FindByName(const char* name, int n = 0) const;

    // Removes the member holding the object, clears the object's name and deletes the
    // object when the cast owned it. False when no member holds it.
    bool RemoveMember(Object* object);

    // Deletes every member (owned objects with them), then sends "cast clear" to all
    // listeners.
    void Clear();

    int GetMemberCount() const { return static_cast<int>(m_members.size()); }
    // Null when out of range.
    CastMember* GetMember(int index) const;

    // A name the cast leaves out on purpose (a race the game size does not create): a
    // settings file's object under it is skipped without a word, where any other missing
    // object is reported.
    void LeaveOut(const std::string& name) { m_leftOut.insert(name); }
    bool IsLeftOut(const std::string& name) const { return m_leftOut.count(name) > 0; }

private:
    std::string m_name;
    std::set<std::string> m_leftOut;
    // Members are held by pointer so that the ones handed out survive later additions.
    std::vector<std::unique_ptr<CastMember>> m_members;
};

// The registry of named casts.
class CastManager : public Singleton<CastManager> {
public:
    CastManager();
    ~CastManager() override;

    // Null when no cast has the name.
    Cast* GetCast(const char* name) const;
    // A new empty cast, or the one already registered under the name.
    Cast* CreateCast(const char* name);
    // Deletes every cast with the objects it owns and empties the registry.
    void DeleteAll();

    int GetCastCount() const { return static_cast<int>(m_casts.size()); }
    // Null when out of range.
    Cast* GetCastAt(int index) const;

    // "objects|LeftPenaltyArea": the first member object of that name in that cast, or
    // null (also for a path without "|" or with an empty part).
    Object* FindObject(const char* path) const;

    // The casts and their members as trace output.
    void Dump() const;

private:
    std::vector<std::unique_ptr<Cast>> m_casts;
};

// Cast files: per member a comment line with its name, "OBJECT START" (or "DYNAMIC OBJECT
// START" for a dynamic member) and the object's property table. Scrambled files are
// CryptedStdFiles.
//
// Saving is atomic: false when the file could not be opened or stored, and then the old
// file is left as it was.
bool SaveSettings(Cast* cast, const char* file, bool scrambled = false);

// "OBJECT START" blocks update the member of that name; "DYNAMIC OBJECT START" blocks
// create an object of the block's class through the registry (game elements unless
// given) and add it as an owned, dynamic member; a block named like a dynamic member the
// cast held before the read updates that member instead (each such member once), so
// reading a file again adds nothing. Each block is read on its own, so a
// damaged block never spoils the next. False when the file could not be read (members
// keep their values) or when any block was damaged or skipped; the other blocks are
// read all the same.
bool LoadSettings(Cast* cast, const char* file, bool scrambled = false);
bool LoadSettings(Cast* cast, const char* file, bool scrambled, FactoryRegistry& registry);

// LoadSettings for a file the player's play wrote (options, keys, rewards, careers): one that
// holds no object is as damaged as a broken one, and a damaged one is kept (KeepDamagedCopy)
// before anything can write over it. The caller tells a missing file from a damaged one.
bool LoadPlayerSettings(Cast* cast, const char* file, bool scrambled = false);

// A disk file that was read as damaged, copied beside itself with the ending ".damaged"
// (logged with both paths); the copy's name, or empty when there is no such file or no copy
// could be made.
std::string KeepDamagedCopy(const char* file);
