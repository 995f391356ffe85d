#include "framework/MemTrack.h"

#include "framework/Debug.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <map>
#include <mutex>
#include <unordered_map>

namespace {

struct Record {
    size_t size;
    int phase;
    char tag[4];
    uint64_t serial;
};

struct TagTotals {
    size_t liveCount = 0;
    size_t liveBytes = 0;
    size_t allocations = 0;
};

struct State {
    std::mutex mutex;
    int phase = 0;
    char tag[4] = {' ', ' ', ' ', ' '};
    std::unordered_map<const void*, Record> live;
    std::map<std::string, TagTotals> totals;
    size_t liveBytes = 0;
    size_t allocations = 0;
    uint64_t serial = 0;
};

State& GetState()
{
    static State state;
    return state;
}

std::string TagText(const char (&tag)[4]) { return std::string(tag, 4); }

FILE* OpenDump(const char* path)
{
    FILE* f = std::fopen(path, "w");
    if (!f && errno == ENOENT) {
        ::mkdir("data", 0777);
        f = std::fopen(path, "w");
    }
    if (!f)
        LogError("MemTrack: cannot write %s\n", path);
    return f;
}

// Live records of the phase (-1: all), oldest first.
bool WriteRecords(const char* path, int phase, size_t* count, size_t* bytes)
{
    State& s = GetState();
    std::map<uint64_t, std::pair<const void*, Record>> ordered;
    for (const auto& [address, record] : s.live)
        if (phase == -1 || record.phase == phase)
            ordered.emplace(record.serial, std::make_pair(address, record));

    FILE* f = OpenDump(path);
    if (!f)
        return false;
    std::fprintf(f, "address,size,phase,tag\n");
    size_t total = 0;
    for (const auto& [serial, entry] : ordered) {
        std::fprintf(f, "%p,%zu,%d,%s\n", entry.first, entry.second.size, entry.second.phase,
                     TagText(entry.second.tag).c_str());
        total += entry.second.size;
    }
    const bool ok = std::fclose(f) == 0;
    if (count)
        *count = ordered.size();
    if (bytes)
        *bytes = total;
    return ok;
}

}  // namespace

void MemTrack::SetPhase(int phase)
{
    State& s = GetState();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.phase = phase;
}

int MemTrack::GetPhase()
{
    State& s = GetState();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.phase;
}

void MemTrack::SetTag(const char* tag)
{
    State& s = GetState();
    std::lock_guard<std::mutex> lock(s.mutex);
    bool ended = !tag;
    for (int i = 0; i < 4; ++i) {
        if (!ended && tag[i] == '\0')
            ended = true;
        char c = ended ? ' ' : tag[i];
        // Keeps the CSV columns intact whatever the tag holds.
        if (c < 0x20 || c > 0x7e || c == ',' || c == '"')
            c = '_';
        s.tag[i] = c;
    }
}

std::string MemTrack::GetTag()
{
    State& s = GetState();
    std::lock_guard<std::mutex> lock(s.mutex);
    return TagText(s.tag);
}

void MemTrack::RecordAlloc(const void* address, size_t size)
{
    if (!address)
        return;
    State& s = GetState();
    std::lock_guard<std::mutex> lock(s.mutex);
    Record record{size, s.phase, {s.tag[0], s.tag[1], s.tag[2], s.tag[3]}, s.serial++};
    auto [it, inserted] = s.live.try_emplace(address, record);
    if (!inserted) {
        // The block was freed without being reported: retire the stale record.
        TagTotals& old = s.totals[TagText(it->second.tag)];
        --old.liveCount;
        old.liveBytes -= it->second.size;
        s.liveBytes -= it->second.size;
        it->second = record;
    }
    TagTotals& t = s.totals[TagText(record.tag)];
    ++t.liveCount;
    t.liveBytes += size;
    ++t.allocations;
    s.liveBytes += size;
    ++s.allocations;
}

bool MemTrack::RecordFree(const void* address)
{
    if (!address)
        return true;
    State& s = GetState();
    std::lock_guard<std::mutex> lock(s.mutex);
    auto it = s.live.find(address);
    if (it == s.live.end())
        return false;
    TagTotals& t = s.totals[TagText(it->second.tag)];
    --t.liveCount;
    t.liveBytes -= it->second.size;
    s.liveBytes -= it->second.size;
    s.live.erase(it);
    return true;
}

size_t MemTrack::GetLiveCount()
{
    State& s = GetState();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.live.size();
}

size_t MemTrack::GetLiveBytes()
{
    State& s = GetState();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.liveBytes;
}

size_t MemTrack::GetTotalAllocations()
{
    State& s = GetState();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.allocations;
}

bool MemTrack::WriteAllocations(int phase)
{
    std::lock_guard<std::mutex> lock(GetState().mutex);
    return WriteRecords("data/memtrack_allocations.csv", phase, nullptr, nullptr);
}

bool MemTrack::WriteSummary()
{
    State& s = GetState();
    std::lock_guard<std::mutex> lock(s.mutex);
    FILE* f = OpenDump("data/memtrack_summary.csv");
    if (!f)
        return false;
    std::fprintf(f, "tag,live count,live bytes,allocations\n");
    for (const auto& [tag, t] : s.totals)
        std::fprintf(f, "%s,%zu,%zu,%zu\n", tag.c_str(), t.liveCount, t.liveBytes, t.allocations);
    std::fprintf(f, "total,%zu,%zu,%zu\n", s.live.size(), s.liveBytes, s.allocations);
    return std::fclose(f) == 0;
}

bool MemTrack::ReportUnfreed(int phase)
{
    size_t count = 0, bytes = 0;
    bool ok;
    {
        std::lock_guard<std::mutex> lock(GetState().mutex);
        ok = WriteRecords("data/memtrack_unfreed.csv", phase, &count, &bytes);
    }
    if (ok)
        LogMessage("MemTrack::ReportUnfreed: phase %d: %zu allocations, %zu bytes not freed\n", phase, count, bytes);
    return ok;
}

void MemTrack::Reset()
{
    State& s = GetState();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.phase = 0;
    for (char& c : s.tag)
        c = ' ';
    s.live.clear();
    s.totals.clear();
    s.liveBytes = 0;
    s.allocations = 0;
    s.serial = 0;
}
