#include "tools/common/Fail.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>

namespace tools {

int Fail(const char* format, ...)
{
    std::fprintf(stderr, "%s: ", program_invocation_short_name);
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fputc('\n', stderr);
    return 1;
}

}  // namespace tools
