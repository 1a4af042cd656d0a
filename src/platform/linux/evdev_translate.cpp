// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/linux/evdev_translate.h"

#include <algorithm>
#include <limits>

#include "platform/linux/evdev_keymap.h"

namespace qor {
namespace {

int32_t saturatedAdd(int32_t a, int32_t b) {
  const int64_t sum = int64_t(a) + b;
  return static_cast<int32_t>(std::clamp<int64_t>(sum, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

// Wheel notches as a Windows wheel delta, kept inside its signed 16 bits.
int16_t wheelDelta(int32_t notches) {
  const int32_t limit = std::numeric_limits<int16_t>::max() / WHEEL_DELTA;
  return static_cast<int16_t>(std::clamp(notches, -limit, limit) * WHEEL_DELTA);
}

// The down and up messages of a mouse button, with the X-button number in mouseData.
struct ButtonMessages {
  uint32_t down;
  uint32_t up;
  uint16_t xbutton;
};

ButtonMessages buttonMessages(uint16_t code) {
  switch (code) {
    case BTN_LEFT:
      return {WM_LBUTTONDOWN, WM_LBUTTONUP, 0};
    case BTN_RIGHT:
      return {WM_RBUTTONDOWN, WM_RBUTTONUP, 0};
    case BTN_MIDDLE:
      return {WM_MBUTTONDOWN, WM_MBUTTONUP, 0};
    case BTN_SIDE:
    case BTN_BACK:
      return {WM_XBUTTONDOWN, WM_XBUTTONUP, XBUTTON1};
    default:
      return {WM_XBUTTONDOWN, WM_XBUTTONUP, XBUTTON2};  // BTN_EXTRA, BTN_FORWARD
  }
}

input_event makeEvent(uint16_t type, uint16_t code, int32_t value) {
  input_event ev{};
  ev.type = type;
  ev.code = code;
  ev.value = value;
  return ev;
}

// Key codes outside the button ranges (which start at BTN_MISC and end before KEY_OK).
bool isKeyboardKey(uint16_t code) {
  return code < BTN_MISC || code >= KEY_OK;
}

}  // namespace

uint32_t EventMilliseconds(const input_event& ev) {
  const uint64_t ms = uint64_t(ev.input_event_sec) * 1000u + uint64_t(ev.input_event_usec) / 1000u;
  return static_cast<uint32_t>(ms);
}

bool IsMouseButton(uint16_t code) {
  switch (code) {
    case BTN_LEFT:
    case BTN_RIGHT:
    case BTN_MIDDLE:
    case BTN_SIDE:
    case BTN_EXTRA:
    case BTN_FORWARD:
    case BTN_BACK:
      return true;
    default:
      return false;
  }
}

uint32_t EvdevTranslator::seedHeldKey(uint16_t code, const EvdevSharedState& shared) {
  const EvdevKeyMapping* row = code < KEY_CNT ? FindEvdevKey(code) : nullptr;
  if (!row) return 0;
  pressedVk_[code] = shared.numLock || !row->vkWithoutNumLock ? row->vk : row->vkWithoutNumLock;
  return pressedVk_[code];
}

void EvdevTranslator::translateKey(const input_event& ev, EvdevSharedState& shared,
                                   std::vector<EvdevHookInput>& out) {
  EvdevHookInput in;
  in.raw.push_back(ev);
  const EvdevKeyMapping* row = isKeyboardKey(ev.code) ? FindEvdevKey(ev.code) : nullptr;
  if (!row || ev.value < 0 || ev.value > 2) {
    out.push_back(std::move(in));
    return;
  }
  uint8_t vk = pressedVk_[ev.code];
  if (ev.value == 1 || !vk)
    vk = shared.numLock || !row->vkWithoutNumLock ? row->vk : row->vkWithoutNumLock;
  pressedVk_[ev.code] = ev.value == 0 ? 0 : vk;
  in.kind = EvdevHookInput::Kind::Key;
  in.key.vkCode = vk;
  in.key.scanCode = row->scanCode;
  in.key.flags = (row->extended ? LLKHF_EXTENDED : 0) | (ev.value == 0 ? LLKHF_UP : 0);
  in.key.time = EventMilliseconds(ev);
  if (ev.code == KEY_NUMLOCK && ev.value == 1) shared.numLock = !shared.numLock;
  out.push_back(std::move(in));
}

std::vector<EvdevHookInput> EvdevTranslator::translate(std::span<const input_event> frame,
                                                       EvdevSharedState& shared) {
  // The pointer moves before the frame's buttons are reported, as the motion and the
  // buttons of one frame happened together.
  int32_t dx = 0, dy = 0;
  for (const input_event& ev : frame) {
    if (ev.type != EV_REL) continue;
    if (ev.code == REL_X) dx = saturatedAdd(dx, ev.value);
    if (ev.code == REL_Y) dy = saturatedAdd(dy, ev.value);
  }
  shared.pointer.x = saturatedAdd(shared.pointer.x, dx);
  shared.pointer.y = saturatedAdd(shared.pointer.y, dy);

  std::vector<EvdevHookInput> out;
  auto mouseInput = [&](uint32_t message, uint32_t mouseData, const input_event& ev) {
    EvdevHookInput in;
    in.kind = EvdevHookInput::Kind::Mouse;
    in.message = message;
    in.mouse.pt = shared.pointer;
    in.mouse.mouseData = mouseData;
    in.mouse.time = EventMilliseconds(ev);
    out.push_back(std::move(in));
    return &out.back();
  };
  bool moved = false;
  for (const input_event& ev : frame) {
    if (ev.type == EV_KEY) {
      if (!IsMouseButton(ev.code)) {
        translateKey(ev, shared, out);
        continue;
      }
      if (ev.value != 0 && ev.value != 1) continue;  // buttons do not repeat
      const ButtonMessages m = buttonMessages(ev.code);
      mouseInput(ev.value ? m.down : m.up, MouseDataWord(static_cast<int16_t>(m.xbutton)), ev)
          ->raw.push_back(ev);
    } else if (ev.type == EV_REL) {
      if (ev.code == REL_X || ev.code == REL_Y) {
        if (moved || (dx == 0 && dy == 0)) continue;
        moved = true;
        EvdevHookInput* in = mouseInput(WM_MOUSEMOVE, 0, ev);
        if (dx) in->raw.push_back(makeEvent(EV_REL, REL_X, dx));
        if (dy) in->raw.push_back(makeEvent(EV_REL, REL_Y, dy));
      } else if ((ev.code == REL_WHEEL || ev.code == REL_HWHEEL) && ev.value != 0) {
        const uint32_t message = ev.code == REL_WHEEL ? WM_MOUSEWHEEL : WM_MOUSEHWHEEL;
        mouseInput(message, MouseDataWord(wheelDelta(ev.value)), ev)->raw.push_back(ev);
      } else if (ev.code != REL_WHEEL_HI_RES && ev.code != REL_HWHEEL_HI_RES) {
        // The output device has only whole notches; readers derive the fine steps from them.
        EvdevHookInput in;
        in.raw.push_back(ev);
        out.push_back(std::move(in));
      }
    }
    // EV_MSC (scan codes), EV_LED and EV_REP describe the device, not input: dropped.
  }
  return out;
}

}  // namespace qor
