// SPDX-License-Identifier: GPL-2.0-or-later
// Texts between Qt and the rest of the program (UTF-8 and UTF-16 strings).
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace qor {

inline QString FromU16(std::u16string_view text) {
  return QString::fromUtf16(text.data(), qsizetype(text.size()));
}
inline std::u16string ToU16(const QString& text) {
  return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()), std::size_t(text.size()));
}
inline QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), qsizetype(text.size()));
}
// The translation of a source text, for texts built in code.
QString TranslateText(const QString& source);

}  // namespace qor
