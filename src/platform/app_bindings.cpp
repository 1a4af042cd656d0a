// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/app_bindings.h"

#include <algorithm>
#include <cctype>

namespace qor {
namespace {

// Length of the UTF-8 sequence starting at `s[i]`, or 0 when it is not a valid one.
std::size_t utf8Length(std::string_view s, std::size_t i) {
  const auto c = static_cast<unsigned char>(s[i]);
  std::size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
  if (n == 0 || i + n > s.size()) return 0;
  for (std::size_t k = 1; k < n; ++k)
    if ((static_cast<unsigned char>(s[i + k]) >> 6) != 2) return 0;
  return n;
}

bool sameName(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

}  // namespace

std::optional<std::string> CheckAppName(std::string_view app) {
  if (app.empty()) return std::string("an application name cannot be empty");
  if (app.size() > kMaxAppNameBytes)
    return "an application name has at most " + std::to_string(kMaxAppNameBytes) +
           " bytes, this one " + std::to_string(app.size());
  for (std::size_t i = 0; i < app.size();) {
    const auto c = static_cast<unsigned char>(app[i]);
    if (c <= 0x20 || c == 0x7F)
      return std::string(
          "an application name has no spaces or control characters (window "
          "classes have none)");
    const std::size_t n = utf8Length(app, i);
    if (n == 0) return std::string("an application name must be UTF-8 text");
    i += n;
  }
  return std::nullopt;
}

std::optional<int> BoundProfile(const std::vector<AppBinding>& bindings,
                                const std::vector<std::string>& names) {
  for (const std::string& name : names)
    for (const AppBinding& b : bindings)
      if (sameName(b.app, name)) return b.profile;
  return std::nullopt;
}

}  // namespace qor
