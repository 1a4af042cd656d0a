// SPDX-License-Identifier: GPL-2.0-or-later
// The macro editor's rules without a window: what a recording becomes when it stops, where
// the rows shown while recording go, and which action each row of the action list stands for.
#pragma once

#include <cstdint>
#include <vector>

#include "macro/recorder_records.h"
#include "model/profile_records.h"

namespace qor {

// A recording keeps at most this many actions, and the live display shows at most this many
// rows.
inline constexpr int kMaxRecordedActions = 127;
// Delays are never shorter than this, and never longer than 65535.
inline constexpr uint16_t kMinMacroDelay = 10;
// The live display leaves out pauses of this length or more (the conversion keeps them).
inline constexpr uint32_t kMaxLiveDelay = 10000;

// The editor's options as they stand when a recording stops.
struct RecordingOptions {
  bool autoDelay = true;           // record the pauses between keys
  bool customDelay = false;        // every pause gets customDelayValue instead
  uint16_t customDelayValue = 10;  // the default delay box
  bool loop = false;               // the loop switch
  int loopValue = 1;               // the loop box
};

// Where a recording goes into the current macro.
enum class RecordingMode { Replace, InsertBefore, InsertAfter };

// The record a recording makes of `current` (the current macro): its loop count and delay
// flag from the options, its first actions from the recorder's entries (at most 127), later
// action slots as they were. Delays below 10 ms become 10; a key entry equal to the last key
// taken (same key, extended flag and state) is skipped.
TMACROKEYINFO ConvertRecording(const TMACROKEYINFO& current,
                               const std::vector<TMACROKEYHOOK>& entries,
                               const RecordingOptions& options);

// The loop count the options give: the loop box when the switch is on and the box is above 0,
// else 0.
uint16_t LoopCountOf(const RecordingOptions& options);

// The positions at which the rows shown while recording are inserted.
class LiveRowPositions {
 public:
  // The selected action row changed: both insert positions follow it.
  void Select(int row) { FInsertBefore = FInsertAfter = row; }
  // A recording stopped.
  void Reset() { FAppend = FInsertBefore = FInsertAfter = 0; }
  // The position of the next live row in `mode`, moving on by one.
  int Next(RecordingMode mode);

 private:
  int FAppend = 0;
  int FInsertBefore = 0;
  int FInsertAfter = 0;
};

// Whether a recorded key shows a delay row before its own: the pause is measured (or a default
// delay replaces it) and below 10 s, the list already has a row, and pauses are recorded.
bool LiveDelayRowDue(int rowCount, uint32_t totalTime, const RecordingOptions& options);

// The kind of row an action is shown with.
enum class ActionRowKind { Delay, KeyDown, KeyUp, Mouse };

struct ActionRow {
  int action;  // the action's position in the macro
  ActionRowKind kind;
};

// The rows of the action list for `actions`: delays only when `showDelays`, keyboard keys and
// mouse buttons always, other kinds never. Each row names its action, so commands given a row
// act on the action it shows.
std::vector<ActionRow> ActionRows(const std::vector<TMACROKEY>& actions, bool showDelays);

// The row showing action `action`, or the row of the nearest shown action before it, or -1.
int RowOfAction(const std::vector<ActionRow>& rows, int action);

}  // namespace qor
