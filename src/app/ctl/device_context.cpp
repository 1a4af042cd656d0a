#include "app/ctl/device_context.h"

#include "model/settings_file.h"
#include "platform/linux/system_hid_backend.h"
#include "platform/paths.h"

namespace qor::ctl {

DeviceContext OpenDeviceContext() {
  DeviceContext c;
  c.backend = MakeSystemHidBackend();
  c.includeList = ReadIncludeHIDDeviceList(SettingsFile::load(paths::program() / "config.ini"));
  c.device = std::make_unique<TuiHIDData>(*c.backend, c.includeList);
  return c;
}

}  // namespace qor::ctl
