// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/ctl/device_context.h"

#include "device/mouse_access.h"
#include "model/include_list.h"
#include "platform/linux/system_hid_backend.h"
#include "platform/paths.h"

namespace qor::ctl {

std::string ConfigFilePath() {
  return (paths::userConfig() / "config.ini").string();
}

DeviceContext OpenDeviceContext() {
  DeviceContext c;
  c.backend = MakeSystemHidBackend();
  c.includeList = ReadIncludeList(paths::program());
  c.device = std::make_unique<TuiHIDData>(*c.backend, c.includeList);
  return c;
}

std::string MouseAccessAdvice(DeviceContext& context) {
  return qor::MouseAccessAdvice(SurveyInterfaces(*context.backend, context.includeList),
                                ConfigFilePath());
}

}  // namespace qor::ctl
