// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/gui/frm_macro.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QVBoxLayout>

#include "platform/linux/window_key_provider.h"

#include <algorithm>
#include <tuple>

#include "app/gui/dialog_presenter.h"
#include "app/gui/dialog_scene.h"
#include "app/gui/frm_creat.h"
#include "app/gui/hook_pump.h"
#include "app/gui/macro_dialogs.h"
#include "macro/hook_library.h"
#include "macro/macro_files.h"
#include "protocol/key_code_table.h"
#include "ui/translation.h"
#include "widgets/accessibility.h"
#include "widgets/bitmap_state_button.h"
#include "widgets/choice_buttons.h"
#include "widgets/edit_boxes.h"
#include "widgets/function_menu.h"
#include "widgets/label.h"
#include "widgets/layout.h"
#include "widgets/list_box.h"
#include "widgets/qt_text.h"
#include "widgets/skin.h"
#include "widgets/text_button.h"

namespace qor {
namespace {

constexpr int kMacroRowHeight = 28;
constexpr int kActionRowHeight = 26;
constexpr uint16_t kMaxDelay = 65535;

// Columns of the action list: status, button (the widest name of a key or mouse button in any
// shipped language) and elapsed time.
constexpr int kStatusWidth = 56, kButtonWidth = 178, kElapsedWidth = 130;

// Item IDs of the two context menus.
namespace macro_menu {
constexpr uint32_t kRename = 1, kUp = 2, kDown = 3;
}
namespace action_menu {
constexpr uint32_t kInsert = 1, kDelete = 2, kUp = 3, kDown = 4, kCopy = 5, kCut = 6, kPaste = 7;
}

UiLabel* rowLabel(QWidget& row, const QString& binding, const QRect& geometry) {
  auto* label = new UiLabel(&row, binding, geometry);
  label->SetBindingName(binding);
  label->SetAutoTranslate(false);  // texts built from the macro
  label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  return label;
}

// Row templates of the action list: a status sign, the button column and the elapsed column.
UiListBox::RowTemplate actionTemplate(const QString& sign, bool delay) {
  return [sign, delay](QWidget& row) {
    UiLabel* status = rowLabel(row, "STATUS", QRect(8, 0, kStatusWidth - 8, kActionRowHeight));
    status->setText(sign);
    status->SetStyleName("value");
    rowLabel(row, "BUTTON", QRect(kStatusWidth, 0, kButtonWidth, kActionRowHeight));
    UiLabel* text =
        rowLabel(row, "TEXT", QRect(kStatusWidth + kButtonWidth, 0, 80, kActionRowHeight));
    if (!delay) return;
    auto* edit = new UiSpinBox(text, "TextEditDelay", QRect(0, 2, 76, kActionRowHeight - 4));
    edit->SetBindingName("DELAYEDIT");
    edit->SetRange(kMinMacroDelay, kMaxDelay);
    edit->SetAccessibleText("Delay");
    edit->hide();
  };
}

// A key's state: translated apart from the "Up" and "Down" commands that move rows.
QString stateText(int state) {
  return FromUtf8(TranslateIn("key", state == kMacroKeyDown ? "Down" : "Up"));
}

}  // namespace

TFrmMacro::TFrmMacro(QWidget* owner)
    : UiScene(owner, "TFrmMacro", kWidth, kHeight), FMacroClass(std::make_unique<TuiMacroClass>()) {
  SetBackground("bg_macro.png");
  buildControls();
  buildMenus();
  // The recorder. Without the desktop's keyboards (no access to /dev/input or /dev/uinput)
  // it records the keys typed into this window, as the combination dialog does.
  std::shared_ptr<HookProvider> provider = LoadHookProvider(FHookProblem);
  if (!provider) {
    FWindowKeys = std::make_shared<WindowKeyHookProvider>();
    provider = FWindowKeys;
  }
  uiHook1 = std::make_unique<TuiHook>(provider, TuiHookEnvironment{});
  uiHook1->OnRecordKeyboardMacroKeyEx = [this](int, int, int AState, int, double,
                                               uint32_t TotalTime, const std::string& text,
                                               const std::string&, const TMacroKeyList&) {
    uiHook1RecordKeyboardMacroKeyEx(AState, TotalTime, text);
  };
  uiHook1->OnStopRecordKeyboardMacroKey = [this](const TMacroKeyList& list) {
    uiHook1StopRecordKeyboardMacroKey(list);
  };
  FPump = new HookPump(uiHook1->Provider(), this);
  AfterTranslate();
}

TFrmMacro::~TFrmMacro() {
  // The keyboards are let go before anything else of the window goes; an unfinished
  // recording is dropped.
  if (FRecording) {
    uiHook1->OnStopRecordKeyboardMacroKey = nullptr;
    uiHook1->StopRecordKeyboardMacroKeyEx();
  }
  uiHook1.reset();
}

void TFrmMacro::AfterTranslate() {
  setWindowTitle(Label22 ? Label22->text() : QString());
  showHookNote();
  if (FMacroClass && ListBoxMacroKey && !FRecording) drawActions();
}

// ---- Building -------------------------------------------------------------------------------

void TFrmMacro::buildControls() {
  Label22 = new UiLabel(this, "Label22", QRect(70, 0, kWidth - 140, 32), "Macro Manager");
  Label22->SetFontSize(16, true);
  Label22->SetStyleName("title");
  Label22->setAlignment(Qt::AlignCenter);
  BtnMin = new UiBitmapStateButton(this, "BtnMin", QRect(kWidth - 58, 4, 24, 24));
  BtnMin->SetSkinBitmaps("min");
  BtnMin->SetAccessibleText("Minimise");
  BtnMin->OnClick = [this](UiBitmapStateButton&) { BtnMinClick(); };
  BtnClose = new UiBitmapStateButton(this, "BtnClose", QRect(kWidth - 30, 4, 24, 24));
  BtnClose->SetSkinBitmaps("close");
  BtnClose->SetAccessibleText("Close");
  BtnClose->OnClick = [this](UiBitmapStateButton&) { BtnCloseClick(); };

  auto caption = [this](const char* name, const char* text, const QRect& geometry) {
    auto* label = new UiLabel(this, name, geometry, text);
    label->SetStyleName("caption");
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return label;
  };

  // Left column: the macros.
  constexpr int lx = 16, lw = 192;
  caption("Label2", "Macro Name:", QRect(lx, 44, lw, 20));
  TextBoxSelectedMacroName = new UiTextBox(this, "TextBoxSelectedMacroName", QRect(lx, 66, lw, 26));
  TextBoxSelectedMacroName->SetMaxLength(kMacroNameUnits);
  TextBoxSelectedMacroName->SetAccessibleText("Macro Name");
  TextBoxSelectedMacroName->setEnabled(false);
  TextBoxSelectedMacroName->OnEnter = [this](UiTextBox&) { TextBoxSelectedMacroNameKeyDown(); };
  TextBoxSelectedMacroName->OnKillFocus = [this](UiTextBox&) {
    TextBoxSelectedMacroNameKillFocus();
  };
  caption("Label5", "Select:", QRect(lx, 100, lw, 20));
  IMGMACROLISTSCROLLUP = new UiTextButton(this, "IMGMACROLISTSCROLLUP", QRect(lx, 122, lw, 18),
                                          QString::fromUtf8("\u25B2"));
  IMGMACROLISTSCROLLUP->SetAutoTranslate(false);
  IMGMACROLISTSCROLLUP->SetAccessibleText("Scroll up");
  IMGMACROLISTSCROLLUP->setFocusPolicy(Qt::NoFocus);
  IMGMACROLISTSCROLLUP->OnClick = [this](UiTextButton&) { ListBoxMacroList->ScrollByRows(-1); };
  ListBoxMacroList = new UiListBox(this, "ListBoxMacroList", QRect(lx, 142, lw, 280));
  ListBoxMacroList->SetAccessibleText("Macros");
  ListBoxMacroList->SetRowTemplate(
      [](QWidget& row) {
        UiLabel* name = rowLabel(row, "TEXT", QRect(10, 0, lw - 40, kMacroRowHeight));
        name->setTextFormat(Qt::PlainText);
        UiLabel* error = rowLabel(row, "ErrorIcon", QRect(lw - 28, 0, 22, kMacroRowHeight));
        error->setText(QString::fromUtf8("\u26A0"));
        QPalette warning = error->palette();
        warning.setColor(QPalette::WindowText, skin::kWarning);
        error->setPalette(warning);
        error->hide();
      },
      kMacroRowHeight);
  ListBoxMacroList->OnChange = [this](UiListBox&) { ListBoxMacroListChange(); };
  ListBoxMacroList->OnClick = [this](UiListBox&) { ListBoxMacroListClick(); };
  ListBoxMacroList->OnMouseUp = [this](UiListBox&, Qt::MouseButton b, const QPoint& at) {
    ListBoxMacroListMouseUp(b, at);
  };
  ListBoxMacroList->setEnabled(false);
  IMGMACROLISTSCROLLDOWN = new UiTextButton(this, "IMGMACROLISTSCROLLDOWN", QRect(lx, 424, lw, 18),
                                            QString::fromUtf8("\u25BC"));
  IMGMACROLISTSCROLLDOWN->SetAutoTranslate(false);
  IMGMACROLISTSCROLLDOWN->SetAccessibleText("Scroll down");
  IMGMACROLISTSCROLLDOWN->setFocusPolicy(Qt::NoFocus);
  IMGMACROLISTSCROLLDOWN->OnClick = [this](UiTextButton&) { ListBoxMacroList->ScrollByRows(1); };

  // New and Delete: a small button with its caption beside it; the caption takes clicks too.
  // A caption keeps its designed width unless its text needs more, and then moves what follows.
  auto* commands = new UiLayout(this, "LayoutMacroCommands", QRect(lx, 452, lw, 30));
  auto* commandRow = new QHBoxLayout(commands);
  commandRow->setContentsMargins(0, 0, 0, 0);
  commandRow->setSpacing(4);
  auto macroCommand = [&](const char* name, const char* sign, const char* labelName,
                          const char* text, UiLabel*& label) {
    auto* button = new UiTextButton(commands, name, {}, QString::fromUtf8(sign));
    button->setFixedSize(30, 30);
    button->SetAutoTranslate(false);
    QFont signFont = button->font();
    signFont.setPixelSize(18);
    signFont.setBold(true);
    button->setFont(signFont);
    button->SetAccessibleText(text);
    label = new UiLabel(commands, labelName, {}, text);
    label->setMinimumWidth(56);
    label->SetClickable(true);
    label->OnClick = [button](UiLabel&) {
      if (button->isEnabled()) button->click();
    };
    commandRow->addWidget(button);
    commandRow->addWidget(label);
    return button;
  };
  BSBTNNEWMACRO = macroCommand("BSBTNNEWMACRO", "+", "Label7", "New", Label7);
  BSBTNNEWMACRO->OnClick = [this](UiTextButton&) { BSBTNNEWMACROClick(); };
  BSBTNDELETEMACRO = macroCommand("BSBTNDELETEMACRO", "\u2212", "Label6", "Delete", Label6);
  BSBTNDELETEMACRO->OnClick = [this](UiTextButton&) { BSBTNDELETEMACROClick(); };
  BSBTNDELETEMACRO->setEnabled(false);
  commandRow->addStretch();

  // Middle column: the actions, under headers of up to two lines.
  constexpr int mx = lx + lw + 16, mw = kStatusWidth + kButtonWidth + kElapsedWidth;
  caption("Label8", "Macro Action Editor:", QRect(mx, 44, mw, 20));
  for (auto [name, text, x, width] :
       {std::tuple{"Label13", "Status", 8, kStatusWidth - 8},
        std::tuple{"Label14", "Button", kStatusWidth, kButtonWidth},
        std::tuple{"Label15", "Elapsed time (ms)", kStatusWidth + kButtonWidth, kElapsedWidth}}) {
    UiLabel* header = caption(name, text, QRect(mx + x, 64, width, 32));
    header->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    header->setWordWrap(true);
  }
  ListBoxMacroKey = new UiListBox(this, "ListBoxMacroKey", QRect(mx, 98, mw, 320));
  ListBoxMacroKey->SetAccessibleText("Macro Action Editor:");
  ListBoxMacroKey->SetRowTemplate(actionTemplate(QString::fromUtf8("\u25F7"), true),
                                  kActionRowHeight);
  ListBoxMacroKey->AddRowTemplate(actionTemplate(QString::fromUtf8("\u2193"), false));
  ListBoxMacroKey->AddRowTemplate(actionTemplate(QString::fromUtf8("\u2191"), false));
  ListBoxMacroKey->AddRowTemplate(actionTemplate(QString::fromUtf8("\u25CF"), false));
  ListBoxMacroKey->OnChange = [this](UiListBox&) { ListBoxMacroKeyChange(); };
  ListBoxMacroKey->OnDblClick = [this](UiListBox&) { ListBoxMacroKeyDblClick(); };
  ListBoxMacroKey->OnMouseUp = [this](UiListBox&, Qt::MouseButton b, const QPoint& at) {
    ListBoxMacroKeyMouseUp(b, at);
  };
  caption("Label9", "Total Elapsed Time", QRect(mx, 424, 150, 22));
  LabelAllDelayTime = new UiLabel(this, "LabelAllDelayTime", QRect(mx + 150, 424, 80, 22), "0");
  LabelAllDelayTime->SetAutoTranslate(false);
  LabelAllDelayTime->SetStyleName("value");
  LabelAllDelayTime->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  caption("Label10", "ms", QRect(mx + 236, 424, 34, 22));
  constexpr int startWidth = (mw - 10) / 2;
  BtnMacroStart = new UiTextButton(this, "BtnMacroStart", QRect(mx, 452, startWidth, 30), "Start");
  BtnMacroStop = new UiTextButton(this, "BtnMacroStop",
                                  QRect(mx + mw - startWidth, 452, startWidth, 30), "Stop");
  for (UiTextButton* b : {BtnMacroStart, BtnMacroStop}) {
    b->SetToggle(true);
    SetAccessibleToggleButton(*b);
    b->OnClick = [this](UiTextButton& button) { BtnMacroStopClick(button); };
  }
  BtnMacroStart->SetTag(0);
  BtnMacroStop->SetTag(1);
  BtnMacroStop->setEnabled(false);

  // Right column: the options, one under the other; a check box whose text needs more lines
  // in a language moves what follows it down.
  constexpr int rx = mx + mw + 16, rw = kWidth - 16 - rx;
  auto* options = new UiLayout(this, "LayoutOptions", QRect(rx, 44, rw, 396));
  auto* column = new QVBoxLayout(options);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  auto* optionCaption = new UiLabel(options, "Label16", {}, "Option:");
  optionCaption->SetStyleName("caption");
  optionCaption->setFixedHeight(20);
  auto checkBox = [&](const char* name, const char* text, int gapBefore) {
    auto* box = new UiCheckBox(options, name, {}, text);
    box->SetWordWrap(true);
    box->setMinimumHeight(24);
    column->addSpacing(gapBefore);
    column->addWidget(box);
    return box;
  };
  // A box for a number under its check box, indented, with its unit beside it.
  auto numberRow = [&](UiSpinBox* box, const char* unitName) {
    auto* row = new QHBoxLayout;
    row->setContentsMargins(24, 0, 0, 0);
    row->setSpacing(6);
    box->setFixedSize(80, 26);
    row->addWidget(box);
    if (unitName) {
      auto* unit = new UiLabel(options, unitName, {}, "ms");
      unit->SetStyleName("caption");
      unit->setFixedHeight(26);
      row->addWidget(unit);
    }
    row->addStretch();
    column->addSpacing(4);
    column->addLayout(row);
  };
  column->addWidget(optionCaption);
  BtnAutoDelay = checkBox("BtnAutoDelay", "Record delays between action", 6);
  BtnAutoDelay->setChecked(true);
  connect(BtnAutoDelay, &QCheckBox::clicked, this, [this] { BtnAutoDelayClick(); });
  BtnCustomDelay = checkBox("BtnCustomDelay", "Insert default delay", 10);
  connect(BtnCustomDelay, &QCheckBox::clicked, this, [this] { BtnCustomDelayMouseUp(); });
  NumBoxDelay = new UiNumberBox(options, "NumBoxDelay");
  NumBoxDelay->SetRange(kMinMacroDelay, kMaxDelay);
  NumBoxDelay->SetValue(10);
  NumBoxDelay->SetAccessibleText("Insert default delay");
  NumBoxDelay->setEnabled(false);
  numberRow(NumBoxDelay, "Label19");
  BtnMacroLoop = checkBox("BtnMacroLoop", "Number of loops(1-255)", 16);
  connect(BtnMacroLoop, &QCheckBox::clicked, this, [this] { BtnMacroLoopMouseUp(); });
  BoxMacroLoop = new UiSpinBox(options, "BoxMacroLoop");
  BoxMacroLoop->SetRange(0, 255);
  BoxMacroLoop->SetValue(1);
  BoxMacroLoop->SetAccessibleText("Number of loops(1-255)");
  BoxMacroLoop->setEnabled(false);
  BoxMacroLoop->OnChange = [this](UiSpinBox&) { BoxMacroLoopChange(); };
  numberRow(BoxMacroLoop, nullptr);
  LabelHookNote = new UiLabel(options, "LabelHookNote");
  LabelHookNote->SetAutoTranslate(false);  // built from translated parts
  LabelHookNote->SetStyleName("value");
  LabelHookNote->setWordWrap(true);
  LabelHookNote->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  LabelHookNote->hide();
  column->addSpacing(16);
  column->addWidget(LabelHookNote);
  column->addStretch(1);

  BtnOK = new UiTextButton(this, "BtnOK", QRect(rx, 452, (rw - 8) / 2, 30), "OK");
  BtnOK->SetStyleName("default");
  BtnOK->OnClick = [this](UiTextButton&) { BtnOKClick(); };
  BtnCANCEL = new UiTextButton(this, "BtnCANCEL",
                               QRect(rx + rw - (rw - 8) / 2, 452, (rw - 8) / 2, 30), "CANCEL");
  BtnCANCEL->OnClick = [this](UiTextButton&) { BtnCancelClick(); };
}

void TFrmMacro::buildMenus() {
  uiMenuMacro = std::make_unique<UiMenuEx>(this);
  for (const char* caption : {"Rename", "Up", "Down"})
    uiMenuMacro->Items().Add()->Caption = caption;
  uiMenuMacro->Menu().OnItemsClick = [this](TuiMenuItemEx&, const std::string&, uint32_t id, void*,
                                            int) { uiMenuMacroItemsClick(id); };
  uiMenuMacroList = std::make_unique<UiMenuEx>(this);
  for (const char* caption : {"Insert", "Delete", "Up", "Down", "Copy", "Cut", "Paste"})
    uiMenuMacroList->Items().Add()->Caption = caption;
  uiMenuMacroList->Menu().OnItemsClick = [this](TuiMenuItemEx&, const std::string&, uint32_t id,
                                                void*, int) { uiMenuMacroListItemsClick(id); };
}

TuiMenuItemEx& TFrmMacro::menuItem(UiMenuEx& menu, int id) {
  return menu.Items().Items(id - 1);
}

// ---- Drawing --------------------------------------------------------------------------------

void TFrmMacro::DrawMacroList() {
  ListBoxMacroList->Clear();
  ListBoxMacroList->setEnabled(false);
  if (FMacroClass->IsEmpty()) {
    ListBoxMacroKey->Clear();
    FActionRows.clear();
    TextBoxSelectedMacroName->clear();
    BSBTNDELETEMACRO->setEnabled(false);
    LabelAllDelayTime->SetText("0");
    return;
  }
  ListBoxMacroList->setEnabled(true);
  for (int i = 0; i < FMacroClass->MacroListCount(); ++i) {
    TMACROKEYINFO m{};
    FMacroClass->GetMacroKeyInfoByIndex(i, m);
    UiListRow& row = ListBoxMacroList->AddRow();
    const QString name = QString::fromStdU16String(MacroName(m));
    UiListBox::FindBinding<UiLabel>(row, "TEXT")->setText(name);
    row.SetRowText(name);
  }
  ListBoxMacroList->setFocus();
  // The list was emptied, so selecting always makes the macro current with a fresh editor.
  ListBoxMacroList->SetItemIndex(FMacroClass->MacroListIndex());
  for (int i = 0; i < FMacroClass->MacroListCount(); ++i) refreshErrorIcon(i);
}

void TFrmMacro::refreshErrorIcon(int macro) {
  QWidget* row = ListBoxMacroList->Row(macro);
  TMACROKEYINFO m{};
  if (!row || !FMacroClass->GetMacroKeyInfoByIndex(macro, m)) return;
  UiListBox::FindBinding<UiLabel>(*row, "ErrorIcon")->setVisible(m.HaveErrors >= 1);
  const QString name = QString::fromStdU16String(MacroName(m));
  static_cast<UiListRow*>(row)->SetRowText(
      m.HaveErrors >= 1 ? name + " (" + TranslateText("Unreasonable macro detected") + ")" : name);
}

void TFrmMacro::addActionRow(int position, ActionTemplate kind, const QString& button,
                             const QString& elapsed) {
  UiListRow& row = ListBoxMacroKey->InsertRow(position, kind);
  UiListBox::FindBinding<UiLabel>(row, "BUTTON")->setText(button);
  UiListBox::FindBinding<UiLabel>(row, "TEXT")->setText(elapsed);
  if (kind == ListItemDelay)
    row.SetRowText(TranslateText("Delay") + " " + elapsed + " " + TranslateText("ms"));
  else
    row.SetRowText(button.trimmed() + " " + stateText(kind == ListItemKeyUp ? 0 : 1));
}

void TFrmMacro::drawActions(bool allDelays) {
  TuiActionsClass* editor = FMacroClass->CurrentMacroAction();
  TMACROKEYINFO r{};
  if (!editor || !FMacroClass->GetCurrentMacroKeyInfo(r)) return;
  FDrawing = true;
  TextBoxSelectedMacroName->setText(QString::fromStdU16String(MacroName(r)));
  ListBoxMacroList->setEnabled(false);
  ListBoxMacroKey->Clear();
  if (!allDelays) {
    BtnMacroLoop->setChecked(r.nLoopCount != 0);
    BoxMacroLoop->SetValue(r.nLoopCount);
    BoxMacroLoop->setEnabled(BtnMacroLoop->isChecked());
  }
  FActionRows = ActionRows(editor->Actions(), allDelays || r.nAutoAddDelay == 1);
  for (std::size_t i = 0; i < FActionRows.size(); ++i) {
    const TMACROKEY& a = editor->Actions()[std::size_t(FActionRows[i].action)];
    const int position = int(i);
    switch (FActionRows[i].kind) {
      case ActionRowKind::Delay:
        addActionRow(position, ListItemDelay, {}, QString::number(ActionValue(a)));
        break;
      case ActionRowKind::KeyDown:
      case ActionRowKind::KeyUp:
        addActionRow(
            position,
            FActionRows[i].kind == ActionRowKind::KeyDown ? ListItemKeyDown : ListItemKeyUp,
            " " + FromUtf8(GetKeyDescriptionByVK(a.VALUE1, a.VALUE2)), {});
        break;
      case ActionRowKind::Mouse:
        addActionRow(position, ListItemMouse,
                     " " + TranslateText(FromUtf8(GetKeyDescriptionByVK(a.VALUE1, a.VALUE2))), {});
        // A mouse row shows one sign for both states; its name tells them apart.
        ListBoxMacroKey->Row(position)->SetRowText(
            TranslateText(FromUtf8(GetKeyDescriptionByVK(a.VALUE1, a.VALUE2))) + " " +
            stateText(a.nKeyState));
        break;
    }
  }
  ListBoxMacroList->setEnabled(!FRecording);
  if (!allDelays) BtnAutoDelay->setChecked(r.nAutoAddDelay == 1);
  ListBoxMacroKey->SetItemIndex(RowOfAction(FActionRows, editor->ActionIndex()));
  LabelAllDelayTime->SetText(QString::number(editor->TotalDelay()));
  FDrawing = false;
}

int TFrmMacro::ActionOfRow(int row) const {
  return row >= 0 && row < int(FActionRows.size()) ? FActionRows[std::size_t(row)].action : -1;
}

// ---- Selecting --------------------------------------------------------------------------------

void TFrmMacro::ListBoxMacroListChange() {
  const int row = ListBoxMacroList->ItemIndex();
  if (row < 0 || ListBoxMacroList->Count() == 0) {
    BSBTNDELETEMACRO->setEnabled(false);
    TextBoxSelectedMacroName->clear();
    return;
  }
  BSBTNDELETEMACRO->setEnabled(true);
  FMacroClass->SetMacroListIndex(row);
  drawActions();
}

void TFrmMacro::ListBoxMacroListClick() {
  const int row = ListBoxMacroList->ItemIndex();
  if (row < 0 || row == FMacroClass->MacroListIndex()) return;
  FMacroClass->SetMacroListIndex(row);
  drawActions();
}

void TFrmMacro::ListBoxMacroKeyChange() {
  if (FRecording) return;
  const int row = ListBoxMacroKey->ItemIndex();
  FPositions.Select(row);
  if (TuiActionsClass* editor = FMacroClass->CurrentMacroAction(); editor && row >= 0)
    editor->SetActionIndex(ActionOfRow(row));
}

// ---- Context menus ----------------------------------------------------------------------------

void TFrmMacro::ListBoxMacroListMouseUp(Qt::MouseButton button, const QPoint& global) {
  const int r = ListBoxMacroList->ItemIndex();
  if (button != Qt::RightButton || r < 0 || FRecording) return;
  menuItem(*uiMenuMacro, macro_menu::kUp).Enabled = r >= 1;
  menuItem(*uiMenuMacro, macro_menu::kDown).Enabled = r < ListBoxMacroList->Count() - 1;
  const QPoint at = ListBoxMacroList->mapFromGlobal(global);
  uiMenuMacro->ShowMainMenu(uint64_t(-1), ListBoxMacroList, MenuPlacement::Right,
                            QRect(at, QSize(1, 1)));
}

void TFrmMacro::ListBoxMacroKeyMouseUp(Qt::MouseButton button, const QPoint& global) {
  TuiActionsClass* editor = FMacroClass->CurrentMacroAction();
  const int action = ActionOfRow(ListBoxMacroKey->ItemIndex());
  if (button != Qt::RightButton || !editor || action < 0 || FRecording) return;
  using namespace action_menu;
  menuItem(*uiMenuMacroList, kInsert).Enabled = !editor->IsFull();
  menuItem(*uiMenuMacroList, kUp).Enabled = action >= 1;
  menuItem(*uiMenuMacroList, kDown).Enabled = action < editor->MacroListCount() - 1;
  menuItem(*uiMenuMacroList, kPaste).Enabled = editor->HasSavedAction() && !editor->IsFull();
  const QPoint at = ListBoxMacroKey->mapFromGlobal(global);
  uiMenuMacroList->ShowMainMenu(uint64_t(-1), ListBoxMacroKey, MenuPlacement::Right,
                                QRect(at, QSize(1, 1)));
}

void TFrmMacro::uiMenuMacroItemsClick(uint32_t AMenuItemID) {
  const int r = ListBoxMacroList->ItemIndex();
  if (r < 0) return;
  switch (AMenuItemID) {
    case macro_menu::kRename:
      ListBoxMacroList->setEnabled(false);
      TextBoxSelectedMacroName->setEnabled(true);
      TextBoxSelectedMacroName->setFocus();
      TextBoxSelectedMacroName->selectAll();
      break;
    case macro_menu::kUp:
      if (r < 1) return;
      FMacroClass->MoveUpMacro(r);
      DrawMacroList();
      break;
    case macro_menu::kDown:
      if (r >= FMacroClass->MacroListCount() - 1) return;
      FMacroClass->MoveDownMacro(r);
      DrawMacroList();
      break;
    default:
      break;
  }
}

void TFrmMacro::uiMenuMacroListItemsClick(uint32_t AMenuItemID) {
  TuiActionsClass* editor = FMacroClass->CurrentMacroAction();
  if (!editor) return;
  const int a = editor->ActionIndex();
  switch (AMenuItemID) {
    case action_menu::kInsert:
      if (hookReady()) startRecording(RecordingMode::InsertAfter);
      return;
    case action_menu::kDelete:
      editor->DeleteAction(a);
      break;
    case action_menu::kUp:
      editor->MoveUpAction(a);
      break;
    case action_menu::kDown:
      editor->MoveDownAction(a);
      break;
    case action_menu::kCopy:
      editor->CopyAction(a);
      break;
    case action_menu::kCut:
      editor->CutAction(a);
      break;
    case action_menu::kPaste:
      editor->PasteAction(a);
      break;
    default:
      return;
  }
  afterActionEdit();
}

void TFrmMacro::afterActionEdit() {
  if (TuiActionsClass* editor = FMacroClass->CurrentMacroAction()) editor->CheckErrors();
  drawActions();
  refreshErrorIcon(FMacroClass->MacroListIndex());
}

// ---- Renaming -------------------------------------------------------------------------------

void TFrmMacro::TextBoxSelectedMacroNameKeyDown() {
  const int r = ListBoxMacroList->ItemIndex();
  // Read before the box is disabled: losing the focus puts the old name back.
  const QString text = CutMacroName(TextBoxSelectedMacroName->text());
  if (!TextBoxSelectedMacroName->isEnabled() || r < 0) return;
  TextBoxSelectedMacroName->setEnabled(false);
  ListBoxMacroList->setEnabled(true);
  const int other = FMacroClass->IndexOfMacroName(ToU16(text));
  if (text.isEmpty() || (other >= 0 && other != r)) {
    TextBoxSelectedMacroNameKillFocus();
    // Two macros of one name would share one file, and buttons bound by name would follow
    // the wrong one.
    if (!text.isEmpty())
      ShowMessageDialog(TranslateText("Warning"),
                        TranslateText("A macro with this name already exists."), QString());
    return;
  }
  FMacroClass->ReNameMacro(ToU16(text), r);
  DrawMacroList();
}

void TFrmMacro::TextBoxSelectedMacroNameKillFocus() {
  if (FDrawing) return;
  TextBoxSelectedMacroName->setEnabled(false);
  ListBoxMacroList->setEnabled(!FMacroClass->IsEmpty() && !FRecording);
  TMACROKEYINFO m{};
  if (FMacroClass->GetMacroKeyInfoByIndex(ListBoxMacroList->ItemIndex(), m))
    TextBoxSelectedMacroName->setText(QString::fromStdU16String(MacroName(m)));
}

// ---- Editing a delay --------------------------------------------------------------------------

void TFrmMacro::ListBoxMacroKeyDblClick() {
  const int row = ListBoxMacroKey->ItemIndex();
  UiListRow* shown = ListBoxMacroKey->Row(row);
  TuiActionsClass* editor = FMacroClass->CurrentMacroAction();
  if (!shown || !editor || shown->TemplateIndex() != ListItemDelay || FRecording) return;
  auto* box = UiListBox::FindBinding<UiSpinBox>(*shown, "DELAYEDIT");
  if (!box) return;
  FEditingAction = ActionOfRow(row);
  box->OnEnter = [this](UiSpinBox& b) { TextEditDelayKeyUp(b); };
  box->OnKillFocus = [this](UiSpinBox& b) { TextEditDelayKillFocus(b); };
  box->SetValue(editor->GetDelayValue(FEditingAction));
  box->show();
  box->setFocus();
  box->selectAll();
}

void TFrmMacro::TextEditDelayKeyUp(UiSpinBox& box) {
  TuiActionsClass* editor = FMacroClass->CurrentMacroAction();
  const int action = std::exchange(FEditingAction, -1);
  // Read before the box hides: losing the focus puts its last valid value back.
  const int value = std::clamp(box.TypedValue(), int(kMinMacroDelay), int(kMaxDelay));
  box.OnEnter = nullptr;
  box.OnKillFocus = nullptr;
  box.hide();
  if (!editor || action < 0) return;
  editor->SetDelayValue(action, uint16_t(value));
  editor->SetActionIndex(action);
  // The box lives in the row that is drawn again: the drawing waits for its key event to end.
  QMetaObject::invokeMethod(
      this, [this] { drawActions(true); }, Qt::QueuedConnection);
}

void TFrmMacro::TextEditDelayKillFocus(UiSpinBox& box) {
  box.OnKillFocus = nullptr;
  box.OnEnter = nullptr;
  box.hide();
  FEditingAction = -1;
}

// ---- New and delete ---------------------------------------------------------------------------

void TFrmMacro::BSBTNNEWMACROClick() {
  if (FRecording) return;
  if (FMacroClass->IsFull()) {
    ShowMessageDialog(TranslateText("Warning"),
                      TranslateText("You can create macros shall not exceed 20 ."), QString());
    return;
  }
  QString name;
  if (ShowCreateMacroDialog(name, FMacroPath) != kModalOK || name.isEmpty()) return;
  if (const int existing = FMacroClass->IndexOfMacroName(ToU16(name)); existing >= 0) {
    ListBoxMacroList->setFocus();
    ListBoxMacroList->SetItemIndex(existing);
    return;
  }
  FMacroClass->CreateNewMacro(ToU16(name));
  DrawMacroList();
}

void TFrmMacro::BSBTNDELETEMACROClick() {
  const int r = ListBoxMacroList->ItemIndex();
  if (FRecording || FMacroClass->MacroListIndex() < 0 || r < 0) return;
  if (ShowMessageDialog(TranslateText("Delete"),
                        TranslateText("Are your sure you want to delete this macro?"),
                        QString()) == kModalCancel)
    return;
  // By position: names need not be unique in a stored list.
  FMacroClass->DeleteMacro(r);
  DrawMacroList();
}

// ---- Recording ----------------------------------------------------------------------------------

RecordingOptions TFrmMacro::options() const {
  return {BtnAutoDelay->isChecked(), BtnCustomDelay->isChecked(), uint16_t(NumBoxDelay->Value()),
          BtnMacroLoop->isChecked(), BoxMacroLoop->Value()};
}

bool TFrmMacro::hookReady() {
  if (uiHook1->DLLLoaded()) return true;
  QString text = FromUtf8(FHookProblem.missing + " can not be found!");
  if (FHookProblem.missing.empty()) text = TranslateText("No keyboard can be recorded here.");
  ShowMessageDialog(TranslateText("Error"), text, FromUtf8(FHookProblem.fix));
  return false;
}

void TFrmMacro::BtnMacroStopClick(UiTextButton& button) {
  if (button.Tag() == 0) {
    // Refused without a macro, or without a hook: an empty recording would erase the macro.
    if (FRecording) {
      BtnMacroStart->setChecked(true);
      return;
    }
    if (ListBoxMacroList->ItemIndex() < 0 || FMacroClass->IsEmpty() || !hookReady()) {
      BtnMacroStart->setChecked(false);
      return;
    }
    startRecording(RecordingMode::Replace);
    return;
  }
  if (FRecording)
    stopRecording();
  else
    BtnMacroStop->setChecked(false);
}

void TFrmMacro::startRecording(RecordingMode mode) {
  FMode = mode;
  if (mode == RecordingMode::Replace) {
    ListBoxMacroKey->Clear();
    FActionRows.clear();
  }
  FRecording = true;
  uiHook1->RecordKeyboardMacroKeyEx();
  if (FWindowKeys) grabKeyboard();
  enableControls(false);
  BtnMacroStart->setChecked(true);
  BtnMacroStop->setChecked(true);
  BtnMacroStop->setEnabled(true);
}

void TFrmMacro::stopRecording() {
  BtnMacroStart->setChecked(false);
  FPositions.Reset();
  uiHook1->StopRecordKeyboardMacroKeyEx();  // converts the recording before it returns
  if (FWindowKeys) releaseKeyboard();
  FRecording = false;
  enableControls(true);
  BtnMacroStop->setChecked(false);
  BtnMacroStop->setEnabled(false);
}

void TFrmMacro::keyPressEvent(QKeyEvent* event) {
  // While this window's keys are recorded they never act on it.
  if (!FWindowKeys || !FRecording) return UiScene::keyPressEvent(event);
  FWindowKeys->FeedKey(event->nativeScanCode(), true, static_cast<uint32_t>(event->timestamp()));
  event->accept();
}

void TFrmMacro::keyReleaseEvent(QKeyEvent* event) {
  if (!FWindowKeys || !FRecording) return UiScene::keyReleaseEvent(event);
  if (!event->isAutoRepeat())
    FWindowKeys->FeedKey(event->nativeScanCode(), false, static_cast<uint32_t>(event->timestamp()));
  event->accept();
}

void TFrmMacro::showHookNote() {
  if (!LabelHookNote) return;
  LabelHookNote->setVisible(FWindowKeys != nullptr);
  if (!FWindowKeys) return;
  QString text = TranslateText("Only the keys you type into this window are recorded.");
  if (!FHookProblem.fix.empty())
    text += " " + TranslateText("To record in every program:") + " " +
            TranslateText(FromUtf8(FHookProblem.fix));
  LabelHookNote->SetText(text);  // translated already: shown and named as it is
}

void TFrmMacro::enableControls(bool on) {
  for (QWidget* w : std::initializer_list<QWidget*>{
           BtnMin, BtnClose, BSBTNNEWMACRO, Label7, Label6, BtnMacroStart, BtnAutoDelay,
           BtnCustomDelay, BtnMacroLoop, ListBoxMacroList, ListBoxMacroKey})
    w->setEnabled(on);
  BSBTNDELETEMACRO->setEnabled(on && ListBoxMacroList->ItemIndex() >= 0);
}

void TFrmMacro::uiHook1RecordKeyboardMacroKeyEx(int AState, uint32_t TotalTime,
                                                const std::string& MacroKeyString) {
  if (ListBoxMacroKey->Count() >= kMaxRecordedActions) return;
  const RecordingOptions o = options();
  if (LiveDelayRowDue(ListBoxMacroKey->Count(), TotalTime, o)) {
    const int at = FPositions.Next(FMode);
    addActionRow(at, ListItemDelay, {},
                 QString::number(o.customDelay ? uint32_t(o.customDelayValue) : TotalTime));
    ListBoxMacroKey->ShowRow(at);
  }
  const int at = FPositions.Next(FMode);
  addActionRow(at, AState == kMacroKeyDown ? ListItemKeyDown : ListItemKeyUp,
               " " + FromUtf8(MacroKeyString), {});
  ListBoxMacroKey->ShowRow(at);
}

void TFrmMacro::uiHook1StopRecordKeyboardMacroKey(const TMacroKeyList& KeyList) {
  TMACROKEYINFO r{};
  if (!FMacroClass->GetCurrentMacroKeyInfo(r)) return;
  std::vector<TMACROKEYHOOK> entries;
  for (const auto& e : KeyList) entries.push_back(e.Object.FMacroKey);
  r = ConvertRecording(r, entries, options());
  if (!FMacroClass->CurrentMacroAction())
    FMacroClass->SetMacroListIndex(FMacroClass->MacroListIndex());
  TuiActionsClass* editor = FMacroClass->CurrentMacroAction();
  switch (FMode) {
    case RecordingMode::Replace:
      editor->SetMacroKeyInfo(r);
      break;
    case RecordingMode::InsertAfter:
      FMacroClass->InsertMacroAfter(r, editor->ActionIndex());
      break;
    case RecordingMode::InsertBefore:
      FMacroClass->InsertMacro(r, editor->ActionIndex());
      break;
  }
  afterActionEdit();
}

// ---- Options ----------------------------------------------------------------------------------

void TFrmMacro::BtnAutoDelayClick() {
  if (BtnAutoDelay->isChecked()) return;
  BtnCustomDelay->setChecked(false);
  NumBoxDelay->setEnabled(false);
}

void TFrmMacro::BtnCustomDelayMouseUp() {
  NumBoxDelay->setEnabled(BtnCustomDelay->isChecked());
  if (BtnCustomDelay->isChecked()) BtnAutoDelay->setChecked(true);
}

void TFrmMacro::BtnMacroLoopMouseUp() {
  const bool on = BtnMacroLoop->isChecked();
  BoxMacroLoop->setEnabled(on);
  FDrawing = true;  // one store below, not one per step
  BoxMacroLoop->SetValue(on ? 1 : 0);
  FDrawing = false;
  storeLoopValue();
}

void TFrmMacro::BoxMacroLoopChange() {
  if (!FDrawing) storeLoopValue();
}

void TFrmMacro::storeLoopValue() {
  const int current = FMacroClass->MacroListIndex();
  if (current < 0) return;
  FMacroClass->SetMacroLoopValue(current,
                                 uint16_t(BtnMacroLoop->isChecked() ? BoxMacroLoop->Value() : 0));
}

// ---- Leaving ------------------------------------------------------------------------------------

void TFrmMacro::BtnOKClick() {
  if (FRecording) stopRecording();
  // Leaving with a faulty macro is asked about, so nobody uploads one unawares.
  bool errors = false;
  for (int i = 0; i < FMacroClass->MacroListCount(); ++i) {
    TMACROKEYINFO m{};
    FMacroClass->GetMacroKeyInfoByIndex(i, m);
    errors = errors || m.HaveErrors > 0;
  }
  if (errors && ShowLeaveMacroWithErrorsDialog({}, {}, {}) != kModalOK) return;
  FMacroClass->SetMacroListIndex(ListBoxMacroList->ItemIndex());
  SetModalResult(kModalOK);
}

void TFrmMacro::BtnCancelClick() {
  if (FRecording) stopRecording();
  if (ShowMessageDialog(TranslateText("Warning"),
                        TranslateText("Do you want to leave macro manager without saving?"),
                        QString()) == kModalOK)
    SetModalResult(kModalCancel);
}

void TFrmMacro::BtnCloseClick() {
  SetModalResult(kModalCancel);
}

void TFrmMacro::BtnMinClick() {
  // The manager goes down with the main window and comes back with it.
  if (QWidget* main = MainForm()) main->showMinimized();
  showMinimized();
}

// ---- The entry ----------------------------------------------------------------------------------

int ShowMacroManager(TMACROKEYINFOLIST& AMacroKeyInfoList, int& AMacroIndex,
                     const QString& AMacroPath) {
  TFrmMacro form(MainForm());
  // A damaged count beyond the record's slots shows the macros the slots hold: an empty
  // window would hand back an empty list on OK and lose them all.
  TMACROKEYINFOLIST shown = AMacroKeyInfoList;
  shown.nMacroInfoCount = uint16_t(std::min<int>(shown.nMacroInfoCount, kProfileMacroSlots));
  form.FMacroClass->SetMacroKeyInfoList(shown);
  form.FMacroClass->SetMacroListIndex(AMacroIndex);
  form.FMacroPath = AMacroPath;
  form.DrawMacroList();
  CentreWindowOn(form, MainForm());
  const int result = form.ShowModal();
  AMacroIndex = form.FMacroClass->MacroListIndex();
  if (result == kModalOK) {
    form.FMacroClass->GetMacroKeyInfoList(AMacroKeyInfoList);
    if (auto error = SaveMacroKeyInfoListToMacroFiles(AMacroKeyInfoList, AMacroPath.toStdString()))
      ShowMessageDialog(TranslateText("Warning"),
                        TranslateText("The macro files could not be written:"), FromUtf8(*error));
  }
  return result;
}

}  // namespace qor
