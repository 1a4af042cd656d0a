// SPDX-License-Identifier: GPL-2.0-or-later
// Feeds any byte string to the hook script reader; a script it takes is played to the
// keyboard macro recording, the combination capture and the mouse recording, whose lists must
// keep within their limits.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "macro/hook.h"
#include "macro/hook_library.h"
#include "macro/hook_script.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  std::string error;
  auto events =
      qor::ParseHookScript(std::string_view(reinterpret_cast<const char*>(data), size), error);
  if (!events) {
    if (error.rfind("line ", 0) != 0) std::abort();  // every fault names its line
    return 0;
  }
  auto provider = std::make_shared<qor::ScriptedHookProvider>();
  qor::SetHookProviderFactory([provider](qor::HookProblem&) { return provider; });
  qor::TuiHook hook;
  hook.OnRecordKeyboardMacroKeyEx = [](int, int, int, int, double, uint32_t, const std::string&,
                                       const std::string&, const qor::TMacroKeyList&) {};
  hook.OnRecordKeyboardComboKey = [](int, int, int, int, int, const std::string&) {};

  hook.RecordKeyboardMacroKeyEx();
  hook.RecordMouseMacro();
  provider->Append(*events);
  provider->dispatch();
  // At most two entries are added past the 500th.
  if (hook.MacroKeyList().Count() > qor::kMaxMacroKeyEntries + 2) std::abort();
  for (const auto& e : hook.MacroKeyList())
    if (e.Object.FMacroKey.nKeyType == 0 && e.Object.FMacroKey.nKeyValue == 0) std::abort();

  hook.RecordKeyboardComboKey();
  provider->Append(*events);
  provider->dispatch();
  const qor::TCOMBOKEY& c = hook.ComboKeyInfo();
  if (c.nKeyValue2 && (c.nKeyValue2 == c.nKeyValue1 || !c.nKeyValue1)) std::abort();
  hook.StopRecordKeyboardComboKey();
  hook.StopRecordMouseMacro();
  hook.StopRecordKeyboardMacroKeyEx();
  return 0;
}
