// SPDX-License-Identifier: GPL-2.0-or-later
// The include list as every program uses it: the entries of the program folder's config.ini,
// then the machine's, then the user's, so that a mouse is added without touching the
// package's files.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace qor {

// The config.ini files whose include lists count, in the order their entries are taken: the
// program folder's, paths::systemConfig()'s, paths::userConfig()'s.
std::vector<std::filesystem::path> IncludeListFiles(const std::filesystem::path& program);

// The include lists of `files` (each read as ReadIncludeHIDDeviceList reads one), one after
// another; an entry already taken, letter case ignored, is skipped. Missing files add nothing.
std::vector<std::string> MergeIncludeLists(const std::vector<std::filesystem::path>& files);

// What adding an entry to the include list of a config.ini text came to.
struct IncludeListAddition {
  enum class Outcome { Added, AlreadyListed, Refused };
  Outcome outcome = Outcome::Refused;
  std::string text;     // Added: the changed text; otherwise the text as it was
  std::string refusal;  // Refused: why, said of the file ("is UTF-16 text; ..."), and what to do
};

// Adds `entry` to the [IncludeHIDDeviceList] of the config.ini text `text` as its next idN=
// line, keeping every other line; an entry listed already (letter case ignored) is left. The
// change is kept only when ReadIncludeHIDDeviceList finds the entry in it: a text the program
// reads otherwise (UTF-16, a section spelt another way or given twice, a full list) is refused.
IncludeListAddition AddIncludeListEntry(std::string text, const std::string& entry);

// MergeIncludeLists(IncludeListFiles(program)): read again at every device change, so an entry
// added meanwhile counts from the next plug-in on.
std::vector<std::string> ReadIncludeList(const std::filesystem::path& program);

}  // namespace qor
