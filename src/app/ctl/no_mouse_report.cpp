// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/ctl/no_mouse_report.h"

#include <ostream>

namespace qor::ctl {

int ReportNoMouse(DeviceContext& context, const std::string& outcome, Output& io) {
  io.err << "qorcfg51-ctl: no mouse found; " << outcome << "\n";
  if (const std::string advice = MouseAccessAdvice(context); !advice.empty())
    io.err << advice << "\n";
  io.err << "Connect the mouse (or start the virtual mouse, qorcfg51-sim), and run\n"
            "qorcfg51-ctl devices to see which devices are found and why none is the mouse.\n";
  return kExitNoMouse;
}

int ReportMouseBusy(const std::string& why, const std::string& outcome, Output& io) {
  io.err << "qorcfg51-ctl: " << why << "; " << outcome << "\n";
  return kExitFailed;
}

}  // namespace qor::ctl
