// SPDX-License-Identifier: GPL-2.0-or-later
// What the command lines of all programs share: --opt=value and --version.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qor {

// The arguments after the program's name, each "--opt=value" given as "--opt" and "value",
// so that a parser taking "--opt value" takes both. Arguments after "--" stay as written.
std::vector<std::string> SplitOptionValues(int argc, const char* const* argv);

// "PROGRAM VERSION" with the project's version, the line --version prints.
std::string VersionLine(std::string_view program);

}  // namespace qor
