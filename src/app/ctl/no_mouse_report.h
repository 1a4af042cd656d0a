// SPDX-License-Identifier: GPL-2.0-or-later
// What every command that needs the mouse says when none answers, or when another program
// keeps it busy.
#pragma once

#include <string>

#include "app/ctl/ctl_commands.h"
#include "app/ctl/device_context.h"

namespace qor::ctl {

// Says that no mouse was found, what that left undone (`outcome`, "nothing was read or
// written"), what keeps the mouse from the user where something does, and where to look
// next; returns kExitNoMouse.
int ReportNoMouse(DeviceContext& context, const std::string& outcome, Output& io);
// Says why the mouse's exchange lock was not had (`why`), so nothing was sent, and what that
// left undone; returns kExitFailed.
int ReportMouseBusy(const std::string& why, const std::string& outcome, Output& io);

}  // namespace qor::ctl
