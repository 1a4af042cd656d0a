// SPDX-License-Identifier: GPL-2.0-or-later
// Applications bound to profiles: when one of them has the focus, its profile is current.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

namespace qor {

// The longest application name kept; window classes are far shorter.
inline constexpr std::size_t kMaxAppNameBytes = 255;

struct AppBinding {
  std::string app;  // a window class as the window system names it ("steam_app_570", "firefox")
  int profile = 1;  // 1..5
};

// Where the bindings are kept: beside the stored settings, never inside their records.
class AppBindingStore {
 public:
  virtual ~AppBindingStore() = default;
  // Every binding, ordered by application name. A store never written is empty, not an error.
  virtual RegistryResult readBindings(std::vector<AppBinding>& out) = 0;
  // Binds `app` to `profile` (1..5), replacing its earlier binding; names compare without
  // regard to ASCII letter case.
  virtual RegistryResult bindApp(std::string_view app, int profile) = 0;
  // NotFound when `app` had no binding.
  virtual RegistryResult unbindApp(std::string_view app) = 0;
};

// Why `app` cannot name an application (empty, longer than kMaxAppNameBytes, white space or
// control characters, not UTF-8), or nothing.
std::optional<std::string> CheckAppName(std::string_view app);

// The profile (1..5) bound to the first of `names` (a window's instance and class name) that
// has a binding, compared without regard to ASCII letter case; nothing when none has.
std::optional<int> BoundProfile(const std::vector<AppBinding>& bindings,
                                const std::vector<std::string>& names);

}  // namespace qor
