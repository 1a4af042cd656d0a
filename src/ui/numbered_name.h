// SPDX-License-Identifier: GPL-2.0-or-later
// The names a collection gives to items added without one: a prefix and the lowest free number.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace qor {

// The lowest N from 1 up for which `taken(prefix + N)` is false.
uint32_t LowestFreeNumber(std::string_view prefix,
                          const std::function<bool(const std::string&)>& taken);

}  // namespace qor
