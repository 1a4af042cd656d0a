// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "macro/macro_model.h"
#include "model/factory_defaults.h"
#include "settings/button_assignment.h"
#include "settings/macro_manager_flow.h"

namespace qor {
namespace {

TMACROKEYINFOLIST listOf(const std::vector<std::u16string>& names) {
  TMACROKEYINFOLIST list{};
  for (const std::u16string& n : names) SetMacroName(list.MacroInfos[list.nMacroInfoCount++], n);
  return list;
}

// A factory profile whose macro list is `names` and whose buttons 0.. hold the macros named in
// `onButtons` ("" keeps the factory function), bound as the menu binds them.
TMOUSEPROFILEINFO profileOf(const std::vector<std::u16string>& names,
                            const std::vector<std::u16string>& onButtons) {
  TMOUSEPROFILEINFO p{};
  RestoreFactoryProfile(p);
  p.MacroKeyInfoList = listOf(names);
  for (std::size_t b = 0; b < onButtons.size(); ++b) {
    if (onButtons[b].empty()) continue;
    int k = 0;
    while (MacroName(p.MacroKeyInfoList.MacroInfos[k]) != onButtons[b]) ++k;
    EXPECT_EQ(ApplyButtonMenuChoice(p, int(b), button_menu::kFirstMacro + k, {}),
              ButtonChoice::Applied);
  }
  return p;
}

struct FlowCase {
  const char* name;
  std::vector<std::u16string> before;     // the profile's macros
  std::vector<std::u16string> onButtons;  // macros on buttons 0..
  std::vector<std::u16string> edited;     // the list the manager hands back
  int modal;
  int index;   // the macro selected in the manager
  int button;  // the button whose menu opened the manager
  MacroManagerOutcome outcome;
  std::vector<int32_t> menuItems;  // MenuItemID of buttons 0..5 afterwards
};

class MacroManagerFlowTest : public testing::TestWithParam<FlowCase> {};

TEST_P(MacroManagerFlowTest, ListRebindAndAssignment) {
  const FlowCase& c = GetParam();
  TMOUSEPROFILEINFO p = profileOf(c.before, c.onButtons);
  const TMOUSEPROFILEINFO original = p;
  MacroManagerResult r{c.modal, c.index, listOf(c.edited)};
  EXPECT_EQ(ApplyMacroManagerResult(p, c.button, r), c.outcome);
  for (std::size_t b = 0; b < c.menuItems.size(); ++b)
    EXPECT_EQ(p.ConfigInfo.ButtonFuncInfo[b].MenuItemID, c.menuItems[b]) << "button " << b;
  const bool listTaken = c.modal == 1;
  EXPECT_EQ(p.MacroKeyInfoList.nMacroInfoCount,
            listTaken ? c.edited.size() : original.MacroKeyInfoList.nMacroInfoCount);
}

// Factory buttons 0..4: Left Click, Right Click, Middle Button, Forward, Backward (items 1 to
// 5); buttons 5 to 8 hold the built-in fire keys (item 11).
INSTANTIATE_TEST_SUITE_P(
    Returns, MacroManagerFlowTest,
    testing::Values(FlowCase{"cancel_changes_nothing",
                             {u"a"},
                             {u"", u"a"},
                             {},
                             2,
                             -1,
                             1,
                             MacroManagerOutcome::Unchanged,
                             {1, 1002}},
                    FlowCase{"ok_assigns_the_selected_macro",
                             {},
                             {},
                             {u"a", u"b"},
                             1,
                             1,
                             1,
                             MacroManagerOutcome::Assigned,
                             {1, 1003, 3}},
                    // Opening the manager from Left Click and pressing OK with nothing selected
                    // leaves the primary button alone.
                    FlowCase{"no_selection_keeps_the_button",
                             {},
                             {},
                             {},
                             1,
                             -1,
                             0,
                             MacroManagerOutcome::Rebound,
                             {1, 2}},
                    FlowCase{"moved_macro_is_followed",
                             {u"a", u"b"},
                             {u"", u"", u"a"},
                             {u"b", u"a"},
                             1,
                             -1,
                             0,
                             MacroManagerOutcome::Rebound,
                             {1, 2, 1003}},
                    FlowCase{"vanished_macro_disables_its_button",
                             {u"a", u"b"},
                             {u"", u"", u"a"},
                             {u"b"},
                             1,
                             0,
                             3,
                             MacroManagerOutcome::Assigned,
                             {1, 2, 0, 1002}},
                    FlowCase{"index_past_the_list_is_not_used",
                             {},
                             {},
                             {u"a"},
                             1,
                             5,
                             1,
                             MacroManagerOutcome::Rebound,
                             {1, 2}},
                    FlowCase{"sixth_macro_refused_after_the_rebind",
                             {u"a", u"b", u"c", u"d", u"e", u"f"},
                             {u"a", u"b", u"c", u"d", u"e"},
                             {u"a", u"b", u"c", u"d", u"e", u"f"},
                             1,
                             5,
                             5,
                             MacroManagerOutcome::TooManyMacros,
                             {1002, 1003, 1004, 1005, 1006, 11}},
                    // Deleting one of five bound macros frees a place: the limit counts after the
                    // re-binding, not the stale indices.
                    FlowCase{"deleted_macro_frees_a_place",
                             {u"a", u"b", u"c", u"d", u"e"},
                             {u"a", u"b", u"c", u"d", u"e"},
                             {u"b", u"c", u"d", u"e", u"f"},
                             1,
                             4,
                             5,
                             MacroManagerOutcome::Assigned,
                             {0, 1002, 1003, 1004, 1005, 1006}}),
    [](const testing::TestParamInfo<FlowCase>& info) { return std::string(info.param.name); });

TEST(MacroManagerFlow, VanishedMacroButtonIsDisable) {
  TMOUSEPROFILEINFO p = profileOf({u"a"}, {u"", u"", u"a"});
  ApplyMacroManagerResult(p, 0, {1, -1, listOf({})});
  const TBUTTONFUNCINFO& b = p.ConfigInfo.ButtonFuncInfo[2];
  EXPECT_EQ(b.FunctionIndex, 29);
  EXPECT_EQ(b.FunctionType, 10);
  EXPECT_EQ(b.FunctionCode, 14);
  EXPECT_EQ(b.MenuItemID, 0);
}

}  // namespace
}  // namespace qor
