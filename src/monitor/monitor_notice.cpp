// SPDX-License-Identifier: GPL-2.0-or-later
#include "monitor/monitor_notice.h"

#include "model/profile_records.h"
#include "ui/translation.h"

namespace qor {

std::optional<MonitorNotice> ReadMonitorNotice(uint32_t wparam, uint32_t lparam) {
  if (wparam == 0 && lparam == 0) return MonitorNotice{MonitorNotice::Kind::SettingsApplied, 0};
  if (wparam == 1 && lparam < static_cast<uint32_t>(kProfileSlots))
    return MonitorNotice{MonitorNotice::Kind::ProfileChanged, static_cast<int>(lparam)};
  if (wparam == 2 && lparam == 0) return MonitorNotice{MonitorNotice::Kind::BindingsChanged, 0};
  return std::nullopt;
}

bool NoticeShown(const MonitorNotice& notice) {
  return notice.kind != MonitorNotice::Kind::BindingsChanged;
}

std::string NoticeText(const MonitorNotice& notice) {
  if (notice.kind == MonitorNotice::Kind::ProfileChanged)
    return ProfileCaption(notice.profileIndex);
  return Translate("Settings applied");
}

std::string ProfileCaption(int profileIndex) {
  return Translate("Profile") + " " + std::to_string(profileIndex + 1);
}

}  // namespace qor
