// SPDX-License-Identifier: GPL-2.0-or-later
// The macro and key dialogs, each opened through one function, behind a presenter that
// tests replace with scripted answers (as ShowDialog's). Every function shows its window
// modally, centred on the main window, and returns the modal result: 1 OK, 2 cancel.
#pragma once

#include <QString>

#include "model/profile_records.h"

namespace qor {

class MacroDialogPresenter {
 public:
  virtual ~MacroDialogPresenter() = default;
  // The new-macro name dialog: on OK the empty macro file is in AMacroPath and AMacroName
  // holds the name (cut to 50 units); else AMacroName is empty.
  virtual int ShowCreateMacroDialog(QString& AMacroName, const QString& AMacroPath) = 0;
  // A question with a title, a text and a second line (all translated by the caller).
  virtual int ShowMessageDialog(const QString& ATitle, const QString& AText,
                                const QString& AText1) = 0;
  // Whether to go on although macros have errors.
  virtual int ShowLeaveMacroWithErrorsDialog(const QString& ATitle, const QString& AText,
                                             const QString& AText1) = 0;
  // Captures a key combination; AComboKeyInfo is handed back whatever the result.
  virtual int ShowComboKeyDialog(TCOMBOKEYINFO& AComboKeyInfo) = 0;
  // Edits a rapid-fire count and delay; AFireKeyInfo is handed back whatever the result.
  virtual int ShowFireKeyDialog(TFIREKEYINFO& AFireKeyInfo) = 0;
  // The macro manager (the window unless a presenter answers it).
  virtual int ShowMacroManager(TMACROKEYINFOLIST& AMacroKeyInfoList, int& AMacroIndex,
                               const QString& AMacroPath);
};

// The presenter the functions below use: the dialog windows unless one was installed.
MacroDialogPresenter& MacroDialogs();
// Replaces the presenter for as long as it lives; null restores the windows.
void UseMacroDialogPresenter(MacroDialogPresenter* presenter);

int ShowCreateMacroDialog(QString& AMacroName, const QString& AMacroPath);
int ShowMessageDialog(const QString& ATitle, const QString& AText, const QString& AText1);
int ShowLeaveMacroWithErrorsDialog(const QString& ATitle, const QString& AText,
                                   const QString& AText1);
int ShowComboKeyDialog(TCOMBOKEYINFO& AComboKeyInfo);
int ShowFireKeyDialog(TFIREKEYINFO& AFireKeyInfo);

// The presenter that shows the windows.
class WindowMacroDialogPresenter final : public MacroDialogPresenter {
 public:
  int ShowCreateMacroDialog(QString& AMacroName, const QString& AMacroPath) override;
  int ShowMessageDialog(const QString& ATitle, const QString& AText,
                        const QString& AText1) override;
  int ShowLeaveMacroWithErrorsDialog(const QString& ATitle, const QString& AText,
                                     const QString& AText1) override;
  int ShowComboKeyDialog(TCOMBOKEYINFO& AComboKeyInfo) override;
  int ShowFireKeyDialog(TFIREKEYINFO& AFireKeyInfo) override;
};

}  // namespace qor
