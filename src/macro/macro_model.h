// SPDX-License-Identifier: GPL-2.0-or-later
// TuiMacroClass, the list of a profile's macros with its current macro, and TuiActionsClass,
// the action editor of one macro. Every edit is written back into the list at once.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/profile_records.h"

namespace qor {

// Action kinds (TMACROKEY.nKeyType).
inline constexpr uint16_t kMacroMouseButton = 1;
inline constexpr uint16_t kMacroMouseMove = 2;
inline constexpr uint16_t kMacroWheel = 3;
inline constexpr uint16_t kMacroKeyboardKey = 4;
inline constexpr uint16_t kMacroMediaKey = 5;
inline constexpr uint16_t kMacroDelay = 6;
inline constexpr uint16_t kMacroLoop = 7;

// Action states (TMACROKEY.nKeyState).
inline constexpr uint16_t kMacroKeyUp = 0;
inline constexpr uint16_t kMacroKeyDown = 1;

// TMACROKEYINFO.Version of a valid macro file record.
inline constexpr uint32_t kMacroFileVersion = 258;

// The manager's limit: one less than the slots of TMACROKEYINFOLIST.
inline constexpr int kMaxMacroListCount = 20;

// The 16-bit value of an action: VALUE1 + 256 x VALUE2.
inline uint16_t ActionValue(const TMACROKEY& AAction) {
  return static_cast<uint16_t>(AAction.VALUE1 | AAction.VALUE2 << 8);
}

// The number of meaningful actions: MacroListCount clamped to 0..128, so a damaged record is
// never read past its action slots.
int MacroActionCount(const TMACROKEYINFO& AMacroKeyInfo);

// The macro's name: szMacroName up to its terminator, at most 50 units.
std::u16string MacroName(const TMACROKEYINFO& AMacroKeyInfo);
// Sets szMacroName, cut to 50 units.
void SetMacroName(TMACROKEYINFO& AMacroKeyInfo, std::u16string_view AMacroName);
// A name as the record would keep it: cut to 50 units, never splitting a surrogate pair.
std::u16string CutMacroName(std::u16string_view AMacroName);

class TuiMacroClass;

// The action editor of one macro: its actions, the selected action and a one-action copy
// buffer. Operations given a position outside their range do nothing.
class TuiActionsClass {
 public:
  // An editor of no macro: it writes nothing back.
  TuiActionsClass();
  // An editor of macro AMacroIndex of AMacroClass (which must outlive it), built from a copy
  // of that macro.
  TuiActionsClass(const TMACROKEYINFO& AMacroKeyInfo, TuiMacroClass* AMacroClass, int AMacroIndex);

  // The record the editor was built from, with the edited actions in place.
  TMACROKEYINFO GetMacroKeyInfo() const;
  // Replaces the actions and the rest of the record, then writes it back.
  void SetMacroKeyInfo(const TMACROKEYINFO& AMacroKeyInfo);
  // Writes GetMacroKeyInfo into the manager's list and reads that entry back.
  void SaveBack();

  int MacroListCount() const { return static_cast<int>(FActionsList.size()); }
  bool IsFull() const { return MacroListCount() >= FMaxActionsCount; }
  bool IsEmpty() const { return FActionsList.empty(); }
  int ActionIndex() const { return FActionsIndex; }
  // Accepts only 0 <= AIndex < count.
  void SetActionIndex(int AIndex);
  const std::vector<TMACROKEY>& Actions() const { return FActionsList; }
  // The position of the edited macro in the manager's list; -1 once that macro is deleted.
  int MacroIndex() const { return FMacroIndex; }
  // Whether the copy buffer holds an action.
  bool HasSavedAction() const { return !FSavedActionsList.empty(); }

  // Sum of all delay actions, in milliseconds.
  uint32_t TotalDelay() const;
  // The 16-bit value of action AIndex whatever its kind; 0 for an invalid AIndex.
  int GetDelayValue(int AIndex) const;
  void SetDelayValue(int AIndex, uint16_t ADelay);

  // Inserts before AIndex (0 <= AIndex < count); the selection stays on its action.
  void InsertAction(const TMACROKEY& AAction, int AIndex);
  // Inserts after AIndex (0 <= AIndex < count), or appends for AIndex = count.
  void InsertActionAfter(const TMACROKEY& AAction, int AIndex);
  void DeleteAction(int AIndex);
  void MoveUpAction(int AIndex);
  void MoveDownAction(int AIndex);
  void CopyAction(int AIndex);
  void CutAction(int AIndex);
  // Inserts the buffered action before AIndex; a cut action is pasted at most once.
  void PasteAction(int AIndex);

  // Counts releases without press, second presses and keyboard keys left pressed, and stores
  // HaveErrors and ErrorCount in the manager's entry of the macro. Returns the count.
  int CheckErrors();

 private:
  friend class TuiMacroClass;

  void insertAt(const TMACROKEY& AAction, int APosition);
  void swap(int p, int q);

  TMACROKEYINFO FORGMacroKeyInfo{};
  std::vector<TMACROKEY> FActionsList;
  int FActionsIndex = -1;
  int FMaxActionsCount = kMacroMaxActions;
  TuiMacroClass* FMacroClass = nullptr;
  int FMacroIndex = -1;
  bool FCutOperationFlag = false;
  std::vector<TMACROKEY> FSavedActionsList;  // the copy buffer: at most one action
};

// The macros of one profile, the current macro and its action editor.
// Invariant: MacroListIndex() is -1 exactly when the list is empty.
class TuiMacroClass {
 public:
  TuiMacroClass();
  ~TuiMacroClass();
  TuiMacroClass(const TuiMacroClass&) = delete;
  TuiMacroClass& operator=(const TuiMacroClass&) = delete;

  // A manager holding the macros of AMacroKeyInfoList; nothing when its count is out of range.
  static std::unique_ptr<TuiMacroClass> CtlCreate(const TMACROKEYINFOLIST& AMacroKeyInfoList);

  // Appends the first nMacroInfoCount macros unchanged; the first macro becomes current.
  // Returns false, appending nothing, when nMacroInfoCount exceeds the record's 21 slots.
  bool SetMacroKeyInfoList(const TMACROKEYINFOLIST& AMacroKeyInfoList);
  // Stores the macros in order and their count; later slots keep what they held. Returns
  // false, leaving the record untouched, when there are more macros than the record's slots.
  bool GetMacroKeyInfoList(TMACROKEYINFOLIST& AMacroKeyInfoList) const;

  int MacroListCount() const { return static_cast<int>(FMacroKeyInfoList.size()); }
  bool IsEmpty() const { return FMacroKeyInfoList.empty(); }
  bool IsFull() const { return MacroListCount() >= FMaxMacroListCount; }
  int MacroListIndex() const { return FMacroListIndex; }
  // Makes a valid AIndex current and builds a new action editor for it; others are ignored.
  void SetMacroListIndex(int AIndex);
  // Copies the current macro; false, leaving the record as it was, when there is none.
  bool GetCurrentMacroKeyInfo(TMACROKEYINFO& AMacroKeyInfo) const;
  // The current macro's action editor; null until a macro was selected.
  TuiActionsClass* CurrentMacroAction() const { return FCurrentMacroAction.get(); }
  // Copies macro AIndex; false, leaving the record as it was, for an invalid AIndex.
  bool GetMacroKeyInfoByIndex(int AIndex, TMACROKEYINFO& AMacroKeyInfo) const;

  // Names are compared exactly, code unit by code unit.
  bool MacroExists(std::u16string_view AMacroName) const;
  int IndexOfMacroName(std::u16string_view AMacroName) const;

  // Appends an empty macro with that name (cut to 50 units) and makes it current, without
  // building an action editor. The caller checks IsFull and that the name is new.
  void CreateNewMacro(std::u16string_view AMacroName);
  void ReNameMacro(std::u16string_view AMacroName, int AIndex);
  // The moves take the current index and the action editor along with their macro.
  void MoveUpMacro(int AIndex);
  void MoveDownMacro(int AIndex);
  // Removes the macro; the current index keeps its value unless it is now past the end. An
  // action editor of the removed macro is cut loose, so it can no longer write to the list.
  void DeleteMacro(int AIndex);
  void DeleteMacro(std::u16string_view AMacroName);
  // Insert the actions of a recorded block into the current macro before (after) action
  // AIndex, dropping what does not fit, then reselect the current macro.
  void InsertMacro(const TMACROKEYINFO& AMacroKeyInfo, int AIndex);
  void InsertMacroAfter(const TMACROKEYINFO& AMacroKeyInfo, int AIndex);
  void SetMacroLoopValue(int AIndex, uint16_t ALoopValue);
  // Replaces the current macro and reselects it.
  void SaveBackCurrentMacroKeyInfo(const TMACROKEYINFO& AMacroKeyInfo);
  // Runs the error check on every macro.
  void CheckAllErrors();

 private:
  friend class TuiActionsClass;

  bool validIndex(int AIndex) const { return AIndex >= 0 && AIndex < MacroListCount(); }
  void renumber();
  void syncEditor();
  void select(int AIndex);
  void swapMacros(int p, int q);
  TuiActionsClass* editorOfCurrentMacro();

  std::vector<TMACROKEYINFO> FMacroKeyInfoList;
  int FMacroListIndex = -1;
  int FMaxMacroListCount = kMaxMacroListCount;
  std::unique_ptr<TuiActionsClass> FCurrentMacroAction;
};

}  // namespace qor
