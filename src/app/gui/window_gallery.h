// SPDX-License-Identifier: GPL-2.0-or-later
// Every window and dialog of qorcfg51 in a sample state, shown one after another: what
// qorcfg51-render draws and what the layout tests measure, so both see the same windows.
#pragma once

#include <QString>
#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace qor {

class TDM;
class TQorCfg51Main;

// The names `ShowGalleryWindow` takes, in the order "all" shows them: main, buttons,
// sensitivity, advanced, lighting, dialog, exit-question, access-dialog, new-macro,
// macro-question, leave-macro, combo, fire, menu, macro, button-menu.
const std::vector<std::string>& GalleryWindowNames();

// Gets each shown window with the name of its picture ("sensitivity-window"); false stops.
using GalleryVisit = std::function<bool(QWidget& window, const QString& picture)>;

// Shows the window `name` (one of GalleryWindowNames) over `main`, whose data module is `dm`,
// in its sample state and hands it to `visit` while it shows; the button menu hands on its
// main level and then each sub-menu. False for an unknown name, a window that did not open
// or a visit that returned false.
bool ShowGalleryWindow(const std::string& name, TQorCfg51Main& main, TDM& dm,
                       const GalleryVisit& visit);

}  // namespace qor
