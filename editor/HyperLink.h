#pragma once

#include <cstdint>
#include <functional>
#include <string>

// Opens a target (an address or a file) with the desktop's default handler; false when
// it could not. The platform's is platform::OpenUrl.
using LinkOpener = std::function<bool(const std::string& target)>;

struct LinkColor {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const LinkColor& o) const { return r == o.r && g == o.g && b == o.b; }
};

// A text that behaves like a link in a web page: coloured, underlined, a hand cursor and
// a tool tip with its target; a click opens the target. The view reports the mouse, the
// focus and the keys; the link decides colours and when to open.
class CHyperLink {
public:
    enum Option : uint8_t {
        kUnderline = 0x01,
        kHoverColor = 0x02,
        kSizeToText = 0x04,
        kOpenOnButtonDown = 0x08,
        kFocusOnButtonDown = 0x10,
        kNoHandCursor = 0x20,
        kNoFocusColor = 0x40,
    };
    static constexpr uint8_t kDefaultOptions = kUnderline | kSizeToText | kFocusOnButtonDown;

    static constexpr LinkColor kLinkRgb{0, 0, 255};
    static constexpr LinkColor kFocusRgb{0, 128, 128};
    static constexpr LinkColor kVisitedRgb{128, 0, 128};
    static constexpr LinkColor kHoverRgb{255, 0, 0};

    // An empty target opens the text; an empty text shows the target.
    CHyperLink(std::string text, std::string target, LinkOpener opener);

    void SetOptions(uint8_t options) { m_options = options; }
    uint8_t GetOptions() const { return m_options; }
    bool HasOption(Option option) const { return (m_options & option) != 0; }

    const std::string& GetText() const { return m_text; }
    const std::string& GetTarget() const { return m_target; }
    // The colour to draw the text in now: hovering (with kHoverColor), then pressed (unless
    // kNoFocusColor), then visited, else the link colour.
    LinkColor GetColor() const;

    void OnMouseEnter();
    void OnMouseLeave();
    void OnButtonDown();
    void OnButtonUp();
    // Space opens the target.
    void OnSpace();
    void OnFocus();
    void OnFocusLost();

    // Opens the target: visited on success; on failure the error box's text is set.
    bool Open();

    bool IsHovering() const { return m_hovering; }
    bool IsPressed() const { return m_pressed; }
    bool IsVisited() const { return m_visited; }

    // The text of the box to show after a failed open; empty when none is due.
    const std::string& GetError() const { return m_error; }
    void ClearError() { m_error.clear(); }

private:
    std::string m_text;
    std::string m_target;
    LinkOpener m_opener;
    std::string m_error;
    uint8_t m_options = kDefaultOptions;
    bool m_pressed = false;
    bool m_hovering = false;
    bool m_visited = false;
};
