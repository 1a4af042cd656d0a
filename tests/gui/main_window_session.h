// SPDX-License-Identifier: GPL-2.0-or-later
// The main window with every service it uses, as the program's start builds it, in folders of
// its own: what the window tests open their windows from.
#pragma once

#include <QRect>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/gui/main_window.h"
#include "app/gui/settings_form.h"
#include "app/thread_call.h"
#include "gui/scripted_dialogs.h"
#include "platform/linux/linux_device_watcher.h"
#include "platform/linux/sqlite_registry.h"
#include "platform/linux/system_hid_backend.h"
#include "platform/paths.h"
#include "test_support/recording_pointer_settings.h"
#include "test_support/sim_process.h"
#include "test_support/temp_dir.h"
#include "widgets/bitmap_state_button.h"
#include "widgets/image_box.h"
#include "widgets/skin.h"

namespace qor::test {

// One user's folders for one test, and the environment pointing at them.
class Home {
 public:
  Home() {
    ::setenv("XDG_CONFIG_HOME", (dir_ / "config").c_str(), 1);
    ::setenv("XDG_DOCUMENTS_DIR", (dir_ / "docs").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (dir_ / "run").c_str(), 1);
    ::setenv("QORCFG51_SIM_DIR", simulators().c_str(), 1);
    std::filesystem::create_directories(simulators());
  }
  std::filesystem::path simulators() const { return dir_ / "run" / "sim"; }
  std::filesystem::path slotFile(int n) const {
    return dir_ / "docs" / "Tessaly Gaming Mouse" / ("QORProfile" + std::to_string(n) + ".PFX");
  }
  std::filesystem::path operator/(const std::string& name) const { return dir_ / name; }

 private:
  TempDir dir_;
};

// The monitor link, noting what the window tells it.
class NotedMonitor final : public MonitorLink {
 public:
  void Start() override { ++starts; }
  void Notify(uint32_t w, uint32_t l) override { notes.push_back({w, l}); }
  int starts = 0;
  std::vector<std::pair<uint32_t, uint32_t>> notes;
};

// The main window with every service it uses, as the program's start builds it.
struct Session {
  // `mouse`: the arguments of a virtual mouse plugged in before the start; `screen`: the area
  // the settings windows dock within.
  explicit Session(std::optional<std::vector<std::string>> mouse = std::nullopt,
                   QRect screen = QRect(0, 0, 1600, 900))
      : registry(SqliteRegistry::forThisUser()),
        dm({*registry, paths::documents(), paths::program()}, {}),
        backend(MakeSystemHidBackend()),
        pointer(std::make_shared<RecordingPointerSettings>()) {
    if (mouse) this->mouse = std::make_unique<SimProcess>(home.simulators(), *mouse);
    window = std::make_unique<TQorCfg51Main>(
        MainWindowServices{dm, *backend, MakeLinuxDeviceWatcher(home.simulators()), pointer,
                           monitor, paths::program(), [screen] { return screen; }});
    window->show();
  }
  ~Session() {
    window.reset();
    TuiThread::WaitForWorkers(std::chrono::seconds(3));
  }
  template <typename T = UiBitmapStateButton>
  T* part(const char* name) const {
    return window->findChild<T*>(name);
  }
  // Whether the model picture shows the program folder's picture `name`.
  bool shows(const char* name) const {
    const QImage expected = skin::LoadImage(paths::resolveInFolder(paths::program(), name));
    return !expected.isNull() && part<UiImage>("ImageLAYOUT")->Picture() == expected;
  }
  bool settingButtonsEnabled() const {
    bool all = true;
    for (const char* b : {"BSBTNAPPLY", "BSBTNBUTTONCONFIG", "BSBTNSENSITIVITYCONFIG",
                          "BSBTNADVANCEDSETTING", "BSBTNLIGHT"})
      all = all && part(b)->isEnabled();
    return all;
  }
  // The setting buttons work without a mouse, as with ENABLENODEVICE=1 in config.ini.
  void allowWithoutMouse() {
    dm.FModalsListInfo.EnableNoDevice = 1;
    window->DetectMouse();
  }
  TSettingsForm* form(SettingsWindow w) const { return window->SettingsForm(w); }
  void open(SettingsWindow w) {
    const char* names[] = {"BSBTNBUTTONCONFIG", "BSBTNSENSITIVITYCONFIG", "BSBTNADVANCEDSETTING",
                           "BSBTNLIGHT"};
    part(names[int(w)])->click();
  }

  Home home;
  std::unique_ptr<SimProcess> mouse;
  std::unique_ptr<SqliteRegistry> registry;
  TDM dm;
  std::unique_ptr<HidBackend> backend;
  std::shared_ptr<RecordingPointerSettings> pointer;
  NotedMonitor monitor;
  ScriptedDialogs dialogs;
  std::unique_ptr<TQorCfg51Main> window;
};

}  // namespace qor::test
