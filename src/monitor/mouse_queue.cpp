// SPDX-License-Identifier: GPL-2.0-or-later
#include "monitor/mouse_queue.h"

#include <vector>

namespace qor {

MouseQueue::MouseQueue(QObject* parent) : QObject(parent), FThread([this] { serve(); }) {}

MouseQueue::~MouseQueue() {
  {
    std::lock_guard lock(FLock);
    FStop = true;
  }
  FWake.notify_one();
  FThread.join();
}

void MouseQueue::Upload(QObject* context, Work work, std::function<void()> superseded) {
  add({context, std::move(work), true, std::move(superseded)});
}

void MouseQueue::Run(QObject* context, Work work) {
  add({context, std::move(work), false, {}});
}

void MouseQueue::add(Request request) {
  std::vector<Request> replaced;
  {
    std::lock_guard lock(FLock);
    if (request.upload)
      for (auto it = FWaiting.begin(); it != FWaiting.end();) {
        if (it->upload) {
          replaced.push_back(std::move(*it));
          it = FWaiting.erase(it);
        } else {
          ++it;
        }
      }
    FWaiting.push_back(std::move(request));
  }
  FWake.notify_one();
  for (Request& r : replaced)
    if (r.context && r.superseded) r.superseded();
}

void MouseQueue::serve() {
  for (;;) {
    Request next;
    {
      std::unique_lock lock(FLock);
      FWake.wait(lock, [this] { return FStop || !FWaiting.empty(); });
      if (FStop) return;
      next = std::move(FWaiting.front());
      FWaiting.pop_front();
    }
    std::function<void()> then = next.work();
    if (!then) continue;
    // Back on the owner's thread, where the context is checked and its state lives.
    QMetaObject::invokeMethod(
        this,
        [context = next.context, then = std::move(then)] {
          if (context) then();
        },
        Qt::QueuedConnection);
  }
}

}  // namespace qor
