#include "match/Hud.h"

#include "framework/MainProgram.h"

namespace {

// Static: the creator joins MainProgram's list before main() runs.
[[maybe_unused]] const bool kHudCreatorAdded = [] {
    MainProgram::AddCoreSingletonCreator([] { Hud::Instance(); });
    return true;
}();

}  // namespace
