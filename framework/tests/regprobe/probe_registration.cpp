#include "framework/Object.h"
#include "framework/Registration.h"

// Nothing refers to this file: its registrations reach the program only because the
// library is linked as object files.
class RegistrationProbe : public Object {};

REGISTER_FACTORY(EditorProxies, RegistrationProbe);
REGISTER_MESSAGE(g_msgRegistrationProbe, "registration probe");
