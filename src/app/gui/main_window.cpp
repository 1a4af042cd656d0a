// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/gui/main_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QSessionManager>
#include <QSocketNotifier>

#include "app/apply_status.h"
#include "app/gui/advanced_setting_form.h"
#include "app/gui/button_config_form.h"
#include "app/gui/dialog_presenter.h"
#include "app/gui/light_config_form.h"
#include "app/gui/sensitivity_form.h"
#include "device/mouse_access.h"
#include "model/include_list.h"
#include "platform/paths.h"
#include "protocol/device_commands.h"
#include "protocol/profile_blocks.h"
#include "ui/image_cache.h"
#include "ui/locale_table.h"
#include "widgets/bitmap_state_button.h"
#include "widgets/busy_indicator.h"
#include "widgets/image_box.h"
#include "widgets/layout.h"
#include "widgets/qt_text.h"
#include "widgets/skin.h"
#include "widgets/status_label.h"

namespace qor {
namespace {

constexpr int index(SettingsWindow w) {
  return static_cast<int>(w);
}

}  // namespace

QString ApplyStatusLine(ApplyResult result, bool saved) {
  QStringList sentences;
  for (std::string_view text : ApplyStatusTexts(result, saved))
    sentences << TranslateText(QString::fromUtf8(text.data(), qsizetype(text.size())));
  return sentences.join(' ');
}

namespace {

QImage toQImage(const RgbaImage& picture) {
  QImage image(reinterpret_cast<const uchar*>(picture.Pixels.data()), int(picture.Width),
               int(picture.Height), int(picture.Width * 4), QImage::Format_RGBA8888);
  return image.copy();  // the cache keeps its own pixels
}

UiBitmapStateButton* skinButton(QWidget* parent, const char* name, const QRect& geometry,
                                const char* skinName) {
  auto* button = new UiBitmapStateButton(parent, name, geometry);
  button->SetSkinBitmaps(skinName);
  return button;
}

}  // namespace

TQorCfg51Main::TQorCfg51Main(MainWindowServices services)
    : UiScene(nullptr, kMainWindowClass, kWidth, kHeight),
      FServices(std::move(services)),
      FDM(FServices.dm),
      FIncludeHidDeviceList(ReadIncludeList(FServices.program)),
      uiLanguage1({TranslationService(), FServices.program, SystemLocaleName()}),
      uiHIDData1(FServices.backend, FIncludeHidDeviceList),
      uiHIDEventEx1(FServices.backend),
      FApply(FDM, uiHIDData1, FServices.pointer, FServices.monitor) {
  buildScene();
  FormCreate();
}

TQorCfg51Main::~TQorCfg51Main() {
  FDM.OnMainFormUpdate = nullptr;
  if (MainForm() == this) SetMainForm(nullptr);
  FormClose();
}

void TQorCfg51Main::buildScene() {
  SetBackground("bg_main.png");
  LayoutTOP = new UiLayout(this, "LayoutTOP", QRect(0, 0, kWidth, 109));
  LayoutTOP->SetAlign(UiAlign::Top);
  LayoutBOTTOM = new UiLayout(this, "LayoutBOTTOM", QRect(0, 0, kWidth, 137));
  LayoutBOTTOM->SetAlign(UiAlign::Bottom);
  LayoutCLIENT = new UiLayout(this, "LayoutCLIENT");
  LayoutCLIENT->SetAlign(UiAlign::Client);

  LayoutLeft = new UiLayout(LayoutCLIENT, "LayoutLeft", QRect(0, 0, 160, 358));
  LayoutLeft->SetAlign(UiAlign::Left);
  LayoutRight = new UiLayout(LayoutCLIENT, "LayoutRight", QRect(0, 0, 145, 358));
  LayoutRight->SetAlign(UiAlign::Right);
  LayoutPicture = new UiLayout(LayoutCLIENT, "LayoutPicture");
  LayoutPicture->SetAlign(UiAlign::Client);
  ImageLAYOUT = new UiImage(LayoutPicture, "ImageLAYOUT");
  ImageLAYOUT->SetPadding(QMargins(10, 0, 10, 0));
  ImageLAYOUT->SetAlign(UiAlign::Client);

  // Button boxes overlap: the lower button of each pair is created last, so it lies on top.
  BSBTNBUTTONCONFIG =
      skinButton(LayoutLeft, "BSBTNBUTTONCONFIG", QRect(60, 101, 67, 111), "buttons");
  BSBTNSENSITIVITYCONFIG =
      skinButton(LayoutLeft, "BSBTNSENSITIVITYCONFIG", QRect(66, 182, 39, 106), "sensitivity");
  BSBTNADVANCEDSETTING =
      skinButton(LayoutRight, "BSBTNADVANCEDSETTING", QRect(40, 98, 55, 100), "advanced");
  BSBTNLIGHT = skinButton(LayoutRight, "BSBTNLIGHT", QRect(53, 185, 40, 100), "light");
  BSBTNAPPLY = skinButton(LayoutBOTTOM, "BSBTNAPPLY", QRect(111, 8, 69, 109), "apply");
  BSBTNEXIT = skinButton(LayoutBOTTOM, "BSBTNEXIT", QRect(320, 0, 80, 119), "exit");
  BSBTNTEXTLOGO = new UiBitmapStateButton(LayoutBOTTOM, "BSBTNTEXTLOGO", QRect(190, 20, 130, 51));
  BSBTNTEXTLOGO->SetHitTest(false);
  BSBTNTEXTLOGO->SetHandCursor(false);
  // Below the logo's subtitle, between Apply and Exit.
  APPLYAniIndicator = new UiAniIndicator(LayoutBOTTOM, "APPLYAniIndicator", QRect(235, 76, 40, 40));
  APPLYAniIndicator->hide();
  // Apply's outcome in the window itself, where no desktop notification may reach the user:
  // below the title band's glowing line, two lines at the most.
  LabelSTATUS = new UiStatusLabel(LayoutTOP, "LabelSTATUS", QRect(24, 75, kWidth - 48, 32));
  LabelSTATUS->SetFontSize(11);
  LabelSTATUS->SetAutoTranslate(false);  // built from several translated sentences
  LabelSTATUS->SetAccessibleText("Status");
  // Picture buttons: the hint also names the button for assistive technology.
  for (auto [button, text] :
       {std::pair{BSBTNBUTTONCONFIG, "Button Assignment"},
        std::pair{BSBTNSENSITIVITYCONFIG, "Sensitivity"},
        std::pair{BSBTNADVANCEDSETTING, "Advanced Settings"}, std::pair{BSBTNLIGHT, "Lighting"},
        std::pair{BSBTNAPPLY, "Apply"}, std::pair{BSBTNEXIT, "Exit"}}) {
    button->SetHint(text);
    button->SetAccessibleText(text);
  }
  BSBTNTEXTLOGO->SetAccessibleText(kApplicationTitle);

  BSBTNBUTTONCONFIG->OnClick = [this](UiBitmapStateButton&) { BSBTNBUTTONCONFIGClick(); };
  BSBTNSENSITIVITYCONFIG->OnClick = [this](UiBitmapStateButton&) { BSBTNSENSITIVITYCONFIGClick(); };
  BSBTNADVANCEDSETTING->OnClick = [this](UiBitmapStateButton&) { BSBTNADVANCEDSETTINGClick(); };
  BSBTNLIGHT->OnClick = [this](UiBitmapStateButton&) { BSBTNLIGHTClick(); };
  BSBTNAPPLY->OnClick = [this](UiBitmapStateButton&) { BSBTNAPPLYClick(); };
  BSBTNEXIT->OnClick = [this](UiBitmapStateButton&) { BSBTNEXITClick(); };

  TimerHIDArrival.setInterval(kHIDArrivalMs);
  connect(&TimerHIDArrival, &QTimer::timeout, this, [this] { TimerHIDArrivalTimer(); });
}

void TQorCfg51Main::FormCreate() {
  SetMainForm(this);
  const QRect area = screenArea();
  move(area.left() + (area.width() - kWidth) / 2, area.top() + (area.height() - kHeight) / 2);
  FDM.OnMainFormUpdate = [this] { MainFormUpdate(); };
  // A signal or the session's end leaves no room for a question: what changed is saved.
  connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { SaveUnaskedChanges(); });
#ifndef QT_NO_SESSIONMANAGER
  connect(qApp, &QGuiApplication::commitDataRequest, this, [this] { SaveUnaskedChanges(); });
#endif
  loadCursors();

  // Plug and unplug: the watcher's notifications feed the identity scan, whose findings
  // restart the detection timer.
  uiHIDEventEx1.OnNewDeviceArrival = [this](const std::vector<std::string>& list) {
    uiHIDEventEx1NewDeviceArrival(list);
  };
  uiHIDEventEx1.OnPresentDeviceRemoval = [this](const std::vector<std::string>& list) {
    uiHIDEventEx1PresentDeviceRemoval(list);
  };
  if (FServices.watcher && FServices.watcher->fd() >= 0) {
    FWatcherNotifier = new QSocketNotifier(FServices.watcher->fd(), QSocketNotifier::Read, this);
    connect(FWatcherNotifier, &QSocketNotifier::activated, this, [this] { readDeviceChanges(); });
  }
  QTimer::singleShot(0, this, [this] { uiHIDEventEx1.DeviceNodesChanged(); });
  FTimerToStartMonitor.setSingleShot(true);
  FTimerToStartMonitor.setInterval(TuiHIDEventEx::kStartTimerMs);
  connect(&FTimerToStartMonitor, &QTimer::timeout, this,
          [this] { uiHIDEventEx1.StartTimerFired(); });
  FTimerToStartMonitor.start();

  DetectMouse();

  uiLanguage1.OnLanguageChanged = [this](TuiLanguage&, const std::u16string&,
                                         const std::u16string&) { uiLanguage1LanguageChanged(); };
  uiLanguage1.ChooseStartupLanguage(FDM.FAllProfileSettingInfo.CurrentLanguage);
  setImageFolder();
  showLogo();
  AfterTranslate();

  FServices.monitor.Start();
}

void TQorCfg51Main::loadCursors() {
  QCursor hand = skin::HandCursor(), arrow = skin::ArrowCursor();
  // A missing cursor file leaves the system's cursor.
  skin::LoadCursorFile(paths::resolveInFolder(FServices.program, "images\\hand.cur"), hand);
  skin::LoadCursorFile(paths::resolveInFolder(FServices.program, "images\\attack.cur"), arrow);
  skin::SetCursors(hand, arrow);
  setCursor(arrow);
}

void TQorCfg51Main::setImageFolder() {
  ImageDataBase().SetImageBasePath(
      LanguageImageFolder(FServices.program, uiLanguage1.Lang()).string());
}

void TQorCfg51Main::showLogo() {
  RgbaImage picture;
  qreal ratio = 1.0;
  // The sharper twin on screens of device pixel ratio 2.
  if (devicePixelRatioF() > 1.0 && ImageDataBase().AssignIMAGE(picture, "mainlogo@2x.png", "", ""))
    ratio = 2.0;
  else if (!ImageDataBase().AssignIMAGE(picture, "mainlogo.png", "", ""))
    return;
  QImage logo = toQImage(picture);
  logo.setDevicePixelRatio(ratio);
  BSBTNTEXTLOGO->SetBitmaps(logo, logo, logo);
}

void TQorCfg51Main::uiLanguage1LanguageChanged() {
  setImageFolder();
  showLogo();
}

void TQorCfg51Main::AfterTranslate() {
  const QString title = TranslateText(kApplicationTitle);
  setWindowTitle(title);
  QGuiApplication::setApplicationDisplayName(title);
  showApplyStatus();
}

void TQorCfg51Main::showApplyStatus() {
  LabelSTATUS->SetText(FApplyOutcome ? ApplyStatusLine(FApplyOutcome->result, FApplyOutcome->saved)
                                     : QString());
}

QRect TQorCfg51Main::screenArea() const {
  if (FServices.screenArea) return FServices.screenArea();
  QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
  return screen ? screen->availableGeometry() : QRect(0, 0, 1920, 1080);
}

// ---- Device presence -------------------------------------------------------------------

void TQorCfg51Main::DetectMouse() {
  FDetection = DetectModel(uiHIDData1, FDM, FServices.program);
  // A missing picture file leaves the picture shown.
  if (!FDetection.layoutFile.empty()) {
    const QImage picture = skin::LoadImage(FDetection.layoutFile);
    if (!picture.isNull()) ImageLAYOUT->SetPicture(picture);
  }
  FSettingButtonsEnabled = SettingButtonsEnabled(FDetection, FDM);
  updateButtonsEnabled();
  if (!FDetection.present) tellAccessProblems();
}

void TQorCfg51Main::tellAccessProblems() {
  // Once per plug-in: a node is told of again only after it was gone.
  std::vector<InterfaceSurvey> fresh;
  std::set<std::string> told;
  for (InterfaceSurvey& s : SurveyInterfaces(FServices.backend, FIncludeHidDeviceList)) {
    if (!s.AccessDenied()) continue;
    told.insert(s.info.path);
    if (!FAccessTold.count(s.info.path)) fresh.push_back(std::move(s));
  }
  FAccessTold = std::move(told);
  if (fresh.empty()) return;
  const QString advice =
      FromUtf8(MouseAccessAdvice(fresh, (paths::userConfig() / "config.ini").string()));
  // After the current event: detection also runs while the window is being built.
  QTimer::singleShot(0, this, [this, advice] {
    ShowDialog(TranslateText("Warning"), advice, 0, DialogPosition::MainFormCenter, this);
  });
}

void TQorCfg51Main::updateButtonsEnabled() {
  for (UiBitmapStateButton* b :
       {BSBTNBUTTONCONFIG, BSBTNSENSITIVITYCONFIG, BSBTNADVANCEDSETTING, BSBTNLIGHT})
    b->setEnabled(FSettingButtonsEnabled);
  // A detection while Apply runs never re-enables Apply: no second upload inside the first.
  BSBTNAPPLY->setEnabled(FSettingButtonsEnabled && !FApplying);
}

void TQorCfg51Main::readDeviceChanges() {
  const std::vector<DeviceChange> changes = FServices.watcher->readChanges();
  // A mouse added to a config.ini meanwhile counts from this change on, without a restart.
  if (!changes.empty()) {
    FIncludeHidDeviceList = ReadIncludeList(FServices.program);
    uiHIDData1.SetHIDDeviceList(FIncludeHidDeviceList);
  }
  for (DeviceChange change : changes) {
    if (change == DeviceChange::Arrival)
      uiHIDEventEx1.DeviceArrived();
    else
      uiHIDEventEx1.DeviceRemoved();
  }
}

void TQorCfg51Main::restartArrivalTimerFor(const std::vector<std::string>& identities) {
  // With an empty include list every interface counts as the mouse (as for the device
  // exchanges), so every change is relevant.
  bool relevant = FIncludeHidDeviceList.empty() && !identities.empty();
  for (const std::string& id : FIncludeHidDeviceList) {
    if (ContainsIdentity(identities, id)) {
      relevant = true;
      break;
    }
  }
  if (!relevant) return;
  TimerHIDArrival.stop();
  TimerHIDArrival.start();
}

void TQorCfg51Main::uiHIDEventEx1NewDeviceArrival(const std::vector<std::string>& list) {
  restartArrivalTimerFor(list);
}

void TQorCfg51Main::uiHIDEventEx1PresentDeviceRemoval(const std::vector<std::string>& list) {
  restartArrivalTimerFor(list);
}

void TQorCfg51Main::TimerHIDArrivalTimer() {
  TimerHIDArrival.stop();
  DetectMouse();
}

// ---- Apply, exit, refresh --------------------------------------------------------------

void TQorCfg51Main::BSBTNAPPLYClick() {
  if (FApplying) return;
  FApplying = true;
  updateButtonsEnabled();
  FApplyOutcome.reset();
  showApplyStatus();
  ApplyHooks hooks;
  hooks.ProcessMessages = [] { QCoreApplication::processEvents(); };
  hooks.Busy = [this](bool on) {
    APPLYAniIndicator->setVisible(on);
    if (on) {
      APPLYAniIndicator->raise();
      APPLYAniIndicator->Start();
    } else {
      APPLYAniIndicator->Stop();
    }
  };
  const ApplyResult result = FApply.Run(hooks);
  FApplying = false;
  updateButtonsEnabled();
  FApplyOutcome = ApplyOutcome{result, FApply.Saved()};
  showApplyStatus();
  if (result == ApplyResult::NoMouse) {
    ShowDialog(TranslateText(kNoMouseTitle), TranslateText(kNoMouseText), 0,
               DialogPosition::MainFormCenter, this);
  } else if (result == ApplyResult::MouseStopped) {
    ShowDialog(TranslateText(kMouseStoppedTitle), TranslateText(kMouseStoppedText), 0,
               DialogPosition::MainFormCenter, this);
  } else if (!FApply.Warnings().empty()) {
    QStringList lines;
    for (const std::string& w : FApply.Warnings()) lines << FromUtf8(w);
    ShowDialog(TranslateText("Warning"), lines.join("\n"), 0, DialogPosition::MainFormCenter, this);
  }
}

void TQorCfg51Main::SaveUnaskedChanges() {
  if (!FClosed && FDM.HasUnsavedChanges()) FDM.SaveAllProfileData();
}

void TQorCfg51Main::MainFormUpdate() {
  for (TSettingsForm* form : FForms)
    if (form) form->DoShowChangedData();
  if (FForms[index(SettingsWindow::Lighting)]) {
    LEDBlock block{};
    BuildLEDBlock(FDM.CurrentProfile().ConfigInfo.LEDConfig, block);
    SendLEDPreview(uiHIDData1, block);
  }
}

void TQorCfg51Main::closeEvent(QCloseEvent* event) {
  // Exit, the window manager's close and Alt+F4 all come here, and all ask the same.
  if (!FClosed) {
    FClosed = true;
    if (FDM.HasUnsavedChanges() &&
        ShowDialog(TranslateText(kExitQuestionTitle), TranslateText(kExitQuestionText), 0,
                   DialogPosition::MainFormCenter, this) == kModalOK)
      FDM.SaveAllProfileData();
  }
  FormClose();
  UiScene::closeEvent(event);
}

void TQorCfg51Main::FormClose() {
  for (TSettingsForm*& form : FForms) {
    if (!form) continue;
    if (form->Showing()) form->close();
    delete form;
    form = nullptr;
  }
}

// ---- Settings windows ------------------------------------------------------------------

TSettingsForm* TQorCfg51Main::SettingsForm(SettingsWindow which) const {
  return FForms[index(which)];
}

SettingsServices TQorCfg51Main::settingsServices() {
  return {FServices.monitor, FServices.pointer,
          FServices.files ? *FServices.files : static_cast<FileDialogs&>(FDesktopFiles)};
}

TSettingsForm* TQorCfg51Main::createSettingsForm(SettingsWindow which) {
  switch (which) {
    case SettingsWindow::ButtonAssignment:
      return new TButtonConfigForm(this, FDM, settingsServices());
    case SettingsWindow::Sensitivity:
      return new TSensitivityForm(this, FDM, settingsServices());
    case SettingsWindow::AdvancedSettings:
      return new TAdvancedSettingForm(this, FDM, settingsServices());
    case SettingsWindow::Lighting:
      return new TLightConfigForm(this, FDM, settingsServices());
  }
  return nullptr;
}

void TQorCfg51Main::OpenSettingsForm(SettingsWindow which) {
  TSettingsForm*& form = FForms[index(which)];
  if (!form) form = createSettingsForm(which);

  // The plan works in screen-area coordinates, with the area's left and top edge at 0.
  const QRect area = screenArea();
  DockingState state;
  state.screenWidth = area.width();
  state.screenHeight = area.height();
  state.mainLeft = frameGeometry().left() - area.left();
  state.mainWidth = width();
  for (int i = 0; i < 4; ++i)
    if (TSettingsForm* f = FForms[i])
      state.windows[i] = {true, f->Showing(), f->frameGeometry().left() - area.left(), f->width()};
  const DockingPlan plan = PlanSettingsWindow(state, which, form->width(), form->height());

  if (plan.toggleOff) {
    form->close();
    return;
  }
  if (plan.mainLeft != state.mainLeft) move(area.left() + plan.mainLeft, y());
  for (int i = 0; i < 4; ++i) {
    TSettingsForm* f = FForms[i];
    if (!f || i == index(which)) continue;
    if (plan.close[i])
      f->close();
    else if (plan.moveTo[i])
      f->move(area.left() + *plan.moveTo[i], f->y());
  }
  form->move(area.left() + plan.x, area.top() + plan.y);
  form->show();
  form->raise();
}

}  // namespace qor
