#include "framework/GameHost.h"

bool GameHost::s_inMatch = true;

namespace {

GameHost::BrowserMaker& Maker()
{
    static GameHost::BrowserMaker maker;
    return maker;
}

}  // namespace

void GameHost::SetBrowserMaker(BrowserMaker maker)
{
    Maker() = std::move(maker);
}

const GameHost::BrowserMaker& GameHost::GetBrowserMaker()
{
    return Maker();
}
