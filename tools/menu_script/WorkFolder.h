#pragma once

#include <filesystem>
#include <string>

namespace menu_script {

// The game folder's archive and icons linked into the work folder, with save files of the
// run's own (emptied when fresh). False when the game folder has no archive.
bool PrepareWorkFolder(const std::filesystem::path& game, const std::filesystem::path& work, bool fresh);

// The lines of a program's log that report an error, each with its line end; empty when
// there are none or there is no log.
std::string LoggedErrors(const std::filesystem::path& log);

}  // namespace menu_script
