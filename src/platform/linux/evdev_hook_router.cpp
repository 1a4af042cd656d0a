// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/linux/evdev_hook_router.h"

#include <algorithm>

namespace qor {
namespace {

uint64_t eventMicros(const input_event& ev) {
  return uint64_t(ev.input_event_sec) * 1000000u + uint64_t(ev.input_event_usec);
}

}  // namespace

EvdevHookRouter::Device* EvdevHookRouter::find(int id) {
  auto it = devices_.find(id);
  return it == devices_.end() ? nullptr : &it->second;
}

bool EvdevHookRouter::grabbed(int id) const {
  auto it = devices_.find(id);
  return it != devices_.end() && it->second.grabbed;
}

std::vector<int> EvdevHookRouter::ungrabbedKeyboards() const {
  std::vector<int> ids;
  if (!keyboard_) return ids;
  for (const auto& [id, d] : devices_)
    if (d.info.keyboard && !d.grabbed && (!d.info.grabbable || d.grabRefused)) ids.push_back(id);
  return ids;
}

void EvdevHookRouter::addDevice(int id, EvdevDeviceInfo info) {
  removeDevice(id);
  Device& d = devices_[id];
  d.info = std::move(info);
  for (uint16_t code : d.info.heldCodes) {
    if (code >= KEY_CNT || d.down[code]) continue;
    d.down.set(code);
    if (const uint32_t vk = d.translator.seedHeldKey(code, shared_)) held_.press(vk);
  }
  updateGrab(id, d, true);
}

void EvdevHookRouter::removeDevice(int id) {
  Device* d = find(id);
  if (!d) return;
  releaseEmitted(*d);
  for (std::size_t code = 0; code < KEY_CNT; ++code)
    if (d->down[code])
      if (const uint32_t vk = d->translator.heldVk(static_cast<uint16_t>(code))) held_.release(vk);
  std::erase_if(ready_, [id](const Frame& f) { return f.device == id; });
  devices_.erase(id);
}

void EvdevHookRouter::feed(int id, const input_event& ev) {
  Device* d = find(id);
  if (!d) return;
  if (ev.type != EV_SYN) {
    d->partial.push_back(ev);
  } else if (ev.code == SYN_DROPPED) {
    d->partial.clear();  // the reader resynchronises; what follows states the device anew
  } else if (ev.code == SYN_REPORT && !d->partial.empty()) {
    ready_.push_back({id, eventMicros(ev), d->grabbed, std::move(d->partial)});
    d->partial.clear();
  }
}

void EvdevHookRouter::flush() {
  // Taken out first: a callback that runs a nested event loop may dispatch again.
  std::vector<Frame> frames;
  frames.swap(ready_);
  std::stable_sort(frames.begin(), frames.end(),
                   [](const Frame& a, const Frame& b) { return a.micros < b.micros; });
  for (const Frame& frame : frames) deliver(frame);
}

void EvdevHookRouter::noteKey(Device& d, const input_event& ev, uint32_t vk) {
  if (ev.code >= KEY_CNT) return;
  if (ev.value == 1 && !d.down[ev.code]) {
    d.down.set(ev.code);
    if (vk) held_.press(vk);
  } else if (ev.value == 0 && d.down[ev.code]) {
    d.down.reset(ev.code);
    if (vk) held_.release(vk);
  }
}

uint32_t EvdevHookRouter::monotonic(uint32_t time) {
  // Devices are read one after another; a late reader must not move time backwards.
  if (anyTime_ && static_cast<int32_t>(time - lastTime_) < 0) time = lastTime_;
  lastTime_ = time;
  anyTime_ = true;
  return time;
}

bool EvdevHookRouter::callHook(EvdevHookInput& in) {
  bool blocked = false;
  // Copies, so that a callback may disable its own hook while it runs.
  if (in.kind == EvdevHookInput::Kind::Key) {
    in.key.time = monotonic(in.key.time);
    if (TKeyboardHookCallback cb = keyboard_) cb(HC_ACTION, in.key, blocked);
  } else if (in.kind == EvdevHookInput::Kind::Mouse) {
    in.mouse.time = monotonic(in.mouse.time);
    if (TMouseHookCallback cb = mouse_) cb(HC_ACTION, in.message, in.mouse, blocked);
  }
  return blocked;
}

void EvdevHookRouter::deliver(const Frame& frame) {
  Device* d = find(frame.device);
  if (!d) return;
  std::vector<EvdevHookInput> inputs = d->translator.translate(frame.events, shared_);
  std::vector<input_event> passed;
  for (EvdevHookInput& in : inputs) {
    if (!(d = find(frame.device))) return;
    const uint32_t vk = in.kind == EvdevHookInput::Kind::Key ? in.key.vkCode : 0;
    for (const input_event& ev : in.raw)
      if (ev.type == EV_KEY) noteKey(*d, ev, vk);
    const bool blocked = callHook(in);
    if (!(d = find(frame.device))) return;
    if (!frame.grabbed) continue;  // everyone else has seen it already
    for (const input_event& ev : in.raw) {
      if (ev.type != EV_KEY || ev.code >= KEY_CNT) {
        if (!blocked) passed.push_back(ev);
        continue;
      }
      // A release always follows a press that went out, so that nothing stays held.
      const bool emitted = d->emittedDown[ev.code];
      if (ev.value == 0 ? !emitted : (blocked || (ev.value == 2 && !emitted))) continue;
      d->emittedDown[ev.code] = ev.value != 0;
      passed.push_back(ev);
    }
  }
  if (!passed.empty()) io_.emitFrame(passed);
  if (!d->grabbed) releaseEmitted(*d);  // a callback released the device during the frame
  if (wanted(*d) && !d->grabbed) updateGrab(frame.device, *d, false);
}

bool EvdevHookRouter::wanted(const Device& d) const {
  return d.info.grabbable && ((keyboard_ && d.info.keyboard) || (mouse_ && d.info.mouse));
}

void EvdevHookRouter::updateGrab(int id, Device& d, bool mayRetry) {
  const bool want = wanted(d);
  if (want && !d.grabbed) {
    if (d.down.any() || (d.grabRefused && !mayRetry)) return;
    d.grabbed = io_.setGrab(id, true);
    d.grabRefused = !d.grabbed;
  } else if (!want && d.grabbed) {
    io_.setGrab(id, false);
    d.grabbed = false;
    releaseEmitted(d);
  }
  if (!want) d.grabRefused = false;
}

void EvdevHookRouter::updateAllGrabs() {
  for (auto& [id, d] : devices_) updateGrab(id, d, true);
}

void EvdevHookRouter::releaseEmitted(Device& d) {
  if (d.emittedDown.none()) return;
  std::vector<input_event> up;
  for (std::size_t code = 0; code < KEY_CNT; ++code) {
    if (!d.emittedDown[code]) continue;
    input_event ev{};
    ev.type = EV_KEY;
    ev.code = static_cast<uint16_t>(code);
    ev.value = 0;
    up.push_back(ev);
  }
  d.emittedDown.reset();
  io_.emitFrame(up);
}

void EvdevHookRouter::EnableKeyboardHook(TKeyboardHookCallback callback) {
  keyboard_ = std::move(callback);
  updateAllGrabs();
}

void EvdevHookRouter::DisableKeyboardHook() {
  keyboard_ = nullptr;
  updateAllGrabs();
}

void EvdevHookRouter::EnableMouseHook(TMouseHookCallback callback) {
  mouse_ = std::move(callback);
  updateAllGrabs();
}

void EvdevHookRouter::DisableMouseHook() {
  mouse_ = nullptr;
  updateAllGrabs();
}

}  // namespace qor
