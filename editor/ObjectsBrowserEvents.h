#pragma once

// The events between the objects browser and the game state, with their parameters, as
// MainProgram::HandleEvent carries them. Texts are borrowed for the call only.
#include "framework/MainProgram.h"

#include <cstdint>
#include <string>

class Object;

namespace browser_events {

// (Object*, const char* new label). The answer is non-zero when the game renamed the object.
constexpr const char* kRenameObject = "rename object";
// (Object* or null for a folder, const char* label).
constexpr const char* kCopySettings = "copy settings";
constexpr const char* kPasteSettings = "paste settings";
constexpr const char* kCloneObject = "clone object";
constexpr const char* kDeleteObject = "delete object";
constexpr const char* kImportSettings = "import settings";
constexpr const char* kExportSettings = "export settings";
// (const char* class name, 0).
constexpr const char* kCreateGameElement = "create game element";
// (0, 0).
constexpr const char* kLoadSettings = "load settings";
constexpr const char* kSaveSettings = "save settings";
// (Object*, 0): after a property window wrote its values into the object.
constexpr const char* kObjectUpdated = "object updated";

inline int Send(const char* event, const Object* object, const std::string& text)
{
    return MainProgram::Instance()->HandleEvent(event, reinterpret_cast<intptr_t>(object),
                                                reinterpret_cast<intptr_t>(text.c_str()));
}

inline int SendText(const char* event, const std::string& text)
{
    return MainProgram::Instance()->HandleEvent(event, reinterpret_cast<intptr_t>(text.c_str()), 0);
}

}  // namespace browser_events
