#include "framework/Factory.h"

#define TB_NAMED_REGISTRY(Name)            \
    FactoryRegistry& FactoryRegistry::Name() \
    {                                        \
        static FactoryRegistry registry;     \
        return registry;                     \
    }

TB_NAMED_REGISTRY(GameElements)
TB_NAMED_REGISTRY(CameraControls)
TB_NAMED_REGISTRY(MaterialActions)
TB_NAMED_REGISTRY(RenderObjects)
TB_NAMED_REGISTRY(HudItems)
TB_NAMED_REGISTRY(EditorProxies)
TB_NAMED_REGISTRY(MenuItems)
TB_NAMED_REGISTRY(States)

#undef TB_NAMED_REGISTRY

Factory<GameState>& FactoryRegistry::GameStates()
{
    static Factory<GameState> registry;
    return registry;
}
