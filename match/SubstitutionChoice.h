#pragma once

class Character;

// What "CreateSubstitute" sends at once to every listener with the message kMessage: the
// first side's marked field player and marked bench player. Valid for the send only.
struct SubstitutionChoice {
    static constexpr const char* kMessage = "substitution chosen";
    Character* outgoing = nullptr;
    Character* incoming = nullptr;
};
