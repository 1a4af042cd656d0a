// SPDX-License-Identifier: GPL-2.0-or-later
// One value written to one of Plasma's settings files (kdeglobals, kcminputrc).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace qor {

// Sets `key` to `value` in the group `group` ("KDE", or nested as "Libinput][1133") of the
// settings file `name` in `configHome`: through KConfig's own tool, kwriteconfig6 or else
// kwriteconfig5 as found on PATH (its escapes, locks and file locking), else by editing the
// text (SetIniValue). A value the file locks ([$i]) is left as it is. Returns what went wrong,
// naming the file and the cause and saying what to do; nothing when the value was written.
std::optional<std::string> WriteKdeSetting(const std::filesystem::path& configHome,
                                           const std::string& name, std::string_view group,
                                           std::string_view key, std::string_view value);

}  // namespace qor
