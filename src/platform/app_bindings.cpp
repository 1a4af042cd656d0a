// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/app_bindings.h"

#include <algorithm>
#include <cctype>

#include "model/wide_text.h"

namespace qor {
namespace {

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
  const std::optional<std::u32string> text = decodeStrictUtf8(app);
  if (!text) return std::string("an application name must be UTF-8 text");
  for (const char32_t c : *text)
    if (c <= 0x20 || (c >= 0x7F && c <= 0x9F))
      return std::string(
          "an application name has no spaces or control characters (window "
          "classes have none)");
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
