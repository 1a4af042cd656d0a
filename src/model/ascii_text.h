// SPDX-License-Identifier: GPL-2.0-or-later
// ASCII-only letter case, for identifiers that Windows compares without regard to case.
#pragma once

#include <algorithm>
#include <string_view>

namespace qor {

// Lower-cases A to Z only; every other byte (UTF-8 included) stays as it is.
constexpr char asciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Compares two texts as whole strings, A to Z matching a to z.
constexpr bool equalsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return asciiLower(x) == asciiLower(y);
         });
}

}  // namespace qor
