#pragma once

// One program, several runs: "<program> <mode> <arguments>" picks a mode by name.

#include <initializer_list>
#include <string>

namespace tools {

struct Mode {
    const char* name;
    // Gets the arguments from the mode's name on, so that argv[1] is its first argument.
    int (*run)(int argc, char** argv);
};

// The exit code of the mode argv[1] names, else of the plain run, which gets every argument.
inline int RunMode(int argc, char** argv, std::initializer_list<Mode> modes, int (*plain)(int argc, char** argv))
{
    for (const Mode& mode : modes)
        if (argc > 1 && std::string(argv[1]) == mode.name)
            return mode.run(argc - 1, argv + 1);
    return plain(argc, argv);
}

}  // namespace tools
