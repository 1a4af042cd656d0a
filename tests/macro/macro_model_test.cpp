// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <vector>

#include "macro/macro_model.h"
#include "macro_test_support.h"

namespace qor {
namespace {

using test::codes;
using test::delay;
using test::down;
using test::key;
using test::macroOf;
using test::up;

TMACROKEYINFOLIST listOf(std::initializer_list<TMACROKEYINFO> macros) {
  TMACROKEYINFOLIST list{};
  for (const TMACROKEYINFO& m : macros) list.MacroInfos[list.nMacroInfoCount++] = m;
  return list;
}

TMACROKEYINFO stored(const TuiMacroClass& manager, int index) {
  TMACROKEYINFO m{};
  EXPECT_TRUE(manager.GetMacroKeyInfoByIndex(index, m));
  return m;
}

std::u16string names(const TuiMacroClass& manager) {
  std::u16string s;
  for (int i = 0; i < manager.MacroListCount(); ++i) {
    const TMACROKEYINFO m = stored(manager, i);
    EXPECT_EQ(m.nMacroIndex, i) << "renumbered";
    s += MacroName(m);
  }
  return s;
}

// ---- The macro list ---------------------------------------------------------------------------

TEST(MacroList, LoadsAndWritesBackTheListRecord) {
  TMACROKEYINFOLIST list =
      listOf({macroOf(u"A", {down('A')}), macroOf(u"B", {}), macroOf(u"C", {})});
  list.MacroInfos[0].MacroUse = 7;  // carried unchanged
  auto manager = TuiMacroClass::CtlCreate(list);
  ASSERT_TRUE(manager);
  EXPECT_EQ(manager->MacroListCount(), 3);
  EXPECT_EQ(manager->MacroListIndex(), 0);
  EXPECT_EQ(manager->CurrentMacroAction(), nullptr);  // loading builds no action editor

  manager->DeleteMacro(1);
  TMACROKEYINFOLIST out{};
  out.MacroInfos[2] = macroOf(u"old", {});  // a slot past the count keeps what it held
  ASSERT_TRUE(manager->GetMacroKeyInfoList(out));
  EXPECT_EQ(out.nMacroInfoCount, 2);
  EXPECT_EQ(MacroName(out.MacroInfos[1]), u"C");
  EXPECT_EQ(out.MacroInfos[0].MacroUse, 7);
  EXPECT_EQ(MacroName(out.MacroInfos[2]), u"old");
}

TEST(MacroList, CountsBeyondTheRecordAreRefused) {
  TMACROKEYINFOLIST list{};
  list.nMacroInfoCount = 21;  // every slot of the record: accepted
  EXPECT_EQ(TuiMacroClass::CtlCreate(list)->MacroListCount(), 21);
  list.nMacroInfoCount = 22;
  EXPECT_EQ(TuiMacroClass::CtlCreate(list), nullptr);
  TuiMacroClass manager;
  EXPECT_FALSE(manager.SetMacroKeyInfoList(list));
  EXPECT_TRUE(manager.IsEmpty());
  EXPECT_EQ(manager.MacroListIndex(), -1);

  // A manager that was given more macros than the record holds is not written back.
  for (int i = 0; i < 22; ++i) manager.CreateNewMacro(u"m" + std::u16string(1, u'a' + i));
  TMACROKEYINFOLIST out{};
  out.nMacroInfoCount = 3;
  EXPECT_FALSE(manager.GetMacroKeyInfoList(out));
  EXPECT_EQ(out.nMacroInfoCount, 3);
}

TEST(MacroList, NewMacrosAreEmptyNamedAndCurrentAndTheManagerFillsAtTwenty) {
  TuiMacroClass manager;
  EXPECT_TRUE(manager.IsEmpty());
  TMACROKEYINFO untouched = macroOf(u"keep", {});
  EXPECT_FALSE(manager.GetCurrentMacroKeyInfo(untouched));
  EXPECT_EQ(MacroName(untouched), u"keep");

  const std::u16string sixty(60, u'n');
  manager.CreateNewMacro(sixty);
  EXPECT_EQ(manager.MacroListIndex(), 0);
  EXPECT_EQ(manager.CurrentMacroAction(), nullptr);
  TMACROKEYINFO m{};
  ASSERT_TRUE(manager.GetCurrentMacroKeyInfo(m));
  EXPECT_EQ(MacroName(m), sixty.substr(0, 50));  // the full field, without terminator
  EXPECT_EQ(m.MacroListCount, 0);
  EXPECT_EQ(m.Version, 0u);
  EXPECT_TRUE(manager.MacroExists(sixty.substr(0, 50)));
  EXPECT_FALSE(manager.MacroExists(sixty));  // compared exactly
  for (int i = 1; i < 20; ++i) {
    EXPECT_FALSE(manager.IsFull());
    manager.CreateNewMacro(i == 5 ? u"Reload" : u"x");
    EXPECT_EQ(manager.MacroListIndex(), i);
    EXPECT_EQ(stored(manager, i).nMacroIndex, i);
  }
  EXPECT_TRUE(manager.IsFull());
  EXPECT_EQ(manager.IndexOfMacroName(u"Reload"), 5);
  EXPECT_EQ(manager.IndexOfMacroName(u"reload"), -1);  // case-sensitive
  EXPECT_EQ(manager.IndexOfMacroName(u"x"), 1);        // the first of equal names
}

TEST(MacroList, MovesCarryTheCurrentIndexAndRenumber) {
  auto manager = TuiMacroClass::CtlCreate(
      listOf({macroOf(u"A", {}), macroOf(u"B", {}), macroOf(u"C", {}), macroOf(u"D", {})}));
  manager->SetMacroListIndex(1);
  manager->MoveUpMacro(1);  // the current macro moves: the index goes with it
  EXPECT_EQ(names(*manager), u"BACD");
  EXPECT_EQ(manager->MacroListIndex(), 0);
  manager->MoveDownMacro(1);  // A and C swap, the current macro stays where it is
  EXPECT_EQ(names(*manager), u"BCAD");
  EXPECT_EQ(manager->MacroListIndex(), 0);
  manager->MoveDownMacro(0);  // the current macro moves down
  EXPECT_EQ(names(*manager), u"CBAD");
  EXPECT_EQ(manager->MacroListIndex(), 1);
  for (int bad : {0, 4, -1}) manager->MoveUpMacro(bad);
  for (int bad : {3, -1}) manager->MoveDownMacro(bad);
  EXPECT_EQ(names(*manager), u"CBAD");
  manager->SetMacroListIndex(9);  // ignored
  EXPECT_EQ(manager->MacroListIndex(), 1);
}

TEST(MacroList, DeletingKeepsTheIndexUnlessItFallsOffTheEnd) {
  auto manager = TuiMacroClass::CtlCreate(
      listOf({macroOf(u"A", {}), macroOf(u"B", {}), macroOf(u"C", {}), macroOf(u"D", {})}));
  manager->SetMacroListIndex(2);
  manager->DeleteMacro(0);  // the index now designates the next macro
  EXPECT_EQ(names(*manager), u"BCD");
  EXPECT_EQ(manager->MacroListIndex(), 2);
  manager->DeleteMacro(2);
  EXPECT_EQ(manager->MacroListIndex(), 1);
  manager->DeleteMacro(u"nobody");
  manager->DeleteMacro(7);
  EXPECT_EQ(names(*manager), u"BC");
  manager->DeleteMacro(u"C");
  manager->DeleteMacro(u"B");
  EXPECT_TRUE(manager->IsEmpty());
  EXPECT_EQ(manager->MacroListIndex(), -1);
}

TEST(MacroList, TheActionEditorKeepsEditingItsOwnMacroWhenTheListChanges) {
  auto manager = TuiMacroClass::CtlCreate(
      listOf({macroOf(u"A", {}), macroOf(u"B", {}), macroOf(u"C", {down('C'), up('C')})}));
  manager->SetMacroListIndex(2);
  TuiActionsClass* editor = manager->CurrentMacroAction();
  manager->DeleteMacro(0);  // C is now at 1
  manager->MoveUpMacro(1);  // and now at 0
  manager->ReNameMacro(u"Cee", 0);
  editor->DeleteAction(0);
  EXPECT_EQ(names(*manager), u"CeeB");  // the rename survives the editor's write-back
  EXPECT_EQ(stored(*manager, 0).MacroListCount, 1);
  EXPECT_EQ(stored(*manager, 1).MacroListCount, 0);  // B was not overwritten

  manager->DeleteMacro(0);  // an editor of a deleted macro writes nowhere
  EXPECT_EQ(editor->MacroIndex(), -1);
  editor->InsertActionAfter(down('X'), 0);
  EXPECT_EQ(names(*manager), u"B");
  EXPECT_EQ(stored(*manager, 0).MacroListCount, 0);
}

TEST(MacroList, LoopValueAndWholeMacroReplacementReselect) {
  auto manager = TuiMacroClass::CtlCreate(listOf({macroOf(u"A", {down('A'), up('A')})}));
  manager->SetMacroListIndex(0);
  manager->CurrentMacroAction()->SetActionIndex(1);
  manager->CurrentMacroAction()->CopyAction(1);
  manager->SetMacroLoopValue(0, 300);
  EXPECT_EQ(stored(*manager, 0).nLoopCount, 300);
  EXPECT_EQ(manager->CurrentMacroAction()->ActionIndex(), 0);  // a fresh editor
  EXPECT_FALSE(manager->CurrentMacroAction()->HasSavedAction());
  EXPECT_EQ(manager->CurrentMacroAction()->GetMacroKeyInfo().nLoopCount, 300);
  manager->SetMacroLoopValue(3, 1);  // needs a valid macro

  TMACROKEYINFO replacement = macroOf(u"Z", {key('Q', 1), key('Q', 0), key('Q', 1)});
  replacement.nAutoAddDelay = 1;
  manager->SaveBackCurrentMacroKeyInfo(replacement);
  EXPECT_EQ(MacroName(stored(*manager, 0)), u"Z");
  EXPECT_EQ(codes(*manager->CurrentMacroAction()), "QQQ");
  EXPECT_EQ(manager->CurrentMacroAction()->GetMacroKeyInfo().nAutoAddDelay, 1);
}

TEST(MacroList, RecordedBlocksAreInsertedInOrderUpToTheLimit) {
  auto manager = TuiMacroClass::CtlCreate(listOf({macroOf(u"M", {down('A'), up('A')})}));
  const TMACROKEYINFO block = macroOf(u"", {down('X'), delay(20), up('X')});
  manager->InsertMacroAfter(block, 0);
  EXPECT_EQ(codes(*manager->CurrentMacroAction()), "AX.XA");
  manager->InsertMacro(block, 0);
  EXPECT_EQ(codes(*manager->CurrentMacroAction()), "X.XAX.XA");
  manager->InsertMacroAfter(block, 7);  // after the last action: appended
  EXPECT_EQ(codes(*manager->CurrentMacroAction()), "X.XAX.XAX.X");
  EXPECT_EQ(manager->CurrentMacroAction()->ActionIndex(), 0);  // reselected

  // Into a macro with no action selected, the whole block lands at the start.
  manager->CreateNewMacro(u"empty");
  manager->SetMacroListIndex(1);
  ASSERT_EQ(manager->CurrentMacroAction()->ActionIndex(), -1);
  manager->InsertMacroAfter(block, manager->CurrentMacroAction()->ActionIndex());
  EXPECT_EQ(codes(*manager->CurrentMacroAction()), "X.X");
  EXPECT_EQ(MacroName(manager->CurrentMacroAction()->GetMacroKeyInfo()), u"empty");

  // The block is cut where the macro becomes full.
  TMACROKEYINFO big{};
  big.MacroListCount = 127;
  for (int i = 0; i < 127; ++i) big.MacroList[i] = delay(10);
  manager->SaveBackCurrentMacroKeyInfo(big);
  manager->InsertMacroAfter(block, 0);
  const TuiActionsClass& full = *manager->CurrentMacroAction();
  EXPECT_EQ(full.MacroListCount(), 128);
  EXPECT_EQ(full.Actions()[1].VALUE1, 'X');
  EXPECT_EQ(full.Actions()[2].VALUE1, 10);
}

TEST(MacroList, CheckAllErrorsMarksEveryMacro) {
  auto manager = TuiMacroClass::CtlCreate(
      listOf({macroOf(u"ok", {down('A'), up('A')}), macroOf(u"bad", {up('B'), delay(10)})}));
  manager->SetMacroListIndex(1);
  manager->CheckAllErrors();
  EXPECT_EQ(stored(*manager, 0).HaveErrors, 0);
  EXPECT_EQ(stored(*manager, 1).HaveErrors, 1);
  manager->CurrentMacroAction()->SetDelayValue(1, 5);  // a later write-back keeps the result
  EXPECT_EQ(stored(*manager, 1).ErrorCount, 1);
}

// ---- The action editor ----------------------------------------------------------------------

class ActionEditor : public ::testing::Test {
 protected:
  void SetUp() override {
    manager = TuiMacroClass::CtlCreate(
        listOf({macroOf(u"M", {down('A'), delay(300), up('A'), down('B')})}));
    manager->SetMacroListIndex(0);
  }
  TuiActionsClass& editor() { return *manager->CurrentMacroAction(); }
  // The manager's list holds what the editor shows.
  void expectWrittenBack() {
    const TMACROKEYINFO m = stored(*manager, 0);
    ASSERT_EQ(m.MacroListCount, editor().MacroListCount());
    for (int i = 0; i < m.MacroListCount; ++i)
      EXPECT_TRUE(test::sameAction(m.MacroList[i], editor().Actions()[i])) << i;
  }
  std::unique_ptr<TuiMacroClass> manager;
};

TEST_F(ActionEditor, SelectionFollowsInsertDeleteAndMoves) {
  EXPECT_EQ(editor().ActionIndex(), 0);
  editor().SetActionIndex(1);
  editor().InsertAction(down('X'), 1);  // before the selected action: it stays selected
  EXPECT_EQ(codes(editor()), "AX.AB");
  EXPECT_EQ(editor().ActionIndex(), 2);
  editor().InsertAction(down('Y'), 5);       // at the count: refused
  editor().InsertActionAfter(down('Z'), 5);  // after the last: appended
  editor().InsertActionAfter(down('W'), 7);
  EXPECT_EQ(codes(editor()), "AX.ABZ");
  EXPECT_EQ(editor().ActionIndex(), 2);
  editor().InsertActionAfter(down('V'), 0);  // the selection does not follow
  EXPECT_EQ(codes(editor()), "AVX.ABZ");
  EXPECT_EQ(editor().ActionIndex(), 2);
  expectWrittenBack();

  editor().MoveUpAction(2);  // the selected action moves up and stays selected
  EXPECT_EQ(codes(editor()), "AXV.ABZ");
  EXPECT_EQ(editor().ActionIndex(), 1);
  editor().MoveUpAction(2);  // the action below the selected one passes it
  EXPECT_EQ(editor().ActionIndex(), 2);
  editor().MoveDownAction(6);  // the last cannot move down
  editor().MoveUpAction(0);
  EXPECT_EQ(codes(editor()), "AVX.ABZ");
  editor().MoveDownAction(2);
  EXPECT_EQ(codes(editor()), "AV.XABZ");
  EXPECT_EQ(editor().ActionIndex(), 3);
  expectWrittenBack();

  editor().SetActionIndex(6);
  editor().DeleteAction(6);  // the selection falls back onto the new last action
  EXPECT_EQ(editor().ActionIndex(), 5);
  editor().SetActionIndex(1);
  editor().DeleteAction(0);  // it keeps its position, now on the next action
  EXPECT_EQ(editor().ActionIndex(), 1);
  editor().SetActionIndex(9);
  EXPECT_EQ(editor().ActionIndex(), 1);
  expectWrittenBack();
}

TEST_F(ActionEditor, CopyCutAndPaste) {
  editor().CopyAction(3);  // B down
  editor().PasteAction(0);
  editor().PasteAction(0);  // a copy can be pasted again
  EXPECT_EQ(codes(editor()), "BBA.AB");
  EXPECT_TRUE(editor().HasSavedAction());

  editor().CutAction(2);  // A down
  EXPECT_EQ(codes(editor()), "BB.AB");
  editor().PasteAction(4);
  EXPECT_EQ(codes(editor()), "BB.AAB");
  EXPECT_FALSE(editor().HasSavedAction());  // a cut is pasted once
  editor().PasteAction(0);
  EXPECT_EQ(codes(editor()), "BB.AAB");
  expectWrittenBack();

  editor().CutAction(4);
  editor().PasteAction(6);  // not a valid position: the cut action is gone
  EXPECT_EQ(codes(editor()), "BB.AB");
  EXPECT_FALSE(editor().HasSavedAction());
  editor().CopyAction(-1);
  EXPECT_FALSE(editor().HasSavedAction());
}

TEST_F(ActionEditor, CuttingTheOnlyActionAndPastingLosesIt) {
  manager->SaveBackCurrentMacroKeyInfo(macroOf(u"M", {down('A')}));
  editor().CutAction(0);
  EXPECT_EQ(editor().ActionIndex(), -1);
  editor().PasteAction(editor().ActionIndex());
  EXPECT_TRUE(editor().IsEmpty());
  EXPECT_FALSE(editor().HasSavedAction());
  EXPECT_EQ(editor().GetDelayValue(0), 0);
  EXPECT_EQ(editor().TotalDelay(), 0u);
  EXPECT_EQ(editor().CheckErrors(), 0);
  EXPECT_EQ(stored(*manager, 0).HaveErrors, 0);
  EXPECT_EQ(stored(*manager, 0).MacroListCount, 0);
}

TEST_F(ActionEditor, ReselectingEmptiesTheCopyBuffer) {
  editor().CopyAction(0);
  manager->SetMacroListIndex(0);
  EXPECT_FALSE(editor().HasSavedAction());
}

TEST_F(ActionEditor, DelaysAreSixteenBitValues) {
  TMACROKEYINFO m = macroOf(u"M", {delay(300), down('A'), delay(65535), delay(1)});
  manager->SaveBackCurrentMacroKeyInfo(m);
  EXPECT_EQ(editor().TotalDelay(), 300u + 65535u + 1u);
  EXPECT_EQ(editor().GetDelayValue(0), 300);
  EXPECT_EQ(editor().GetDelayValue(1), 'A');  // any kind: VALUE1 + 256 x VALUE2
  EXPECT_EQ(editor().GetDelayValue(4), 0);
  EXPECT_EQ(editor().GetDelayValue(-1), 0);
  editor().SetDelayValue(3, 0x1234);
  const TMACROKEY& a = stored(*manager, 0).MacroList[3];
  EXPECT_EQ(a.VALUE1, 0x34);
  EXPECT_EQ(a.VALUE2, 0x12);
}

TEST_F(ActionEditor, AFullMacroRefusesInsertsAndPaste) {
  TMACROKEYINFO full{};
  full.MacroListCount = 128;
  for (auto& a : full.MacroList) a = delay(10);
  manager->SaveBackCurrentMacroKeyInfo(full);
  ASSERT_TRUE(editor().IsFull());
  editor().CopyAction(0);
  editor().InsertAction(down('A'), 0);
  editor().InsertActionAfter(down('A'), 127);
  editor().InsertActionAfter(down('A'), 128);
  editor().PasteAction(0);
  EXPECT_EQ(editor().MacroListCount(), 128);
  EXPECT_EQ(codes(editor()).find('A'), std::string::npos);
  editor().DeleteAction(0);
  editor().PasteAction(0);
  EXPECT_EQ(editor().MacroListCount(), 128);
}

TEST_F(ActionEditor, ADamagedActionCountIsClamped) {
  TMACROKEYINFO m = macroOf(u"M", {down('A')});
  for (int32_t count : {500, -3}) {
    m.MacroListCount = count;
    manager->SaveBackCurrentMacroKeyInfo(m);
    EXPECT_EQ(editor().MacroListCount(), count < 0 ? 0 : 128);
    editor().SaveBack();
    EXPECT_EQ(stored(*manager, 0).MacroListCount, count < 0 ? 0 : 128);
  }
}

TEST_F(ActionEditor, SetMacroKeyInfoReplacesTheMacroAndWritesItBack) {
  // As a recording does: the current record with fewer actions and a new loop count.
  TMACROKEYINFO m = stored(*manager, 0);
  m.MacroList[0] = down('K');
  m.MacroListCount = 1;
  m.nLoopCount = 4;
  editor().SetActionIndex(2);
  editor().SetMacroKeyInfo(m);
  EXPECT_EQ(editor().ActionIndex(), 0);
  const TMACROKEYINFO back = stored(*manager, 0);
  EXPECT_EQ(back.MacroListCount, 1);
  EXPECT_EQ(back.nLoopCount, 4);
  EXPECT_EQ(back.MacroList[2].VALUE1, 'A');  // slots past the count keep what they held
  m.MacroListCount = 0;
  editor().SetMacroKeyInfo(m);
  EXPECT_TRUE(editor().IsEmpty());
  EXPECT_EQ(stored(*manager, 0).MacroListCount, 0);
}

// ---- The error check ------------------------------------------------------------------------

TEST(MacroErrors, CountsUnpairedPressesAndReleases) {
  using test::media;
  using test::mouse;
  struct Case {
    const char* what;
    std::vector<TMACROKEY> actions;
    int errors;
  } cases[] = {
      {"press and release", {down('A'), delay(50), up('A')}, 0},
      {"second press", {down('A'), down('A'), up('A')}, 1},
      {"release alone", {up('B')}, 1},
      {"press alone", {down('C')}, 1},
      {"extended press, plain release", {key('E', 1, 1), key('E', 0, 0)}, 2},
      {"double click", {mouse(1), delay(6), mouse(0), delay(15), mouse(1), delay(6), mouse(0)}, 0},
      {"mouse button left pressed", {mouse(1)}, 0},
      {"media key left pressed", {media(0x00E9, 1)}, 0},
      {"media release alone", {media(0x00E9, 0)}, 1},
      // One table: mouse (1,1) is value 257, as is the extended key 1.
      {"kinds share values", {mouse(1), key(1, 0, 1)}, 0},
      {"moves and wheels are skipped", {TMACROKEY{2, 0, 5, 5}, TMACROKEY{3, 1, 1, 0}}, 0},
      {"empty", {}, 0},
  };
  for (const Case& c : cases) {
    auto manager = TuiMacroClass::CtlCreate(listOf({macroOf(u"a", {}), macroOf(u"b", c.actions)}));
    manager->SetMacroListIndex(1);
    EXPECT_EQ(manager->CurrentMacroAction()->CheckErrors(), c.errors) << c.what;
    const TMACROKEYINFO m = stored(*manager, 1);
    EXPECT_EQ(m.HaveErrors, c.errors > 0 ? 1 : 0) << c.what;
    EXPECT_EQ(m.ErrorCount, c.errors) << c.what;
    EXPECT_EQ(stored(*manager, 0).HaveErrors, 0) << c.what;
  }
}

TEST(MacroErrors, AFixedMacroClearsItsMarkAndLaterEditsKeepTheResult) {
  auto manager = TuiMacroClass::CtlCreate(listOf({macroOf(u"m", {down('A'), delay(40)})}));
  manager->SetMacroListIndex(0);
  TuiActionsClass& editor = *manager->CurrentMacroAction();
  editor.CheckErrors();
  EXPECT_EQ(stored(*manager, 0).ErrorCount, 1);
  editor.SetDelayValue(1, 80);  // written back without a new check
  EXPECT_EQ(stored(*manager, 0).ErrorCount, 1);
  EXPECT_EQ(stored(*manager, 0).HaveErrors, 1);
  editor.InsertActionAfter(up('A'), 1);
  editor.CheckErrors();
  editor.SetDelayValue(1, 90);
  EXPECT_EQ(stored(*manager, 0).HaveErrors, 0);
  EXPECT_EQ(stored(*manager, 0).ErrorCount, 0);
}

}  // namespace
}  // namespace qor
