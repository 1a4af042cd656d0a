#include "app/gui/hook_pump.h"

#include <QSocketNotifier>
#include <QTimer>

#include "platform/hook_provider.h"

namespace qor {
namespace {

constexpr int kPollMs = 10;  // a provider without a descriptor plays what is due this often

}  // namespace

HookPump::HookPump(HookProvider* provider, QObject* parent) : QObject(parent), FProvider(provider) {
  if (!FProvider) return;
  if (FProvider->fd() >= 0) {
    auto* notifier = new QSocketNotifier(FProvider->fd(), QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] { FProvider->dispatch(); });
  } else {
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, [this] { FProvider->dispatch(); });
    timer->start(kPollMs);
  }
}

}  // namespace qor
