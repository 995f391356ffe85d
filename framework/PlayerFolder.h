#pragma once

#include <string>

// Where the player's own files live: careers, options, keys, rewards, window positions and
// the log. The game names them under "data" ("Data\SaveGames\user.txt", "data\log.txt"); the
// file layer and the log put them in this folder instead, so that they outlive the build
// tree that holds the game's data.
namespace player_folder {

// Names the folder of a run of the game; harnesses point it at a folder of their own.
inline constexpr const char* kVariable = "TB_SAVE_FOLDER";

// The folder in use: "data" (the working folder's, beside the data archive) until Use names
// another. Any thread may ask.
std::string Get();
void Use(const std::string& folder);

// The folder a game of this user keeps: kVariable's value, else "$XDG_DATA_HOME/turfbolt",
// else "$HOME/.local/share/turfbolt"; "data" when none of them is set.
std::string ForThisUser();

// For a tool or test that leaves its working folder for a game folder, where a player's older
// saves lie: the folder kVariable names (else "data"), taken from the working folder now, is
// put in use and in kVariable for the game and the programs it starts.
void KeepInWorkingFolder();

// The log file in the folder in use.
std::string LogPath();

// Makes the folder and the folders above it; false when it is not there afterwards.
bool MakeFolders(const std::string& folder);

// Claims the folder in use for this process until it ends, so that two games never write one
// player's files at once. False when another process holds it. A folder where no claim can be
// made (read-only) is not refused: its saves fail and say so.
bool Claim();

// Copies what a game before this one left in the working folder's "data\SaveGames" into the
// folder in use, once: only while that holds no save folder yet. The copies appear together
// or not at all; the old files stay where they are. The number of files taken over; -1
// (logged) when they could not be copied.
int TakeOverOldFiles();

}  // namespace player_folder
