// SPDX-License-Identifier: GPL-2.0-or-later
// The language the configurator stored, so the monitor speaks the same language.
#pragma once

#include "platform/registry.h"

namespace qor {

// The language index of the all-profiles record in the user's registry (a position in
// ui.local's language list); 0, the factory choice, when the record is missing, short or
// unreadable. Only reads: the monitor never writes the configurator's settings.
int StoredLanguageIndex(Registry& registry);

}  // namespace qor
