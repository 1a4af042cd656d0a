// SPDX-License-Identifier: GPL-2.0-or-later
// TQorCfg51Main: the main window. Shows the connected mouse model, opens the four settings
// windows beside itself, runs Apply, follows plug and unplug, and exits.
#pragma once

#include <QRect>
#include <QTimer>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/apply_sequence.h"
#include "app/docking.h"
#include "app/gui/settings_services.h"
#include "app/model_detection.h"
#include "device/device_watcher.h"
#include "device/hid_backend.h"
#include "device/hid_data.h"
#include "device/hid_event_ex.h"
#include "model/data_module.h"
#include "platform/monitor_link.h"
#include "platform/pointer_settings.h"
#include "ui/language.h"
#include "widgets/scene_window.h"

class QSocketNotifier;

namespace qor {

class UiLayout;
class UiImage;
class UiBitmapStateButton;
class UiAniIndicator;
class UiStatusLabel;
class TSettingsForm;

// What the main window works with; the program's start hands in the real services.
struct MainWindowServices {
  TDM& dm;
  HidBackend& backend;                     // every HID interface of the machine
  std::unique_ptr<DeviceWatcher> watcher;  // plug and unplug; null: none followed
  std::shared_ptr<PointerSettings> pointer;
  MonitorLink& monitor;
  std::filesystem::path program;  // the program folder
  // The screen area the settings windows dock within; empty: the primary screen's.
  std::function<QRect()> screenArea;
  // The file dialogs of the settings windows; null: the desktop's own.
  FileDialogs* files = nullptr;
};

inline constexpr const char* kMainWindowClass = "TQorCfg51Main";
inline constexpr const char* kApplicationTitle = "Gaming Mouse Driver";
inline constexpr const char* kExitQuestionTitle = "Warning";
inline constexpr const char* kExitQuestionText =
    "The settings was changed, save the current setting anyway?";
inline constexpr int kHIDArrivalMs = 2000;

// The status line's text after an Apply, in the current language.
QString ApplyStatusLine(ApplyResult result, bool saved);

class TQorCfg51Main : public UiScene {
 public:
  static constexpr int kWidth = 492, kHeight = 604;

  // Builds the window and runs FormCreate; the window stays hidden until shown.
  explicit TQorCfg51Main(MainWindowServices services);
  ~TQorCfg51Main() override;

  // Opens or closes a settings window beside the main window (the four buttons).
  void BSBTNBUTTONCONFIGClick() { OpenSettingsForm(SettingsWindow::ButtonAssignment); }
  void BSBTNSENSITIVITYCONFIGClick() { OpenSettingsForm(SettingsWindow::Sensitivity); }
  void BSBTNADVANCEDSETTINGClick() { OpenSettingsForm(SettingsWindow::AdvancedSettings); }
  void BSBTNLIGHTClick() { OpenSettingsForm(SettingsWindow::Lighting); }
  // Runs Apply with the Apply button disabled; the warning when no mouse answered.
  void BSBTNAPPLYClick();
  // Closes the window, which asks first to save what changed since the last Apply.
  void BSBTNEXITClick() { close(); }
  // Message 7046: refreshes every settings window and shows the LED on the mouse when the
  // lighting window exists.
  void MainFormUpdate();
  // Saves what changed, without a question, where none can be asked: the program ends by a
  // signal or with the desktop session. Nothing once the window was closed, which asked.
  void SaveUnaskedChanges();

  // Reads the model number and shows its picture; enables the setting buttons.
  void DetectMouse();
  // Whether anything changed since the last Apply (or the start): what Exit asks about.
  bool SettingsChanged() const { return FDM.HasUnsavedChanges(); }
  const ModelDetection& Detection() const { return FDetection; }
  // The settings window of `which`, null until first opened.
  TSettingsForm* SettingsForm(SettingsWindow which) const;
  TuiLanguage& Language() { return uiLanguage1; }
  // The delayed re-detection after plug and unplug notifications.
  const QTimer& HIDArrivalTimer() const { return TimerHIDArrival; }

 protected:
  void AfterTranslate() override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildScene();
  void FormCreate();
  void FormClose();
  void TimerHIDArrivalTimer();
  void uiHIDEventEx1NewDeviceArrival(const std::vector<std::string>& ANewDevicesList);
  void uiHIDEventEx1PresentDeviceRemoval(const std::vector<std::string>& ARemovalDevicesList);
  void uiLanguage1LanguageChanged();
  void restartArrivalTimerFor(const std::vector<std::string>& identities);
  void readDeviceChanges();
  void loadCursors();
  void showLogo();
  void setImageFolder();
  void updateButtonsEnabled();
  // The status line: the last Apply's outcome in the current language, empty before one.
  void showApplyStatus();
  // Tells the user, once per plug-in, of a mouse this user may not open, and the fix.
  void tellAccessProblems();
  void OpenSettingsForm(SettingsWindow which);
  TSettingsForm* createSettingsForm(SettingsWindow which);
  SettingsServices settingsServices();
  QRect screenArea() const;

  MainWindowServices FServices;
  TDM& FDM;
  DesktopFileDialogs FDesktopFiles;
  std::vector<std::string> FIncludeHidDeviceList;
  TuiLanguage uiLanguage1;
  TuiHIDData uiHIDData1;
  TuiHIDEventEx uiHIDEventEx1;
  ApplySequence FApply;
  QTimer TimerHIDArrival;
  QTimer FTimerToStartMonitor;  // uiHIDEventEx1's start timer
  QSocketNotifier* FWatcherNotifier = nullptr;
  bool FClosed = false;  // the close question was asked (or had no reason to be)
  bool FApplying = false;
  bool FSettingButtonsEnabled = false;
  struct ApplyOutcome {
    ApplyResult result;
    bool saved;
  };
  std::optional<ApplyOutcome> FApplyOutcome;  // none while Apply runs and before the first
  ModelDetection FDetection;
  std::set<std::string> FAccessTold;  // nodes whose missing access the user was told of
  std::array<TSettingsForm*, 4> FForms{};

  UiLayout* LayoutTOP;
  UiLayout* LayoutCLIENT;
  UiLayout* LayoutLeft;
  UiLayout* LayoutPicture;
  UiLayout* LayoutRight;
  UiLayout* LayoutBOTTOM;
  UiImage* ImageLAYOUT;
  UiBitmapStateButton* BSBTNBUTTONCONFIG;
  UiBitmapStateButton* BSBTNSENSITIVITYCONFIG;
  UiBitmapStateButton* BSBTNADVANCEDSETTING;
  UiBitmapStateButton* BSBTNLIGHT;
  UiBitmapStateButton* BSBTNAPPLY;
  UiBitmapStateButton* BSBTNEXIT;
  UiBitmapStateButton* BSBTNTEXTLOGO;
  UiAniIndicator* APPLYAniIndicator;
  UiStatusLabel* LabelSTATUS;
};

}  // namespace qor
