#pragma once

#include "characters/CharacterAction.h"

#include <map>
#include <memory>
#include <string>

// One action per action name over the default data's clips, as a race would read them:
// moving nodes locked to speed, the others at their own pace.
class DataActions : public CharacterActionProvider {
public:
    // root: the folder holding "Characters/Animations/", "/" ended.
    explicit DataActions(const std::string& root);
    CharacterAction* GetAction(const std::string& name) override;

private:
    std::map<std::string, std::unique_ptr<CharacterAction>> m_actions;
};

