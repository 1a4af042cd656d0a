// SPDX-License-Identifier: GPL-2.0-or-later
// What the main window's status line says after an Apply, as source texts to translate.
#pragma once

#include <string_view>
#include <vector>

#include "app/apply_sequence.h"

namespace qor {

// A clean Apply is one text ("Settings applied"); otherwise two, each translated on its own:
// whether the save worked, then what reached the mouse.
std::vector<std::string_view> ApplyStatusTexts(ApplyResult result, bool saved);

}  // namespace qor
