#pragma once

#include <atomic>
#include <mutex>

// One instance per class, created on first use and kept for the whole run. The first use
// may come from any thread (the sound threads log); DestroyInstance may not race with use.
// The destructor only forgets the pointer: nothing deletes a singleton behind its
// owner's back, so an instance deleted explicitly (tests) is never deleted twice.
template <typename T>
class Singleton {
public:
    static T* Instance()
    {
        T* instance = s_instance.load(std::memory_order_acquire);
        if (instance)
            return instance;
        std::lock_guard<std::mutex> lock(s_creation);
        instance = s_instance.load(std::memory_order_relaxed);
        if (!instance) {
            instance = new T();
            s_self = instance;
            s_instance.store(instance, std::memory_order_release);
        }
        return instance;
    }

    static bool Exists() { return s_instance.load(std::memory_order_acquire) != nullptr; }

    // Deletes the instance so the next Instance() makes a fresh one (tests, shutdown).
    static void DestroyInstance()
    {
        T* p = s_instance.exchange(nullptr);
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
            s_instance.store(nullptr);
            s_self = nullptr;
        }
    }

    Singleton(const Singleton&) = delete;
    Singleton& operator=(const Singleton&) = delete;

private:
    // Constant-initialised, so a registration running before main() may already use them.
    static inline std::atomic<T*> s_instance{nullptr};
    static inline std::mutex s_creation;
    // The same object seen as this base, taken while it was complete.
    static inline Singleton* s_self = nullptr;
};
