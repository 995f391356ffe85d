#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Allocation tracker. Code that wants its memory accounted for reports each
// allocation and free; every record carries the current phase and four-character
// tag. The dumps are CSV files in "data/".
class MemTrack {
public:
    // Records made from now on belong to this phase.
    static void SetPhase(int phase);
    static int GetPhase();
    // Up to four characters; shorter tags are padded with blanks.
    static void SetTag(const char* tag);
    static std::string GetTag();

    static void RecordAlloc(const void* address, size_t size);
    // False when the address was not recorded (a double free or a foreign pointer).
    static bool RecordFree(const void* address);

    static size_t GetLiveCount();
    static size_t GetLiveBytes();
    static size_t GetTotalAllocations();

    // Live allocations of one phase (-1: all) to "data/memtrack_allocations.csv".
    static bool WriteAllocations(int phase);
    // Live count and bytes and all-time count per tag to "data/memtrack_summary.csv".
    static bool WriteSummary();
    // Logs how many allocations of the phase were not freed and lists them in
    // "data/memtrack_unfreed.csv".
    static bool ReportUnfreed(int phase);

    // Forgets every record and the counters (tests, shutdown).
    static void Reset();
};
