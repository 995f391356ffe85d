#include "frontend/menu/TBMenu.h"

#include "menus/Menu.h"
#include "menus/MenuItem.h"
#include "scene/Camera.h"
#include "scene/RwGraphics.h"
#include "text/TextDisplay.h"
#include "text/TextManager.h"

namespace {

constexpr int kCreditsText = 99999;
constexpr float kMenuHeight = 600.0f;
constexpr float kLineGap = 50.0f;
constexpr float kVisibleAbove = -160.0f;

}  // namespace

TBMenu::CreditsLayout TBMenu::LayOutCredits(float scroll, float s, int lines)
{
    CreditsLayout layout;
    float y = kMenuHeight - scroll + 100.0f;
    const float step = s * kLineGap;
    for (int line = 0; line < lines; ++line) {
        if (y > kVisibleAbove && y < kMenuHeight)
            layout.printed.emplace_back(line, y * s);
        y += step;
    }
    layout.ended = s * -100.0f > y;
    return layout;
}

void TBMenu::DrawCredits()
{
    Menu* menu = Menu::Instance();
    if (!menu->HasItem("creditsText", 0))
        return;
    const Vector4 area = menu->GetItem("creditsText", 0)->GetArea();
    const Camera* camera = RwGraphics::Instance()->GetPrimaryCamera();
    const float width = camera ? camera->GetWidth() : Menu::kWidth;
    const float height = camera ? camera->GetHeight() : Menu::kHeight;
    const float s = height / kMenuHeight;
    TextManager* texts = TextManager::Instance();
    int lines = 0;
    while (texts->HasText(kCreditsText, lines))
        ++lines;
    const CreditsLayout layout = LayOutCredits(m_creditsScroll, s, lines);

    TextDisplay* display = TextDisplay::Instance();
    const TextRect saved = display->GetArea();
    display->SetArea({area.x, area.y, width, height});
    // The lines scroll in and out of the item's area, not across the screen.
    display->SetClip({area.x, area.y, area.z, area.w});
    display->PushAttributes();
    display->SetFont("menu");
    display->SetScale(1.0f, 1.0f);
    for (const auto& [line, y] : layout.printed)
        display->Print(texts->GetText(kCreditsText, line), 0.0f, y);
    // Once: a second successor would replace the first mid-fade.
    if (layout.ended && menu->GetFadeState() == Menu::kShown) {
        SetNext(new TBMenu("main"));
        menu->SetFadeState(Menu::kFadingOut);
    }
    display->PopAttributes();
    display->ClearClip();
    display->SetArea(saved);
}
