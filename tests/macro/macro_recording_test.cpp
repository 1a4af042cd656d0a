// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <vector>

#include "macro/macro_recording.h"
#include "macro_test_support.h"

namespace qor {
namespace {

using test::delay;
using test::down;
using test::key;
using test::up;

// Recorder entries: kd/ku a key press/release (virtual key, extended flag), gap a pause.
TMACROKEYHOOK entry(uint16_t type, uint16_t state, uint16_t value, uint16_t ext) {
  TMACROKEYHOOK e;
  e.nKeyType = type;
  e.nKeyState = state;
  e.nKeyValue = value;
  e.nKeyValueExtended = ext;
  return e;
}
TMACROKEYHOOK kd(uint16_t vk, uint16_t ext = 0) {
  return entry(1, 1, vk, ext);
}
TMACROKEYHOOK ku(uint16_t vk, uint16_t ext = 0) {
  return entry(1, 0, vk, ext);
}
TMACROKEYHOOK gap(uint16_t ms) {
  return entry(0, 0, ms, 0);
}

constexpr uint16_t VK_A = 0x41, VK_B = 0x42, VK_RETURN = 13, VK_LEFT = 37;

struct ConvertCase {
  const char* name;
  std::vector<TMACROKEYHOOK> entries;
  RecordingOptions options;
  std::vector<TMACROKEY> actions;
  uint16_t autoAddDelay;
  uint16_t loopCount;
};

class ConvertRecordingTest : public testing::TestWithParam<ConvertCase> {};

TEST_P(ConvertRecordingTest, GivesTheActionsAndFlags) {
  const ConvertCase& c = GetParam();
  TMACROKEYINFO before{};
  before.MacroList[100] = delay(777);  // a slot past the recording keeps what it held
  before.nLoopCount = 9;
  const TMACROKEYINFO r = ConvertRecording(before, c.entries, c.options);
  ASSERT_EQ(r.MacroListCount, int(c.actions.size()));
  for (std::size_t i = 0; i < c.actions.size(); ++i)
    EXPECT_TRUE(test::sameAction(r.MacroList[i], c.actions[i])) << "action " << i;
  EXPECT_EQ(r.nAutoAddDelay, c.autoAddDelay);
  EXPECT_EQ(r.nLoopCount, c.loopCount);
  EXPECT_TRUE(test::sameAction(r.MacroList[100], delay(777)));
}

const RecordingOptions kDelaysOn{};
const RecordingOptions kDelaysOff{false, false, 10, false, 1};
const RecordingOptions kDefault500{true, true, 500, false, 1};
const RecordingOptions kLoop3{true, false, 10, true, 3};
const RecordingOptions kLoopOnAtZero{true, false, 10, true, 0};

INSTANTIATE_TEST_SUITE_P(
    Recordings, ConvertRecordingTest,
    testing::Values(
        ConvertCase{"press_pause_release",
                    {kd(VK_A), gap(30), ku(VK_A)},
                    kDelaysOn,
                    {down('A'), delay(30), up('A')},
                    1,
                    0},
        ConvertCase{"delays_off_keeps_only_keys",
                    {kd(VK_A), gap(30), ku(VK_A)},
                    kDelaysOff,
                    {down('A'), up('A')},
                    0,
                    0},
        ConvertCase{"default_delay_replaces_every_pause",
                    {kd(VK_A), gap(30), ku(VK_A), gap(4000), kd(VK_B)},
                    kDefault500,
                    {down('A'), delay(500), up('A'), delay(500), down('B')},
                    1,
                    0},
        ConvertCase{"short_pause_becomes_10",
                    {kd(VK_A), gap(3), ku(VK_A)},
                    kDelaysOn,
                    {down('A'), delay(10), up('A')},
                    1,
                    0},
        ConvertCase{"default_below_10_becomes_10",
                    {kd(VK_A), gap(300), ku(VK_A)},
                    RecordingOptions{true, true, 4, false, 1},
                    {down('A'), delay(10), up('A')},
                    1,
                    0},
        ConvertCase{"longest_pause_kept",
                    {kd(VK_A), gap(65535), ku(VK_A)},
                    kDelaysOn,
                    {down('A'), delay(65535), up('A')},
                    1,
                    0},
        ConvertCase{"empty_recording", {}, kLoop3, {}, 1, 3},
        ConvertCase{"loop_on_at_zero_stores_no_loop", {kd(VK_A)}, kLoopOnAtZero, {down('A')}, 1, 0},
        ConvertCase{"repeated_press_skipped",
                    {kd(VK_A), kd(VK_A), ku(VK_A)},
                    kDelaysOff,
                    {down('A'), up('A')},
                    0,
                    0},
        ConvertCase{"extended_twin_is_another_key",
                    {kd(VK_RETURN), kd(VK_RETURN, 1)},
                    kDelaysOff,
                    {down(VK_RETURN), key(VK_RETURN, 1, 1)},
                    0,
                    0},
        // One composite number 32 x state + 8 x extended + key would make Enter down (45)
        // equal Left up with the extended flag (45) and drop that release.
        ConvertCase{"enter_down_then_left_up_both_kept",
                    {kd(VK_RETURN), ku(VK_LEFT, 1)},
                    kDelaysOff,
                    {down(VK_RETURN), key(VK_LEFT, 0, 1)},
                    0,
                    0}),
    [](const testing::TestParamInfo<ConvertCase>& info) { return std::string(info.param.name); });

TEST(ConvertRecording, KeepsTheFirst127Actions) {
  std::vector<TMACROKEYHOOK> entries;
  for (int i = 0; i < 100; ++i) {
    entries.push_back(kd(VK_A));
    entries.push_back(gap(20));
    entries.push_back(ku(VK_A));
    entries.push_back(gap(20));
  }
  const TMACROKEYINFO r = ConvertRecording({}, entries, kDelaysOn);
  ASSERT_EQ(r.MacroListCount, kMaxRecordedActions);
  // 127 = 31 full press-pause-release-pause groups and a press, a pause and a release.
  EXPECT_TRUE(test::sameAction(r.MacroList[124], down('A')));
  EXPECT_TRUE(test::sameAction(r.MacroList[126], up('A')));
  EXPECT_EQ(r.MacroList[127].nKeyType, 0);
}

TEST(LiveRows, PositionsPerMode) {
  struct Case {
    RecordingMode mode;
    int selected;
    std::vector<int> expected;
  };
  for (const Case& c :
       {Case{RecordingMode::Replace, 5, {0, 1, 2}}, Case{RecordingMode::InsertBefore, 2, {2, 3, 4}},
        Case{RecordingMode::InsertAfter, 2, {3, 4, 5}}}) {
    LiveRowPositions p;
    p.Select(c.selected);
    std::vector<int> got;
    for (int i = 0; i < 3; ++i) got.push_back(p.Next(c.mode));
    EXPECT_EQ(got, c.expected) << int(c.mode);
    p.Reset();
    EXPECT_EQ(p.Next(c.mode), c.mode == RecordingMode::InsertAfter ? 1 : 0);
  }
}

TEST(LiveRows, DelayRowRules) {
  struct Case {
    int rows;
    uint32_t total;
    RecordingOptions options;
    bool due;
  };
  const Case cases[] = {
      {1, 120, kDelaysOn, true},  {0, 120, kDelaysOn, false},  // no row yet
      {1, 0, kDelaysOn, false},   {1, 0, kDefault500, true},   // default delay shows at 0
      {1, 9999, kDelaysOn, true}, {1, 10000, kDelaysOn, false}, {1, 120, kDelaysOff, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(LiveDelayRowDue(c.rows, c.total, c.options), c.due) << c.rows << " " << c.total;
}

TEST(ActionRows, EachRowNamesItsAction) {
  const std::vector<TMACROKEY> actions = {
      down('A'), delay(40), up('A'), test::media(0xE9, 1), test::mouse(1), delay(50), key('B', 0)};
  const std::vector<ActionRow> hidden = ActionRows(actions, false);
  ASSERT_EQ(hidden.size(), 4u);
  EXPECT_EQ(hidden[0].action, 0);
  EXPECT_EQ(hidden[1].action, 2);
  EXPECT_EQ(hidden[1].kind, ActionRowKind::KeyUp);
  EXPECT_EQ(hidden[2].action, 4);
  EXPECT_EQ(hidden[2].kind, ActionRowKind::Mouse);
  EXPECT_EQ(hidden[3].action, 6);
  // The hidden delay at 5 is nearest after the mouse row; the media key at 3 after the A up.
  EXPECT_EQ(RowOfAction(hidden, 5), 2);
  EXPECT_EQ(RowOfAction(hidden, 3), 1);
  EXPECT_EQ(RowOfAction(hidden, 6), 3);

  const std::vector<ActionRow> shown = ActionRows(actions, true);
  ASSERT_EQ(shown.size(), 6u);
  EXPECT_EQ(shown[1].kind, ActionRowKind::Delay);
  EXPECT_EQ(shown[4].action, 5);
  EXPECT_EQ(RowOfAction(shown, -1), -1);
}

}  // namespace
}  // namespace qor
