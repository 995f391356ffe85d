#include "tools/common/Fail.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>

namespace tools {

namespace {

void Say(const char* format, va_list args)
{
    std::fprintf(stderr, "%s: ", program_invocation_short_name);
    std::vfprintf(stderr, format, args);
    std::fputc('\n', stderr);
}

}  // namespace

int Fail(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    Say(format, args);
    va_end(args);
    return 1;
}

bool FailStep(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    Say(format, args);
    va_end(args);
    return false;
}

}  // namespace tools
