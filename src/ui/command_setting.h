// SPDX-License-Identifier: GPL-2.0-or-later
// TuiCommandSetting: a window's named commands, each reading the window's settings from a
// buffer or writing them into it. Running the "set" pass is how a window learns that the
// profile data changed.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qor {

enum class TuiGetSet { uiGet, uiSet };

using TuiCommandExecute = std::function<void(TuiGetSet AType, void* Buffer, uint32_t BufferSize)>;

struct TuiCommand {
  std::string Name;
  std::string Description;
  TuiCommandExecute OnExecute;  // may be empty
};

// The commands in their fixed order; items keep their address while they are in the list.
class TuiCommands {
 public:
  // Appends a command named AName, or without a name "Command" followed by the lowest number
  // from 1 up that no command of the list has as its name.
  TuiCommand& Add(std::string AName = {});
  // Removes the command at AIndex; other positions are ignored.
  void Delete(int AIndex);
  void Clear() { FItems.clear(); }
  int Count() const { return static_cast<int>(FItems.size()); }
  TuiCommand& Items(int AIndex) { return *FItems.at(AIndex); }
  const TuiCommand& Items(int AIndex) const { return *FItems.at(AIndex); }
  // Position of the first command of that name, else -1.
  int IndexOf(std::string_view AName) const;

 private:
  std::vector<std::unique_ptr<TuiCommand>> FItems;
};

class TuiCommandSetting {
 public:
  TuiCommands& Commands() { return FCommands; }
  const TuiCommands& Commands() const { return FCommands; }
  // Run every assigned handler in list order with uiGet (uiSet), the buffer and its size.
  // Both always return true.
  bool GetData(void* Buffer, uint32_t BufferSize) {
    return run(TuiGetSet::uiGet, Buffer, BufferSize);
  }
  bool SetData(void* Buffer, uint32_t BufferSize) {
    return run(TuiGetSet::uiSet, Buffer, BufferSize);
  }

 private:
  bool run(TuiGetSet AType, void* Buffer, uint32_t BufferSize);

  TuiCommands FCommands;
};

}  // namespace qor
