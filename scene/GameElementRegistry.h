#pragma once

#include "framework/CurrentInstance.h"

#include <span>
#include <vector>

class GameElement;
class Object;
class ObjectsBrowser;
class RenderObject;

// The game's elements, made by class name into the cast "objects" or "hud" (or quietly, kept
// by the registry alone), and the settings casts they are loaded from, shown in the objects
// browser. The game makes one and registers it (Current is null while no game runs); the match
// and the front end make and delete their elements on the registered one.
class GameElementRegistry : public CurrentInstance<GameElementRegistry> {
public:
    // One cast: its settings file is directory + name + ".txt".
    struct CastEntry {
        const char* directory;
        const char* name;
    };

    // The casts LoadOrSaveCasts reads and writes and the browser shows, in that order; the
    // table must outlive the registry.
    explicit GameElementRegistry(std::span<const CastEntry> casts);

    GameElementRegistry(const GameElementRegistry&) = delete;
    GameElementRegistry& operator=(const GameElementRegistry&) = delete;

    // Null for a class the factory does not hold. Owned by its cast ("hud" for a
    // "HudElement", else "objects") unless quiet, then by the registry.
    GameElement* CreateGameElement(const char* className, const char* name, bool quiet);
    // Takes the element out of the world, the vector and whichever cast holds it, and
    // deletes it once. Answers false in every case, null included.
    bool DeleteGameElement(GameElement* element);
    // Renames a member of "objects", keeping the part up to its last "|"; false (message
    // box "name not unique") when another member already bears the resulting name.
    bool RenameObject(Object* object, const char* name);
    // In creation order; owned by their cast unless made quiet.
    const std::vector<GameElement*>& GetGameElements() const { return m_elements; }

    // Deleted by the next DeletePendingElements; a second request in a frame is one.
    void RequestDeletion(GameElement* element);
    void DeletePendingElements();

    // Loads or saves every cast of the table; "objects" only with objects, "Characters" only
    // with characters. Loading "objects" first takes its members out of the world, the vector
    // of game elements and the cast, and puts the new ones into the world. A save file not
    // written yet, or a level's cast while no level is set, is passed over without a word:
    // the cast keeps what it holds.
    void LoadOrSaveCasts(bool load, bool objects, bool characters);

    // A browser of the caller's, told of what the registry frees and refilled by it; null for
    // none. Borrowed: it must be replaced (null) before it goes.
    void SetObjectsBrowser(ObjectsBrowser* browser) { m_browser = browser; }
    ObjectsBrowser* GetObjectsBrowser() const { return m_browser; }
    // The browser's tree anew from the casts of the table.
    void RefreshObjectsBrowser();

    // Forgets the elements, for casts emptied by their owner.
    void ForgetElements() { m_elements.clear(); }
    // Every cast's members out of the world and of their cast (deleting what the casts own),
    // then the quiet elements deleted; nothing is left pending.
    void ReleaseAll();

    // Out of the renderer's world when it is there.
    static void TakeOutOfWorld(RenderObject* object);

private:
    // Takes the members of "objects" out of the world and of the element vector before the
    // cast deletes them, so nothing keeps a pointer to a deleted element.
    void ClearObjectsCast();
    void DeleteQuietElements();

    std::span<const CastEntry> m_casts;
    // Null without an editor frame (full screen, headless): the browser is optional.
    ObjectsBrowser* m_browser = nullptr;
    std::vector<GameElement*> m_elements;
    std::vector<GameElement*> m_quietElements;
    std::vector<GameElement*> m_pendingDeletions;
};
