// SPDX-License-Identifier: GPL-2.0-or-later
// The monitor's one thread for the mouse and the stored profiles: requests run there one at a
// time, so no two uploads ever overlap, and the event loop keeps answering the bus meanwhile.
#pragma once

#include <QObject>
#include <QPointer>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace qor {

class MouseQueue : public QObject {
  Q_OBJECT

 public:
  // Runs on the queue's thread and returns what then runs on the owner's thread (may be empty).
  using Work = std::function<std::function<void()>()>;

  explicit MouseQueue(QObject* parent = nullptr);
  // Waits for the running request; those still waiting are dropped.
  ~MouseQueue() override;

  // An upload. An upload still waiting for its turn is replaced by this one, and its
  // `superseded` runs at once: while one upload runs, the last request wins. What the work
  // returns runs only while `context` lives.
  void Upload(QObject* context, Work work, std::function<void()> superseded);
  // Any other request (a read), run in turn and never replaced.
  void Run(QObject* context, Work work);

 private:
  struct Request {
    QPointer<QObject> context;
    Work work;
    bool upload = false;
    std::function<void()> superseded;
  };
  void add(Request request);
  void serve();

  std::mutex FLock;
  std::condition_variable FWake;
  std::deque<Request> FWaiting;
  bool FStop = false;
  std::thread FThread;
};

}  // namespace qor
