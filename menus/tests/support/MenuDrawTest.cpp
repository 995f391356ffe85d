#include "support/MenuDrawTest.h"

#include "scene/Immediate3DCache.h"
#include "scene/RwGraphics.h"
#include "text/TextDisplay.h"
#include "text/TextDisplay3D.h"
#include "text/tests/support/TextTestSupport.h"

namespace menutest {

namespace {

const char* const kCharset = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789%";

}  // namespace

Rgba Unpack(RwUInt32 packed)
{
    return {static_cast<int>((packed >> 16) & 255), static_cast<int>((packed >> 8) & 255),
            static_cast<int>(packed & 255), static_cast<int>(packed >> 24)};
}

Rgba ColorOf(const RwNullDrawRecord& draw)
{
    return Unpack(draw.is2D ? draw.corners2D[0].emissiveColor : draw.vertices3D.at(0).color);
}

Rgba Expected(const Color& colour)
{
    return Unpack(PackColor(colour));
}

Vector3 Corner(const RwNullDrawRecord& draw, int i)
{
    const RwV3d& v = draw.vertices3D.at(i).objVertex;
    return {v.x, v.y, v.z};
}

std::vector<Rgba> QuadColours(const std::vector<RwNullDrawRecord>& draws)
{
    std::vector<Rgba> colours;
    for (const RwNullDrawRecord& draw : draws)
        for (size_t i = 0; !draw.is2D && i + 3 < draw.vertices3D.size(); i += 4)
            colours.push_back(Unpack(draw.vertices3D[i].color));
    return colours;
}

void MenuDrawTest::SetUp()
{
    ASSERT_TRUE(texttest::MakeBlockFont(font, kCharset, 10));
    ASSERT_TRUE(texttest::MakeBlockFont(selectedFont, kCharset, 6));
    TextDisplay* display = TextDisplay::Instance();
    display->RegisterFont("default", &font);
    display->RegisterFont("menu", &font);
    display->RegisterFont("selected", &selectedFont);
    display->Init();
    display->SetArea({0, 0, 800, 600});
    menu = Menu::Instance();
    menu->SetScale(1.0f, 1.0f);
    menu->SetOwner(&owner);
}

void MenuDrawTest::TearDown()
{
    Menu::DestroyInstance();
    TextDisplay::DestroyInstance();
    TextDisplay3D::DestroyInstance();
}

void MenuDrawTest::Load(const std::string& screen)
{
    ASSERT_TRUE(menu->LoadScreen(ParseText(screen)));
    menu->SetFadeState(Menu::kShown);
}

std::vector<RwNullDrawRecord> MenuDrawTest::Pass(const std::function<void()>& draw)
{
    return Drawn(draw);
}

std::vector<RwNullDrawRecord> MenuDrawTest::Pass(int pass, int item)
{
    return Drawn([&] { menu->GetItem(item)->Draw(pass); });
}

}  // namespace menutest
