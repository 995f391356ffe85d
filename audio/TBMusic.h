#pragma once

#include "framework/Singleton.h"

#include <cstdint>
#include <functional>
#include <string>

class StreamingSample;

// Chooses the music and crowd ambience for menus, match intros, matches and cut scenes.
// Holds at most one music stream and one ambience stream; each new one of a kind stops
// the previous one.
class TBMusic : public Singleton<TBMusic> {
public:
    // The game size: 0 "XS", 1 "XL", 2 "XXL". Until the game state provides it, it comes
    // from this source, by default the "GameSize" setting of the loaded settings files.
    using GameSizeSource = std::function<int()>;
    static void SetGameSizeSource(GameSizeSource source);  // empty: the default again
    static int GetGameSize();
    // "XS", "XL", "XXL", or empty for any other size.
    static std::string GetSizeFolder();

    void PlayStream(const std::string& file, int group, bool looped);
    void PlayAmbience(const std::string& file);
    void StopMusic();
    void StopAmbience();

    void PlayMenuMusic();
    // Levels 1 to 4; others are clamped.
    void PlayIntroMusic(int level);
    // With the flag, the level's crowd ambience joins when none is playing, whether or
    // not the music could be loaded.
    void PlayMainMusic(int level, bool withAmbience);
    // Soundtracks 0 to 4; 3 and 4 loop.
    void PlaySoundtrack(int index);

    bool HasMusic();
    // The held streams (null when none, or when the engine has released them).
    StreamingSample* GetMusic();
    StreamingSample* GetAmbience();

private:
    // The stream of the id, or null (and the id forgotten) when the engine no longer
    // lists it. Streams are held by id: a released stream's address may be reused.
    static StreamingSample* Valid(uint64_t& id);
    // Loads the stream, holds its id and sets it up for the group; null when it cannot load.
    static StreamingSample* Load(const std::string& file, int group, uint64_t& id);
    // Stops and releases the stream of the id, if still listed; the id becomes 0.
    static void Release(uint64_t& id);

    uint64_t m_music = 0;  // 0: none; the streams are owned by the sound engine
    uint64_t m_ambience = 0;
};
