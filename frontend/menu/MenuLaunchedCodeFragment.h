#pragma once

#include "framework/Factory.h"
#include "framework/State.h"

// A state that a screen starts by class name ("RunCode").
class MenuLaunchedCodeFragment : public State {
public:
    using Registry = Factory<MenuLaunchedCodeFragment>;

    // Built on first use; names are exact. Create yields null for an unknown name.
    static Registry& GetFactory();
    // A later registration of the name replaces the earlier one.
    static void Register(const char* className, Registry::Creator create);
};

namespace code_fragment_detail {
template <class Class>
MenuLaunchedCodeFragment* Create()
{
    return new Class();
}
struct Registered {
    Registered() {}
};
}  // namespace code_fragment_detail

// REGISTER_MENU_CODE(StoryModeStart) enters the class under its own name.
#define REGISTER_MENU_CODE(Class)                                                                      \
    [[maybe_unused]] static const ::code_fragment_detail::Registered TB_MENU_CODE_##Class =           \
        (::MenuLaunchedCodeFragment::Register(#Class, &::code_fragment_detail::Create<Class>),        \
         ::code_fragment_detail::Registered())
