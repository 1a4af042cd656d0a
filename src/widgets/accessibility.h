// What assistive technology (AT-SPI on Linux) learns of the widget set beyond Qt's own
// interfaces: track bars in the unit the user reads, buttons whose every action is a click,
// and named panels as groups.
#pragma once

namespace qor {

// Registers the widget set's accessible interfaces with Qt; safe to call any number of times.
void InstallAccessibleInterfaces();

}  // namespace qor
