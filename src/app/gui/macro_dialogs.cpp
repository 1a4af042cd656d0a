// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/gui/macro_dialogs.h"

#include "app/gui/dialog_presenter.h"
#include "app/gui/frm_combo.h"
#include "app/gui/frm_creat.h"
#include "app/gui/frm_fire.h"
#include "app/gui/frm_macro.h"
#include "app/gui/frm_message_dialog.h"

namespace qor {
namespace {

MacroDialogPresenter* gPresenter = nullptr;

// Shows a dialog owned by the main window, centred on it, and returns its modal result.
template <typename Dialog>
int showCentred(Dialog& dialog) {
  dialog.CentreOnMainForm();
  return dialog.ShowModal();
}

}  // namespace

int MacroDialogPresenter::ShowMacroManager(TMACROKEYINFOLIST& AMacroKeyInfoList, int& AMacroIndex,
                                           const QString& AMacroPath) {
  return qor::ShowMacroManager(AMacroKeyInfoList, AMacroIndex, AMacroPath);
}

MacroDialogPresenter& MacroDialogs() {
  static WindowMacroDialogPresenter windows;
  return gPresenter ? *gPresenter : windows;
}

void UseMacroDialogPresenter(MacroDialogPresenter* presenter) {
  gPresenter = presenter;
}

int ShowCreateMacroDialog(QString& AMacroName, const QString& AMacroPath) {
  return MacroDialogs().ShowCreateMacroDialog(AMacroName, AMacroPath);
}
int ShowMessageDialog(const QString& ATitle, const QString& AText, const QString& AText1) {
  return MacroDialogs().ShowMessageDialog(ATitle, AText, AText1);
}
int ShowLeaveMacroWithErrorsDialog(const QString& ATitle, const QString& AText,
                                   const QString& AText1) {
  return MacroDialogs().ShowLeaveMacroWithErrorsDialog(ATitle, AText, AText1);
}
int ShowComboKeyDialog(TCOMBOKEYINFO& AComboKeyInfo) {
  return MacroDialogs().ShowComboKeyDialog(AComboKeyInfo);
}
int ShowFireKeyDialog(TFIREKEYINFO& AFireKeyInfo) {
  return MacroDialogs().ShowFireKeyDialog(AFireKeyInfo);
}

int WindowMacroDialogPresenter::ShowCreateMacroDialog(QString& AMacroName,
                                                      const QString& AMacroPath) {
  TFrmCreat dialog(MainForm());
  dialog.FMacroPath = AMacroPath;
  const int result = showCentred(dialog);
  AMacroName = dialog.FMacroName;
  return result;
}

int WindowMacroDialogPresenter::ShowMessageDialog(const QString& ATitle, const QString& AText,
                                                  const QString& AText1) {
  TFrmMessageDialog dialog(MainForm());
  dialog.SetTexts(ATitle, AText, AText1);
  return showCentred(dialog);
}

int WindowMacroDialogPresenter::ShowLeaveMacroWithErrorsDialog(const QString& ATitle,
                                                               const QString& AText,
                                                               const QString& AText1) {
  TDlgLeaveMacroWithErrorsForm dialog(MainForm());
  dialog.SetTexts(ATitle, AText, AText1);
  return showCentred(dialog);
}

int WindowMacroDialogPresenter::ShowComboKeyDialog(TCOMBOKEYINFO& AComboKeyInfo) {
  TFrmCombo dialog(MainForm());
  dialog.SetComboKey(AComboKeyInfo);
  const int result = showCentred(dialog);
  AComboKeyInfo = dialog.FComboKey;
  return result;
}

int WindowMacroDialogPresenter::ShowFireKeyDialog(TFIREKEYINFO& AFireKeyInfo) {
  TFrmFire dialog(MainForm());
  dialog.FFireKeyInfo = AFireKeyInfo;
  dialog.FormShow();
  const int result = showCentred(dialog);
  AFireKeyInfo = dialog.FFireKeyInfo;
  return result;
}

}  // namespace qor
