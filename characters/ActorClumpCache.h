#pragma once

#include "framework/Singleton.h"

#include <memory>
#include <string>
#include <vector>

class AnimatedClump;
struct RwTexDictionary;

// Keeps every loaded character model with a texture dictionary of its own, hands one model to
// every actor that asks for the same (path, name), and frees unused models only once more
// than kMaxUnevicted are held.
class ActorClumpCache : public Singleton<ActorClumpCache> {
public:
    static constexpr int kMaxUnevicted = 13;

    ActorClumpCache();
    ~ActorClumpCache() override;

    // The model file "name" with its textures from the folders of path; never null (a model that fails
    // to load is entered empty). The cache keeps it until DestroyClump and eviction.
    AnimatedClump* GetClump(const std::string& path, const std::string& name);
    // The dictionary the model's textures live in; null for a clump the cache does not hold.
    RwTexDictionary* GetTextureDictionary(const AnimatedClump* clump) const;
    // One user less; the model stays loaded. A clump not held is logged and ignored.
    void DestroyClump(const AnimatedClump* clump);
    // Frees the oldest model that nobody uses, if any.
    void DestroyUnusedClump();

    int GetEntryCount() const { return static_cast<int>(m_entries.size()); }
    // -1 for a clump the cache does not hold.
    int GetUseCount(const AnimatedClump* clump) const;

private:
    struct Entry;
    Entry* Find(const AnimatedClump* clump) const;

    // By pointer: actors keep the clumps while the vector grows.
    std::vector<std::unique_ptr<Entry>> m_entries;
};
