// SPDX-License-Identifier: GPL-2.0-or-later
// Editing one value of a desktop's INI-style settings file without disturbing anything else.
#include "platform/ini_text.h"

namespace qor {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr auto npos = std::string_view::npos;

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

// Removes KConfig's options ("[$i]", "[$e]", "[$ie]") from the end of `name`; whether one of
// them locks it. A locale ("[de]") is part of a key's name: Key[de] is another key.
bool stripOptions(std::string_view& name) {
  bool locked = false;
  while (name.ends_with(']')) {
    const auto open = name.rfind('[');
    if (open == npos || open + 1 >= name.size() || name[open + 1] != '$') break;
    locked = locked || name.substr(open + 2).find('i') != npos;
    name = name.substr(0, open);
  }
  return locked;
}

// One line as KConfig reads it.
struct IniLine {
  enum class Kind { Other, Header, Entry, FileLock } kind = Kind::Other;
  std::string_view name;  // a header's group, an entry's key
  std::string_view value;
  bool locked = false;
};

IniLine classify(std::string_view line) {
  line = trim(line);
  IniLine l;
  if (line.starts_with('[')) {
    std::string_view header = line;
    l.locked = stripOptions(header);
    if (header.empty() && l.locked) {
      l.kind = IniLine::Kind::FileLock;
    } else if (header.size() >= 2 && header.back() == ']') {
      l.kind = IniLine::Kind::Header;
      l.name = header.substr(1, header.size() - 2);
    }
    if (l.kind != IniLine::Kind::Other) return l;
  }
  const auto eq = line.find('=');
  if (eq == npos) return {};
  l.kind = IniLine::Kind::Entry;
  l.name = trim(line.substr(0, eq));
  l.locked = stripOptions(l.name);
  l.value = trim(line.substr(eq + 1));
  return l;
}

// Calls `each(line, start, end)` for every line of `text`: `line` without its '\n', `end` past it.
template <typename Each>
void forEachLine(std::string_view text, Each&& each) {
  for (std::size_t start = 0; start < text.size();) {
    const auto nl = text.find('\n', start);
    const std::size_t stop = nl == npos ? text.size() : nl;
    each(text.substr(start, stop - start), start, nl == npos ? stop : stop + 1);
    start = nl == npos ? stop : stop + 1;
  }
}

// The line break of `text`: CRLF when its first line ends so, else LF.
std::string_view lineBreakOf(std::string_view text) {
  const auto nl = text.find('\n');
  return nl != npos && nl > 0 && text[nl - 1] == '\r' ? "\r\n" : "\n";
}

// Ends the unterminated last line of `out`, if there is one.
void endLastLine(std::string& out, std::string_view lineBreak) {
  if (out.empty() || out.back() == '\n') return;
  out += out.back() == '\r' ? "\n" : lineBreak;
}

}  // namespace

std::string GetIniValue(std::string_view text, std::string_view group, std::string_view key) {
  if (text.starts_with(kUtf8Bom)) text.remove_prefix(kUtf8Bom.size());
  bool inGroup = group.empty();
  std::string found;
  bool done = false;
  forEachLine(text, [&](std::string_view line, std::size_t, std::size_t) {
    const IniLine l = classify(line);
    if (l.kind == IniLine::Kind::Header) {
      inGroup = l.name == group;
    } else if (!done && inGroup && l.kind == IniLine::Kind::Entry && l.name == key) {
      found = l.value;
      done = true;
    }
  });
  return found;
}

std::optional<std::string> SetIniValue(std::string_view text, std::string_view group,
                                       std::string_view key, std::string_view value) {
  const std::string_view bom = text.starts_with(kUtf8Bom) ? kUtf8Bom : std::string_view();
  text.remove_prefix(bom.size());
  const std::string_view lineBreak = lineBreakOf(text);
  const std::string entry = std::string(key) + "=" + std::string(value);

  bool inGroup = false, anyHeader = false, locked = false;
  std::size_t keyFrom = npos, keyTo = npos;  // the key's line, without its line break
  std::size_t insertAt = npos;               // past the group's last non-empty line
  forEachLine(text, [&](std::string_view line, std::size_t start, std::size_t end) {
    const IniLine l = classify(line);
    if (l.kind == IniLine::Kind::FileLock && !anyHeader) locked = true;
    if (l.kind == IniLine::Kind::Header) {
      anyHeader = true;
      inGroup = l.name == group;
      locked = locked || (inGroup && l.locked);
    } else if (inGroup && l.kind == IniLine::Kind::Entry && l.name == key) {
      locked = locked || l.locked;
      if (keyFrom == npos) {
        keyFrom = start;
        keyTo = start + line.size() - (line.ends_with('\r') ? 1 : 0);
      }
    }
    if (inGroup && !trim(line).empty()) insertAt = end;
  });
  if (locked) return std::nullopt;

  std::string out(bom);
  if (keyFrom != npos) {
    out.append(text.substr(0, keyFrom)).append(entry).append(text.substr(keyTo));
  } else if (insertAt != npos) {
    out.append(text.substr(0, insertAt));
    endLastLine(out, lineBreak);
    out.append(entry).append(lineBreak).append(text.substr(insertAt));
  } else {
    out.append(text);
    endLastLine(out, lineBreak);
    // A blank line between groups, as KConfig writes them.
    const std::string_view body = std::string_view(out).substr(bom.size());
    if (!body.empty()) {
      const std::string_view lines = body.substr(0, body.size() - 1);  // without the last '\n'
      const auto previous = lines.rfind('\n');
      if (!trim(lines.substr(previous == npos ? 0 : previous + 1)).empty()) out.append(lineBreak);
    }
    out.append("[").append(group).append("]").append(lineBreak).append(entry).append(lineBreak);
  }
  return out;
}

}  // namespace qor
