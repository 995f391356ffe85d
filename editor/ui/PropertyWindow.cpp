#include "editor/ui/PropertyWindow.h"

#include "editor/ui/Modals.h"
#include "framework/Object.h"

namespace editor {

PropertyWindow::PropertyWindow(Object& object, const std::string& label, Modals& modals, Opener opener)
    : m_object(object)
{
    m_dialog.SetLabel(label);
    m_dialog.SetColorChooser(modals.MakeColorChooser());
    m_dialog.SetFileChooser(modals.MakeFileChooser());
    if (opener)
        m_dialog.SetObjectWindowOpener(std::move(opener));
    m_serializer.SetWriting(true);
    m_object.Serialize(m_serializer, label.c_str());
    m_dialog.SetUpdateCallback([this] {
        m_serializer.SetWriting(false);
        m_serializer.Reset();
        m_object.Serialize(m_serializer, "Unknown");
    });
}

std::string PropertyWindow::WindowName() const
{
    return m_dialog.GetLabel() + "###" + std::to_string(m_dialog.GetSerial());
}

}  // namespace editor
