// SPDX-License-Identifier: GPL-2.0-or-later
// Where the window's input hook reads the keyboards and mice from.
#pragma once

#include "platform/hook_provider.h"

namespace qor {

// The hook script named by QORCFG51_HOOK_SCRIPT, played at its own pace from each start of a
// recording, when the variable is set; else the machine's input devices. A script that
// cannot be read or parsed gives no provider, with the reason on stderr and in the problem.
HookProviderFactory HookProviderFromEnvironment();

}  // namespace qor
