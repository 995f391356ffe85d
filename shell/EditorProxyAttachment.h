#pragma once

#include "editor/ObjectSettingsDialog.h"

#include <memory>

class Object;

// The editor proxy that stands for the object while its property window is open, or null
// when no proxy class can stand for it. The object must outlive the attachment.
std::unique_ptr<PropertyWindowAttachment> AttachEditorProxy(Object& object);
