// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/linux/desktop_pointer_settings.h"

#include <cmath>
#include <cstdlib>
#include <mutex>
#include <string_view>

#include "platform/linux/kde_pointer_settings.h"
#include "platform/linux/shared_library.h"
#include "platform/paths.h"
#include "platform/pointer_mapping.h"

namespace qor {
namespace {

constexpr const char* kGnomeMouseSchema = "org.gnome.desktop.peripherals.mouse";

class GnomePointerSettings final : public PointerSettings {
 public:
  bool load() {
    if (!gio_) return false;
    bool all = gio_.bind(sourceGetDefault_, "g_settings_schema_source_get_default") &&
               gio_.bind(sourceLookup_, "g_settings_schema_source_lookup") &&
               gio_.bind(schemaHasKey_, "g_settings_schema_has_key") &&
               gio_.bind(schemaUnref_, "g_settings_schema_unref") &&
               gio_.bind(settingsNew_, "g_settings_new") &&
               gio_.bind(setDouble_, "g_settings_set_double") &&
               gio_.bind(setString_, "g_settings_set_string") &&
               gio_.bind(setInt_, "g_settings_set_int") && gio_.bind(sync_, "g_settings_sync") &&
               gio_.bind(getDouble_, "g_settings_get_double") &&
               gio_.bind(getString_, "g_settings_get_string") && gio_.bind(free_, "g_free") &&
               gio_.bind(objectUnref_, "g_object_unref");
    if (!all) return false;
    void* source = sourceGetDefault_();
    void* schema = source ? sourceLookup_(source, kGnomeMouseSchema, 1) : nullptr;
    if (!schema) return false;  // g_settings_new would abort on a missing schema
    hasDoubleClick_ = schemaHasKey_(schema, "double-click");
    hasSpeed_ = schemaHasKey_(schema, "speed");
    hasAccelProfile_ = schemaHasKey_(schema, "accel-profile");
    schemaUnref_(schema);
    return true;
  }

  std::string desktop() const override { return "GNOME"; }

  PointerSetResult setAcceleration(int preset, const PointerAccelerationPreset&) override {
    if (!hasAccelProfile_) return false;
    return write(
        [&](void* s) { return setString_(s, "accel-profile", GnomeAccelProfile(preset).c_str()); });
  }
  PointerSetResult setSpeed(int speed) override {
    if (!hasSpeed_) return false;
    return write([&](void* s) { return setDouble_(s, "speed", GnomeSpeedFromWindows(speed)); });
  }
  PointerSetResult setWheelScrollLines(int) override { return false; }
  PointerSetResult setDoubleClickTime(int ms) override {
    if (!hasDoubleClick_) return false;
    return write([&](void* s) { return setInt_(s, "double-click", ms); });
  }

  bool holdsAcceleration(int preset, const PointerAccelerationPreset&) override {
    if (!hasAccelProfile_) return false;
    bool same = false;
    read([&](void* s) {
      char* profile = getString_(s, "accel-profile");
      same = profile && GnomeAccelProfile(preset) == profile;
      free_(profile);
    });
    return same;
  }
  bool holdsSpeed(int speed) override {
    if (!hasSpeed_) return false;
    bool same = false;
    // The stored double may have been rounded by another program: a hair's difference is
    // the same speed.
    read([&](void* s) {
      same = std::fabs(getDouble_(s, "speed") - GnomeSpeedFromWindows(speed)) < 1e-6;
    });
    return same;
  }

 private:
  template <typename Get>
  void read(Get&& get) {
    void* settings = settingsNew_(kGnomeMouseSchema);
    if (!settings) return;
    get(settings);
    objectUnref_(settings);
  }

  // A settings object per write: the calls may come from short-lived worker threads.
  template <typename Set>
  bool write(Set&& set) {
    void* settings = settingsNew_(kGnomeMouseSchema);
    if (!settings) return false;
    const bool done = set(settings) != 0;
    sync_();  // the worker may end right after; make the write reach the settings store
    objectUnref_(settings);
    return done;
  }

  SharedLibrary gio_{"libgio-2.0.so.0"};
  void* (*sourceGetDefault_)() = nullptr;
  void* (*sourceLookup_)(void*, const char*, int) = nullptr;
  int (*schemaHasKey_)(void*, const char*) = nullptr;
  void (*schemaUnref_)(void*) = nullptr;
  void* (*settingsNew_)(const char*) = nullptr;
  int (*setDouble_)(void*, const char*, double) = nullptr;
  int (*setString_)(void*, const char*, const char*) = nullptr;
  int (*setInt_)(void*, const char*, int) = nullptr;
  void (*sync_)() = nullptr;
  double (*getDouble_)(void*, const char*) = nullptr;
  char* (*getString_)(void*, const char*) = nullptr;
  void (*free_)(void*) = nullptr;
  void (*objectUnref_)(void*) = nullptr;
  bool hasDoubleClick_ = false, hasSpeed_ = false, hasAccelProfile_ = false;
};

class X11PointerSettings final : public PointerSettings {
 public:
  explicit X11PointerSettings(std::string display) : display_(std::move(display)) {}
  ~X11PointerSettings() override {
    if (dpy_) closeDisplay_(dpy_);
  }

  // Keeps one connection: an X server with no client left resets itself and refuses new
  // connections for a moment, which a connection per call would run into.
  bool load() {
    if (!(x11_ && x11_.bind(openDisplay_, "XOpenDisplay") &&
          x11_.bind(closeDisplay_, "XCloseDisplay") &&
          x11_.bind(changePointerControl_, "XChangePointerControl") &&
          x11_.bind(getPointerControl_, "XGetPointerControl") && x11_.bind(flush_, "XFlush")))
      return false;
    dpy_ = openDisplay_(display_.empty() ? nullptr : display_.c_str());
    return dpy_ != nullptr;
  }

  std::string desktop() const override { return "X11"; }

  PointerSetResult setAcceleration(int, const PointerAccelerationPreset& values) override {
    // Workers of two quick Applies may overlap; Xlib wants one caller at a time.
    std::lock_guard lock(mutex_);
    const X11PointerControl c = X11ControlFromPreset(values);
    changePointerControl_(dpy_, 1, 1, c.numerator, c.denominator, c.threshold);
    flush_(dpy_);
    return true;
  }
  PointerSetResult setSpeed(int) override { return false; }
  PointerSetResult setWheelScrollLines(int) override { return false; }
  PointerSetResult setDoubleClickTime(int) override { return false; }

  bool holdsAcceleration(int, const PointerAccelerationPreset& values) override {
    std::lock_guard lock(mutex_);
    const X11PointerControl c = X11ControlFromPreset(values);
    int numerator = 0, denominator = 0, threshold = 0;
    getPointerControl_(dpy_, &numerator, &denominator, &threshold);
    // The server keeps the fraction as given; a multiplier of 1 has no threshold to keep.
    return numerator * c.denominator == c.numerator * denominator &&
           (c.numerator == c.denominator || threshold == c.threshold);
  }

 private:
  std::string display_;
  SharedLibrary x11_{"libX11.so.6"};
  std::mutex mutex_;
  void* dpy_ = nullptr;
  void* (*openDisplay_)(const char*) = nullptr;
  int (*closeDisplay_)(void*) = nullptr;
  int (*changePointerControl_)(void*, int, int, int, int, int) = nullptr;
  int (*getPointerControl_)(void*, int*, int*, int*) = nullptr;
  int (*flush_)(void*) = nullptr;
};

class NoPointerSettings final : public PointerSettings {
 public:
  std::string desktop() const override { return "none"; }
  PointerSetResult setAcceleration(int, const PointerAccelerationPreset&) override { return false; }
  PointerSetResult setSpeed(int) override { return false; }
  PointerSetResult setWheelScrollLines(int) override { return false; }
  PointerSetResult setDoubleClickTime(int) override { return false; }
};

// Whether XDG_CURRENT_DESKTOP names one of `names`.
bool sessionIsOneOf(std::initializer_list<std::string_view> names) {
  const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
  if (!desktop) return false;
  const std::string_view d(desktop);
  for (std::string_view name : names)
    if (d.find(name) != std::string_view::npos) return true;
  return false;
}

}  // namespace

std::unique_ptr<PointerSettings> MakeGnomePointerSettings() {
  auto s = std::make_unique<GnomePointerSettings>();
  if (!s->load()) return nullptr;
  return s;
}

std::unique_ptr<PointerSettings> MakeX11PointerSettings(const std::string& display) {
  auto s = std::make_unique<X11PointerSettings>(display);
  if (!s->load()) return nullptr;
  return s;
}

std::unique_ptr<PointerSettings> MakeNoPointerSettings() {
  return std::make_unique<NoPointerSettings>();
}

std::unique_ptr<PointerSettings> MakeDesktopPointerSettings() {
  // GNOME and the desktops that keep GNOME's mouse settings.
  if (sessionIsOneOf({"GNOME", "Unity", "Budgie", "Pantheon"}))
    if (auto gnome = MakeGnomePointerSettings()) return gnome;
  if (sessionIsOneOf({"KDE"}))
    return MakeKdePointerSettings(paths::configHome(),
                                  std::getenv("DISPLAY") ? MakeX11PointerSettings() : nullptr);
  if (std::getenv("DISPLAY"))
    if (auto x11 = MakeX11PointerSettings()) return x11;
  return MakeNoPointerSettings();
}

}  // namespace qor
