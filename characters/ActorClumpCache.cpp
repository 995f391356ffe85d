#include "characters/ActorClumpCache.h"

#include "engine/core/RwTexture.h"
#include "framework/Debug.h"
#include "framework/StringUtil.h"
#include "scene/AnimatedClump.h"

struct ActorClumpCache::Entry {
    std::unique_ptr<AnimatedClump> clump;
    std::string path;
    std::string name;
    RwTexDictionary* textureDictionary = nullptr;
    int32_t useCount = 0;

    ~Entry()
    {
        if (clump)
            clump->DestroyClump();
        clump.reset();
        if (textureDictionary)
            RwTexDictionaryDestroy(textureDictionary);
    }
};

ActorClumpCache::ActorClumpCache() = default;

ActorClumpCache::~ActorClumpCache()
{
    std::vector<std::unique_ptr<Entry>> entries;
    entries.swap(m_entries);
}

AnimatedClump* ActorClumpCache::GetClump(const std::string& path, const std::string& name)
{
    for (const auto& entry : m_entries) {
        if (EqualsNoCase(entry->path, path) && EqualsNoCase(entry->name, name)) {
            DebugTrace("found clump in cache\n");
            ++entry->useCount;
            return entry->clump.get();
        }
    }
    DebugTrace("did not find clump in cache, loading...\n");
    auto entry = std::make_unique<Entry>();
    RwTexDictionary* previous = RwTexDictionaryGetCurrent();
    entry->textureDictionary = RwTexDictionaryCreate();
    RwTexDictionarySetCurrent(entry->textureDictionary);
    entry->clump = std::make_unique<AnimatedClump>();
    entry->clump->LoadClump(name, path, false);
    RwTexDictionarySetCurrent(previous);
    entry->path = path;
    entry->name = name;
    entry->useCount = 1;
    AnimatedClump* clump = entry->clump.get();
    m_entries.push_back(std::move(entry));
    if (GetEntryCount() > kMaxUnevicted)
        DestroyUnusedClump();
    DebugTrace("  %d actors in cache\n", GetEntryCount());
    return clump;
}

ActorClumpCache::Entry* ActorClumpCache::Find(const AnimatedClump* clump) const
{
    for (const auto& entry : m_entries) {
        if (entry->clump.get() == clump)
            return entry.get();
    }
    return nullptr;
}

RwTexDictionary* ActorClumpCache::GetTextureDictionary(const AnimatedClump* clump) const
{
    const Entry* entry = Find(clump);
    return entry ? entry->textureDictionary : nullptr;
}

int ActorClumpCache::GetUseCount(const AnimatedClump* clump) const
{
    const Entry* entry = Find(clump);
    return entry ? entry->useCount : -1;
}

void ActorClumpCache::DestroyClump(const AnimatedClump* clump)
{
    Entry* entry = Find(clump);
    if (!entry) {
        LogError("ActorClumpCache::DestroyClump could not find clump in cache!\n");
        return;
    }
    --entry->useCount;
}

void ActorClumpCache::DestroyUnusedClump()
{
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        if ((*it)->useCount == 0) {
            std::unique_ptr<Entry> evicted = std::move(*it);
            m_entries.erase(it);
            return;
        }
    }
    DebugTrace("DestroyUnusedClump could not find unused clump\n");
}
