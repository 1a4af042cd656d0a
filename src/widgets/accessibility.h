// SPDX-License-Identifier: GPL-2.0-or-later
// What assistive technology (AT-SPI on Linux) learns of the widget set beyond Qt's own
// interfaces: track bars in the unit the user reads, buttons whose every action is a click,
// radio groups as radio buttons, a picture shown as a button as a picture, named panels as groups,
// list boxes as lists of their rows, spin boxes with their value, and status lines as status bars.
#pragma once

class QAbstractButton;

namespace qor {

// Marks a button that stays pressed as a toggle button for assistive technology: a push button
// whose checked and pressed states tell whether it is on (a check box otherwise).
void SetAccessibleToggleButton(QAbstractButton& button);
bool IsAccessibleToggleButton(const QAbstractButton& button);
// Marks a button that stays pressed as one choice of several (the others cleared by the
// window): a radio button for assistive technology.
void SetAccessibleRadioButton(QAbstractButton& button);
bool IsAccessibleRadioButton(const QAbstractButton& button);

// Registers the widget set's accessible interfaces with Qt; safe to call any number of times.
void InstallAccessibleInterfaces();

}  // namespace qor
