// SPDX-License-Identifier: GPL-2.0-or-later
#include "macro/macro_model.h"

#include <algorithm>
#include <bitset>
#include <utility>

#include "model/wide_text.h"

namespace qor {
namespace {

bool isPressReleaseKind(uint16_t kind) {
  return kind == kMacroKeyboardKey || kind == kMacroMediaKey || kind == kMacroMouseButton;
}

// Keyboard keys, media keys and mouse buttons share one table of held values, so a value
// pressed as one kind and released as another still pairs up.
int countErrors(const std::vector<TMACROKEY>& actions) {
  std::bitset<65536> pressed;
  std::vector<uint16_t> keysSeen;
  int errors = 0;
  for (const TMACROKEY& a : actions) {
    if (!isPressReleaseKind(a.nKeyType)) continue;
    const uint16_t v = ActionValue(a);
    if (a.nKeyState == kMacroKeyDown) {
      if (pressed[v]) ++errors;
      pressed[v] = true;
    } else {
      if (!pressed[v]) ++errors;
      pressed[v] = false;
    }
    if (a.nKeyType == kMacroKeyboardKey &&
        std::find(keysSeen.begin(), keysSeen.end(), v) == keysSeen.end())
      keysSeen.push_back(v);
  }
  // Only keyboard keys left held are faults: a held mouse button or media key is a choice.
  for (uint16_t v : keysSeen) errors += pressed[v] ? 1 : 0;
  return errors;
}

std::vector<TMACROKEY> actionsOf(const TMACROKEYINFO& info) {
  return std::vector<TMACROKEY>(info.MacroList, info.MacroList + MacroActionCount(info));
}

}  // namespace

int MacroActionCount(const TMACROKEYINFO& AMacroKeyInfo) {
  return std::clamp<int32_t>(AMacroKeyInfo.MacroListCount, 0, kMacroMaxActions);
}

std::u16string MacroName(const TMACROKEYINFO& AMacroKeyInfo) {
  return readWideField(AMacroKeyInfo.szMacroName);
}

void SetMacroName(TMACROKEYINFO& AMacroKeyInfo, std::u16string_view AMacroName) {
  writeWideField(AMacroKeyInfo.szMacroName, AMacroName, TextFit::Cut);
}

std::u16string CutMacroName(std::u16string_view AMacroName) {
  TMACROKEYINFO record{};
  SetMacroName(record, AMacroName);
  return MacroName(record);
}

// ---- TuiActionsClass ------------------------------------------------------------------------

TuiActionsClass::TuiActionsClass() = default;

TuiActionsClass::TuiActionsClass(const TMACROKEYINFO& AMacroKeyInfo, TuiMacroClass* AMacroClass,
                                 int AMacroIndex)
    : FORGMacroKeyInfo(AMacroKeyInfo),
      FActionsList(actionsOf(AMacroKeyInfo)),
      FActionsIndex(FActionsList.empty() ? -1 : 0),
      FMacroClass(AMacroClass),
      FMacroIndex(AMacroIndex) {}

TMACROKEYINFO TuiActionsClass::GetMacroKeyInfo() const {
  TMACROKEYINFO info = FORGMacroKeyInfo;
  info.MacroListCount = MacroListCount();
  std::copy(FActionsList.begin(), FActionsList.end(), info.MacroList);
  return info;
}

void TuiActionsClass::SetMacroKeyInfo(const TMACROKEYINFO& AMacroKeyInfo) {
  FActionsList = actionsOf(AMacroKeyInfo);
  if (!FActionsList.empty()) FActionsIndex = 0;
  FORGMacroKeyInfo = AMacroKeyInfo;
  SaveBack();
}

void TuiActionsClass::SaveBack() {
  if (!FMacroClass || !FMacroClass->validIndex(FMacroIndex)) return;
  TMACROKEYINFO& entry = FMacroClass->FMacroKeyInfoList[FMacroIndex];
  entry = GetMacroKeyInfo();
  FORGMacroKeyInfo = entry;
}

void TuiActionsClass::SetActionIndex(int AIndex) {
  if (AIndex >= 0 && AIndex < MacroListCount()) FActionsIndex = AIndex;
}

uint32_t TuiActionsClass::TotalDelay() const {
  uint32_t total = 0;
  for (const TMACROKEY& a : FActionsList)
    if (a.nKeyType == kMacroDelay) total += ActionValue(a);
  return total;
}

int TuiActionsClass::GetDelayValue(int AIndex) const {
  if (AIndex < 0 || AIndex >= MacroListCount()) return 0;
  return ActionValue(FActionsList[AIndex]);
}

void TuiActionsClass::SetDelayValue(int AIndex, uint16_t ADelay) {
  if (AIndex < 0 || AIndex >= MacroListCount()) return;
  FActionsList[AIndex].VALUE1 = static_cast<uint8_t>(ADelay & 0xFF);
  FActionsList[AIndex].VALUE2 = static_cast<uint8_t>(ADelay >> 8);
  SaveBack();
}

void TuiActionsClass::insertAt(const TMACROKEY& AAction, int APosition) {
  FActionsList.insert(FActionsList.begin() + APosition, AAction);
}

void TuiActionsClass::InsertAction(const TMACROKEY& AAction, int AIndex) {
  if (IsFull() || AIndex < 0 || AIndex >= MacroListCount()) return;
  insertAt(AAction, AIndex);
  if (AIndex == FActionsIndex) FActionsIndex = AIndex + 1;
  SaveBack();
}

void TuiActionsClass::InsertActionAfter(const TMACROKEY& AAction, int AIndex) {
  if (IsFull() || AIndex < 0 || AIndex > MacroListCount()) return;
  insertAt(AAction, AIndex == MacroListCount() ? AIndex : AIndex + 1);
  SaveBack();
}

void TuiActionsClass::DeleteAction(int AIndex) {
  if (AIndex < 0 || AIndex >= MacroListCount()) return;
  FActionsList.erase(FActionsList.begin() + AIndex);
  if (FActionsIndex >= MacroListCount()) FActionsIndex = MacroListCount() - 1;
  SaveBack();
}

void TuiActionsClass::swap(int p, int q) {
  std::swap(FActionsList[p], FActionsList[q]);
  if (FActionsIndex == p)
    FActionsIndex = q;
  else if (FActionsIndex == q)
    FActionsIndex = p;
}

void TuiActionsClass::MoveUpAction(int AIndex) {
  if (AIndex < 1 || AIndex >= MacroListCount()) return;
  swap(AIndex, AIndex - 1);
  SaveBack();
}

void TuiActionsClass::MoveDownAction(int AIndex) {
  if (AIndex < 0 || AIndex >= MacroListCount() - 1) return;
  swap(AIndex, AIndex + 1);
  SaveBack();
}

void TuiActionsClass::CopyAction(int AIndex) {
  if (AIndex < 0 || AIndex >= MacroListCount()) return;
  FSavedActionsList.assign(1, FActionsList[AIndex]);
  FCutOperationFlag = false;
  SaveBack();
}

void TuiActionsClass::CutAction(int AIndex) {
  if (AIndex < 0 || AIndex >= MacroListCount()) return;
  FSavedActionsList.assign(1, FActionsList[AIndex]);
  DeleteAction(AIndex);
  FCutOperationFlag = true;
}

void TuiActionsClass::PasteAction(int AIndex) {
  if (FSavedActionsList.empty()) return;
  InsertAction(FSavedActionsList.front(), AIndex);
  if (FCutOperationFlag) {
    FSavedActionsList.clear();
    FCutOperationFlag = false;
  }
}

int TuiActionsClass::CheckErrors() {
  const int errors = countErrors(FActionsList);
  auto mark = [errors](TMACROKEYINFO& info) {
    info.HaveErrors = errors > 0 ? 1 : 0;
    info.ErrorCount = errors;
  };
  // The editor's own record takes the result too, so that a later write-back does not bring
  // back the flags of an older check.
  mark(FORGMacroKeyInfo);
  if (FMacroClass && FMacroClass->validIndex(FMacroIndex))
    mark(FMacroClass->FMacroKeyInfoList[FMacroIndex]);
  return errors;
}

// ---- TuiMacroClass --------------------------------------------------------------------------

TuiMacroClass::TuiMacroClass() = default;
TuiMacroClass::~TuiMacroClass() = default;

std::unique_ptr<TuiMacroClass> TuiMacroClass::CtlCreate(
    const TMACROKEYINFOLIST& AMacroKeyInfoList) {
  auto manager = std::make_unique<TuiMacroClass>();
  if (!manager->SetMacroKeyInfoList(AMacroKeyInfoList)) return nullptr;
  return manager;
}

bool TuiMacroClass::SetMacroKeyInfoList(const TMACROKEYINFOLIST& AMacroKeyInfoList) {
  const int count = AMacroKeyInfoList.nMacroInfoCount;
  if (count > kProfileMacroSlots) return false;
  FMacroKeyInfoList.insert(FMacroKeyInfoList.end(), AMacroKeyInfoList.MacroInfos,
                           AMacroKeyInfoList.MacroInfos + count);
  if (!IsEmpty()) FMacroListIndex = 0;
  return true;
}

bool TuiMacroClass::GetMacroKeyInfoList(TMACROKEYINFOLIST& AMacroKeyInfoList) const {
  if (MacroListCount() > kProfileMacroSlots) return false;
  AMacroKeyInfoList.nMacroInfoCount = static_cast<uint16_t>(MacroListCount());
  std::copy(FMacroKeyInfoList.begin(), FMacroKeyInfoList.end(), AMacroKeyInfoList.MacroInfos);
  return true;
}

void TuiMacroClass::SetMacroListIndex(int AIndex) {
  if (!validIndex(AIndex)) return;
  FMacroListIndex = AIndex;
  select(AIndex);
}

bool TuiMacroClass::GetCurrentMacroKeyInfo(TMACROKEYINFO& AMacroKeyInfo) const {
  return GetMacroKeyInfoByIndex(FMacroListIndex, AMacroKeyInfo);
}

bool TuiMacroClass::GetMacroKeyInfoByIndex(int AIndex, TMACROKEYINFO& AMacroKeyInfo) const {
  if (!validIndex(AIndex)) return false;
  AMacroKeyInfo = FMacroKeyInfoList[AIndex];
  return true;
}

bool TuiMacroClass::MacroExists(std::u16string_view AMacroName) const {
  return IndexOfMacroName(AMacroName) >= 0;
}

int TuiMacroClass::IndexOfMacroName(std::u16string_view AMacroName) const {
  for (int i = 0; i < MacroListCount(); ++i)
    if (MacroName(FMacroKeyInfoList[i]) == AMacroName) return i;
  return -1;
}

void TuiMacroClass::select(int AIndex) {
  FCurrentMacroAction = std::make_unique<TuiActionsClass>(FMacroKeyInfoList[AIndex], this, AIndex);
}

void TuiMacroClass::renumber() {
  for (int i = 0; i < MacroListCount(); ++i)
    FMacroKeyInfoList[i].nMacroIndex = static_cast<uint16_t>(i);
  syncEditor();
}

// The manager changes fields of an entry (name, position) behind the action editor's back;
// the editor takes them over so that its next write-back keeps them.
void TuiMacroClass::syncEditor() {
  if (FCurrentMacroAction && validIndex(FCurrentMacroAction->FMacroIndex))
    FCurrentMacroAction->FORGMacroKeyInfo = FMacroKeyInfoList[FCurrentMacroAction->FMacroIndex];
}

void TuiMacroClass::CreateNewMacro(std::u16string_view AMacroName) {
  FMacroListIndex = MacroListCount();
  TMACROKEYINFO info{};
  SetMacroName(info, AMacroName);
  info.nMacroIndex = static_cast<uint16_t>(MacroListCount());
  FMacroKeyInfoList.push_back(info);
  renumber();
}

void TuiMacroClass::ReNameMacro(std::u16string_view AMacroName, int AIndex) {
  if (!validIndex(AIndex)) return;
  SetMacroName(FMacroKeyInfoList[AIndex], AMacroName);
  syncEditor();
}

void TuiMacroClass::swapMacros(int p, int q) {
  std::swap(FMacroKeyInfoList[p], FMacroKeyInfoList[q]);
  auto follow = [p, q](int& index) {
    if (index == p)
      index = q;
    else if (index == q)
      index = p;
  };
  follow(FMacroListIndex);
  if (FCurrentMacroAction) follow(FCurrentMacroAction->FMacroIndex);
  renumber();
}

void TuiMacroClass::MoveUpMacro(int AIndex) {
  if (AIndex < 1 || AIndex >= MacroListCount()) return;
  swapMacros(AIndex, AIndex - 1);
}

void TuiMacroClass::MoveDownMacro(int AIndex) {
  if (AIndex < 0 || AIndex >= MacroListCount() - 1) return;
  swapMacros(AIndex, AIndex + 1);
}

void TuiMacroClass::DeleteMacro(int AIndex) {
  if (!validIndex(AIndex)) return;
  FMacroKeyInfoList.erase(FMacroKeyInfoList.begin() + AIndex);
  if (FCurrentMacroAction) {
    int& edited = FCurrentMacroAction->FMacroIndex;
    if (edited == AIndex)
      edited = -1;
    else if (edited > AIndex)
      --edited;
  }
  if (IsEmpty())
    FMacroListIndex = -1;
  else if (FMacroListIndex >= MacroListCount())
    FMacroListIndex = MacroListCount() - 1;
  renumber();
}

void TuiMacroClass::DeleteMacro(std::u16string_view AMacroName) {
  const int index = IndexOfMacroName(AMacroName);
  if (index >= 0) DeleteMacro(index);
}

TuiActionsClass* TuiMacroClass::editorOfCurrentMacro() {
  if (!validIndex(FMacroListIndex)) return nullptr;
  if (!FCurrentMacroAction || FCurrentMacroAction->FMacroIndex != FMacroListIndex)
    select(FMacroListIndex);
  return FCurrentMacroAction.get();
}

void TuiMacroClass::InsertMacro(const TMACROKEYINFO& AMacroKeyInfo, int AIndex) {
  TuiActionsClass* editor = editorOfCurrentMacro();
  if (!editor) return;
  const int count = MacroActionCount(AMacroKeyInfo);
  for (int i = 0; i < count; ++i) editor->InsertAction(AMacroKeyInfo.MacroList[i], AIndex + i);
  select(FMacroListIndex);
}

void TuiMacroClass::InsertMacroAfter(const TMACROKEYINFO& AMacroKeyInfo, int AIndex) {
  TuiActionsClass* editor = editorOfCurrentMacro();
  if (!editor) return;
  const int count = MacroActionCount(AMacroKeyInfo);
  for (int i = 0; i < count; ++i) {
    const TMACROKEY& action = AMacroKeyInfo.MacroList[i];
    // "After no action" (nothing selected, as in an empty macro) is the start of the macro;
    // taken literally it would drop the block's first action.
    if (AIndex + i == -1) {
      if (editor->IsFull()) continue;
      editor->insertAt(action, 0);
      editor->SaveBack();
    } else {
      editor->InsertActionAfter(action, AIndex + i);
    }
  }
  select(FMacroListIndex);
}

void TuiMacroClass::SetMacroLoopValue(int AIndex, uint16_t ALoopValue) {
  if (!validIndex(AIndex)) return;
  FMacroKeyInfoList[AIndex].nLoopCount = ALoopValue;
  if (validIndex(FMacroListIndex)) select(FMacroListIndex);
}

void TuiMacroClass::SaveBackCurrentMacroKeyInfo(const TMACROKEYINFO& AMacroKeyInfo) {
  if (!validIndex(FMacroListIndex)) return;
  FMacroKeyInfoList[FMacroListIndex] = AMacroKeyInfo;
  select(FMacroListIndex);
}

void TuiMacroClass::CheckAllErrors() {
  for (int i = 0; i < MacroListCount(); ++i) {
    if (FCurrentMacroAction && FCurrentMacroAction->FMacroIndex == i) {
      FCurrentMacroAction->CheckErrors();
    } else {
      TuiActionsClass editor(FMacroKeyInfoList[i], this, i);
      editor.CheckErrors();
    }
  }
}

}  // namespace qor
