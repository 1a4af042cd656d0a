// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/thread_call.h"

#include <condition_variable>
#include <mutex>
#include <thread>

namespace qor {
namespace {

struct Workers {
  std::mutex mutex;
  std::condition_variable done;
  int running = 0;
};

Workers& workers() {
  // Never destroyed: a worker may still finish after static destructors ran.
  static Workers* w = new Workers;
  return *w;
}

}  // namespace

void TuiThread::ThreadCallFunction(TThreadCallFunction Func) {
  if (!Func) return;
  Workers& w = workers();
  {
    std::lock_guard lock(w.mutex);
    ++w.running;
  }
  std::thread([func = std::move(Func), &w] {
    func();
    std::lock_guard lock(w.mutex);
    --w.running;
    w.done.notify_all();
  }).detach();
}

bool TuiThread::WaitForWorkers(std::chrono::milliseconds timeout) {
  Workers& w = workers();
  std::unique_lock lock(w.mutex);
  return w.done.wait_for(lock, timeout, [&] { return w.running == 0; });
}

}  // namespace qor
