// Where the program finds its folders on this machine.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace qor::paths {

// $XDG_CONFIG_HOME, else $HOME/.config.
std::filesystem::path configHome();

// $XDG_RUNTIME_DIR, else /tmp.
std::filesystem::path runtimeDir();

// The user's documents folder: $XDG_DOCUMENTS_DIR, else defaultDocuments().
std::filesystem::path documents();

// The documents folder without the environment variable: the XDG_DOCUMENTS_DIR line of
// $XDG_CONFIG_HOME/user-dirs.dirs, else $HOME/Documents.
std::filesystem::path defaultDocuments();

// The program folder (config.ini, ui.local, images/): $QORCFG51_PROGRAM_DIR when set; else
// the executable's folder when it holds config.ini or images/; else the installed share folder.
std::filesystem::path program();

// Resolves a relative name from settings or code ("IMAGES\LAYOUT1.PNG") inside `base`:
// `\` separates folders and every component is matched without regard to case. Returns the
// existing file when found, else `base` joined with the name as written.
std::filesystem::path resolveInFolder(const std::filesystem::path& base, std::string_view name);

}  // namespace qor::paths
