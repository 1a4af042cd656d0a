// SPDX-License-Identifier: GPL-2.0-or-later
#include "macro/hook_library.h"

#include <mutex>

namespace qor {
namespace {

struct Library {
  std::mutex lock;
  HookProviderFactory factory;
  std::weak_ptr<HookProvider> provider;  // alive while some TuiHook holds it
};

Library& library() {
  static Library l;
  return l;
}

}  // namespace

void SetHookProviderFactory(HookProviderFactory Factory) {
  Library& l = library();
  std::lock_guard guard(l.lock);
  l.factory = std::move(Factory);
}

std::shared_ptr<HookProvider> LoadHookProvider(HookProblem& problem) {
  Library& l = library();
  std::lock_guard guard(l.lock);
  if (std::shared_ptr<HookProvider> p = l.provider.lock()) return p;
  if (!l.factory) {
    problem.missing = "The input hook provider";
    problem.fix = "This program was built without one: it must install a hook provider at start.";
    return nullptr;
  }
  std::shared_ptr<HookProvider> p = l.factory(problem);
  l.provider = p;
  return p;
}

}  // namespace qor
