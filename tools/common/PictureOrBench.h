#pragma once

// The command line of the tools that either draw a run to a picture or time it:
// "<tool> <game folder> <out.png | --bench>".

#include <functional>
#include <string>

namespace tools {

// Runs the tool's body with the log on stderr: out is the picture's absolute path, empty with
// --bench. The body's exit code; 2 with the usage on stderr for other arguments, 1 for a
// path that cannot be made absolute.
int RunPictureOrBench(const char* tool, int argc, char** argv,
                      const std::function<int(const std::string& folder, const std::string& out, bool bench)>& body);

}  // namespace tools
