#pragma once

#include "framework/Debug.h"

#include <cstddef>
#include <map>
#include <string>
#include <vector>

class Object;
class GameState;

// Class name to create function, for one family of classes that data files name.
// Filled by start-up registrations (see Registration.h). Names are kept in ascending
// byte order ("AnimateUVAction" before "AnimatedTextureAction"), which is the order
// lists and editors show them in.
template <class Base>
class Factory {
public:
    using BaseType = Base;
    using Creator = Base* (*)();
    using Map = std::map<std::string, Creator>;

    Factory() = default;
    Factory(const Factory&) = delete;
    Factory& operator=(const Factory&) = delete;

    // A later registration of a name replaces the earlier one, so a layer can
    // override a class of a lower one.
    void Register(const char* name, Creator create)
    {
        if (!name || !create) {
            LogError("Factory::Register: %s\n", name ? "no create function" : "no class name");
            return;
        }
        m_creators[name] = create;
    }

    // A new object, or null when the name is not registered.
    Base* Create(const char* name) const
    {
        if (!name)
            return nullptr;
        auto it = m_creators.find(name);
        return it == m_creators.end() ? nullptr : it->second();
    }

    bool Contains(const char* name) const { return name && m_creators.count(name) != 0; }
    size_t Count() const { return m_creators.size(); }

    std::vector<std::string> GetNames() const
    {
        std::vector<std::string> names;
        names.reserve(m_creators.size());
        for (const auto& entry : m_creators)
            names.push_back(entry.first);
        return names;
    }

    typename Map::const_iterator begin() const { return m_creators.begin(); }
    typename Map::const_iterator end() const { return m_creators.end(); }

private:
    Map m_creators;
};

// The named registries of Object classes. Each is a function-local static, so a
// registration running before main() in any translation unit finds it constructed.
class FactoryRegistry : public Factory<Object> {
public:
    static FactoryRegistry& GameElements();
    static FactoryRegistry& CameraControls();
    static FactoryRegistry& MaterialActions();
    static FactoryRegistry& RenderObjects();
    static FactoryRegistry& HudItems();
    static FactoryRegistry& EditorProxies();
    static FactoryRegistry& MenuItems();
    static FactoryRegistry& States();

    // Game states are not Objects, so they have a registry of their own type.
    static Factory<GameState>& GameStates();

    using Factory<Object>::Create;
    static Object* Create(FactoryRegistry& registry, const char* className)
    {
        return registry.Create(className);
    }

private:
    FactoryRegistry() = default;
};
