// SPDX-License-Identifier: GPL-2.0-or-later
// Feeds any byte string as a .macro file: the loaded record goes to the macro editor's model
// and to the device encoding, which must stay within the record's 128 actions and the
// device slot.
#include <cstdlib>

#include "fuzz_support.h"
#include "macro/macro_files.h"
#include "macro/macro_model.h"
#include "protocol/profile_blocks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  using namespace qor;
  const std::filesystem::path file = fuzz::InputFile(data, size, "input.macro");
  TMACROKEYINFO macro{};
  std::string error;
  if (!LoadMacroFromFile(file.string(), macro, &error)) return 0;
  const int count = MacroActionCount(macro);
  if (count < 0 || count > 128) std::abort();
  MacroName(macro);
  IsValidMacroVersion(macro);
  TuiActionsClass editor;
  editor.SetMacroKeyInfo(macro);
  if (editor.MacroListCount() != count) std::abort();
  editor.CheckErrors();
  const int deviceLength = GetMacroDeviceLength(macro);
  if (deviceLength < 0 || deviceLength > count + 1) std::abort();
  for (int i = 0; i < count; ++i) {
    MacroAction encoded{};
    EncodeMacroAction(macro.MacroList[i], encoded);
  }
  return 0;
}
