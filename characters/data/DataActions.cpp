#include "characters/data/DataActions.h"

#include "characters/Actor.h"

#include "framework/FileSystem.h"

namespace {

// The actions that travel, with the metres one play of their clip covers.
const std::map<std::string, float> kMoving = {{"run", 2.0f}, {"startrun", 1.0f}, {"jog", 1.5f},
                                              {"refrun", 2.0f}, {"refwalk", 1.0f}, {"specialmove", 2.0f}};

bool Exists(const std::string& path) { return FileSystem::Instance()->FileExists(path.c_str()); }

}  // namespace

DataActions::DataActions(const std::string& root)
{
    for (const char* name : Actor::ActionNames()) {
        const std::string clip = std::string(name) == "inactive" ? "stand" : name;
        const std::string base = root + "Characters/Animations/" + clip;
        auto action = std::make_unique<CharacterAction>();
        action->SetName(name);
        MovingAnimation& animation = action->GetAnimation();
        animation.SetFileName(base + ".anm");
        if (Exists(base + "_move.anm"))
            animation.SetLocatorAnimation(base + "_move.anm");
        const auto moving = kMoving.find(name);
        if (moving != kMoving.end())
            animation.SetRates(moving->second, 0.0f, 1.0f, MovingAnimation::kMovement);
        else
            animation.SetRates(0.0f, 0.0f, 1.0f, MovingAnimation::kFixed);
        if (Exists(base + "_ball.anm"))
            action->SetBallLocatorName(base + "_ball.anm");
        action->boundRadius = 0.4f;
        action->boundHeight = 1.8f;
        m_actions[name] = std::move(action);
    }
}

CharacterAction* DataActions::GetAction(const std::string& name)
{
    const auto found = m_actions.find(name);
    return found != m_actions.end() ? found->second.get() : nullptr;
}

