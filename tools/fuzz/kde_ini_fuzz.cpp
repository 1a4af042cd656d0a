// SPDX-License-Identifier: GPL-2.0-or-later
// Feeds any settings file text to the editor of one INI value (kdeglobals, kcminputrc): either
// the value is locked and the text has a KConfig option, or the value reads back, every other
// line stays byte for byte, a replaced line keeps its line break, the byte order mark stays,
// and in a CRLF file every line added ends in CRLF.
#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ini_text.h"

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

// The lines of `text`, each with its '\n'.
std::vector<std::string_view> linesOf(std::string_view text) {
  std::vector<std::string_view> lines;
  for (std::size_t start = 0; start < text.size();) {
    const auto nl = text.find('\n', start);
    const std::size_t end = nl == std::string_view::npos ? text.size() : nl + 1;
    lines.push_back(text.substr(start, end - start));
    start = end;
  }
  return lines;
}

std::string_view withoutBreak(std::string_view line) {
  if (line.ends_with('\n')) line.remove_suffix(1);
  if (line.ends_with('\r')) line.remove_suffix(1);
  return line;
}

struct Edit {
  const char* group;
  const char* key;
  const char* value;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  using namespace qor;
  // The first byte picks the edit: the values the program writes, and a nested group.
  static const Edit kEdits[] = {
      {"KDE", "DoubleClickInterval", "400"},
      {"KDE", "WheelScrollLines", "3"},
      {"Mouse", "XLbInptPointerAcceleration", "-0.500"},
      {"Libinput][1133][49291][Mouse", "PointerAcceleration", "0.200"},
      {"IncludeHIDDeviceList", "id1", "HID\\VID_1A2B&PID_3C4D"},
  };
  if (size == 0) return 0;
  const Edit& e = kEdits[data[0] % (sizeof kEdits / sizeof kEdits[0])];
  const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::optional<std::string> edited = SetIniValue(text, e.group, e.key, e.value);
  if (!edited) {
    if (text.find("[$") == std::string_view::npos) std::abort();  // locked without a lock
    return 0;
  }
  const std::string_view out = *edited;
  if (GetIniValue(out, e.group, e.key) != e.value) std::abort();
  if (text.starts_with(kBom) != out.starts_with(kBom)) std::abort();

  // What lies between the lines both share at the start and at the end: at most one line of
  // the text, and lines of the edit only.
  const std::string_view bodyIn = text.substr(text.starts_with(kBom) ? kBom.size() : 0);
  const std::string_view bodyOut = out.substr(out.starts_with(kBom) ? kBom.size() : 0);
  const std::vector<std::string_view> in = linesOf(bodyIn), now = linesOf(bodyOut);
  std::size_t head = 0, tail = 0;
  while (head < in.size() && head < now.size() && in[head] == now[head]) ++head;
  while (head + tail < in.size() && head + tail < now.size() &&
         in[in.size() - 1 - tail] == now[now.size() - 1 - tail])
    ++tail;
  const std::vector<std::string_view> gone(in.begin() + head, in.end() - tail);
  const std::vector<std::string_view> added(now.begin() + head, now.end() - tail);
  if (gone.size() > 1) std::abort();
  const std::string entry = std::string(e.key) + "=" + e.value;
  const std::string header = std::string("[") + e.group + "]";
  const bool crlf = bodyIn.find('\n') != std::string_view::npos && bodyIn.find('\n') > 0 &&
                    bodyIn[bodyIn.find('\n') - 1] == '\r';
  // A replaced line keeps its own line break, whatever the file's first one is.
  const bool replaced = gone.size() == 1 && gone[0].ends_with('\n');
  for (std::string_view line : added) {
    const std::string_view bare = withoutBreak(line);
    // The text's unterminated last line, now ended.
    const bool ended = gone.size() == 1 && !gone[0].ends_with('\n') &&
                       line.size() > gone[0].size() && line.starts_with(gone[0]) &&
                       withoutBreak(line.substr(gone[0].size())).empty();
    if (!ended && bare != "" && bare != header && bare != entry) std::abort();
    if (crlf && !replaced && line.ends_with('\n') && !line.ends_with("\r\n")) std::abort();
  }
  if (replaced) {
    if (added.size() != 1 || withoutBreak(added[0]) != entry) std::abort();
    if (added[0].substr(entry.size()) != gone[0].substr(withoutBreak(gone[0]).size())) std::abort();
  }
  return 0;
}
