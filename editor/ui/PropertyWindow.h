#pragma once

#include "editor/InputDialog.h"
#include "editor/InputDialogSerializer.h"
#include "editor/ui/InputDialogView.h"

#include <functional>
#include <string>

class Object;

namespace editor {

class Modals;

// One open property window on an object: the dialog, the builder that filled it from the
// object's property table, and its view. Apply writes the edited values back into the
// object. The object and the modals must outlive the window.
class PropertyWindow {
public:
    using Opener = std::function<void(Object*, const std::string&)>;

    // opener (may be empty) opens the window of a child object for a "Settings" button.
    PropertyWindow(Object& object, const std::string& label, Modals& modals, Opener opener);
    PropertyWindow(const PropertyWindow&) = delete;
    PropertyWindow& operator=(const PropertyWindow&) = delete;

    void Draw() { m_view.Draw(); }
    Object& GetObject() const { return m_object; }
    CInputDialog& Dialog() { return m_dialog; }
    const CInputDialog& Dialog() const { return m_dialog; }
    // The ImGui name of its window, for finding it in the context.
    std::string WindowName() const;

private:
    Object& m_object;
    CInputDialog m_dialog;
    InputDialogSerializer m_serializer{&m_dialog};
    InputDialogView m_view{m_dialog};
};

}  // namespace editor
