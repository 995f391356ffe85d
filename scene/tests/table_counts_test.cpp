// Counts in the scene's property tables size lists: a damaged or hand-edited count must never
// ask for more items than the table could describe.
#include "support/SceneTest.h"

#include "scene/AnimatedClumpElement.h"
#include "scene/Atmosphere.h"
#include "scene/GameElements.h"
#include "scene/ParticleSystem.h"
#include "tests/support/LogCapture.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <string>

namespace {

class TableCountsTest : public SceneTest {};

int Lines(const std::string& text)
{
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

}  // namespace

TEST_F(TableCountsTest, AHugeCountReadsAsNoMoreItemsThanTheTableHasLines)
{
    struct Case {
        const char* name;
        std::function<std::unique_ptr<Object>()> make;
        const char* key;
        std::function<size_t(Object&)> items;
    };
    const Case cases[] = {
        {"particle actions", [] { return std::make_unique<ParticleSystem>(); }, "Actions Count",
         [](Object& o) { return dynamic_cast<ParticleSystem&>(o).GetActions().size(); }},
        {"element's material actions", [] { return std::make_unique<ClumpElement>(); }, "Actions Count",
         [](Object& o) { return dynamic_cast<ClumpElement&>(o).GetActions().size(); }},
        {"animated element's animations", [] { return std::make_unique<AnimatedClumpElement>(); }, "anim count",
         [](Object& o) { return dynamic_cast<AnimatedClumpElement&>(o).GetAnimationNames().size(); }},
        {"lens flares", [] { return std::make_unique<Lensflares>(); }, "count",
         [](Object& o) { return dynamic_cast<Lensflares&>(o).GetFlares().size(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<Object> written = c.make();
        const std::string text = ReplaceValue(WrittenTable(*written), c.key, "2000000000");
        std::unique_ptr<Object> read = c.make();
        LogCapture log;
        ReadTable(*read, text);
        EXPECT_LE(c.items(*read), static_cast<size_t>(Lines(text)));
        EXPECT_EQ(log.Count(std::string(c.key) + " 2000000000 is more than the table can hold"), 1) << log.Text();
    }
}

TEST_F(TableCountsTest, AParticleLimitBeyondAnyEffectsNeedIsLimited)
{
    ParticleSystem system;
    const std::string text = WrittenTable(system);
    for (const auto& [limit, read] : {std::pair{"90", 90}, std::pair{"2000000000", 1 << 14}}) {
        LogCapture log;
        ReadTable(system, ReplaceValue(text, "Max. Particles", limit));
        EXPECT_EQ(system.GetMaxParticles(), read) << limit;
        EXPECT_EQ(log.Count("ParticleSystem::Serialize: Max. Particles"), read == 90 ? 0 : 1) << log.Text();
    }
}
