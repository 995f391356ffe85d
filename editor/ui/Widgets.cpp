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

}  // namespace editor
