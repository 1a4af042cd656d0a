// SPDX-License-Identifier: GPL-2.0-or-later
#include "macro/macro_recording.h"

#include <algorithm>

#include "macro/macro_model.h"

namespace qor {
namespace {

// One recorded key as the duplicate test compares it: three values, never one number, so a
// press of one key cannot equal a release of another.
struct KeyTaken {
  int state = -1;
  int extended = 0;
  int key = 0;
  bool operator==(const KeyTaken&) const = default;
};

TMACROKEY delayAction(uint16_t ms) {
  return TMACROKEY{kMacroDelay, 0, static_cast<uint8_t>(ms & 0xFF), static_cast<uint8_t>(ms >> 8)};
}

}  // namespace

uint16_t LoopCountOf(const RecordingOptions& options) {
  return options.loop && options.loopValue > 0 ? static_cast<uint16_t>(options.loopValue) : 0;
}

TMACROKEYINFO ConvertRecording(const TMACROKEYINFO& current,
                               const std::vector<TMACROKEYHOOK>& entries,
                               const RecordingOptions& options) {
  TMACROKEYINFO r = current;
  r.nLoopCount = LoopCountOf(options);
  int n = 0;
  KeyTaken last;
  for (const TMACROKEYHOOK& e : entries) {
    if (n >= kMaxRecordedActions) break;
    if (e.nKeyType == 0) {
      if (!options.autoDelay) continue;
      const uint16_t gap = options.customDelay ? options.customDelayValue : e.nKeyValue;
      TMACROKEY a = delayAction(std::max(gap, kMinMacroDelay));
      a.nKeyState = e.nKeyState;
      r.MacroList[n++] = a;
    } else {
      const KeyTaken k{e.nKeyState, e.nKeyValueExtended, e.nKeyValue};
      if (k == last) continue;
      r.MacroList[n++] =
          TMACROKEY{kMacroKeyboardKey, e.nKeyState, static_cast<uint8_t>(e.nKeyValue),
                    static_cast<uint8_t>(e.nKeyValueExtended)};
      last = k;
    }
  }
  r.MacroListCount = n;
  r.nAutoAddDelay = options.autoDelay ? 1 : 0;
  return r;
}

int LiveRowPositions::Next(RecordingMode mode) {
  switch (mode) {
    case RecordingMode::Replace:
      return FAppend++;
    case RecordingMode::InsertBefore:
      return FInsertBefore++;
    case RecordingMode::InsertAfter:
      return ++FInsertAfter;
  }
  return FAppend++;
}

bool LiveDelayRowDue(int rowCount, uint32_t totalTime, const RecordingOptions& options) {
  return (totalTime > 0 || options.customDelay) && totalTime < kMaxLiveDelay && rowCount >= 1 &&
         options.autoDelay;
}

std::vector<ActionRow> ActionRows(const std::vector<TMACROKEY>& actions, bool showDelays) {
  std::vector<ActionRow> rows;
  for (int i = 0; i < static_cast<int>(actions.size()); ++i) {
    const TMACROKEY& a = actions[static_cast<std::size_t>(i)];
    switch (a.nKeyType) {
      case kMacroDelay:
        if (showDelays) rows.push_back({i, ActionRowKind::Delay});
        break;
      case kMacroKeyboardKey:
        rows.push_back(
            {i, a.nKeyState == kMacroKeyDown ? ActionRowKind::KeyDown : ActionRowKind::KeyUp});
        break;
      case kMacroMouseButton:
        rows.push_back({i, ActionRowKind::Mouse});
        break;
      default:
        break;
    }
  }
  return rows;
}

int RowOfAction(const std::vector<ActionRow>& rows, int action) {
  int found = -1;
  for (int r = 0; r < static_cast<int>(rows.size()); ++r)
    if (rows[static_cast<std::size_t>(r)].action <= action) found = r;
  return found;
}

}  // namespace qor
