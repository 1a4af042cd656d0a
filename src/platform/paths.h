// SPDX-License-Identifier: GPL-2.0-or-later
// Where the program finds its folders on this machine.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace qor::paths {

// $XDG_CONFIG_HOME, else $HOME/.config.
std::filesystem::path configHome();

// The user's own settings folder: configHome()/qorcfg51.
std::filesystem::path userConfig();

// The machine's settings folder (config.ini of the administrator): $QORCFG51_SYSCONF_DIR,
// else /etc/qorcfg51. Tests move it so that they never write the real one.
std::filesystem::path systemConfig();

// Where the administrator's udev rules go: $QORCFG51_UDEV_RULES_DIR, else /etc/udev/rules.d.
std::filesystem::path localUdevRules();

// $XDG_RUNTIME_DIR; without it this user's own folder /tmp/qorcfg51-UID (privateFolder()), so
// that no other user can plant sockets or locks where the programs look. Empty when that
// folder cannot be used; `problem` (if given) then says why.
std::filesystem::path runtimeDir(std::string* problem = nullptr);

// `dir` made with mode 0700 when missing, and kept only when it is a real folder (not a link)
// of this user's that no one else may enter; empty otherwise, with the reason in `problem`.
std::filesystem::path privateFolder(const std::filesystem::path& dir, std::string* problem);

// The user's documents folder: $XDG_DOCUMENTS_DIR, else defaultDocuments().
std::filesystem::path documents();

// The documents folder without the environment variable: the XDG_DOCUMENTS_DIR line of
// $XDG_CONFIG_HOME/user-dirs.dirs, else $HOME/Documents.
std::filesystem::path defaultDocuments();

// The program folder (config.ini, ui.local, images/): $QORCFG51_PROGRAM_DIR when set; else
// programFolderFor() the running executable's folder.
std::filesystem::path program();

// The program folder of an executable in `executableDir`: that folder when it holds config.ini
// or images/ (a build tree); else share/qorcfg51 found from it the way the installation lays
// it out (../share/qorcfg51 from bin/) when that exists; else the configured install folder.
std::filesystem::path programFolderFor(const std::filesystem::path& executableDir);

// Resolves a relative name from settings or code ("IMAGES\LAYOUT1.PNG") inside `base`:
// `\` separates folders and every component is matched without regard to case. Returns the
// existing file when found, else `base` joined with the name as written.
std::filesystem::path resolveInFolder(const std::filesystem::path& base, std::string_view name);

// One sentence per missing piece of the program folder `folder` (config.ini, ui.local,
// images/), naming the path and what the programs do without it; empty when complete.
std::vector<std::string> missingProgramFiles(const std::filesystem::path& folder);

}  // namespace qor::paths
