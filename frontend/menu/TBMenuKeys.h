#pragma once

// The twelve key variables of the controls screens: six actions for each of two players.

#include <map>
#include <string>

namespace menu_keys {

constexpr const char* kKeyFile = "data\\Savegames\\inputs.txt";
constexpr int kPlayers = 2;
constexpr int kActions = 6;

// The variable of a player (0 or 1) and action, such as "%key_player1_up%".
std::string VariableName(int player, int action);
// The input action it shows, such as "(0):up".
std::string ActionName(int player, int action);
// False when any of the twelve variables shows an unassigned key (or is missing).
bool AllAssigned(const std::map<std::string, std::string>& variables);

}  // namespace menu_keys
