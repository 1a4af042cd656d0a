// SPDX-License-Identifier: GPL-2.0-or-later
// The ready-made functions a button can take: editing shortcuts, window commands, media keys.
#pragma once

#include <cstdint>

#include "model/profile_records.h"

namespace qor {

inline constexpr int kStandardTableRows = 50;

// Row `row` of each table into `out`; rows never set give an all-zero record, and a row
// outside 0..49 leaves `out` unchanged. The tables are built once, thread-safely.
void GetEditShortcut(int32_t row, TCOMBOKEYINFO& out);
void GetWindowsShortcut(int32_t row, TCOMBOKEYINFO& out);
void GetConsumerCode(int32_t row, THID_CODE_INFO& out);

}  // namespace qor
