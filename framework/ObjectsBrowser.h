#pragma once

#include <string>

class Cast;
class Object;

// What the game asks of the objects browser. The game tells it before it frees cast
// members, so that no property window outlives its object.
class ObjectsBrowser {
public:
    virtual ~ObjectsBrowser() = default;
    virtual void ClearTree() = 0;
    // Every member of the cast, in member order, under the top-level folder castName.
    virtual void InsertObject(const Cast& cast, const std::string& castName) = 0;
    // Selects and shows the first item of the object; nothing when none shows it.
    virtual void SelectObject(const Object* object) = 0;
    // "show objectsettings": shown, uncollapsed, at the view's (0, 0) with 500 x 500, on top.
    virtual void Show() = 0;
    // Before the object is freed: its windows close, with the windows opened from them.
    virtual void OnObjectFreeing(const Object* object) = 0;
    // Before the cast's members are freed (a cast cleared or loaded anew).
    virtual void OnCastClearing(const Cast& cast) = 0;
};
