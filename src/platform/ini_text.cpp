// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/ini_text.h"

#include <vector>

namespace qor {
namespace {

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

// The group a header line opens, or nothing for other lines.
bool groupOf(std::string_view line, std::string_view& group) {
  line = trim(line);
  if (line.size() < 2 || line.front() != '[' || line.back() != ']') return false;
  group = line.substr(1, line.size() - 2);
  return true;
}

// Whether `line` sets `key` (KDE's localised and immutable forms, key[de] and key[$i], are
// other keys and stay).
bool setsKey(std::string_view line, std::string_view key) {
  line = trim(line);
  const auto eq = line.find('=');
  return eq != std::string_view::npos && trim(line.substr(0, eq)) == key;
}

std::vector<std::string_view> splitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  for (std::size_t start = 0; start < text.size();) {
    const auto end = text.find('\n', start);
    lines.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
    start = end == std::string_view::npos ? text.size() : end + 1;
  }
  return lines;
}

}  // namespace

std::string GetIniValue(std::string_view text, std::string_view group, std::string_view key) {
  bool inGroup = group.empty();
  for (std::string_view line : splitLines(text)) {
    std::string_view g;
    if (groupOf(line, g)) {
      inGroup = g == group;
    } else if (inGroup && setsKey(line, key)) {
      line = trim(line);
      return std::string(trim(line.substr(line.find('=') + 1)));
    }
  }
  return {};
}

std::string SetIniValue(std::string_view text, std::string_view group, std::string_view key,
                        std::string_view value) {
  const std::vector<std::string_view> lines = splitLines(text);
  const std::string entry = std::string(key) + "=" + std::string(value);

  std::string out;
  bool inGroup = false, done = false;
  std::size_t insertAt = std::string::npos;  // after the group's last non-empty line
  for (std::string_view line : lines) {
    std::string_view g;
    if (groupOf(line, g)) inGroup = g == group;
    if (inGroup && !done && setsKey(line, key)) {
      out += entry + "\n";
      done = true;
      continue;
    }
    out += std::string(line) + "\n";
    if (inGroup && !trim(line).empty()) insertAt = out.size();
  }
  if (done) return out;
  if (insertAt != std::string::npos) return out.insert(insertAt, entry + "\n");
  if (!out.empty() && out.size() >= 2 && out.substr(out.size() - 2) != "\n\n") out += "\n";
  return out + "[" + std::string(group) + "]\n" + entry + "\n";
}

}  // namespace qor
