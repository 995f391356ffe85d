#pragma once

// Start-up registrations: static objects whose constructors run before main().
// The registries and the message server are reached through function-local statics
// and constant-initialised pointers, so the order across translation units does not
// matter. Libraries holding registrations are OBJECT libraries, so the linker keeps a
// registration even in a file nothing else refers to.

#include "framework/Factory.h"
#include "framework/Message.h"

namespace registration_detail {

template <class Base, class Class>
Base* CreateInstance()
{
    return new Class();
}

// Exists only for its constructor; user-provided so that it is never "unused".
struct Registered {
    Registered() {}
};

template <class Class, class Base>
Registered RegisterClass(Factory<Base>& factory, const char* name)
{
    factory.Register(name, &CreateInstance<Base, Class>);
    return Registered();
}

}  // namespace registration_detail

#define TB_REGISTRATION_CONCAT2(a, b) a##b
#define TB_REGISTRATION_CONCAT(a, b) TB_REGISTRATION_CONCAT2(a, b)

// REGISTER_FACTORY(GameElements, ClumpElement) enters the class under its own name into
// FactoryRegistry::GameElements(); any FactoryRegistry accessor works as the registry
// (GameStates included).
#define REGISTER_FACTORY(Registry, Class)                                                   \
    [[maybe_unused]] static const ::registration_detail::Registered TB_REGISTRATION_CONCAT( \
        tbFactoryRegistration_, __COUNTER__) =                                              \
        ::registration_detail::RegisterClass<Class>(::FactoryRegistry::Registry(), #Class)

// REGISTER_MESSAGE(g_msgGoalScored, "goal scored") defines an int holding the id of the
// name. It has internal linkage: every file that needs a message registers it itself,
// and the same name always yields the same id.
#define REGISTER_MESSAGE(var, name) \
    static int var = ::MessageServer::Instance()->RegisterMessage(name)
