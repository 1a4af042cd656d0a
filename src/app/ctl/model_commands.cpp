// SPDX-License-Identifier: GPL-2.0-or-later
// model: which mouse model answers, and its layout picture.
#include <ostream>

#include "app/ctl/ctl_commands.h"
#include "app/ctl/device_context.h"
#include "app/ctl/no_mouse_report.h"
#include "app/model_detection.h"
#include "device/hid_data.h"
#include "device/usage_pair.h"
#include "platform/paths.h"

namespace qor::ctl {
namespace {

int runModel(TDM& dm, const std::vector<std::string>&, Output& io) {
  DeviceContext context = OpenDeviceContext();
  const std::filesystem::path program = paths::program();
  const ModelDetection found = DetectModel(*context.device, dm, program);
  if (!found.busy.empty()) return ReportMouseBusy(found.busy, "no model was read", io);
  if (!found.present) {
    // A mouse that is there but answers wrongly is not "no mouse".
    THIDDataParam presence;
    presence.UsageAndPage = kMouseConfigUsage;
    if (context.device->IsDeviceExist(presence)) {
      io.err << "qorcfg51-ctl: the mouse is connected but did not answer the model query; "
                "reconnect it and try again\n";
      return kExitMouseStopped;
    }
    return ReportNoMouse(context, "no model was read", io);
  }
  io.out << "model: " << found.model << "\n"
         << "layout: " << found.layout << "\n";
  if (!found.layoutFile.empty()) io.out << "picture: " << found.layoutFile.string() << "\n";
  return kExitOk;
}

}  // namespace

std::vector<Command> ModelCommands() {
  return {
      {"model", "", "read the model number of the connected mouse",
       "Reads the model number from the mouse, as the window does at start and after the\n"
       "mouse is plugged in, and prints it with the layout picture config.ini gives that\n"
       "model (the picture for unknown models when it is none of the listed ones).",
       Access::Reads, NoArguments, runModel},
  };
}

}  // namespace qor::ctl
