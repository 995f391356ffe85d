#pragma once

#include "editor/HyperLink.h"

#include <string>

// The modal about box of "&About Turfbolt...": the product, its version and one link.
class CAboutDlg {
public:
    CAboutDlg(std::string version, std::string linkText, std::string linkTarget, LinkOpener opener);

    void Open() { m_open = true; }
    bool IsOpen() const { return m_open; }
    // Inside an ImGui frame, every frame: shows the box while it is open.
    void Draw();

    CHyperLink& GetLink() { return m_link; }

private:
    std::string m_version;
    CHyperLink m_link;
    bool m_open = false;
};
