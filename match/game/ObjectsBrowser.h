#pragma once

#include <string>
#include <vector>

class Object;

// The editor's objects browser as the game state drives it. This one keeps no window: it
// remembers what it was asked to show, so the game state's refreshes can be checked.
class ObjectsBrowser {
public:
    void ClearTree() { m_inserted.clear(); }
    void InsertObject(Object* /*object*/, const std::string& name) { m_inserted.push_back(name); }
    void SelectObject(Object* object) { m_selected = object; }
    void Show() { m_shown = true; }

    // The names inserted since the last ClearTree, in order.
    const std::vector<std::string>& GetInserted() const { return m_inserted; }
    Object* GetSelected() const { return m_selected; }
    bool IsShown() const { return m_shown; }

private:
    std::vector<std::string> m_inserted;
    Object* m_selected = nullptr;
    bool m_shown = false;
};
