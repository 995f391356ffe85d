#pragma once

// The command words of the front-end screens. Every word has its row in one table, in the
// order in which the words are tested, with its group; a word's body is registered by the
// file that builds it:
//
//     static void StartGame(MenuCommandCall& call) { ... call.SetSuccessor(new SingleMatch); }
//     REGISTER_MENU_COMMAND("StartGame", StartGame);
//
// A registered word that has no row is logged and never runs.

#include <string>
#include <vector>

class State;
class TBMenu;
struct MenuActionParameter;

// One command being run: the menu that owns the screen, the action's record and argument.
struct MenuCommandCall {
    TBMenu& menu;
    const MenuActionParameter& parameter;
    const std::string& argument;
    // Set by SetSuccessor; the fade-out then starts.
    bool switched = false;
    // Set by Stop: the rest of the action text is not run.
    bool stopped = false;

    // The menu's successor; null ends the menu without one.
    void SetSuccessor(State* next);
    // For a command that failed where the player can try again: the menu tells him, and the
    // commands after it in the same action (which would lead away) do not run.
    void Stop(const std::string& notice);
};

using MenuCommand = void (*)(MenuCommandCall& call);

namespace menu_commands {

// When a word runs: only while the screen is shown, in any fade state, or ("always" and
// "last") apart from both groups.
enum class Group { kAlways, kShown, kAnyFade, kLast };

// Stores the word's body; a later registration replaces an earlier one. False (logged) for
// a word the table does not know.
bool Register(const char* word, MenuCommand command);

// Runs the word as the table says; false when no row matched or its group was skipped.
bool Dispatch(const std::string& word, MenuCommandCall& call, int fadeState);

// The word's group; false for an unknown word.
bool FindGroup(const std::string& word, Group& group);

// The table's words that no file has registered a body for, in the table's order.
std::vector<std::string> WordsWithoutBody();

struct Registered {
    Registered() {}
};

}  // namespace menu_commands

#define TB_MENU_COMMAND_CONCAT2(a, b) a##b
#define TB_MENU_COMMAND_CONCAT(a, b) TB_MENU_COMMAND_CONCAT2(a, b)
#define REGISTER_MENU_COMMAND(word, function)                                                      \
    [[maybe_unused]] static const ::menu_commands::Registered TB_MENU_COMMAND_CONCAT(              \
        tbMenuCommand_, __COUNTER__) = (::menu_commands::Register(word, function), ::menu_commands::Registered())
