// SPDX-License-Identifier: GPL-2.0-or-later
// The evdev hook's logic between the devices and the callbacks: frames in time order, grabs
// while a hook wants a device, and the re-emission of what the callbacks pass on.
#pragma once

#include <linux/input.h>

#include <bitset>
#include <cstdint>
#include <map>
#include <span>
#include <vector>

#include "platform/hook_provider.h"
#include "platform/linux/evdev_translate.h"

namespace qor {

// The device side of the router; the real one grabs with EVIOCGRAB and writes to uinput.
class EvdevRouterIo {
 public:
  virtual ~EvdevRouterIo() = default;
  // Grabs (true) or releases a device; false when the grab cannot be had.
  virtual bool setGrab(int device, bool grab) = 0;
  // Writes one frame to the output device; the closing SYN_REPORT is added there.
  virtual void emitFrame(std::span<const input_event> events) = 0;
};

// What the router knows of an input device.
struct EvdevDeviceInfo {
  bool keyboard = false;            // taken by the keyboard hook
  bool mouse = false;               // taken by the mouse hook
  bool grabbable = false;           // the output device can reproduce everything it sends
  std::vector<uint16_t> heldCodes;  // keys and buttons down when it was opened
};

class EvdevHookRouter {
 public:
  explicit EvdevHookRouter(EvdevRouterIo& io) : io_(io) {}

  // A device appeared; it is grabbed at once when an enabled hook wants it.
  void addDevice(int id, EvdevDeviceInfo info);
  // A device went away: what it held on the output device is released.
  void removeDevice(int id);
  // Takes one event read from a device; frames are delivered by flush().
  void feed(int id, const input_event& ev);
  // Delivers every complete frame fed so far, all devices merged in time order.
  void flush();

  void EnableKeyboardHook(TKeyboardHookCallback callback);
  void DisableKeyboardHook();
  void EnableMouseHook(TMouseHookCallback callback);
  void DisableMouseHook();
  bool IsKeyDown(uint32_t vk) const { return held_.isDown(vk); }

  // Where the pointer is, for the positions of mouse events (evdev only knows motion).
  void setPointerPosition(TPOINT pt) { shared_.pointer = pt; }
  void setNumLock(bool on) { shared_.numLock = on; }
  bool grabbed(int id) const;
  // The keyboards the keyboard hook wants but does not have: refused, or not reproducible.
  std::vector<int> ungrabbedKeyboards() const;

 private:
  struct Device {
    EvdevDeviceInfo info;
    EvdevTranslator translator;
    std::vector<input_event> partial;  // the frame being read
    std::bitset<KEY_CNT> down;         // keys and buttons held on the device
    std::bitset<KEY_CNT> emittedDown;  // keys and buttons held on the output device for it
    bool grabbed = false;
    bool grabRefused = false;  // tried and failed; retried when a hook is enabled again
  };
  struct Frame {
    int device;
    uint64_t micros;
    bool grabbed;  // when it was read: whether anyone else saw it
    std::vector<input_event> events;
  };

  bool wanted(const Device& d) const;
  // Grabs a wanted device once nothing is held on it (a grab in between would leave those
  // keys pressed for everyone else), releases one no hook wants.
  void updateGrab(int id, Device& d, bool mayRetry);
  void updateAllGrabs();
  void releaseEmitted(Device& d);
  Device* find(int id);
  void deliver(const Frame& frame);
  // Calls the hook of the input's kind; returns Blocked.
  bool callHook(EvdevHookInput& in);
  void noteKey(Device& d, const input_event& ev, uint32_t vk);
  uint32_t monotonic(uint32_t time);

  EvdevRouterIo& io_;
  std::map<int, Device> devices_;
  std::vector<Frame> ready_;
  EvdevSharedState shared_;
  HeldKeys held_;
  TKeyboardHookCallback keyboard_;
  TMouseHookCallback mouse_;
  uint32_t lastTime_ = 0;
  bool anyTime_ = false;
};

}  // namespace qor
