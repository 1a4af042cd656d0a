// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/command_setting.h"

#include "ui/numbered_name.h"

namespace qor {

TuiCommand& TuiCommands::Add(std::string AName) {
  if (AName.empty())
    AName = "Command" + std::to_string(LowestFreeNumber(
                            "Command", [this](const std::string& n) { return IndexOf(n) >= 0; }));
  FItems.push_back(std::make_unique<TuiCommand>());
  FItems.back()->Name = std::move(AName);
  return *FItems.back();
}

void TuiCommands::Delete(int AIndex) {
  if (AIndex >= 0 && AIndex < Count()) FItems.erase(FItems.begin() + AIndex);
}

int TuiCommands::IndexOf(std::string_view AName) const {
  for (int i = 0; i < Count(); ++i)
    if (FItems[i]->Name == AName) return i;
  return -1;
}

bool TuiCommandSetting::run(TuiGetSet AType, void* Buffer, uint32_t BufferSize) {
  // A handler may change the list (a window rebuilding its commands): the count is read
  // again each time and the handler is copied, so it outlives its own removal.
  for (int i = 0; i < FCommands.Count(); ++i) {
    TuiCommandExecute handler = FCommands.Items(i).OnExecute;
    if (handler) handler(AType, Buffer, BufferSize);
  }
  return true;
}

}  // namespace qor
