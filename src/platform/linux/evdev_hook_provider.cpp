// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/linux/evdev_hook_provider.h"

#include <fcntl.h>
#include <libevdev/libevdev-uinput.h>
#include <libevdev/libevdev.h>
#include <libudev.h>
#include <sys/epoll.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <map>
#include <string>

#include "platform/linux/evdev_hook_router.h"
#include "platform/linux/evdev_keymap.h"
#include "platform/linux/evdev_translate.h"
#include "platform/linux/uinput_outputs.h"
#include "platform/unique_fd.h"

namespace qor {
namespace {

// The output devices' names begin with this.
constexpr const char* kOutputName = "qorcfg51 input hook";
constexpr uint64_t kMonitorTag = 0;      // epoll tag of the udev monitor; devices count from 1
constexpr int kMaxEventsPerRead = 4096;  // a flooding device yields to the others

struct UdevUnref {
  void operator()(udev* u) const { udev_unref(u); }
  void operator()(udev_monitor* m) const { udev_monitor_unref(m); }
  void operator()(udev_enumerate* e) const { udev_enumerate_unref(e); }
  void operator()(udev_device* d) const { udev_device_unref(d); }
};
template <typename T>
using UdevPtr = std::unique_ptr<T, UdevUnref>;

struct EvdevFree {
  void operator()(libevdev* d) const { libevdev_free(d); }
  void operator()(libevdev_uinput* u) const { libevdev_uinput_destroy(u); }
};

bool property(udev_device* dev, const char* name) {
  const char* v = udev_device_get_property_value(dev, name);
  return v && std::strcmp(v, "1") == 0;
}

bool outputHasKey(unsigned code) {
  return OutputHasKey(UinputOutput::Keyboard, code) || OutputHasKey(UinputOutput::Pointer, code);
}
bool outputHasRel(unsigned code) {
  return OutputHasRel(UinputOutput::Pointer, code) || code == REL_WHEEL_HI_RES ||
         code == REL_HWHEEL_HI_RES;  // read, and re-emitted as whole notches
}

// Whether the output devices can reproduce everything the device sends; a device that they
// cannot is watched but never grabbed.
bool reproducible(const libevdev* dev) {
  for (unsigned type = 0; type <= EV_MAX; ++type) {
    if (!libevdev_has_event_type(dev, type)) continue;
    if (type != EV_SYN && type != EV_KEY && type != EV_REL && type != EV_MSC && type != EV_LED &&
        type != EV_REP)
      return false;
  }
  for (unsigned code = 0; code <= KEY_MAX; ++code)
    if (libevdev_has_event_code(dev, EV_KEY, code) && !outputHasKey(code)) return false;
  for (unsigned code = 0; code <= REL_MAX; ++code)
    if (libevdev_has_event_code(dev, EV_REL, code) && !outputHasRel(code)) return false;
  return true;
}

bool sendsKnownKey(const libevdev* dev) {
  for (const EvdevKeyMapping& row : EvdevKeyTable())
    if (libevdev_has_event_code(dev, EV_KEY, row.code)) return true;
  return false;
}

std::string errnoText(int err) {
  return std::strerror(err);
}

}  // namespace

struct EvdevHookProvider::Impl final : EvdevRouterIo {
  struct Device {
    UniqueFd fd;
    std::unique_ptr<libevdev, EvdevFree> evdev;
    std::string syspath;
  };

  // Why opening a device failed, for the message when none opens.
  struct OpenResult {
    bool opened = false;
    bool candidate = false;  // a keyboard or mouse (whether or not it could be opened)
    int error = 0;
    std::string devnode;
  };

  UdevPtr<udev> udev_;
  UdevPtr<udev_monitor> monitor_;
  UniqueFd epoll_;
  struct Output {
    std::unique_ptr<libevdev_uinput, EvdevFree> device;
    std::string syspath, devnode;
  };
  Output keyboardOut_, pointerOut_;
  bool hasOutput() const { return keyboardOut_.device && pointerOut_.device; }
  std::map<int, Device> devices_;
  int nextId_ = 1;
  EvdevHookRouter router_{*this};

  ~Impl() override {
    router_.DisableKeyboardHook();
    router_.DisableMouseHook();
  }

  bool setGrab(int id, bool grab) override {
    auto it = devices_.find(id);
    return it != devices_.end() &&
           libevdev_grab(it->second.evdev.get(), grab ? LIBEVDEV_GRAB : LIBEVDEV_UNGRAB) == 0;
  }

  // Each part of the frame goes to the output that declares it, closed by its own report.
  void emitFrame(std::span<const input_event> events) override {
    if (!hasOutput()) return;
    for (Output* out : {&keyboardOut_, &pointerOut_}) {
      const UinputOutput kind =
          out == &keyboardOut_ ? UinputOutput::Keyboard : UinputOutput::Pointer;
      bool any = false;
      for (const input_event& ev : events) {
        if (OutputFor(ev.type, ev.code) != kind) continue;
        libevdev_uinput_write_event(out->device.get(), ev.type, ev.code, ev.value);
        any = true;
      }
      if (any) libevdev_uinput_write_event(out->device.get(), EV_SYN, SYN_REPORT, 0);
    }
  }

  bool isOwnOutput(udev_device* dev) const {
    udev_device* parent = udev_device_get_parent(dev);  // owned by dev
    const char* parentPath = parent ? udev_device_get_syspath(parent) : nullptr;
    const char* node = udev_device_get_devnode(dev);
    for (const Output* out : {&keyboardOut_, &pointerOut_})
      if ((parentPath && out->syspath == parentPath) || (node && out->devnode == node)) return true;
    return false;
  }

  bool known(const char* syspath) const {
    for (const auto& [id, d] : devices_)
      if (d.syspath == syspath) return true;
    return false;
  }

  OpenResult openDevice(udev_device* dev) {
    OpenResult r;
    const char* sysname = udev_device_get_sysname(dev);
    const char* node = udev_device_get_devnode(dev);
    const char* syspath = udev_device_get_syspath(dev);
    if (!sysname || std::strncmp(sysname, "event", 5) != 0 || !node || !syspath) return r;
    const bool keyboard = property(dev, "ID_INPUT_KEYBOARD");
    const bool mouse = property(dev, "ID_INPUT_MOUSE");
    const bool keys = property(dev, "ID_INPUT_KEY");  // media key pads, consumer controls
    if (!(keyboard || mouse || keys) || isOwnOutput(dev) || known(syspath)) return r;
    r.candidate = true;
    r.devnode = node;

    UniqueFd fd(::open(node, O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd) {
      r.error = errno;
      return r;
    }
    libevdev* raw = nullptr;
    if (const int rc = libevdev_new_from_fd(fd.get(), &raw); rc < 0) {
      r.error = -rc;
      return r;
    }
    std::unique_ptr<libevdev, EvdevFree> evdev(raw);
    // Every device on one clock, so that frames of different devices sort by time.
    libevdev_set_clock_id(evdev.get(), CLOCK_MONOTONIC);

    // The output device of this or another running copy: grabbing it would loop.
    if (const char* name = libevdev_get_name(evdev.get());
        name && std::strncmp(name, kOutputName, std::strlen(kOutputName)) == 0) {
      r.candidate = false;
      return r;
    }
    EvdevDeviceInfo info;
    info.keyboard = keyboard || (keys && sendsKnownKey(evdev.get()));
    info.mouse = mouse;
    if (!info.keyboard && !info.mouse) {
      r.candidate = false;  // only keys the recorder cannot name (power, brightness)
      return r;
    }
    info.grabbable = hasOutput() && reproducible(evdev.get());
    for (unsigned code = 0; code <= KEY_MAX; ++code)
      if (libevdev_has_event_code(evdev.get(), EV_KEY, code) &&
          libevdev_get_event_value(evdev.get(), EV_KEY, code))
        info.heldCodes.push_back(static_cast<uint16_t>(code));
    if (info.keyboard && libevdev_has_event_code(evdev.get(), EV_LED, LED_NUML))
      router_.setNumLock(libevdev_get_event_value(evdev.get(), EV_LED, LED_NUML) != 0);

    const int id = nextId_++;
    epoll_event ee{};
    ee.events = EPOLLIN;
    ee.data.u64 = static_cast<uint64_t>(id);
    if (::epoll_ctl(epoll_.get(), EPOLL_CTL_ADD, fd.get(), &ee) != 0) {
      r.error = errno;
      return r;
    }
    devices_[id] = Device{std::move(fd), std::move(evdev), syspath};
    router_.addDevice(id, std::move(info));
    r.opened = true;
    return r;
  }

  void closeDevice(int id) {
    auto it = devices_.find(id);
    if (it == devices_.end()) return;
    router_.removeDevice(id);
    ::epoll_ctl(epoll_.get(), EPOLL_CTL_DEL, it->second.fd.get(), nullptr);
    devices_.erase(it);
  }

  void readDevice(int id) {
    auto it = devices_.find(id);
    if (it == devices_.end()) return;
    libevdev* dev = it->second.evdev.get();
    for (int n = 0; n < kMaxEventsPerRead; ++n) {
      input_event ev{};
      int rc = libevdev_next_event(dev, LIBEVDEV_READ_FLAG_NORMAL, &ev);
      if (rc == LIBEVDEV_READ_STATUS_SYNC) {
        // Events were lost: the device's present state follows, as one frame.
        router_.feed(id, ev);
        while ((rc = libevdev_next_event(dev, LIBEVDEV_READ_FLAG_SYNC, &ev)) ==
               LIBEVDEV_READ_STATUS_SYNC)
          router_.feed(id, ev);
      } else if (rc == LIBEVDEV_READ_STATUS_SUCCESS) {
        router_.feed(id, ev);
        continue;
      }
      if (rc == -EAGAIN) return;
      if (rc < 0) {  // ENODEV: unplugged
        closeDevice(id);
        return;
      }
    }
  }

  void readMonitor() {
    while (UdevPtr<udev_device> dev{udev_monitor_receive_device(monitor_.get())}) {
      const char* action = udev_device_get_action(dev.get());
      const char* syspath = udev_device_get_syspath(dev.get());
      if (!action || !syspath) continue;
      if (std::strcmp(action, "add") == 0) {
        openDevice(dev.get());
      } else if (std::strcmp(action, "remove") == 0) {
        for (const auto& [id, d] : devices_) {
          if (d.syspath != syspath) continue;
          closeDevice(id);
          break;
        }
      }
    }
  }

  // One output device: the keyboard or the pointer.
  bool createOutput(UinputOutput kind, Output& out, HookProblem& problem) {
    std::unique_ptr<libevdev, EvdevFree> proto(libevdev_new());
    const std::string name =
        std::string(kOutputName) + (kind == UinputOutput::Keyboard ? " keyboard" : " pointer");
    libevdev_set_name(proto.get(), name.c_str());
    libevdev_set_id_bustype(proto.get(), BUS_VIRTUAL);
    libevdev_enable_event_type(proto.get(), EV_KEY);
    for (unsigned code = 0; code <= KEY_MAX; ++code)
      if (OutputHasKey(kind, code)) libevdev_enable_event_code(proto.get(), EV_KEY, code, nullptr);
    if (kind == UinputOutput::Pointer) {
      libevdev_enable_event_type(proto.get(), EV_REL);
      for (unsigned code = 0; code <= REL_MAX; ++code)
        if (OutputHasRel(kind, code))
          libevdev_enable_event_code(proto.get(), EV_REL, code, nullptr);
    }
    libevdev_uinput* device = nullptr;
    const int rc =
        libevdev_uinput_create_from_device(proto.get(), LIBEVDEV_UINPUT_OPEN_MANAGED, &device);
    if (rc < 0) {
      problem.missing = "/dev/uinput";
      if (rc == -EACCES || rc == -EPERM)
        problem.fix =
            "Permission denied: let the group \"input\" write it with the rule the package "
            "keeps: sudo cp /usr/share/doc/qorcfg51/examples/70-qorcfg51-input-hook.rules "
            "/etc/udev/rules.d/ && sudo udevadm trigger";
      else if (rc == -ENOENT || rc == -ENODEV)
        problem.fix = "Load the uinput module: sudo modprobe uinput";
      else
        problem.fix = "Creating the output device failed: " + errnoText(-rc) + ".";
      return false;
    }
    out.device.reset(device);
    if (const char* p = libevdev_uinput_get_syspath(device)) out.syspath = p;
    if (const char* p = libevdev_uinput_get_devnode(device)) out.devnode = p;
    return true;
  }

  bool createOutputs(HookProblem& problem) {
    if (createOutput(UinputOutput::Keyboard, keyboardOut_, problem) &&
        createOutput(UinputOutput::Pointer, pointerOut_, problem))
      return true;
    keyboardOut_ = {};
    pointerOut_ = {};
    return false;
  }

  bool start(HookProblem& problem) {
    udev_.reset(udev_new());
    epoll_.reset(::epoll_create1(EPOLL_CLOEXEC));
    if (!udev_ || !epoll_) {
      problem.missing = "/dev/input/event*";
      problem.fix = "The device list could not be read: " + errnoText(errno) + ".";
      return false;
    }
    // Without the output device nothing can be passed on, so nothing may be grabbed; the
    // devices are still tried first, as their access is the first thing to fix.
    HookProblem outputProblem;
    const bool output = createOutputs(outputProblem);

    // The monitor first, so that nothing plugged in during the enumeration is missed.
    monitor_.reset(udev_monitor_new_from_netlink(udev_.get(), "udev"));
    if (monitor_ &&
        (udev_monitor_filter_add_match_subsystem_devtype(monitor_.get(), "input", nullptr) < 0 ||
         udev_monitor_enable_receiving(monitor_.get()) < 0))
      monitor_.reset();
    if (monitor_) {
      epoll_event ee{};
      ee.events = EPOLLIN;
      ee.data.u64 = kMonitorTag;
      if (::epoll_ctl(epoll_.get(), EPOLL_CTL_ADD, udev_monitor_get_fd(monitor_.get()), &ee) != 0)
        monitor_.reset();  // then new devices are not followed
    }

    UdevPtr<udev_enumerate> list(udev_enumerate_new(udev_.get()));
    if (list) {
      udev_enumerate_add_match_subsystem(list.get(), "input");
      udev_enumerate_scan_devices(list.get());
    }
    int candidates = 0, denied = 0;
    OpenResult failure;
    udev_list_entry* entry = list ? udev_enumerate_get_list_entry(list.get()) : nullptr;
    for (; entry; entry = udev_list_entry_get_next(entry)) {
      UdevPtr<udev_device> dev(
          udev_device_new_from_syspath(udev_.get(), udev_list_entry_get_name(entry)));
      if (!dev) continue;
      OpenResult r = openDevice(dev.get());
      if (!r.candidate) continue;
      ++candidates;
      if (r.opened) continue;
      if (r.error == EACCES || r.error == EPERM)
        ++denied;
      else if (!failure.error)
        failure = r;
    }
    if (!devices_.empty()) {
      if (output) return true;
      problem = outputProblem;
      return false;
    }

    problem.missing = "/dev/input/event*";
    if (candidates == 0)
      problem.fix = "No keyboard or mouse is connected (or udev is not running); connect one.";
    else if (denied == candidates)
      problem.fix =
          "Permission denied: add yourself to the group \"input\" "
          "(sudo usermod -aG input $USER) and log in again.";
    else
      problem.fix = "Opening " + failure.devnode + " failed: " + errnoText(failure.error) + ".";
    return false;
  }
};

EvdevHookProvider::EvdevHookProvider(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
EvdevHookProvider::~EvdevHookProvider() = default;

std::shared_ptr<EvdevHookProvider> EvdevHookProvider::Open(HookProblem& problem) {
  auto impl = std::make_unique<Impl>();
  if (!impl->start(problem)) return nullptr;
  return std::shared_ptr<EvdevHookProvider>(new EvdevHookProvider(std::move(impl)));
}

void EvdevHookProvider::EnableKeyboardHook(TKeyboardHookCallback Callback) {
  impl_->router_.EnableKeyboardHook(std::move(Callback));
}
void EvdevHookProvider::DisableKeyboardHook() {
  impl_->router_.DisableKeyboardHook();
}
void EvdevHookProvider::EnableMouseHook(TMouseHookCallback Callback) {
  impl_->router_.EnableMouseHook(std::move(Callback));
}
void EvdevHookProvider::DisableMouseHook() {
  impl_->router_.DisableMouseHook();
}
bool EvdevHookProvider::IsKeyDown(uint32_t vkCode) const {
  return impl_->router_.IsKeyDown(vkCode);
}
int EvdevHookProvider::fd() const {
  return impl_->epoll_.get();
}

void EvdevHookProvider::dispatch() {
  epoll_event ready[32];
  const int n = ::epoll_wait(impl_->epoll_.get(), ready, 32, 0);
  for (int i = 0; i < n; ++i) {
    if (ready[i].data.u64 == kMonitorTag)
      impl_->readMonitor();
    else
      impl_->readDevice(static_cast<int>(ready[i].data.u64));
  }
  impl_->router_.flush();
}

std::vector<std::string> EvdevHookProvider::UngrabbedKeyboards() const {
  std::vector<std::string> names;
  for (int id : impl_->router_.ungrabbedKeyboards()) {
    auto it = impl_->devices_.find(id);
    if (it == impl_->devices_.end()) continue;
    const char* name = libevdev_get_name(it->second.evdev.get());
    names.push_back(name && *name ? name : it->second.syspath);
  }
  return names;
}

void EvdevHookProvider::SetPointerPosition(int32_t x, int32_t y) {
  impl_->router_.setPointerPosition(TPOINT{x, y});
}

HookProviderFactory EvdevHookProviderFactory() {
  return [](HookProblem& problem) -> std::shared_ptr<HookProvider> {
    return EvdevHookProvider::Open(problem);
  };
}

}  // namespace qor
