// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/numbered_name.h"

namespace qor {

uint32_t LowestFreeNumber(std::string_view prefix,
                          const std::function<bool(const std::string&)>& taken) {
  uint32_t n = 1;
  while (taken(std::string(prefix) + std::to_string(n))) ++n;
  return n;
}

}  // namespace qor
