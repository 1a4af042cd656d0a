// SPDX-License-Identifier: GPL-2.0-or-later
// TuiThread: runs one call on a short-lived worker thread with its own copy of a buffer.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

namespace qor {

using TThreadCallFunction = std::function<void(const uint8_t* Buffer, uint32_t BufferSize)>;

class TuiThread {
 public:
  // With BufferSize 0 nothing happens. Otherwise the buffer and the function are copied and
  // run on a new detached thread, which frees its copies when the call returns.
  static void ThreadCallFunction(TThreadCallFunction Func, const void* Buffer, uint32_t BufferSize);
  // Waits until every worker started so far has finished, at most `timeout`; true when none
  // is left. A program calls it before it exits, so that a worker is not cut off midway.
  static bool WaitForWorkers(std::chrono::milliseconds timeout);
};

}  // namespace qor
