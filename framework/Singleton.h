#pragma once

// One instance per class, created on first use and kept for the whole run.
// The destructor only forgets the pointer: nothing deletes a singleton behind its
// owner's back, so an instance deleted explicitly (tests) is never deleted twice.
template <typename T>
class Singleton {
public:
    static T* Instance()
    {
        if (!s_instance) {
            s_instance = new T();
            s_self = s_instance;
        }
        return s_instance;
    }

    static bool Exists() { return s_instance != nullptr; }

    // Deletes the instance so the next Instance() makes a fresh one (tests, shutdown).
    static void DestroyInstance()
    {
        T* p = s_instance;
        s_instance = nullptr;
        s_self = nullptr;
        delete p;
    }

protected:
    Singleton() = default;
    virtual ~Singleton()
    {
        // Compared as the base: casting down to T here, with T already destroyed,
        // is undefined.
        if (s_self == this) {
            s_instance = nullptr;
            s_self = nullptr;
        }
    }

    Singleton(const Singleton&) = delete;
    Singleton& operator=(const Singleton&) = delete;

private:
    // Constant-initialised, so a registration running before main() may already use it.
    static inline T* s_instance = nullptr;
    // The same object seen as this base, taken while it was complete.
    static inline Singleton* s_self = nullptr;
};
