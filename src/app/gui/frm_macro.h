// SPDX-License-Identifier: GPL-2.0-or-later
// TFrmMacro: the macro manager. The user creates, deletes, renames and reorders the macros of
// the current profile, records a macro's actions from the keyboard, edits single delays and
// sets a repeat count. ShowMacroManager runs it modally on a copy of the profile's list.
#pragma once

#include <QString>
#include <memory>
#include <vector>

#include "macro/hook.h"
#include "macro/macro_model.h"
#include "macro/macro_recording.h"
#include "platform/hook_provider.h"
#include "widgets/scene_window.h"

namespace qor {

class HookPump;
class UiBitmapStateButton;
class UiCheckBox;
class UiLabel;
class UiListBox;
class UiMenuEx;
class UiNumberBox;
class UiSpinBox;
class UiTextBox;
class UiTextButton;
class TuiMenuItemEx;
class WindowKeyHookProvider;

class TFrmMacro : public UiScene {
 public:
  static constexpr int kWidth = 820, kHeight = 520;
  // Row templates of the action list.
  enum ActionTemplate { ListItemDelay = 0, ListItemKeyDown, ListItemKeyUp, ListItemMouse };

  explicit TFrmMacro(QWidget* owner);
  ~TFrmMacro() override;

  // Draws the macro list from FMacroClass and selects its current macro.
  void DrawMacroList();
  // Whether a recording runs.
  bool Recording() const { return FRecording; }
  // Whether only the keys typed into this window can be recorded (the desktop's keyboards
  // cannot be read).
  bool RecordsWindowKeysOnly() const { return FWindowKeys != nullptr; }
  // The action that row `row` of the action list shows; -1 for none.
  int ActionOfRow(int row) const;

  std::unique_ptr<TuiMacroClass> FMacroClass;
  QString FMacroPath;

  // Handlers, as the user reaches them.
  void BtnMinClick();
  void BtnCloseClick();
  void BtnOKClick();
  void BtnCancelClick();
  void BSBTNNEWMACROClick();
  void BSBTNDELETEMACROClick();
  void BtnMacroStopClick(UiTextButton& button);
  void uiMenuMacroItemsClick(uint32_t AMenuItemID);
  void uiMenuMacroListItemsClick(uint32_t AMenuItemID);

  UiLabel* Label22;
  UiBitmapStateButton* BtnMin;
  UiBitmapStateButton* BtnClose;
  UiTextBox* TextBoxSelectedMacroName;
  UiListBox* ListBoxMacroList;
  UiTextButton* IMGMACROLISTSCROLLUP;
  UiTextButton* IMGMACROLISTSCROLLDOWN;
  UiTextButton* BSBTNNEWMACRO;
  UiTextButton* BSBTNDELETEMACRO;
  UiLabel* Label7;
  UiLabel* Label6;
  UiListBox* ListBoxMacroKey;
  UiLabel* LabelAllDelayTime;
  UiLabel* LabelHookNote = nullptr;  // shown when only this window's keys can be recorded
  UiTextButton* BtnMacroStart;
  UiTextButton* BtnMacroStop;
  UiCheckBox* BtnAutoDelay;
  UiCheckBox* BtnCustomDelay;
  UiNumberBox* NumBoxDelay;
  UiCheckBox* BtnMacroLoop;
  UiSpinBox* BoxMacroLoop;
  UiTextButton* BtnOK;
  UiTextButton* BtnCANCEL;
  std::unique_ptr<UiMenuEx> uiMenuMacro;
  std::unique_ptr<UiMenuEx> uiMenuMacroList;
  std::unique_ptr<TuiHook> uiHook1;

 protected:
  void AfterTranslate() override;

 private:
  void buildControls();
  void buildMenus();
  void ListBoxMacroListChange();
  void ListBoxMacroListClick();
  void ListBoxMacroListMouseUp(Qt::MouseButton button, const QPoint& global);
  void ListBoxMacroKeyChange();
  void ListBoxMacroKeyDblClick();
  void ListBoxMacroKeyMouseUp(Qt::MouseButton button, const QPoint& global);
  void TextBoxSelectedMacroNameKeyDown();
  void TextBoxSelectedMacroNameKillFocus();
  void TextEditDelayKeyUp(UiSpinBox& box);
  void TextEditDelayKillFocus(UiSpinBox& box);
  void BtnAutoDelayClick();
  void BtnCustomDelayMouseUp();
  void BtnMacroLoopMouseUp();
  void BoxMacroLoopChange();
  void uiHook1RecordKeyboardMacroKeyEx(int AState, uint32_t TotalTime,
                                       const std::string& MacroKeyString);
  void uiHook1StopRecordKeyboardMacroKey(const TMacroKeyList& KeyList);

  // Draws the current macro's actions; `allDelays` shows delay rows whatever the macro's
  // delay flag (after a delay was edited).
  void drawActions(bool allDelays = false);
  void refreshErrorIcon(int macro);
  void storeLoopValue();
  // After an action command: the error check, the actions drawn again, the error icon.
  void afterActionEdit();
  RecordingOptions options() const;
  void startRecording(RecordingMode mode);
  void stopRecording();
  // Whether a recording can start; tells the user why not.
  bool hookReady();
  void enableControls(bool on);
  // Adds a row to the action list at `position` with its texts.
  void addActionRow(int position, ActionTemplate kind, const QString& button,
                    const QString& elapsed);
  TuiMenuItemEx& menuItem(UiMenuEx& menu, int id);

  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  // Tells, beside the options, that only this window's keys are recorded and how to record
  // from every program.
  void showHookNote();

  HookPump* FPump = nullptr;
  HookProblem FHookProblem;
  // Set when the desktop's keyboards cannot be read: the window's own keys are recorded.
  std::shared_ptr<WindowKeyHookProvider> FWindowKeys;
  bool FRecording = false;
  RecordingMode FMode = RecordingMode::Replace;
  LiveRowPositions FPositions;
  std::vector<ActionRow> FActionRows;  // what each row of the action list shows
  int FEditingAction = -1;             // the delay whose box is open
  bool FDrawing = false;               // controls set while drawing store nothing
};

// Runs the macro manager on AMacroKeyInfoList with AMacroIndex current (ignored when it names
// no macro) and AMacroPath as the macro folder. On OK the list and the current index come
// back and every macro is written to its file (a failure is told in a message; the list
// still comes back). Returns the modal result: 1 OK, 2 cancel.
int ShowMacroManager(TMACROKEYINFOLIST& AMacroKeyInfoList, int& AMacroIndex,
                     const QString& AMacroPath);

}  // namespace qor
