#include "framework/GameHost.h"

bool GameHost::s_inMatch = true;

namespace {

GameHost* s_current = nullptr;

GameHost::BrowserMaker& Maker()
{
    static GameHost::BrowserMaker maker;
    return maker;
}

}  // namespace

GameHost::GameHost()
{
    s_current = this;
}

GameHost::~GameHost()
{
    if (s_current == this)
        s_current = nullptr;
}

GameHost* GameHost::Current()
{
    return s_current;
}

void GameHost::SetBrowserMaker(BrowserMaker maker)
{
    Maker() = std::move(maker);
}

const GameHost::BrowserMaker& GameHost::GetBrowserMaker()
{
    return Maker();
}
