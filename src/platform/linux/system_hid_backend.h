// SPDX-License-Identifier: GPL-2.0-or-later
// The HID interfaces this machine offers.
#pragma once

#include <memory>

#include "device/hid_backend.h"

namespace qor {

// The hidraw nodes, then the interfaces of running virtual mice.
std::unique_ptr<HidBackend> MakeSystemHidBackend();

}  // namespace qor
