// SPDX-License-Identifier: GPL-2.0-or-later
#include "model/settings_file.h"

#include "model/ascii_text.h"
#include "platform/paths.h"

#include <algorithm>
#include <cstddef>
#include <fstream>
#include <optional>

namespace qor {

namespace {

// config.ini is a few hundred bytes; anything past this is not a settings file we wrote.
constexpr std::size_t kMaxReadBytes = 1024 * 1024;
// The Windows readers fill a 2048-unit buffer including its terminating zero.
constexpr std::size_t kMaxValueUnits = 2047;

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Length of the well-formed UTF-8 sequence starting at `i`, or 0 when the byte there does not
// start one (stray continuation, overlong form, surrogate, beyond U+10FFFF, cut short).
std::size_t utf8SequenceLength(std::string_view s, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char b0 = byte(i);
  if (b0 < 0x80) return 1;
  std::size_t len;
  unsigned char lo = 0x80, hi = 0xBF;  // allowed range of the second byte
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    len = 2;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    len = 3;
    if (b0 == 0xE0) lo = 0xA0;
    if (b0 == 0xED) hi = 0x9F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    len = 4;
    if (b0 == 0xF0) lo = 0x90;
    if (b0 == 0xF4) hi = 0x8F;
  } else {
    return 0;
  }
  if (s.size() - i < len) return 0;
  if (byte(i + 1) < lo || byte(i + 1) > hi) return 0;
  for (std::size_t k = 2; k < len; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
  }
  return len;
}

// Later code relies on valid UTF-8 (value cutting, callers handing text on), so each byte that
// does not belong to a well-formed sequence becomes U+FFFD.
std::string sanitizeUtf8(std::string_view in) {
  std::string out;
  out.reserve(in.size());
  for (std::size_t i = 0; i < in.size();) {
    const std::size_t len = utf8SequenceLength(in, i);
    if (len == 0) {
      out += kReplacement;
      ++i;
    } else {
      out.append(in.substr(i, len));
      i += len;
    }
  }
  return out;
}

// An odd trailing byte is dropped; unpaired surrogates become U+FFFD.
std::string utf16leToUtf8(std::string_view in) {
  std::string out;
  out.reserve(in.size());
  const std::size_t units = in.size() / 2;
  const auto unit = [&](std::size_t k) -> char16_t {
    return static_cast<char16_t>(static_cast<unsigned char>(in[2 * k]) |
                                 (static_cast<unsigned char>(in[2 * k + 1]) << 8));
  };
  for (std::size_t k = 0; k < units; ++k) {
    const char16_t u = unit(k);
    if (u >= 0xD800 && u <= 0xDBFF && k + 1 < units && unit(k + 1) >= 0xDC00 &&
        unit(k + 1) <= 0xDFFF) {
      const char32_t cp = 0x10000 + ((char32_t{u} - 0xD800) << 10) + (unit(k + 1) - 0xDC00);
      appendUtf8(out, cp);
      ++k;
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      out += kReplacement;
    } else {
      appendUtf8(out, u);
    }
  }
  return out;
}

std::string decodeToUtf8(std::string_view bytes) {
  if (bytes.starts_with("\xFF\xFE")) return utf16leToUtf8(bytes.substr(2));
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  return sanitizeUtf8(bytes);
}

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

std::string_view unquote(std::string_view v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
    return v.substr(1, v.size() - 2);
  }
  return v;
}

// Cuts valid UTF-8 text to at most kMaxValueUnits UTF-16 code units, at a code point boundary.
std::string_view cutValue(std::string_view v) {
  std::size_t units = 0;
  for (std::size_t i = 0; i < v.size();) {
    const auto b0 = static_cast<unsigned char>(v[i]);
    const std::size_t len = b0 < 0x80 ? 1 : b0 < 0xE0 ? 2 : b0 < 0xF0 ? 3 : 4;
    const std::size_t need = len == 4 ? 2 : 1;
    if (units + need > kMaxValueUnits) return v.substr(0, i);
    units += need;
    i += len;
  }
  return v;
}

// Parses unsigned digits of the given base into `out`; false when there are none, a character
// is not a digit, or the value exceeds `limit`.
bool parseDigits(std::string_view s, unsigned base, uint64_t limit, uint64_t& out) {
  if (s.empty()) return false;
  uint64_t value = 0;
  for (char c : s) {
    unsigned d;
    if (c >= '0' && c <= '9') {
      d = static_cast<unsigned>(c - '0');
    } else if (base == 16 && asciiLower(c) >= 'a' && asciiLower(c) <= 'f') {
      d = static_cast<unsigned>(asciiLower(c) - 'a' + 10);
    } else {
      return false;
    }
    value = value * base + d;
    if (value > limit) return false;  // checked per digit, so `value` never wraps
  }
  out = value;
  return true;
}

// Decimal with optional sign within the int32 range, or "0x"/"$" hexadecimal as an unsigned
// 32-bit pattern (so 0xFFFFFFFF is -1). A sign in front of hexadecimal is not accepted.
std::optional<int32_t> parseInteger(std::string_view s) {
  uint64_t magnitude = 0;
  if (s.starts_with("0x") || s.starts_with("0X") || s.starts_with("$")) {
    s.remove_prefix(s.front() == '$' ? 1 : 2);
    if (!parseDigits(s, 16, 0xFFFFFFFFu, magnitude)) return std::nullopt;
    return static_cast<int32_t>(static_cast<uint32_t>(magnitude));
  }
  bool negative = false;
  if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  const uint64_t limit = negative ? 0x80000000u : 0x7FFFFFFFu;
  if (!parseDigits(s, 10, limit, magnitude)) return std::nullopt;
  const int64_t value =
      negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
  return static_cast<int32_t>(value);
}

}  // namespace

SettingsFile SettingsFile::load(const std::filesystem::path& named) {
  // Every other name of the program folder is matched without regard to case; so is this.
  const std::filesystem::path file =
      paths::resolveInFolder(named.parent_path(), named.filename().string());
  // Only a regular file: a FIFO in its place would hang the program for good.
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) return {};
  std::ifstream in(file, std::ios::binary);
  if (!in) return {};
  // Read in chunks rather than trusting a reported size: special files report none or lie.
  std::string bytes;
  char chunk[16 * 1024];
  while (bytes.size() < kMaxReadBytes && in) {
    in.read(chunk,
            static_cast<std::streamsize>(std::min(sizeof chunk, kMaxReadBytes - bytes.size())));
    bytes.append(chunk, static_cast<std::size_t>(in.gcount()));
    if (in.gcount() == 0) break;
  }
  return parse(bytes);
}

SettingsFile SettingsFile::parse(std::string_view bytes) {
  SettingsFile result;
  const std::string text = decodeToUtf8(bytes);
  // Null while outside any section or inside a repeated one, whose lines are not seen.
  Section* current = nullptr;
  std::size_t pos = 0;
  while (pos < text.size()) {
    // A NUL ends a line too: callers pass values on as C strings, so none may contain one.
    std::size_t end = text.find_first_of(std::string_view("\r\n\0", 3), pos);
    if (end == std::string::npos) end = text.size();
    const std::string_view line = trim(std::string_view(text).substr(pos, end - pos));
    pos = end + 1;

    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      const std::size_t close = line.find(']');
      if (close == std::string_view::npos) continue;  // not a header; keep the current section
      const std::string_view name = trim(line.substr(1, close - 1));
      if (result.findSection(name) != nullptr) {
        current = nullptr;
      } else {
        result.sections_.push_back(Section{std::string(name), {}});
        current = &result.sections_.back();
      }
      continue;
    }
    if (current == nullptr) continue;
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    const std::string_view key = trim(line.substr(0, eq));
    if (key.empty()) continue;
    // A repeated key is stored too; lookups take the first, which is the one that counts.
    const std::string_view value = cutValue(unquote(trim(line.substr(eq + 1))));
    current->entries.push_back(Entry{std::string(key), std::string(value)});
  }
  return result;
}

const SettingsFile::Section* SettingsFile::findSection(std::string_view name) const {
  for (const Section& s : sections_) {
    if (equalsNoCase(s.name, name)) return &s;
  }
  return nullptr;
}

std::string SettingsFile::readString(std::string_view section, std::string_view key,
                                     std::string_view def) const {
  if (const Section* s = findSection(section)) {
    for (const Entry& e : s->entries) {
      if (equalsNoCase(e.key, key)) return e.value;
    }
  }
  return std::string(def);
}

int32_t SettingsFile::readInteger(std::string_view section, std::string_view key,
                                  int32_t def) const {
  // Missing and empty both fail to parse and so give `def`.
  return parseInteger(readString(section, key, "")).value_or(def);
}

std::vector<std::string> ReadIncludeHIDDeviceList(const SettingsFile& ini) {
  std::vector<std::string> ids;
  for (int n = 1; n <= kMaxIncludeListEntries; ++n) {
    std::string id = ini.readString("IncludeHIDDeviceList", "id" + std::to_string(n), "");
    if (id.empty()) break;
    ids.push_back(std::move(id));
  }
  return ids;
}

void ReadOtherConfig(const SettingsFile& ini, TOtherConfig& other, std::string& helpFile) {
  other.Nologo = ini.readInteger("OtherConfig", "NoLogo", 0);
  helpFile = ini.readString("OtherConfig", "HelpFile", "");
}

TModalsListInfo ReadModalsList(const SettingsFile& ini) {
  TModalsListInfo info;
  info.NoModalLayout = ini.readString("MODAL_LAYOUTS", "NOLAYOUT", "IMAGES\\NOLAYOUT.PNG");
  info.EnableNoDevice = ini.readInteger("MODAL_LAYOUTS", "ENABLENODEVICE", 0);
  info.ModalsListCount = 4;
  for (int n = 1; n <= 4; ++n) {
    const std::string num = std::to_string(n);
    TModalInfo modal;
    modal.ModalNumber = ini.readString("Modal_SN", "SN" + num, "MODAL00" + num);
    modal.ModalLayout =
        ini.readString("MODAL_LAYOUTS", "LAYOUT" + num, "IMAGES\\LAYOUT" + num + ".PNG");
    info.ModalsList.push_back(std::move(modal));
  }
  return info;
}

}  // namespace qor
