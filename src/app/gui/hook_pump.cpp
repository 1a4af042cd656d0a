// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/gui/hook_pump.h"

#include <QSocketNotifier>
#include <QTimer>

#include "platform/hook_provider.h"
#include "widgets/qt_text.h"

namespace qor {
namespace {

constexpr int kPollMs = 10;  // a provider without a descriptor plays what is due this often

}  // namespace

HookPump::HookPump(HookProvider* provider, QObject* parent) : QObject(parent), FProvider(provider) {
  if (!FProvider) return;
  if (FProvider->fd() >= 0) {
    auto* notifier = new QSocketNotifier(FProvider->fd(), QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] { dispatch(); });
  } else {
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, [this] { dispatch(); });
    timer->start(kPollMs);
  }
}

void HookPump::dispatch() {
  FProvider->dispatch();
  CheckGrabs();
}

void HookPump::CheckGrabs() {
  if (FTold || !FProvider || !OnUngrabbedKeyboards) return;
  QStringList names;
  for (const std::string& name : FProvider->UngrabbedKeyboards()) names << FromUtf8(name);
  if (names.isEmpty()) return;
  FTold = true;
  OnUngrabbedKeyboards(names);
}

}  // namespace qor
