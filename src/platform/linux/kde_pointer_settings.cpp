// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/linux/kde_pointer_settings.h"

#include <systemd/sd-bus.h>

#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/ini_text.h"
#include "platform/linux/session_bus.h"
#include "platform/pointer_mapping.h"

namespace qor {
namespace {

constexpr const char* kKWin = "org.kde.KWin";
constexpr const char* kDeviceManagerPath = "/org/kde/KWin/InputDevice";
constexpr const char* kDeviceManager = "org.kde.KWin.InputDeviceManager";
constexpr const char* kDevice = "org.kde.KWin.InputDevice";
constexpr std::chrono::milliseconds kCallTimeout{500};

// The object paths of KWin's mice: pointer devices that are no touchpad (a mouse's settings
// have no business on the touchpad).
std::vector<std::string> kwinMice(sd_bus* bus) {
  sd_bus_error error = SD_BUS_ERROR_NULL;
  char** names = nullptr;
  const int r = sd_bus_get_property_strv(bus, kKWin, kDeviceManagerPath, kDeviceManager,
                                         "devicesSysNames", &error, &names);
  sd_bus_error_free(&error);
  std::vector<std::string> mice;
  if (r < 0 || !names) return mice;
  for (char** n = names; *n; ++n) {
    const std::string path = std::string(kDeviceManagerPath) + "/" + *n;
    int pointer = 0, touchpad = 0;
    sd_bus_get_property_trivial(bus, kKWin, path.c_str(), kDevice, "pointer", &error, 'b',
                                &pointer);
    sd_bus_error_free(&error);
    sd_bus_get_property_trivial(bus, kKWin, path.c_str(), kDevice, "touchpad", &error, 'b',
                                &touchpad);
    sd_bus_error_free(&error);
    if (pointer && !touchpad) mice.push_back(path);
    std::free(*n);
  }
  std::free(names);
  return mice;
}

class KdePointerSettings final : public PointerSettings {
 public:
  KdePointerSettings(std::filesystem::path configHome, std::unique_ptr<PointerSettings> x11)
      : configHome_(std::move(configHome)), x11_(std::move(x11)) {}

  std::string desktop() const override { return "KDE"; }

  bool setAcceleration(int preset, const PointerAccelerationPreset& values) override {
    const bool flat = GnomeAccelProfile(preset) == "flat";
    if (setOnMice([&](sd_bus* bus, const char* path) {
          return setBool(bus, path, "pointerAccelerationProfileFlat", flat) &&
                 setBool(bus, path, "pointerAccelerationProfileAdaptive", !flat);
        }))
      return true;
    // A Plasma X11 session: the X server now, kcminputrc from the next login on.
    const bool saved = writeSetting("kcminputrc", "Mouse", "X11LibInputXAccelProfileFlat",
                                    flat ? "true" : "false");
    const bool now = x11_ && x11_->setAcceleration(preset, values);
    return saved || now;
  }

  bool setSpeed(int speed) override {
    const double value = GnomeSpeedFromWindows(speed);
    if (setOnMice([&](sd_bus* bus, const char* path) {
          sd_bus_error error = SD_BUS_ERROR_NULL;
          const int r = sd_bus_set_property(bus, kKWin, path, kDevice, "pointerAcceleration",
                                            &error, "d", value);
          sd_bus_error_free(&error);
          return r >= 0;
        }))
      return true;
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", value);
    return writeSetting("kcminputrc", "Mouse", "XLbInptPointerAcceleration", text);
  }

  bool setWheelScrollLines(int lines) override {
    // KDE has no one-page-per-notch setting: the value that means it is skipped.
    if (lines < 1 || lines >= 30) return false;
    return writeSetting("kdeglobals", "KDE", "WheelScrollLines", std::to_string(lines)) &&
           notifyMouseSettingsChanged();
  }

  bool setDoubleClickTime(int ms) override {
    return writeSetting("kdeglobals", "KDE", "DoubleClickInterval", std::to_string(ms)) &&
           notifyMouseSettingsChanged();
  }

 private:
  // Runs `set` on every mouse KWin knows; false when KWin offers none or a set failed.
  template <typename Set>
  bool setOnMice(Set&& set) {
    SessionBus bus = OpenSessionBus(kCallTimeout);
    if (!bus) return false;
    const std::vector<std::string> mice = kwinMice(bus.get());
    bool all = !mice.empty();
    for (const std::string& path : mice) all = set(bus.get(), path.c_str()) && all;
    return all;
  }

  static bool setBool(sd_bus* bus, const char* path, const char* property, bool value) {
    sd_bus_error error = SD_BUS_ERROR_NULL;
    const int r = sd_bus_set_property(bus, kKWin, path, kDevice, property, &error, "b", int(value));
    sd_bus_error_free(&error);
    return r >= 0;
  }

  // Sets one key in one of Plasma's settings files, keeping the rest of the file.
  bool writeSetting(const char* file, const char* group, const char* key,
                    const std::string& value) {
    // Workers of two quick Applies may overlap; each file is read and replaced whole.
    std::lock_guard lock(mutex_);
    std::error_code ec;
    std::filesystem::create_directories(configHome_, ec);
    return !rewriteTextFile(configHome_ / file,
                            [&](std::string text) { return SetIniValue(text, group, key, value); });
  }

  // KDE programs re-read their mouse settings on KGlobalSettings' change signal.
  static bool notifyMouseSettingsChanged() {
    SessionBus bus = OpenSessionBus(kCallTimeout);
    if (!bus) return true;  // the file holds the setting; programs read it when they start
    constexpr int kSettingsChanged = 3, kSettingsMouse = 0;
    sd_bus_emit_signal(bus.get(), "/KGlobalSettings", "org.kde.KGlobalSettings", "notifyChange",
                       "ii", kSettingsChanged, kSettingsMouse);
    return true;
  }

  std::filesystem::path configHome_;
  std::unique_ptr<PointerSettings> x11_;
  std::mutex mutex_;
};

}  // namespace

std::unique_ptr<PointerSettings> MakeKdePointerSettings(std::filesystem::path configHome,
                                                        std::unique_ptr<PointerSettings> x11) {
  return std::make_unique<KdePointerSettings>(std::move(configHome), std::move(x11));
}

}  // namespace qor
