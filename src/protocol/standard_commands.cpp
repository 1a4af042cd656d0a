// SPDX-License-Identifier: GPL-2.0-or-later
#include "protocol/standard_commands.h"

#include <array>

#include "protocol/key_code_table.h"

namespace qor {
namespace {

constexpr uint16_t kAlt = 1, kCtrl = 2, kWindows = 8;

struct Tables {
  std::array<TCOMBOKEYINFO, kStandardTableRows> edit{};
  std::array<TCOMBOKEYINFO, kStandardTableRows> windows{};
  std::array<THID_CODE_INFO, kStandardTableRows> consumer{};

  Tables() {
    // Cut, Copy, Paste, Select All, Find, New, Print, Save: Ctrl with X C V A F N P S.
    const uint16_t editKeys[] = {88, 67, 86, 65, 70, 78, 80, 83};
    for (std::size_t i = 0; i < std::size(editKeys); ++i) edit[i] = {editKeys[i], 0, 0, 0, kCtrl};
    // Switch Window, Close Window, Open Explorer, Run, Show Desktop, Lock PC.
    const TCOMBOKEYINFO win[] = {{9, 0, 0, 0, kAlt},      {115, 0, 0, 0, kAlt},
                                 {69, 0, 0, 0, kWindows}, {82, 0, 0, 0, kWindows},
                                 {68, 0, 0, 0, kWindows}, {76, 0, 0, 0, kWindows}};
    for (std::size_t i = 0; i < std::size(win); ++i) windows[i] = win[i];
    // Play/Pause, Stop, Previous, Next, Volume Up, Volume Down, Mute, media select: the
    // HID codes the key table gives for these virtual keys with the extended flag.
    const uint32_t mediaKeys[] = {179, 178, 177, 176, 175, 174, 173, 181};
    for (std::size_t i = 0; i < std::size(mediaKeys); ++i) {
      const int32_t code = GetHIDCodeByVK(mediaKeys[i], 1);
      consumer[i].nKeyValue1 = code == 0xFFFF ? 0 : static_cast<uint16_t>(code);
      consumer[i].nKeyValue2 = static_cast<uint16_t>(GetHIDCodeByVK(0, 0));
      consumer[i].nModifier = 0;
    }
  }
};

const Tables& tables() {
  static const Tables t;
  return t;
}

template <typename Row>
void copyRow(const std::array<Row, kStandardTableRows>& table, int32_t row, Row& out) {
  if (row >= 0 && row < kStandardTableRows) out = table[static_cast<std::size_t>(row)];
}

}  // namespace

void GetEditShortcut(int32_t row, TCOMBOKEYINFO& out) {
  copyRow(tables().edit, row, out);
}
void GetWindowsShortcut(int32_t row, TCOMBOKEYINFO& out) {
  copyRow(tables().windows, row, out);
}
void GetConsumerCode(int32_t row, THID_CODE_INFO& out) {
  copyRow(tables().consumer, row, out);
}

}  // namespace qor
