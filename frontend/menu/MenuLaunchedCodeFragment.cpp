#include "frontend/menu/MenuLaunchedCodeFragment.h"

MenuLaunchedCodeFragment::Registry& MenuLaunchedCodeFragment::GetFactory()
{
    static Registry registry;
    return registry;
}

void MenuLaunchedCodeFragment::Register(const char* className, Registry::Creator create)
{
    GetFactory().Register(className, create);
}
