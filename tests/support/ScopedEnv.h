#pragma once

#include <cstdlib>
#include <optional>
#include <string>

// Sets an environment variable (null: unsets it) for the life of a scope. The name is kept,
// not copied: it must outlive the scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv()
    {
        if (m_old)
            setenv(m_name, m_old->c_str(), 1);
        else
            unsetenv(m_name);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

// Tests run without a screen unless the caller chose a driver.
inline void UseOffscreenDriverUnlessSet()
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
}
