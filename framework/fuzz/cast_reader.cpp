// Reads arbitrary bytes as a cast file, plain or scrambled, into a cast of a few
// objects; dynamic blocks make objects through a test factory.
#include "framework/Cast.h"
#include "framework/Object.h"
#include "framework/Registration.h"
#include "framework/Scramble.h"
#include "framework/Serializer.h"
#include "framework/fuzz/FuzzRun.h"
#include "framework/fuzz/FuzzScalars.h"
#include "framework/fuzz/FuzzScratch.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

struct FuzzNode : Object {
    int depth = 0;
    FuzzScalars scalars;
    std::vector<std::unique_ptr<FuzzNode>> children;

    void Serialize(Serializer& s, const char* descriptor) override
    {
        s.BeginSection("FuzzNode", descriptor);
        scalars.Serialize(s);
        int32_t count = static_cast<int32_t>(children.size());
        s.SerializeInt("num children", &count);
        if (s.IsReading()) {
            children.clear();
            for (int32_t i = 0; depth < 3 && i < std::min(count, 4); ++i) {
                children.push_back(std::make_unique<FuzzNode>());
                children.back()->depth = depth + 1;
            }
        }
        for (auto& child : children)
            s.SerializeObject("child", child.get());
        s.EndSection();
    }
};

REGISTER_FACTORY(GameElements, FuzzNode);

namespace {

constexpr const char* kScratch = "fuzz_cast.txt";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzBeginRun();
    if (size == 0)
        return 0;

    // The first byte picks plain or scrambled; scrambled text is stored as the game
    // stores it, so the reader sees the bytes after decoding.
    const bool scrambled = data[0] & 1;
    ++data;
    --size;
    if (scrambled) {
        std::vector<uint8_t> bytes(data, data + size);
        Scramble::Apply(bytes.data(), bytes.size());
        const std::string hex = Scramble::EncodeHex(bytes.data(), bytes.size());
        if (!FuzzWriteScratch(kScratch, reinterpret_cast<const uint8_t*>(hex.data()), hex.size()))
            std::abort();
    } else if (!FuzzWriteScratch(kScratch, data, size)) {
        std::abort();
    }

    FuzzNode a, b;
    Cast cast("fuzz");
    cast.AddMember(&a, "A", false);
    cast.AddMember(&b, "Game Parameters", false);
    LoadSettings(&cast, kScratch, scrambled);

    // Whatever was read must be whole: named, and owned when made here.
    for (int i = 0; i < cast.GetMemberCount(); ++i) {
        const CastMember* member = cast.GetMember(i);
        if (!member->object || !member->object->HasName() || (i >= 2 && !(member->owned && member->dynamic)))
            std::abort();
    }
    cast.RemoveMember(&a);
    cast.RemoveMember(&b);
    return 0;
}
