#pragma once

// How a tool says what failed: one line on stderr, after the program's name.

namespace tools {

// Prints the printf-style message after "<program>: " and a line end; returns 1, the exit
// code of a failed run, so that a tool can return Fail(...).
int Fail(const char* format, ...) __attribute__((format(printf, 1, 2)));
// The same for a step that answers whether it worked: returns false.
bool FailStep(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace tools
