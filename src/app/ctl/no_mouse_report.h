// SPDX-License-Identifier: GPL-2.0-or-later
// What every command that needs the mouse says when none answers.
#pragma once

#include <string>

#include "app/ctl/ctl_commands.h"
#include "app/ctl/device_context.h"

namespace qor::ctl {

// Says that no mouse was found, what that left undone (`outcome`, "nothing was read or
// written"), what keeps the mouse from the user where something does, and where to look
// next; returns kExitNoMouse.
int ReportNoMouse(DeviceContext& context, const std::string& outcome, Output& io);

}  // namespace qor::ctl
