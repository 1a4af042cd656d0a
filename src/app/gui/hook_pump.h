// HookPump: drives a hook provider from the Qt event loop, so that its callbacks run on the
// UI thread: its descriptor on a socket notifier, or a timer for a provider without one.
#pragma once

#include <QObject>

namespace qor {

class HookProvider;

class HookPump : public QObject {
 public:
  // Watches `provider` (may be null: nothing to drive) for as long as the pump lives.
  HookPump(HookProvider* provider, QObject* parent);

 private:
  HookProvider* FProvider;
};

}  // namespace qor
