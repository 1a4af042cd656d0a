// SPDX-License-Identifier: GPL-2.0-or-later
#include "model/wide_text.h"

#include <algorithm>
#include <cstdint>

namespace qor {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

void appendUtf16(std::u16string& out, char32_t c) {
  if (c < 0x10000) {
    out.push_back(static_cast<char16_t>(c));
  } else {
    c -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 | (c >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 | (c & 0x3FF)));
  }
}

bool isHighSurrogate(char16_t u) {
  return u >= 0xD800 && u <= 0xDBFF;
}
bool isLowSurrogate(char16_t u) {
  return u >= 0xDC00 && u <= 0xDFFF;
}

// The code point of the UTF-8 sequence at s[i] and its length; length 0 for bytes that are not
// one: overlong forms, surrogates and values past U+10FFFF are not text.
std::size_t decodeAt(std::string_view s, std::size_t i, char32_t& c) {
  const auto b0 = static_cast<uint8_t>(s[i]);
  const std::size_t len = b0 < 0x80           ? 1
                          : (b0 >> 5) == 0x6  ? 2
                          : (b0 >> 4) == 0xE  ? 3
                          : (b0 >> 3) == 0x1E ? 4
                                              : 0;
  if (len == 0 || i + len > s.size()) return 0;
  c = len == 1 ? b0 : len == 2 ? (b0 & 0x1F) : len == 3 ? (b0 & 0x0F) : (b0 & 0x07);
  for (std::size_t k = 1; k < len; ++k) {
    const auto b = static_cast<uint8_t>(s[i + k]);
    if ((b & 0xC0) != 0x80) return 0;
    c = (c << 6) | (b & 0x3F);
  }
  static constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
  if (c < kMin[len] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  return len;
}

}  // namespace

std::optional<std::u32string> decodeStrictUtf8(std::string_view s) {
  std::u32string out;
  for (std::size_t i = 0; i < s.size();) {
    char32_t c = 0;
    const std::size_t len = decodeAt(s, i, c);
    if (len == 0) return std::nullopt;
    out.push_back(c);
    i += len;
  }
  return out;
}

std::u16string toUtf16(std::string_view s) {
  std::u16string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    char32_t c = 0;
    const std::size_t len = decodeAt(s, i, c);
    appendUtf16(out, len ? c : kReplacement);
    i += len ? len : 1;
  }
  return out;
}

std::string toUtf8(std::u16string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char16_t u = s[i];
    if (isHighSurrogate(u) && i + 1 < s.size() && isLowSurrogate(s[i + 1])) {
      appendUtf8(out, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (char32_t(s[i + 1]) - 0xDC00));
      ++i;
    } else if (isHighSurrogate(u) || isLowSurrogate(u)) {
      appendUtf8(out, kReplacement);
    } else {
      appendUtf8(out, u);
    }
  }
  return out;
}

std::u16string readWideField(const char16_t* field, std::size_t units) {
  const char16_t* end = std::find(field, field + units, u'\0');
  return std::u16string(field, end);
}

bool writeWideField(char16_t* field, std::size_t units, std::u16string_view text, TextFit fit) {
  if (text.size() > units) {
    if (fit == TextFit::Refuse) return false;
    std::size_t keep = units;
    if (keep > 0 && isHighSurrogate(text[keep - 1])) --keep;
    text = text.substr(0, keep);
  }
  std::fill(field, field + units, u'\0');
  std::copy(text.begin(), text.end(), field);
  return true;
}

}  // namespace qor
