// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/gui/hook_choice.h"

#include <cstdlib>
#include <iostream>

#include "macro/hook_script.h"
#include "platform/linux/evdev_hook_provider.h"

namespace qor {

HookProviderFactory HookProviderFromEnvironment() {
  const char* script = std::getenv("QORCFG51_HOOK_SCRIPT");
  if (!script || !*script) return EvdevHookProviderFactory();
  const std::string file = script;
  return [file](HookProblem& problem) -> std::shared_ptr<HookProvider> {
    std::string error;
    auto events = LoadHookScript(file, error);
    if (!events) {
      std::cerr << "qorcfg51: QORCFG51_HOOK_SCRIPT: " << error << "\n";
      problem.missing = file;
      problem.fix = error;
      return nullptr;
    }
    return std::make_shared<ScriptedHookProvider>(std::move(*events),
                                                  ScriptedHookProvider::Pacing::RealTime);
  };
}

}  // namespace qor
