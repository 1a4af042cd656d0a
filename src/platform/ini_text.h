// SPDX-License-Identifier: GPL-2.0-or-later
// Editing one value of a desktop's INI-style settings file (KDE's kdeglobals, kcminputrc)
// without disturbing anything else in it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qor {

// Returns `text` with `key`=`value` in the group `group` (the name between the brackets of its
// header, such as "KDE" or "Libinput][1133][49291"): an existing line of the key is replaced,
// else the line is added at the end of the group, else the group is appended. Every other
// line, comment and group stays as it was, byte for byte; a UTF-8 byte order mark stays in
// front, and the lines written end as the file's lines do (CRLF or LF). KConfig's options
// after a header or a key are understood: "[KDE][$i]" is the group KDE and "Key[$e]" the key
// Key. Nothing when the administrator locked the value ("[$i]" on the key, its group or alone
// before the first group): it is not ours to change.
std::optional<std::string> SetIniValue(std::string_view text, std::string_view group,
                                       std::string_view key, std::string_view value);

// The value of `key` in the group `group` of `text` (an empty group: the lines before the first
// group header, as in shell-style files such as /etc/default/keyboard), without the spaces
// around it; empty when the key is not there. Headers and keys are read as SetIniValue reads
// them.
std::string GetIniValue(std::string_view text, std::string_view group, std::string_view key);

}  // namespace qor
