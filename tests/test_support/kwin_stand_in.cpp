// SPDX-License-Identifier: GPL-2.0-or-later
#include "test_support/kwin_stand_in.h"

#include <systemd/sd-bus.h>

#include <chrono>
#include <cstdio>
#include <cstring>

namespace qor::test {
namespace {

struct DeviceObject {
  KWinStandIn* owner;
  const KWinStandIn::Device* device;
};

int getNames(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void* userdata,
             sd_bus_error*) {
  auto* self = static_cast<KWinStandIn*>(userdata);
  int r = sd_bus_message_open_container(reply, 'a', "s");
  for (const auto& d : self->devices())
    r = r < 0 ? r : sd_bus_message_append(reply, "s", d.sysName.c_str());
  return r < 0 ? r : sd_bus_message_close_container(reply);
}

int getFlag(sd_bus*, const char*, const char*, const char* property, sd_bus_message* reply,
            void* userdata, sd_bus_error*) {
  const auto* d = static_cast<DeviceObject*>(userdata)->device;
  const bool v = std::strcmp(property, "pointer") == 0    ? d->pointer
                 : std::strcmp(property, "touchpad") == 0 ? d->touchpad
                                                          : false;
  return sd_bus_message_append(reply, "b", int(v));
}

int getDouble(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*,
              sd_bus_error*) {
  return sd_bus_message_append(reply, "d", 0.0);
}

int setFlag(sd_bus*, const char*, const char*, const char* property, sd_bus_message* value,
            void* userdata, sd_bus_error*) {
  auto* o = static_cast<DeviceObject*>(userdata);
  int v = 0;
  const int r = sd_bus_message_read(value, "b", &v);
  if (r < 0) return r;
  o->owner->record(o->device->sysName + " " + property + " " + (v ? "true" : "false"));
  return 0;
}

int setDouble(sd_bus*, const char*, const char*, const char* property, sd_bus_message* value,
              void* userdata, sd_bus_error*) {
  auto* o = static_cast<DeviceObject*>(userdata);
  double v = 0;
  const int r = sd_bus_message_read(value, "d", &v);
  if (r < 0) return r;
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", v);
  o->owner->record(o->device->sysName + " " + property + " " + text);
  return 0;
}

const sd_bus_vtable kManager[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_PROPERTY("devicesSysNames", "as", getNames, 0, 0),
    SD_BUS_VTABLE_END,
};

const sd_bus_vtable kDevice[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_PROPERTY("pointer", "b", getFlag, 0, 0),
    SD_BUS_PROPERTY("touchpad", "b", getFlag, 0, 0),
    SD_BUS_WRITABLE_PROPERTY("pointerAcceleration", "d", getDouble, setDouble, 0, 0),
    SD_BUS_WRITABLE_PROPERTY("pointerAccelerationProfileFlat", "b", getFlag, setFlag, 0, 0),
    SD_BUS_WRITABLE_PROPERTY("pointerAccelerationProfileAdaptive", "b", getFlag, setFlag, 0, 0),
    SD_BUS_VTABLE_END,
};

}  // namespace

KWinStandIn::KWinStandIn() : thread_([this] { serve(); }) {
  for (int i = 0; i < 200 && !started_; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

KWinStandIn::~KWinStandIn() {
  stop_ = true;
  thread_.join();
}

void KWinStandIn::record(std::string line) {
  std::lock_guard lock(mutex_);
  sets_.push_back(std::move(line));
}

std::vector<std::string> KWinStandIn::sets() {
  std::lock_guard lock(mutex_);
  return sets_;
}

void KWinStandIn::serve() {
  sd_bus* bus = nullptr;
  std::vector<DeviceObject> objects;
  for (const Device& d : devices_) objects.push_back({this, &d});
  bool ok = sd_bus_open_user(&bus) >= 0 &&
            sd_bus_add_object_vtable(bus, nullptr, "/org/kde/KWin/InputDevice",
                                     "org.kde.KWin.InputDeviceManager", kManager, this) >= 0;
  for (DeviceObject& o : objects) {
    const std::string path = "/org/kde/KWin/InputDevice/" + o.device->sysName;
    ok = ok && sd_bus_add_object_vtable(bus, nullptr, path.c_str(), "org.kde.KWin.InputDevice",
                                        kDevice, &o) >= 0;
  }
  ready_ = ok && sd_bus_request_name(bus, "org.kde.KWin", 0) >= 0;
  started_ = true;
  while (ready_ && !stop_) {
    const int r = sd_bus_process(bus, nullptr);
    if (r < 0) break;
    if (r == 0) sd_bus_wait(bus, 20 * 1000);
  }
  if (bus) sd_bus_flush_close_unref(bus);
}

}  // namespace qor::test
