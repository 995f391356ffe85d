#pragma once

#include <functional>
#include <string>

namespace kickabout {

// The game folder's data mounted on level01 and the engine over a hidden window of the size
// (the null device when timing), the random generator seeded and the collision table made;
// all of it taken down after the body. The body's exit code, else 1 with what failed on
// stderr under the tool's name.
int RunOnPitch(const char* tool, const std::string& folder, int width, int height, bool bench,
               const std::function<int()>& body);

}  // namespace kickabout
