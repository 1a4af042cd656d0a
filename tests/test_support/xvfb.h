// SPDX-License-Identifier: GPL-2.0-or-later
// An Xvfb server for one test, on a display it picks itself.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

namespace qor::test {

class XvfbServer {
 public:
  // Starts Xvfb; display() is empty when it could not be started. Xvfb picks a free display
  // and writes its number to the pipe once it accepts clients, so parallel test runs never
  // collide and no polling is needed.
  XvfbServer() {
    int ready[2];
    if (::pipe(ready) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(ready[0]);
      const std::string fd = std::to_string(ready[1]);
      ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", "-screen", "0",
               "64x64x24", static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::close(ready[1]);
    std::string number;
    char c;
    while (::read(ready[0], &c, 1) == 1 && c != '\n') number.push_back(c);
    ::close(ready[0]);
    if (!number.empty()) display_ = ":" + number;
  }
  ~XvfbServer() { stop(); }
  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;

  const std::string& display() const { return display_; }
  // Ends the server, as a display that goes away.
  void stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
  std::string display_;
};

}  // namespace qor::test
