// SPDX-License-Identifier: GPL-2.0-or-later
#include "macro/hook_script.h"

#include <charconv>
#include <cstdint>
#include <limits>

#include "platform/atomic_file.h"
#include "protocol/key_code_table.h"

namespace qor {
namespace {

constexpr std::uintmax_t kMaxScriptSize = 16u * 1024u * 1024u;

struct MessageName {
  const char* name;
  uint32_t message;
};

constexpr MessageName kMessageNames[] = {
    {"WM_MOUSEMOVE", 512},     {"WM_LBUTTONDOWN", 513},   {"WM_LBUTTONUP", 514},
    {"WM_LBUTTONDBLCLK", 515}, {"WM_RBUTTONDOWN", 516},   {"WM_RBUTTONUP", 517},
    {"WM_RBUTTONDBLCLK", 518}, {"WM_MBUTTONDOWN", 519},   {"WM_MBUTTONUP", 520},
    {"WM_MBUTTONDBLCLK", 521}, {"WM_MOUSEWHEEL", 522},    {"WM_XBUTTONDOWN", 523},
    {"WM_XBUTTONUP", 524},     {"WM_XBUTTONDBLCLK", 525}, {"WM_MOUSEHWHEEL", 526},
};

// A whole token as an integer in [lo, hi]: decimal, or hexadecimal after "0x".
template <typename T>
bool parseNumber(std::string_view s, T lo, T hi, T& out) {
  int base = 10;
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    s.remove_prefix(2);
    base = 16;
  }
  int64_t v = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v, base);
  if (ec != std::errc() || end != s.data() + s.size() || s.empty() || v < int64_t(lo) ||
      v > int64_t(hi))
    return false;
  out = static_cast<T>(v);
  return true;
}

// A virtual-key code by number or by its name in the key code table.
bool parseKey(std::string_view s, uint32_t& vk, bool& extendedOnly) {
  extendedOnly = false;
  if (parseNumber<uint32_t>(s, 1, 255, vk)) return true;
  for (uint32_t code = 1; code < 256; ++code) {
    if (FindKeyRow(code, 0)->VKName == s) {
      vk = code;
      return true;
    }
  }
  for (uint32_t code = 1; code < 256; ++code) {
    if (FindKeyRow(code, 2)->VKName == s) {  // flag 2: the extended table itself
      vk = code;
      extendedOnly = true;
      return true;
    }
  }
  return false;
}

bool parseMessage(std::string_view s, uint32_t& message) {
  for (const MessageName& m : kMessageNames)
    if (s == m.name) {
      message = m.message;
      return true;
    }
  return parseNumber<uint32_t>(s, 512, 526, message);
}

std::vector<std::string_view> tokens(std::string_view line) {
  std::vector<std::string_view> out;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
    std::size_t j = i;
    while (j < line.size() && line[j] != ' ' && line[j] != '\t' && line[j] != '\r') ++j;
    if (j > i) out.push_back(line.substr(i, j - i));
    i = j;
  }
  return out;
}

// One line's event; an error text when it is not understood.
std::optional<std::string> parseLine(const std::vector<std::string_view>& t, ScriptedHookEvent& e) {
  uint32_t time = 0;
  if (!parseNumber<uint32_t>(t[0], 0, UINT32_MAX, time))
    return "the time \"" + std::string(t[0]) + "\" is not a number of milliseconds";
  if (t.size() < 2) return "\"key\" or \"mouse\" must follow the time";
  if (t[1] == "key") {
    if (t.size() < 4) return "a key event is: TIME key KEY down|up [ext] [scan=N]";
    uint32_t vk = 0;
    bool extended = false;
    if (!parseKey(t[2], vk, extended)) return "unknown key \"" + std::string(t[2]) + "\"";
    if (t[3] != "down" && t[3] != "up")
      return "\"" + std::string(t[3]) + "\" is neither down nor up";
    uint32_t scan = 0;
    for (std::size_t i = 4; i < t.size(); ++i) {
      if (t[i] == "ext")
        extended = true;
      else if (t[i].substr(0, 5) != "scan=" ||
               !parseNumber<uint32_t>(t[i].substr(5), 0, UINT32_MAX, scan))
        return "unexpected \"" + std::string(t[i]) + "\" (ext or scan=N)";
    }
    e = ScriptedKey(time, vk, t[3] == "down", extended, scan);
    return std::nullopt;
  }
  if (t[1] == "mouse") {
    if (t.size() < 5) return "a mouse event is: TIME mouse MESSAGE X Y [DATA] [injected]";
    uint32_t message = 0;
    if (!parseMessage(t[2], message)) return "unknown mouse message \"" + std::string(t[2]) + "\"";
    int32_t x = 0, y = 0;
    if (!parseNumber<int32_t>(t[3], INT32_MIN, INT32_MAX, x) ||
        !parseNumber<int32_t>(t[4], INT32_MIN, INT32_MAX, y))
      return "the position \"" + std::string(t[3]) + " " + std::string(t[4]) +
             "\" is not two whole numbers";
    int16_t data = 0;
    bool injected = false;
    for (std::size_t i = 5; i < t.size(); ++i) {
      if (t[i] == "injected")
        injected = true;
      else if (i != 5 || !parseNumber<int16_t>(t[i], INT16_MIN, INT16_MAX, data))
        return "unexpected \"" + std::string(t[i]) + "\" (DATA from -32768 to 32767, injected)";
    }
    e = ScriptedMouse(time, message, x, y, data);
    if (injected) e.mouse.flags |= LLMHF_INJECTED;
    return std::nullopt;
  }
  return "\"" + std::string(t[1]) + "\" is neither key nor mouse";
}

}  // namespace

ScriptedHookEvent ScriptedKey(uint32_t time, uint32_t vk, bool down, bool extended, uint32_t scan) {
  ScriptedHookEvent e;
  e.kind = ScriptedHookEvent::Kind::Key;
  e.key.vkCode = vk;
  e.key.scanCode = scan;
  e.key.flags = (extended ? LLKHF_EXTENDED : 0) | (down ? 0 : LLKHF_UP);
  e.key.time = time;
  return e;
}

ScriptedHookEvent ScriptedMouse(uint32_t time, uint32_t message, int32_t x, int32_t y,
                                int16_t data) {
  ScriptedHookEvent e;
  e.kind = ScriptedHookEvent::Kind::Mouse;
  e.message = message;
  e.mouse.pt = {x, y};
  e.mouse.mouseData = MouseDataWord(data);
  e.mouse.time = time;
  return e;
}

std::optional<std::vector<ScriptedHookEvent>> ParseHookScript(std::string_view text,
                                                              std::string& error) {
  std::vector<ScriptedHookEvent> events;
  std::size_t lineNo = 0;
  while (!text.empty()) {
    ++lineNo;
    const std::size_t nl = text.find('\n');
    std::string_view line = text.substr(0, nl);
    text.remove_prefix(nl == std::string_view::npos ? text.size() : nl + 1);
    line = line.substr(0, line.find('#'));
    const std::vector<std::string_view> t = tokens(line);
    if (t.empty()) continue;
    ScriptedHookEvent e;
    if (std::optional<std::string> fault = parseLine(t, e)) {
      error = "line " + std::to_string(lineNo) + ": " + *fault;
      return std::nullopt;
    }
    events.push_back(e);
  }
  return events;
}

std::optional<std::vector<ScriptedHookEvent>> LoadHookScript(const std::filesystem::path& file,
                                                             std::string& error) {
  std::vector<uint8_t> bytes;
  if (std::optional<std::string> fault = readWholeFile(file, bytes, kMaxScriptSize)) {
    error = *fault;
    return std::nullopt;
  }
  std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  auto events = ParseHookScript(text, error);
  if (!events) error = file.string() + ", " + error;
  return events;
}

ScriptedHookProvider::ScriptedHookProvider(std::vector<ScriptedHookEvent> events, Pacing pacing,
                                           Clock clock)
    : events_(std::move(events)), pacing_(pacing), clock_(std::move(clock)) {
  if (!clock_) clock_ = [] { return std::chrono::steady_clock::now(); };
}

void ScriptedHookProvider::Append(const std::vector<ScriptedHookEvent>& events) {
  events_.insert(events_.end(), events.begin(), events.end());
}

void ScriptedHookProvider::startClock() {
  if (start_) return;
  start_ = clock_();
  if (next_ < events_.size()) {
    const ScriptedHookEvent& e = events_[next_];
    firstTime_ = e.kind == ScriptedHookEvent::Kind::Key ? e.key.time : e.mouse.time;
  }
}

void ScriptedHookProvider::EnableKeyboardHook(TKeyboardHookCallback Callback) {
  keyboard_ = std::move(Callback);
  startClock();
}
void ScriptedHookProvider::DisableKeyboardHook() {
  keyboard_ = nullptr;
}
void ScriptedHookProvider::EnableMouseHook(TMouseHookCallback Callback) {
  mouse_ = std::move(Callback);
  startClock();
}
void ScriptedHookProvider::DisableMouseHook() {
  mouse_ = nullptr;
}

bool ScriptedHookProvider::due(const ScriptedHookEvent& event) const {
  if (pacing_ == Pacing::AtOnce) return true;
  if (!start_) return false;
  const uint32_t time =
      event.kind == ScriptedHookEvent::Kind::Key ? event.key.time : event.mouse.time;
  const int32_t offset = static_cast<int32_t>(time - firstTime_);
  return clock_() >= *start_ + std::chrono::milliseconds(offset > 0 ? offset : 0);
}

void ScriptedHookProvider::play(const ScriptedHookEvent& event) {
  bool blocked = false;
  bool hooked = false;
  if (event.kind == ScriptedHookEvent::Kind::Key) {
    const uint32_t vk = event.key.vkCode;
    const bool down = !(event.key.flags & LLKHF_UP);
    if (vk < down_.size() && down_[vk] != down) {
      down_[vk] = down;
      down ? held_.press(vk) : held_.release(vk);
    }
    // Copies, so that a callback may disable its own hook while it runs.
    if (TKeyboardHookCallback cb = keyboard_) {
      hooked = true;
      cb(HC_ACTION, event.key, blocked);
    }
  } else if (TMouseHookCallback cb = mouse_) {
    hooked = true;
    cb(HC_ACTION, event.message, event.mouse, blocked);
  }
  played_.push_back({event, !hooked   ? HookOutcome::Unhooked
                            : blocked ? HookOutcome::Swallowed
                                      : HookOutcome::PassedOn});
}

void ScriptedHookProvider::dispatch() {
  // By index: a callback may append events or dispatch again from a nested event loop.
  while (next_ < events_.size() && due(events_[next_])) {
    const ScriptedHookEvent event = events_[next_++];
    play(event);
  }
}

}  // namespace qor
