// SPDX-License-Identifier: GPL-2.0-or-later
// What the configurator's notifications mean to the monitor, and the texts shown for them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace qor {

// One notification: the mouse has the settings now, another profile became current, or an
// application was bound or unbound.
struct MonitorNotice {
  enum class Kind { SettingsApplied, ProfileChanged, BindingsChanged };
  Kind kind = Kind::SettingsApplied;
  int profileIndex = 0;  // 0 to 4, for ProfileChanged
};

// (0, 0) after an Apply, (1, index 0 to 4) after a profile switch or import, (2, 0) after a
// bind or unbind; no notice for any other pair, so a stray value never names a profile that
// does not exist.
std::optional<MonitorNotice> ReadMonitorNotice(uint32_t wparam, uint32_t lparam);

// Whether the user sees a desktop notification for the notice: a binding is no news to them.
bool NoticeShown(const MonitorNotice& notice);

// The notice's desktop notification text, in the current language.
std::string NoticeText(const MonitorNotice& notice);

// "Profile N" for profile index N-1, in the current language; the word is translated alone
// so that one translation of "Profile" serves every number.
std::string ProfileCaption(int profileIndex);

}  // namespace qor
