#pragma once

// The one instance of a service that its owner has registered, for callers that cannot be
// handed it. Unlike a singleton it is made and owned by someone else, and it lets go of the
// registration when it goes.
template <typename T>
class CurrentInstance {
public:
    // Null while none is registered.
    static T* Current() { return static_cast<T*>(s_current); }
    // Borrowed: null unregisters.
    static void SetCurrent(T* instance) { s_current = instance; }

protected:
    CurrentInstance() = default;
    ~CurrentInstance()
    {
        // Compared as the base: T is already destroyed here.
        if (s_current == this)
            s_current = nullptr;
    }

private:
    static inline CurrentInstance* s_current = nullptr;
};
