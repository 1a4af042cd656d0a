// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/linux/kde_pointer_settings.h"

#include <systemd/sd-bus.h>

#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "platform/linux/kde_settings_file.h"
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

  PointerSetResult setAcceleration(int preset, const PointerAccelerationPreset& values) override {
    const bool flat = GnomeAccelProfile(preset) == "flat";
    if (setOnMice([&](sd_bus* bus, const char* path) {
          return setBool(bus, path, "pointerAccelerationProfileFlat", flat) &&
                 setBool(bus, path, "pointerAccelerationProfileAdaptive", !flat);
        }))
      return true;
    // A Plasma X11 session: the X server now, kcminputrc from the next login on. A file that
    // refused the value is reported though the X server took it: it would be lost at logout.
    const PointerSetResult saved = writeSetting(
        "kcminputrc", "Mouse", "X11LibInputXAccelProfileFlat", flat ? "true" : "false");
    const bool now = x11_ && x11_->setAcceleration(preset, values);
    if (saved.refused()) return saved;
    return saved || now;
  }

  PointerSetResult setSpeed(int speed) override {
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

  PointerSetResult setWheelScrollLines(int lines) override {
    // KDE has no one-page-per-notch setting: the value that means it is skipped.
    if (lines < 1 || lines >= 30) return false;
    return writeMouseSetting("WheelScrollLines", std::to_string(lines));
  }

  PointerSetResult setDoubleClickTime(int ms) override {
    return writeMouseSetting("DoubleClickInterval", std::to_string(ms));
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
  PointerSetResult writeSetting(const std::string& file, const char* group, const char* key,
                                const std::string& value) {
    // Workers of two quick Applies may overlap; each file is read and replaced whole.
    std::lock_guard lock(mutex_);
    if (auto problem = WriteKdeSetting(configHome_, file, group, key, value))
      return PointerSetResult::Refused(std::move(*problem));
    return true;
  }

  // Sets one of the mouse settings in kdeglobals that every KDE program reads.
  PointerSetResult writeMouseSetting(const char* key, const std::string& value) {
    PointerSetResult written = writeSetting("kdeglobals", "KDE", key, value);
    if (written) notifyMouseSettingsChanged();
    return written;
  }

  // KDE programs re-read their mouse settings on KGlobalSettings' change signal; without a
  // session bus they read the file when they start.
  static void notifyMouseSettingsChanged() {
    SessionBus bus = OpenSessionBus(kCallTimeout);
    if (!bus) return;
    constexpr int kSettingsChanged = 3, kSettingsMouse = 0;
    sd_bus_emit_signal(bus.get(), "/KGlobalSettings", "org.kde.KGlobalSettings", "notifyChange",
                       "ii", kSettingsChanged, kSettingsMouse);
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
