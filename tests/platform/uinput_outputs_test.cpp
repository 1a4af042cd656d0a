// SPDX-License-Identifier: GPL-2.0-or-later
// The hook's output devices against udev's input classification: the keyboard must be a
// keyboard and the pointer a mouse, and neither may be taken for a joystick.
#include <gtest/gtest.h>
#include <linux/input.h>

#include <bitset>
#include <string>

#include "platform/linux/uinput_outputs.h"

namespace qor {
namespace {

// What a device declares.
struct Capabilities {
  std::bitset<KEY_CNT> keys;
  std::bitset<REL_CNT> rels;
  std::bitset<ABS_CNT> abs;
};

struct Classes {
  bool key = false, keyboard = false, mouse = false, joystick = false;
};

// udev's input_id builtin, as its releases without the later keyboard heuristics decide
// (those would still rescue a full keyboard with joystick buttons, not a pointer): written
// from its rules, independent of the code under test.
Classes Classify(const Capabilities& c) {
  Classes out;
  const bool hasAbsCoordinates = c.abs[ABS_X] && c.abs[ABS_Y];
  const bool hasRelCoordinates = c.rels[REL_X] && c.rels[REL_Y];
  bool hasMouseButton = false;
  for (unsigned b = BTN_MOUSE; b < BTN_JOYSTICK; ++b) hasMouseButton |= c.keys[b];
  int joystickButtons = 0, joystickAxes = 0;
  if (!c.keys[BTN_JOYSTICK - 1]) {  // a mouse with many buttons runs into the range
    for (unsigned b = BTN_JOYSTICK; b < BTN_DIGI; ++b) joystickButtons += c.keys[b];
    for (unsigned b = BTN_TRIGGER_HAPPY1; b <= BTN_TRIGGER_HAPPY40; ++b)
      joystickButtons += c.keys[b];
    for (unsigned b = BTN_DPAD_UP; b <= BTN_DPAD_RIGHT; ++b) joystickButtons += c.keys[b];
  }
  for (unsigned a = ABS_RX; a < ABS_PRESSURE; ++a) joystickAxes += c.abs[a];
  // With absolute axes, tablets, touchpads and touchscreens come first; none is declared here.
  out.joystick = joystickButtons > 0 || joystickAxes > 0;
  out.mouse = !out.joystick && hasMouseButton && (hasRelCoordinates || !hasAbsCoordinates);

  for (unsigned k = 1; k < BTN_MISC; ++k) out.key |= c.keys[k];
  for (unsigned k = KEY_OK; k < BTN_DPAD_UP; ++k) out.key |= c.keys[k];
  for (unsigned k = KEY_ALS_TOGGLE; k < BTN_TRIGGER_HAPPY; ++k) out.key |= c.keys[k];
  out.keyboard = true;  // Esc, the digits and Q to D: the first 32 codes but KEY_RESERVED
  for (unsigned k = 1; k < 32; ++k) out.keyboard &= c.keys[k];
  return out;
}

Capabilities outputOf(UinputOutput output) {
  Capabilities c;
  for (unsigned code = 0; code < KEY_CNT; ++code) c.keys[code] = OutputHasKey(output, code);
  for (unsigned code = 0; code < REL_CNT; ++code) c.rels[code] = OutputHasRel(output, code);
  return c;
}

TEST(UinputOutputs, UdevTakesTheKeyboardForAKeyboardAndThePointerForAMouse) {
  struct Case {
    const char* what;
    Capabilities caps;
    bool key, keyboard, mouse, joystick;
  };
  // One device with the keyboard's keys, the mouse buttons and every further key up to the
  // trigger buttons (the d-pad among them), as a single output re-emitting both would declare:
  // the joystick the desktop must never see.
  Capabilities combined;
  for (unsigned code = 0; code < KEY_CNT; ++code)
    combined.keys[code] = (code >= KEY_ESC && code < BTN_MISC) ||
                          (code >= BTN_LEFT && code <= BTN_TASK) ||
                          (code >= KEY_OK && code < BTN_TRIGGER_HAPPY);
  combined.rels[REL_X] = combined.rels[REL_Y] = true;
  Capabilities withDpad = outputOf(UinputOutput::Pointer);
  withDpad.keys[BTN_DPAD_UP] = true;
  const Case cases[] = {
      {"keyboard output", outputOf(UinputOutput::Keyboard), true, true, false, false},
      {"pointer output", outputOf(UinputOutput::Pointer), false, false, true, false},
      {"one output for both", combined, true, true, false, true},
      {"a pointer with one d-pad button", withDpad, false, false, false, true},
  };
  for (const Case& c : cases) {
    const Classes got = Classify(c.caps);
    EXPECT_EQ(got.key, c.key) << c.what;
    EXPECT_EQ(got.keyboard, c.keyboard) << c.what;
    EXPECT_EQ(got.mouse, c.mouse) << c.what;
    EXPECT_EQ(got.joystick, c.joystick) << c.what;
  }
}

TEST(UinputOutputs, EachEventGoesToTheOutputThatDeclaresIt) {
  struct Case {
    uint16_t type, code;
    UinputOutput output;
  } cases[] = {
      {EV_KEY, KEY_A, UinputOutput::Keyboard},      {EV_KEY, KEY_VOLUMEUP, UinputOutput::Keyboard},
      {EV_KEY, BTN_LEFT, UinputOutput::Pointer},    {EV_KEY, BTN_EXTRA, UinputOutput::Pointer},
      {EV_REL, REL_WHEEL, UinputOutput::Pointer},   {EV_REL, REL_X, UinputOutput::Pointer},
      {EV_KEY, KEY_MACRO1, UinputOutput::Keyboard},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(OutputFor(c.type, c.code), c.output) << c.type << " " << c.code;
    const bool declared =
        c.type == EV_KEY ? OutputHasKey(c.output, c.code) : OutputHasRel(c.output, c.code);
    EXPECT_TRUE(declared) << c.code;
  }
  // Nothing of the joystick, gamepad, tablet or trigger ranges anywhere.
  for (unsigned code : {unsigned(BTN_MISC), unsigned(BTN_JOYSTICK), unsigned(BTN_GAMEPAD),
                        unsigned(BTN_DIGI), unsigned(BTN_DPAD_LEFT), unsigned(BTN_TRIGGER_HAPPY5)})
    for (UinputOutput o : {UinputOutput::Keyboard, UinputOutput::Pointer})
      EXPECT_FALSE(OutputHasKey(o, code)) << code;
}

}  // namespace
}  // namespace qor
