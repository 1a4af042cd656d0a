// SPDX-License-Identifier: GPL-2.0-or-later
// Evdev frames as the hook's keyboard and mouse records.
#pragma once

#include <linux/input.h>

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "platform/hook_provider.h"

namespace qor {

// One hook event made from a frame, with the device events that reproduce it when it is
// passed on.
struct EvdevHookInput {
  enum class Kind {
    Key,    // a keyboard event: `key`
    Mouse,  // a mouse event: `message`, `mouse`
    Other,  // nothing the hooks report (an unknown key, a joystick button): passed on as is
  };
  Kind kind = Kind::Other;
  TKBDLLHOOKSTRUCT key{};
  uint32_t message = 0;
  TMSLLHOOKSTRUCT mouse{};
  std::vector<input_event> raw;  // without the closing SYN_REPORT
};

// What all devices share: the pointer the mice move and the Num Lock state the keypad
// follows.
struct EvdevSharedState {
  TPOINT pointer;
  bool numLock = true;
};

// The milliseconds of an event's time stamp, on the 32-bit clock the hook records carry.
uint32_t EventMilliseconds(const input_event& ev);

// Whether an EV_KEY code is a mouse button the mouse hook reports (left, right, middle, the
// two side buttons and their alternative codes).
bool IsMouseButton(uint16_t code);

// Translates the frames of one device. Keys keep the virtual-key code they went down as, so
// that a keypad key released after Num Lock changed still releases the key it pressed.
class EvdevTranslator {
 public:
  // The hook inputs of one frame (its events without SYN_REPORT), in the frame's order; the
  // pointer moves once per frame, by the sum of its motion. Auto-repeats (value 2) are
  // presses, as Windows delivers them.
  std::vector<EvdevHookInput> translate(std::span<const input_event> frame,
                                        EvdevSharedState& shared);
  // A key that was already down when the device was opened; returns its virtual-key code,
  // 0 when the table has none.
  uint32_t seedHeldKey(uint16_t code, const EvdevSharedState& shared);
  // The virtual-key code a held key went down as; 0 when it is not held or has none.
  uint32_t heldVk(uint16_t code) const { return code < KEY_CNT ? pressedVk_[code] : 0; }

 private:
  void translateKey(const input_event& ev, EvdevSharedState& shared,
                    std::vector<EvdevHookInput>& out);
  std::array<uint8_t, KEY_CNT> pressedVk_{};
};

}  // namespace qor
