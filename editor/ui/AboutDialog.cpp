#include "editor/ui/AboutDialog.h"

#include "editor/ui/HyperLinkView.h"
#include "editor/ui/Widgets.h"

namespace {

constexpr char kTitle[] = "About Turfbolt###tb_about";

}  // namespace

CAboutDlg::CAboutDlg(std::string version, std::string linkText, std::string linkTarget, LinkOpener opener)
    : m_version(std::move(version)), m_link(std::move(linkText), std::move(linkTarget), std::move(opener))
{
}

void CAboutDlg::Draw()
{
    if (!editor::BeginWantedModal(kTitle, &m_open))
        return;
    ImGui::TextUnformatted("Turfbolt");
    ImGui::Text("Version %s", m_version.c_str());
    ImGui::Spacing();
    editor::DrawHyperLink(m_link);
    ImGui::Spacing();
    editor::OkCloses(&m_open);
    ImGui::EndPopup();
}
