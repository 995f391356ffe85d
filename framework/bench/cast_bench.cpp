// Writing and reading a cast file of 10,000 objects, the size of a busy level.
#include "framework/Cast.h"
#include "framework/Color.h"
#include "framework/Factory.h"
#include "framework/FileSystem.h"
#include "framework/Object.h"
#include "framework/Registration.h"
#include "framework/Serializer.h"
#include "framework/StringUtil.h"
#include "framework/Vector.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

// A game element of typical size: a handful of mixed properties.
struct BenchElement : Object {
    Vector3 position;
    Vector3 scale{1.0f, 1.0f, 1.0f};
    Color tint{1.0f, 1.0f, 1.0f, 1.0f};
    float radius = 0.5f;
    int32_t team = 0;
    bool active = true;
    std::string model = "<PP>Models\\Element.dff";

    void Serialize(Serializer& s, const char* descriptor) override
    {
        s.BeginSection("BenchElement", descriptor);
        s.SerializeVector3("Position", &position);
        s.SerializeVector3("Scale", &scale);
        s.SerializeColor("Tint", &tint);
        s.SerializeFloat("Radius", &radius);
        s.SerializeInt("Team", &team);
        s.SerializeBool("Active", &active);
        s.SerializeString("Model", &model);
        s.EndSection();
    }
};

REGISTER_FACTORY(GameElements, BenchElement);

namespace {

constexpr int kObjects = 10000;

std::string ScratchFolder()
{
    char pattern[] = "/tmp/tb_cast_bench.XXXXXX";
    const char* made = mkdtemp(pattern);
    return made ? std::string(made) + "/" : std::string("/tmp/");
}

void FillCast(Cast& cast, bool dynamic)
{
    for (int i = 0; i < kObjects; ++i) {
        auto* element = new BenchElement;
        element->position = Vector3(static_cast<float>(i), 0.5f * static_cast<float>(i % 100), -1.0f);
        element->team = i % 2;
        const std::string name = FormatString("Element_%d", i);
        if (dynamic)
            cast.AddDynamicMember(element, name.c_str());
        else
            cast.AddMember(element, name.c_str(), true);
    }
}

void BM_CastWrite(benchmark::State& state)
{
    const std::string folder = ScratchFolder();
    const std::string file = folder + "cast.txt";
    Cast cast("bench");
    FillCast(cast, false);
    for (auto _ : state) {
        if (!SaveSettings(&cast, file.c_str()))
            state.SkipWithError("SaveSettings failed");
    }
    state.SetItemsProcessed(state.iterations() * kObjects);
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_CastWrite)->Unit(benchmark::kMillisecond);

// "OBJECT START" blocks: every member updated by name.
void BM_CastReadUpdate(benchmark::State& state)
{
    const std::string folder = ScratchFolder();
    const std::string file = folder + "cast.txt";
    Cast cast("bench");
    FillCast(cast, false);
    SaveSettings(&cast, file.c_str());
    for (auto _ : state) {
        if (!LoadSettings(&cast, file.c_str()))
            state.SkipWithError("LoadSettings failed");
    }
    state.SetItemsProcessed(state.iterations() * kObjects);
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_CastReadUpdate)->Unit(benchmark::kMillisecond);

// "DYNAMIC OBJECT START" blocks: every member made through the factory, as a level loads.
void BM_CastReadDynamic(benchmark::State& state)
{
    const std::string folder = ScratchFolder();
    const std::string file = folder + "cast.txt";
    {
        Cast source("source");
        FillCast(source, true);
        SaveSettings(&source, file.c_str());
    }
    Cast cast("bench");
    for (auto _ : state) {
        if (!LoadSettings(&cast, file.c_str()))
            state.SkipWithError("LoadSettings failed");
        state.PauseTiming();
        cast.Clear();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kObjects);
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_CastReadDynamic)->Unit(benchmark::kMillisecond);

// The same file scrambled, as save games are.
void BM_CastReadScrambled(benchmark::State& state)
{
    const std::string folder = ScratchFolder();
    const std::string file = folder + "cast.txt";
    Cast cast("bench");
    FillCast(cast, false);
    SaveSettings(&cast, file.c_str(), true);
    for (auto _ : state) {
        if (!LoadSettings(&cast, file.c_str(), true))
            state.SkipWithError("LoadSettings failed");
    }
    state.SetItemsProcessed(state.iterations() * kObjects);
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_CastReadScrambled)->Unit(benchmark::kMillisecond);

}  // namespace
