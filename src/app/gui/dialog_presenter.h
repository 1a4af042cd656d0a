// SPDX-License-Identifier: GPL-2.0-or-later
// ShowDialog, the notice and question dialog every window uses, behind a presenter that
// tests replace with scripted answers.
#pragma once

#include <QString>

class QWidget;

namespace qor {

// Where ShowDialog places its window.
enum class DialogPosition {
  MainFormCenter = 6,   // centred on the main window
  OwnerFormCenter = 7,  // centred on the owner (the main window when there is none)
};

class DialogPresenter {
 public:
  virtual ~DialogPresenter() = default;
  // Shows ATitle and AText (both translated by the caller) with OK and Cancel, modally, and
  // returns the modal result: 1 OK (also Enter), 2 Cancel (also Escape), ACloseResult for the
  // close button.
  virtual int ShowDialog(const QString& ATitle, const QString& AText, DialogPosition APosition,
                         QWidget* AOwner, int ACloseResult) = 0;
};

// The presenter ShowDialog uses: the dialog window unless Use replaced it.
DialogPresenter& Dialogs();
// Replaces the presenter for as long as it lives; null restores the dialog window.
void UseDialogPresenter(DialogPresenter* presenter);

// The system's ShowDialog: the third argument is not used (callers pass 0); the close button
// answers OK.
int ShowDialog(const QString& ATitle, const QString& AText, int, DialogPosition APosition,
               QWidget* AOwner);
// ShowDialog for a question whose OK destroys something: the close button answers Cancel, so
// closing the question never performs the destructive answer.
int ShowQuestion(const QString& ATitle, const QString& AText, DialogPosition APosition,
                 QWidget* AOwner);

// The main window, which position 6 centres on; null before it exists.
QWidget* MainForm();
void SetMainForm(QWidget* form);

}  // namespace qor
