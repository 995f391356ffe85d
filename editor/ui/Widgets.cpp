#include "editor/ui/Widgets.h"

namespace editor {

namespace {

int Resize(ImGuiInputTextCallbackData* data)
{
    if (data->EventFlag == ImGuiInputTextFlags_CallbackResize) {
        auto* text = static_cast<std::string*>(data->UserData);
        text->resize(static_cast<size_t>(data->BufTextLen));
        data->Buf = text->data();
    }
    return 0;
}

}  // namespace

bool InputString(const char* label, std::string* text, ImGuiInputTextFlags flags)
{
    return ImGui::InputText(label, text->data(), text->capacity() + 1, flags | ImGuiInputTextFlags_CallbackResize, Resize,
                            text);
}

bool BeginWantedModal(const char* title, bool* wanted, ImGuiWindowFlags flags)
{
    if (!*wanted)
        return false;
    if (!ImGui::IsPopupOpen(title))
        ImGui::OpenPopup(title);
    ImGui::SetNextWindowPos(ImGui::GetIO().DisplaySize * 0.5f, ImGuiCond_Appearing, ImVec2(0.5f, 0.5f));
    if (ImGui::BeginPopupModal(title, wanted, flags))
        return true;
    *wanted = false;
    return false;
}

bool OkCloses(bool* wanted)
{
    // One press closes one box: a box closed by it hands the focus to its parent at once,
    // in the same frame.
    static const ImGuiContext* s_keyContext = nullptr;
    static int s_keyFrame = -1;
    const bool keyFree = s_keyContext != ImGui::GetCurrentContext() || s_keyFrame != ImGui::GetFrameCount();
    const bool key = keyFree && ImGui::IsWindowFocused() &&
                     (ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Enter)) ||
                      ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Escape)));
    if (key) {
        s_keyContext = ImGui::GetCurrentContext();
        s_keyFrame = ImGui::GetFrameCount();
    }
    const bool ok = ImGui::Button("OK", ImVec2(75, 0)) || key;
    if (ok) {
        *wanted = false;
        ImGui::CloseCurrentPopup();
    }
    return ok;
}

}  // namespace editor
