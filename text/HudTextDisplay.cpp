#include "text/HudTextDisplay.h"

#include "text/TextDisplay.h"
#include "text/TextManager.h"

#include <cctype>
#include <cstdlib>

namespace {

// The HUD prints single lines at a point: an area large enough never to break them.
constexpr float kOpenArea = 1.0e6f;

HudTextDisplay s_display;
// Start-up registration: the text layer sits above the scene.
[[maybe_unused]] const bool s_installed = [] {
    SetHudTextService(&s_display);
    return true;
}();

// The display's settings the HUD changes besides its attributes, put back when it is done.
class DisplayState {
public:
    explicit DisplayState(TextDisplay& display)
        : m_display(display),
          m_area(display.GetArea()),
          m_horizontal(display.GetHorizontalAlign()),
          m_vertical(display.GetVerticalAlign()),
          m_scaleX(display.GetGlobalScaleX()),
          m_scaleY(display.GetGlobalScaleY())
    {
        display.PushAttributes();
    }
    ~DisplayState()
    {
        m_display.PopAttributes();
        m_display.SetArea(m_area);
        m_display.SetHorizontalAlign(m_horizontal);
        m_display.SetVerticalAlign(m_vertical);
        m_display.SetGlobalScale(m_scaleX, m_scaleY);
    }
    DisplayState(const DisplayState&) = delete;
    DisplayState& operator=(const DisplayState&) = delete;

private:
    TextDisplay& m_display;
    TextRect m_area;
    int32_t m_horizontal, m_vertical;
    float m_scaleX, m_scaleY;
};

}  // namespace

std::string HudTextDisplay::Expand(const std::string& text)
{
    std::string out;
    size_t at = 0;
    while (at < text.size()) {
        const size_t open = text.find('%', at);
        const size_t close = open == std::string::npos ? open : text.find('%', open + 1);
        if (close == std::string::npos) {
            out += text.substr(at);
            break;
        }
        const std::string digits = text.substr(open + 1, close - open - 1);
        const bool number = !digits.empty() && digits.size() < 10 &&
                            digits.find_first_not_of("0123456789") == std::string::npos;
        const auto id = number ? static_cast<int32_t>(std::strtol(digits.c_str(), nullptr, 10)) : 0;
        out += text.substr(at, open - at);
        if (number && TextManager::Instance()->HasText(id)) {
            out += TextManager::Instance()->GetText(id);
            at = close + 1;
        } else {
            // The second '%' may open the next id.
            out += '%';
            at = open + 1;
        }
    }
    return out;
}

void HudTextDisplay::Measure(const std::string& font, const std::string& text, int& width, int& height)
{
    TextDisplay& display = *TextDisplay::Instance();
    DisplayState state(display);
    display.SetFont(font);
    display.SetGlobalScale(1.0f, 1.0f);
    width = static_cast<int>(display.GetTextWidth(text));
    height = static_cast<int>(display.GetLineHeight());
}

void HudTextDisplay::Print(const std::string& font, const std::string& text, float x, float y, float sx, float sy,
                           const Color& colour)
{
    TextDisplay& display = *TextDisplay::Instance();
    DisplayState state(display);
    display.SetFont(font);
    display.SetGlobalScale(sx, sy);
    display.SetHorizontalAlign(kAlignLeft);
    display.SetVerticalAlign(kAlignTop);
    display.SetColor(colour);
    display.SetArea({0.0f, 0.0f, kOpenArea, kOpenArea});
    display.Print(text, x, y);
}
