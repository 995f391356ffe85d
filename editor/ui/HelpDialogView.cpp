#include "editor/ui/HelpDialogView.h"

#include "editor/HelpDialog.h"
#include "editor/ui/Widgets.h"

#include <algorithm>
#include <string>

namespace editor {

namespace {

constexpr char kTitle[] = "Help###tb_help";

// ImGui breaks lines at line feeds alone.
std::string& ShownText()
{
    static std::string text = [] {
        std::string t = HelpText();
        t.erase(std::remove(t.begin(), t.end(), '\r'), t.end());
        return t;
    }();
    return text;
}

}  // namespace

void DrawHelpDialog(CHelpDialog& dialog)
{
    bool wanted = dialog.IsOpen();
    ImGui::SetNextWindowSize(ImVec2(640, 420), ImGuiCond_Appearing);
    if (BeginWantedModal(kTitle, &wanted, 0)) {
        std::string& text = ShownText();
        // Read only: the text can be selected and copied, never changed.
        ImGui::InputTextMultiline("##help", text.data(), text.size() + 1, ImVec2(-1, -ImGui::GetFrameHeightWithSpacing()),
                                  ImGuiInputTextFlags_ReadOnly);
        ImGui::SetCursorPosX(ImGui::GetWindowContentRegionMax().x - 75);
        OkCloses(&wanted);
        ImGui::EndPopup();
    }
    if (!wanted)
        dialog.Close();
}

}  // namespace editor
