// SPDX-License-Identifier: GPL-2.0-or-later
// qor-startup-probe: starts a program on the X display and measures it as a user meets it.
//   qor-startup-probe [--idle SECONDS] [--then COMMAND] -- PROGRAM [ARGS...]
// Prints, one "name value" per line: first_window_ms (process start to the first top-level
// window mapped), idle_cpu_percent (its CPU time over SECONDS of leaving it alone, 10 by
// default), peak_rss_kb (VmHWM of the process) and, with --then, peak_rss_after_kb after
// COMMAND (run through sh, the program's process ID in QOR_PROBE_PID) ended; while COMMAND runs,
// "mapped_at_ms T" for each top-level window mapped, T on the monotonic clock (CLOCK_MONOTONIC, as
// COMMAND's own stamps). The program is ended with SIGTERM.
#include <X11/Xlib.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// User and system CPU time of the process in clock ticks.
long cpuTicks(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  // Fields after the command name, which may hold spaces and ends with the last ')'.
  std::istringstream rest(text.substr(text.rfind(')') + 2));
  std::string field;
  long utime = 0, stime = 0;
  for (int n = 3; rest >> field; ++n) {
    if (n == 14) utime = std::stol(field);
    if (n == 15) {
      stime = std::stol(field);
      break;
    }
  }
  return utime + stime;
}

long peakRssKb(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
  return -1;
}

int usage() {
  std::fprintf(stderr,
               "usage: qor-startup-probe [--idle SECONDS] [--then COMMAND] -- PROGRAM [ARGS...]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  int idleSeconds = 10;
  const char* then = nullptr;
  int i = 1;
  for (; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
    if (std::strcmp(argv[i], "--idle") == 0 && i + 1 < argc)
      idleSeconds = std::atoi(argv[++i]);
    else if (std::strcmp(argv[i], "--then") == 0 && i + 1 < argc)
      then = argv[++i];
    else
      return usage();
  }
  if (i + 1 >= argc) return usage();
  char** program = argv + i + 1;

  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    std::fprintf(stderr, "qor-startup-probe: cannot open the X display\n");
    return 1;
  }
  // Every top-level window that is mapped shows up as a MapNotify on the root.
  XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
  XSync(display, False);

  const auto start = Clock::now();
  const pid_t child = fork();
  if (child < 0) return 1;
  if (child == 0) {
    execvp(program[0], program);
    std::perror("qor-startup-probe: exec");
    _exit(127);
  }
  auto end = [&](int status) {
    kill(child, SIGTERM);
    for (int n = 0; n < 40 && waitpid(child, nullptr, WNOHANG) == 0; ++n)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (waitpid(child, nullptr, WNOHANG) == 0) {
      kill(child, SIGKILL);
      waitpid(child, nullptr, 0);
    }
    XCloseDisplay(display);
    return status;
  };

  const auto deadline = start + std::chrono::seconds(30);
  bool mapped = false;
  while (!mapped && Clock::now() < deadline) {
    while (!mapped && XPending(display)) {
      XEvent event;
      XNextEvent(display, &event);
      mapped = event.type == MapNotify && !event.xmap.override_redirect;
    }
    if (mapped) break;
    if (waitpid(child, nullptr, WNOHANG) == child) {
      std::fprintf(stderr, "qor-startup-probe: %s ended without a window\n", program[0]);
      XCloseDisplay(display);
      return 1;
    }
    pollfd p{ConnectionNumber(display), POLLIN, 0};
    poll(&p, 1, 20);
  }
  if (!mapped) {
    std::fprintf(stderr, "qor-startup-probe: %s mapped no window within 30 s\n", program[0]);
    return end(1);
  }
  const double firstWindowMs =
      std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  std::printf("first_window_ms %.1f\n", firstWindowMs);
  std::fflush(stdout);

  // Settling first: start-up work that follows the first frame is not idling.
  std::this_thread::sleep_for(std::chrono::seconds(2));
  const long before = cpuTicks(child);
  std::this_thread::sleep_for(std::chrono::seconds(idleSeconds));
  const long ticks = cpuTicks(child) - before;
  std::printf("idle_cpu_percent %.2f\n",
              100.0 * double(ticks) / double(sysconf(_SC_CLK_TCK)) / idleSeconds);
  std::printf("peak_rss_kb %ld\n", peakRssKb(child));
  std::fflush(stdout);
  if (then) {
    setenv("QOR_PROBE_PID", std::to_string(child).c_str(), 1);
    const pid_t command = fork();
    if (command == 0) {
      execl("/bin/sh", "sh", "-c", then, static_cast<char*>(nullptr));
      _exit(127);
    }
    int status = 0;
    while (waitpid(command, &status, WNOHANG) == 0) {
      while (XPending(display)) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type != MapNotify || event.xmap.override_redirect) continue;
        const auto since = Clock::now().time_since_epoch();
        std::printf("mapped_at_ms %.1f\n",
                    std::chrono::duration<double, std::milli>(since).count());
        std::fflush(stdout);
      }
      pollfd p{ConnectionNumber(display), POLLIN, 0};
      poll(&p, 1, 5);
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
      std::fprintf(stderr, "qor-startup-probe: --then failed\n");
    std::printf("peak_rss_after_kb %ld\n", peakRssKb(child));
  }
  return end(0);
}
