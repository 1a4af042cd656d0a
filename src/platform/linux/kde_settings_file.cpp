// SPDX-License-Identifier: GPL-2.0-or-later
// One value written to one of Plasma's settings files, by KConfig's tool or by our own editor.
#include "platform/linux/kde_settings_file.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/ini_text.h"
#include "platform/unique_fd.h"

extern char** environ;

namespace qor {
namespace {

namespace fs = std::filesystem;

// The first of `names` that PATH leads to as an executable file; empty when none does.
fs::path findOnPath(std::initializer_list<const char*> names) {
  const char* path = std::getenv("PATH");
  if (!path) return {};
  for (const char* name : names) {
    std::string_view folders(path);
    for (;;) {
      const auto colon = folders.find(':');
      const std::string_view folder = folders.substr(0, colon);
      const fs::path candidate = (folder.empty() ? fs::path(".") : fs::path(folder)) / name;
      std::error_code ec;
      if (fs::is_regular_file(candidate, ec) && ::access(candidate.c_str(), X_OK) == 0)
        return candidate;
      if (colon == std::string_view::npos) break;
      folders.remove_prefix(colon + 1);
    }
  }
  return {};
}

// The first line of what `fd` delivers until its end, for a message.
std::string firstLineOf(int fd) {
  std::string text;
  char buf[512];
  for (ssize_t n; (n = ::read(fd, buf, sizeof buf)) != 0;) {
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) break;
    if (text.size() < 4096) text.append(buf, static_cast<std::size_t>(n));
  }
  return text.substr(0, text.find('\n'));
}

// Runs `tool` with `args`, $XDG_CONFIG_HOME set to `configHome` so that the tool's file is
// ours. Returns what went wrong (with the first line the tool wrote to stderr), or nothing
// when it ended with status 0.
std::optional<std::string> runTool(const fs::path& tool, const std::vector<std::string>& args,
                                   const fs::path& configHome) {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e)
    if (std::strncmp(*e, "XDG_CONFIG_HOME=", 16) != 0) env.emplace_back(*e);
  env.push_back("XDG_CONFIG_HOME=" + configHome.string());
  std::vector<char*> envp, argv{const_cast<char*>(tool.c_str())};
  for (std::string& e : env) envp.push_back(e.data());
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  envp.push_back(nullptr);
  argv.push_back(nullptr);

  const std::string name = tool.filename().string();
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return "cannot run " + name + ": pipe: " + std::strerror(errno);
  UniqueFd readEnd(fds[0]), writeEnd(fds[1]);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, writeEnd.get(), 2);
  pid_t pid = 0;
  const int spawned =
      ::posix_spawn(&pid, tool.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return "cannot run " + tool.string() + ": " + std::strerror(spawned);
  writeEnd.reset();  // the child's end only, so that the read ends with the child
  const std::string said = firstLineOf(readEnd.get());
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return std::nullopt;
  const std::string ended =
      WIFEXITED(status) ? name + " ended with exit status " + std::to_string(WEXITSTATUS(status))
                        : name + " ended by signal " + std::to_string(WTERMSIG(status));
  return said.empty() ? ended : ended + ": " + said;
}

// The arguments that have kwriteconfig set one value; a nested group is given part by part.
std::vector<std::string> toolArguments(const std::string& name, std::string_view group,
                                       std::string_view key, std::string_view value) {
  std::vector<std::string> args{"--file", name};
  for (std::size_t start = 0;;) {
    const auto end = group.find("][", start);
    args.push_back("--group");
    args.emplace_back(group.substr(start, end - start));
    if (end == std::string_view::npos) break;
    start = end + 2;
  }
  // "--" ends the options: a value such as -0.500 is no option.
  args.insert(args.end(), {"--key", std::string(key), "--", std::string(value)});
  return args;
}

}  // namespace

std::optional<std::string> WriteKdeSetting(const fs::path& configHome, const std::string& name,
                                           std::string_view group, std::string_view key,
                                           std::string_view value) {
  const fs::path file = configHome / name;
  std::error_code ec;
  fs::create_directories(configHome, ec);
  bool locked = false;
  const auto edit = [&](std::string text) {
    std::optional<std::string> changed = SetIniValue(text, group, key, value);
    locked = !changed;
    return changed ? std::move(*changed) : text;
  };

  std::optional<std::string> problem;
  if (const fs::path tool = findOnPath({"kwriteconfig6", "kwriteconfig5"}); !tool.empty()) {
    // Our reader looks for a lock first, so that a locked value is reported to the user rather
    // than handed to the tool.
    std::vector<uint8_t> bytes;
    if (fs::exists(file, ec)) problem = readWholeFile(file, bytes);
    if (!problem) edit(std::string(bytes.begin(), bytes.end()));
    if (!problem && !locked) {
      if (auto failed = runTool(tool, toolArguments(name, group, key, value), configHome))
        problem = "cannot write " + file.string() + ": " + *failed;
    }
  } else {
    problem = rewriteTextFile(file, edit);
  }
  if (problem)
    return *problem +
           "; Plasma keeps this setting there: make it a regular file you may write (ls -l "
           "shows what it is) and set the value again";
  if (locked)
    return "the administrator locked " + std::string(key) + " in " + file.string() +
           " (marked [$i]), so it stays as it is; ask them to change it";
  return std::nullopt;
}

}  // namespace qor
