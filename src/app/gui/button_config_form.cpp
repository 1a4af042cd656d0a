// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/gui/button_config_form.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>

#include "app/gui/macro_dialogs.h"
#include "macro/macro_model.h"
#include "model/button_function_table.h"
#include "model/wide_text.h"
#include "settings/button_assignment.h"
#include "settings/macro_manager_flow.h"
#include "ui/menu_geometry.h"
#include "ui/translation.h"
#include "widgets/bitmap_state_button.h"
#include "widgets/function_menu.h"
#include "widgets/label.h"
#include "widgets/menu_box.h"
#include "widgets/qt_text.h"
#include "widgets/text_button.h"

namespace qor {
namespace {

constexpr int kRowTop = 52, kRowStep = 44, kRowHeight = 32;
constexpr int kCaptionWidth = 62;
// The top level's item width: the menu opens left of a button only with this much room.
constexpr int kTopItemWidth = 169;
// The item width of the Basic, Advanced and Media levels where their captions fit.
constexpr int kSubItemWidth = 170;

// Sets the look of a sub-menu of its own.
void setLevelLook(TuiMenuItemsEx& level, int itemHeight, int itemWidth) {
  level.UseParentParameter = false;
  level.Parameters.ItemHeight = itemHeight;
  level.Parameters.ItemWidth = itemWidth;
  level.Parameters.ItemAutoSize = false;
}

Translator translator() {
  return [](const std::string& s) { return Translate(std::string_view(s)); };
}

}  // namespace

TButtonConfigForm::TButtonConfigForm(QWidget* owner, TDM& dm, SettingsServices services)
    : TSettingsForm(owner, dm, services, "TButtonConfigForm", kWidth, kHeight, "bg_buttons.png",
                    "Button Assignment") {
  for (int i = 0; i < kButtons; ++i) {
    const QString n = QString::number(i + 1);
    const int y = kRowTop + i * kRowStep;
    auto* caption =
        AddCaption("LabelBtn" + n, "Button " + n, QRect(14, y, kCaptionWidth, kRowHeight));
    caption->setAttribute(Qt::WA_TransparentForMouseEvents);
    BtnSet[i] = new UiTextButton(
        this, "BtnSet" + n, QRect(14 + kCaptionWidth, y, kWidth - 28 - kCaptionWidth, kRowHeight));
    BtnSet[i]->SetTag(i);
    BtnSet[i]->SetAutoTranslate(false);  // captions are built translated
    BtnSet[i]->SetAccessibleText("Button " + n);
    BtnSet[i]->OnClick = [this](UiTextButton& b) { BtnSet1Click(b.Tag()); };
  }
  BSBTNCLOSE->OnClick = [this](UiBitmapStateButton&) { BSBTNCLOSEClick(); };
  buildMenu();
  uiCommandSetting1.Commands().Add("SetButton").OnExecute = [this](TuiGetSet, void*, uint32_t) {
    uiCommandSetting1Commands0Execute();
  };
  for (const char* name : {"SetCPI", "SetMouseParam", "SetProfileBtn", "SetReport", "SetLED"})
    uiCommandSetting1.Commands().Add(name);
  FormCreate();
  FModified = false;
}

TButtonConfigForm::~TButtonConfigForm() = default;

void TButtonConfigForm::buildMenu() {
  uiMenuEx1 = std::make_unique<UiMenuEx>(this);
  TuiMenuEx& menu = uiMenuEx1->Menu();
  menu.UseCustomMenuParams = true;
  menu.Parameters.ItemHeight = 38;
  menu.Parameters.ItemWidth = kTopItemWidth;
  for (const ButtonMenuEntry& entry : ButtonMenuDefinition()) {
    TuiMenuItemEx* item = menu.Items().Add();
    item->Caption = entry.caption;
    for (const ButtonMenuEntry& sub : entry.subItems) item->SubItems().Add()->Caption = sub.caption;
    TuiMenuItemsEx& level = item->SubItems();
    switch (entry.id) {
      case button_menu::kBasic:
        setLevelLook(level, 38, kSubItemWidth);
        break;
      case button_menu::kAdvanced:
      case button_menu::kMedia:
        setLevelLook(level, 40, kSubItemWidth);
        break;
      case button_menu::kMacro:
        setLevelLook(level, 28, 210);
        level.Parameters.CustomWidth = 210;
        level.Parameters.CustomHeight = 392;
        break;
      default:
        break;
    }
  }
  menu.OnItemsClick = [this](TuiMenuItemEx&, const std::string&, uint32_t id, void*, int) {
    uiMenuEx1ItemsClick(id);
  };
}

void TButtonConfigForm::rebuildMacroMenu() {
  TuiMenuItemsEx& level = uiMenuEx1->Items().Items(button_menu::kMacro - 1).SubItems();
  level.Clear();
  level.Add()->Caption = "Macro Manager";
  const TMACROKEYINFOLIST& list = FDM.FCurrentProfileInfo.MacroKeyInfoList;
  const int count = std::min<int>(list.nMacroInfoCount, kProfileMacroSlots);
  for (int i = 0; i < count; ++i)
    if (TuiMenuItemEx* item = level.Add())
      item->Caption =
          Translate(std::string_view("Macro")) + "<" + toUtf8(MacroName(list.MacroInfos[i])) + ">";
}

void TButtonConfigForm::refreshCaptions() {
  const TMOUSEPROFILEINFO& p = FDM.FCurrentProfileInfo;
  for (int i = 0; i < kButtons; ++i) {
    const QString caption = FromUtf8(ButtonCaption(p, i, translator()));
    BtnSet[i]->SetText(caption);
    BtnSet[i]->setAccessibleDescription(caption);
    const std::string combo = CombinationDescription(p.ConfigInfo.ButtonFuncInfo[i]);
    BtnSet[i]->setToolTip(combo.empty() ? QString()
                                        : TranslateText("Combo Key") + ": " + FromUtf8(combo));
  }
}

void TButtonConfigForm::uiCommandSetting1Commands0Execute() {
  rebuildMacroMenu();
  refreshCaptions();
}

int TButtonConfigForm::topLevelWidth() const {
  const TuiMenuItemsEx& level = uiMenuEx1->Items();
  const QFontMetrics metrics(font());
  int widest = 0;
  for (int i = 0; i < level.Count(); ++i)
    widest = std::max(widest, metrics.horizontalAdvance(
                                  TranslateText(QString::fromStdString(level.Items(i).Caption))));
  return std::max(kTopItemWidth, MeasureMenuLevel(level, level.Count(), widest, 0, 0).Width);
}

void TButtonConfigForm::fitSubMenus() {
  const QFontMetrics metrics(font());
  TuiMenuItemsEx& top = uiMenuEx1->Items();
  for (int i = 0; i < top.Count(); ++i) {
    TuiMenuItemsEx& level = top.Items(i).SubItems();
    TMenuParams& look = level.Parameters;
    if (level.UseParentParameter || look.ItemAutoSize || look.CustomWidth > 0) continue;
    int widest = 0;
    for (int j = 0; j < level.Count(); ++j)
      widest = std::max(widest, metrics.horizontalAdvance(
                                    TranslateText(QString::fromStdString(level.Items(j).Caption))));
    look.ItemWidth = std::max(kSubItemWidth,
                              widest + TuiMenuBoxItem::kCheckRoom + TuiMenuBoxItem::kExtenderRoom +
                                  look.MenuTextPadding.Left + look.MenuTextPadding.Right);
  }
}

// ---- Choices --------------------------------------------------------------------------------

void TButtonConfigForm::BtnSet1Click(int tag) {
  if (tag < 0 || tag >= kButtons) return;
  FSelectedButton = tag;
  fitSubMenus();
  const TBUTTONFUNCINFO& entry = FDM.FCurrentProfileInfo.ConfigInfo.ButtonFuncInfo[tag];
  // The selected row is the entry's effective item, as its caption shows it.
  const int32_t selected =
      entry.MenuItemID != 0 ? entry.MenuItemID : ButtonFunctionMenuItemID(entry.FunctionIndex);
  // Left of the button when the menu fits between the window and the screen's left edge; its
  // real width counts, since a translated caption may be wider than the item width.
  const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
  const int screenLeft = screen ? screen->availableGeometry().left() : 0;
  const MenuPlacement placement = frameGeometry().left() - topLevelWidth() >= screenLeft
                                      ? MenuPlacement::LeftCenter
                                      : MenuPlacement::RightCenter;
  uiMenuEx1->ShowMainMenu(uint64_t(uint32_t(selected)), BtnSet[tag], placement);
}

void TButtonConfigForm::uiMenuEx1ItemsClick(uint32_t AMenuItemID) {
  FModified = true;
  if (AMenuItemID == uint32_t(button_menu::kMacroManager)) {
    macroManager();
    return;
  }
  ButtonChoiceDialogs dialogs;
  dialogs.ComboKey = [](TCOMBOKEYINFO& c) { return ShowComboKeyDialog(c); };
  dialogs.FireKey = [](TFIREKEYINFO& f) { return ShowFireKeyDialog(f); };
  switch (ApplyButtonMenuChoice(FDM.FCurrentProfileInfo, FSelectedButton, int32_t(AMenuItemID),
                                dialogs)) {
    case ButtonChoice::Applied:
      SaveBack();
      refreshCaptions();
      break;
    case ButtonChoice::TooManyMacros:
      tellTooManyMacros();
      break;
    default:
      break;
  }
}

void TButtonConfigForm::tellTooManyMacros() {
  ShowMessageDialog(TranslateText(kTooManyMacrosTitle), TranslateText(kTooManyMacrosText),
                    QString());
}

void TButtonConfigForm::macroManager() {
  TMOUSEPROFILEINFO& p = FDM.FCurrentProfileInfo;
  const TBUTTONFUNCINFO& entry = p.ConfigInfo.ButtonFuncInfo[FSelectedButton];
  MacroManagerResult r;
  r.list = p.MacroKeyInfoList;
  const std::u16string assigned = MacroName(entry.MacroInfo);
  const int count = std::min<int>(p.MacroKeyInfoList.nMacroInfoCount, kProfileMacroSlots);
  for (int i = 0; i < count && r.macroIndex < 0; ++i)
    if (MacroName(p.MacroKeyInfoList.MacroInfos[i]) == assigned) r.macroIndex = i;
  QString folder;
  if (TDM::IsProfileIndexInRange(FDM.FProfileIndex))
    folder = QString::fromStdU16String(
        readWideField(FDM.FProfileSettingGroup.ProfileSettingList[FDM.FProfileIndex].MacroPath));
  r.modalResult = MacroDialogs().ShowMacroManager(r.list, r.macroIndex, folder);
  const MacroManagerOutcome outcome = ApplyMacroManagerResult(p, FSelectedButton, r);
  if (outcome == MacroManagerOutcome::Unchanged) return;
  if (outcome == MacroManagerOutcome::TooManyMacros) tellTooManyMacros();
  SaveBack();
  rebuildMacroMenu();
  refreshCaptions();
}

void TButtonConfigForm::BSBTNCLOSEClick() {
  if (FModified) SaveBack();
  hide();
}

}  // namespace qor
