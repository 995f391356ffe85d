#include "tools/common/PictureOrBench.h"

#include "tools/common/ConsoleSink.h"

#include <cstdio>
#include <filesystem>

namespace tools {

int RunPictureOrBench(const char* tool, int argc, char** argv,
                      const std::function<int(const std::string& folder, const std::string& out, bool bench)>& body)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <game folder> <out.png | --bench>\n", tool);
        return 2;
    }
    const bool bench = std::string(argv[2]) == "--bench";
    std::error_code error;
    const std::string out = bench ? "" : std::filesystem::absolute(argv[2], error).string();
    if (error) {
        std::fprintf(stderr, "%s: bad path %s\n", tool, argv[2]);
        return 1;
    }
    ConsoleSink console;
    Debug::Instance()->SetSink(&console);
    const int result = body(argv[1], out, bench);
    Debug::Instance()->SetSink(nullptr);
    return result;
}

}  // namespace tools
