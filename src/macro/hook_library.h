// SPDX-License-Identifier: GPL-2.0-or-later
// The process-wide input hook: one provider, shared by every TuiHook alive and released
// with the last of them, as one loaded library would be.
#pragma once

#include <memory>

#include "platform/hook_provider.h"

namespace qor {

// Installs how the provider is made: a program passes the evdev provider's factory at start,
// tests and demos a scripted provider. A provider already in use stays in use.
void SetHookProviderFactory(HookProviderFactory Factory);

// The provider in use, else a new one from the factory. Null, with `problem` set, when none
// can run or no factory was installed.
std::shared_ptr<HookProvider> LoadHookProvider(HookProblem& problem);

}  // namespace qor
