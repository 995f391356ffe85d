#include "match/FrontEndScreens.h"

#include "framework/Debug.h"

#include <utility>

namespace {

// Constant-initialised: the front end's start-up registrations find it ready.
constinit FrontEndScreens::Hooks s_hooks{};

template <class Hook, class... Args>
auto Call(Hook hook, const char* name, Args&&... args)
{
    if (!hook) {
        LogError("FrontEndScreens::%s: the front end has not registered it\n", name);
        return decltype(hook(std::forward<Args>(args)...))();
    }
    return hook(std::forward<Args>(args)...);
}

}  // namespace

FrontEndScreens::Hooks& FrontEndScreens::Get()
{
    return s_hooks;
}

State* FrontEndScreens::Menu(const std::string& screen)
{
    return Call(s_hooks.menu, "Menu", screen);
}

State* FrontEndScreens::IngameMenu(const std::string& screen, bool renderPitch)
{
    return Call(s_hooks.ingameMenu, "IngameMenu", screen, renderPitch);
}

State* FrontEndScreens::IngameMessage(const std::string& screen, float seconds)
{
    return Call(s_hooks.ingameMessage, "IngameMessage", screen, seconds);
}

State* FrontEndScreens::CutScene(const std::string& folder)
{
    return Call(s_hooks.cutScene, "CutScene", folder);
}

State* FrontEndScreens::BareLoading()
{
    return Call(s_hooks.bareLoading, "BareLoading");
}

State* FrontEndScreens::PlayerSelection(const PlayerSelectionResult& request)
{
    return Call(s_hooks.playerSelection, "PlayerSelection", request);
}

void FrontEndScreens::SetScreenSize(int width, int height)
{
    Call(s_hooks.setScreenSize, "SetScreenSize", width, height);
}

void FrontEndScreens::ApplyOptions(bool allowResolutionChange)
{
    Call(s_hooks.applyOptions, "ApplyOptions", allowResolutionChange);
}
