#pragma once

#include <string>

// The "Help" window's text, lines separated by CR LF.
const std::string& HelpText();

// The modal "Help" window that "Help Me!" opens; the view draws it while it is open.
class CHelpDialog {
public:
    void Open() { m_open = true; }
    // "OK", Escape or the close box.
    void Close() { m_open = false; }
    bool IsOpen() const { return m_open; }
    const std::string& GetText() const { return HelpText(); }

private:
    bool m_open = false;
};
