#pragma once

#include "characters/TeamDescription.h"
#include "framework/Color.h"
#include "framework/State.h"
#include "match/MatchSetup.h"

#include <cstdint>
#include <string>
#include <vector>

class Actor;
class Character;
class SoccerTeam;

// Loads everything a match needs in its one Update: the level and its aliases "<LP>" and
// "<SP>", the settings casts, the stadium dressing, both sides with their shirts, numbers
// and controllers, the HUD names, the referee, the clock and the statistics. Update ends
// it (null), so the state after it starts on the next frame.
//
//     MatchLoading* load = new MatchLoading(folder, "Pandas", pandas, 0, "Lizards", lizards, 0,
//                                           true, 10.0f, false, true);
//     new IteratingState(load, new MatchPeriod(...));
class MatchLoading : public State {
public:
    // Its flag marks the side's keeper.
    using Member = TeamDescription::Member;

    // Game seconds per real second by the half-time duration index.
    static constexpr int kClockRateCount = 6;
    static constexpr float kClockRates[kClockRateCount] = {22.5f, 9.0f, 6.0f, 3.0f, 1.5f, 1.0f};

    // levelFolder: the level's data folder with its closing backslash (aliases allowed).
    // A side's last benchCount members go to the bench.
    MatchLoading(std::string levelFolder, std::string side0Name, std::vector<Member> side0Members,
                 int32_t side0BenchCount, std::string side1Name, std::vector<Member> side1Members,
                 int32_t side1BenchCount, bool createReferee, float aiAggression, bool fullBenches,
                 bool spectators);
    explicit MatchLoading(MatchSetup setup);

    // Loads at once, for a screen that shows the characters before anything runs: enters a
    // loading built from the setup and runs one update with no time step. The loading gives
    // way to the state it returns, which comes back entered (null when none); the caller
    // owns it.
    static State* RunAtOnce(MatchSetup setup);

    // The whole load; null (finished).
    State* Update(float dt) override;

    // The field players' number colour for a shirt colour index; keepers always wear black.
    static Color NumberColour(int32_t shirtIndex);
    // Whether a load has read the character casts since start-up (later loads skip them).
    static bool CharactersLoaded() { return s_charactersLoaded; }
    // Back to the start-up state, for a program that starts a fresh set of casts.
    static void ForgetCharactersLoaded() { s_charactersLoaded = false; }

    const std::string& GetLevelFolder() const { return m_levelFolder; }
    const std::string& GetSideName(int side) const { return m_sides[Index(side)].name; }
    const std::vector<Member>& GetMembers(int side) const { return m_sides[Index(side)].members; }
    int32_t GetBenchCount(int side) const { return m_sides[Index(side)].benchCount; }
    bool GetCreateReferee() const { return m_createReferee; }
    float GetAiAggression() const { return m_aiAggression; }
    bool GetFullBenches() const { return m_fullBenches; }
    bool GetSpectators() const { return m_spectators; }

protected:
    // Reads the settings casts again through the current game; nothing without one.
    virtual void LoadCasts(bool objects, bool characters);
    // Puts the shirt with its number on the actor (see Actor::SetShirtTexture).
    virtual void DressShirt(Actor& actor, const std::string& shirtPath, const std::string& numberPath,
                            const Color& numberColour, bool mirror);

private:
    struct Side {
        std::string name;
        std::vector<Member> members;
        int32_t benchCount = 0;
    };
    // The story team's members and statistics, kept across the cast reload.
    struct StorySave;

    static size_t Index(int side) { return side == 0 ? 0 : 1; }
    // The aliases, the stadium, the casts and its dressing; the story team kept across.
    void LoadLevel(bool story);
    // True when the world or the settings folder differs from what is loaded now.
    bool SetLevelAliases();
    void SetControllers(int players);
    void BuildSide(int side);
    int32_t ShirtIndex(int side) const;
    void AddMember(SoccerTeam& team, const Member& member, const std::string& shirtFolder,
                   const Color& numberColour, int32_t& nextNumber, bool toBench);
    void ResetClock();
    void FinishStatistics(int players);

    std::string m_levelFolder;
    Side m_sides[2];
    bool m_createReferee;
    float m_aiAggression;
    bool m_fullBenches;
    bool m_spectators;

    static bool s_charactersLoaded;
};
