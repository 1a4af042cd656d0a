// SPDX-License-Identifier: GPL-2.0-or-later
// UTF-16 text fields of the stored records, and UTF-8 conversion.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace qor {

// The code points of `utf8`; nothing when it is not strict UTF-8 (overlong forms, surrogates,
// values past U+10FFFF, cut sequences). The one check wherever a name is taken.
std::optional<std::u32string> decodeStrictUtf8(std::string_view utf8);
// UTF-8 to UTF-16; invalid bytes become U+FFFD.
std::u16string toUtf16(std::string_view utf8);
// UTF-16 to UTF-8; unpaired surrogates become U+FFFD.
std::string toUtf8(std::u16string_view utf16);

// Reads a WideChar[n] field: at most n units, stopping at the first 0.
std::u16string readWideField(const char16_t* field, std::size_t units);

template <std::size_t N>
std::u16string readWideField(const char16_t (&field)[N]) {
  return readWideField(field, N);
}

// What to do with a text longer than its field.
enum class TextFit {
  Cut,     // keep the first n units (never splitting a surrogate pair)
  Refuse,  // leave the field unchanged and report false
};

// Writes `text` into a WideChar[n] field: 0-terminated when shorter than n, the rest of the
// field zeroed, no terminator when it fills all n units. Returns false when refused.
bool writeWideField(char16_t* field, std::size_t units, std::u16string_view text, TextFit fit);

template <std::size_t N>
bool writeWideField(char16_t (&field)[N], std::u16string_view text, TextFit fit) {
  return writeWideField(field, N, text, fit);
}

// Field helpers in UTF-8 terms.
template <std::size_t N>
std::string readWideFieldUtf8(const char16_t (&field)[N]) {
  return toUtf8(readWideField(field, N));
}
template <std::size_t N>
bool writeWideFieldUtf8(char16_t (&field)[N], std::string_view text, TextFit fit) {
  return writeWideField(field, N, toUtf16(text), fit);
}

}  // namespace qor
