// SPDX-License-Identifier: GPL-2.0-or-later
// TuiThread: runs one call on a short-lived worker thread.
#pragma once

#include <chrono>
#include <functional>

namespace qor {

using TThreadCallFunction = std::function<void()>;

class TuiThread {
 public:
  // Runs `Func` (with what it holds) on a new detached thread, which frees it when the call
  // returns; an empty function runs nothing.
  static void ThreadCallFunction(TThreadCallFunction Func);
  // Waits until every worker started so far has finished, at most `timeout`; true when none
  // is left. A program calls it before it exits, so that a worker is not cut off midway.
  static bool WaitForWorkers(std::chrono::milliseconds timeout);
};

}  // namespace qor
