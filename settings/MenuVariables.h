#pragma once

#include <string>

// The menu's table of text variables ("%home_team_name%" to its text), as the code that
// fills statistics and banners sees it.
class MenuVariables {
public:
    virtual ~MenuVariables() = default;
    // The key includes its percent signs; a key set again takes the new text.
    virtual void SetVariable(const std::string& key, const std::string& text) = 0;
};
