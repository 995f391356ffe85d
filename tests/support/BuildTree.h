#pragma once

// Files of the build tree that tests and benchmarks read, found from the running program's own
// place: the build tree is the nearest folder above it that holds "CMakeCache.txt". A path
// compiled in would differ in every clone of the tree and so defeat the compiler cache. CMake
// includes this header in the programs that use the names below (tb_build_tree_paths).

#include <filesystem>
#include <map>
#include <mutex>
#include <string>

namespace build_tree {

// The build tree's folder, or the working folder when the program lies in none.
inline const std::filesystem::path& Root()
{
    static const std::filesystem::path root = [] {
        namespace fs = std::filesystem;
        std::error_code error;
        for (fs::path folder = fs::read_symlink("/proc/self/exe", error).parent_path();
             folder.has_relative_path(); folder = folder.parent_path())
            if (fs::exists(folder / "CMakeCache.txt", error))
                return folder;
        return fs::current_path(error);
    }();
    return root;
}

// "<build tree>/<relative>"; the text stays until the program ends.
inline const char* Path(const char* relative)
{
    static std::mutex lock;
    static std::map<std::string, std::string> paths;
    std::lock_guard<std::mutex> guard(lock);
    const auto [entry, added] = paths.try_emplace(relative);
    if (added)
        entry->second = (Root() / relative).string();
    return entry->second.c_str();
}

}  // namespace build_tree

// The default data's archive, and the stage it is packed from.
#define TB_DATA_ARCHIVE (::build_tree::Path("game/data/Turfbolt.dat"))
#define TB_STAGE_DIR (::build_tree::Path("stage"))
