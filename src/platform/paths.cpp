// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/paths.h"

#include "model/ascii_text.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <system_error>
#include <vector>

namespace qor::paths {
namespace fs = std::filesystem;

namespace {

std::string env(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

// $HOME, else the home folder of the user's account (a session started by a service manager
// or `env -i` may have no HOME), else "/" so that paths stay absolute.
fs::path home() {
  std::string h = env("HOME");
  if (!h.empty()) return fs::path(h);
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
      found->pw_dir && *found->pw_dir)
    return fs::path(found->pw_dir);
  return fs::path("/");
}

// The value of XDG_DOCUMENTS_DIR in a user-dirs.dirs file: `XDG_DOCUMENTS_DIR="$HOME/Docs"`.
fs::path documentsFromUserDirs(const fs::path& file) {
  std::ifstream in(file);
  std::string line;
  while (std::getline(in, line)) {
    const std::string_view key = "XDG_DOCUMENTS_DIR=";
    std::size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line.compare(start, key.size(), key) != 0) continue;
    std::string value = line.substr(start + key.size());
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
      value = value.substr(1, value.size() - 2);
    if (value.rfind("$HOME", 0) == 0) return home() / fs::path(value.substr(5)).relative_path();
    if (!value.empty() && value.front() == '/') return fs::path(value);
  }
  return {};
}

}  // namespace

fs::path configHome() {
  std::string x = env("XDG_CONFIG_HOME");
  return x.empty() || x.front() != '/' ? home() / ".config" : fs::path(x);
}

fs::path userConfig() {
  return configHome() / "qorcfg51";
}

fs::path systemConfig() {
  std::string x = env("QORCFG51_SYSCONF_DIR");
  return x.empty() ? fs::path("/etc/qorcfg51") : fs::path(x);
}

fs::path localUdevRules() {
  std::string x = env("QORCFG51_UDEV_RULES_DIR");
  return x.empty() ? fs::path("/etc/udev/rules.d") : fs::path(x);
}

fs::path runtimeDir(std::string* problem) {
  std::string x = env("XDG_RUNTIME_DIR");
  if (!x.empty()) return fs::path(x);
  return privateFolder("/tmp/qorcfg51-" + std::to_string(::getuid()), problem);
}

fs::path privateFolder(const fs::path& dir, std::string* problem) {
  const auto refuse = [&](const std::string& why) {
    if (problem)
      *problem = dir.string() + " " + why + "; remove it, or set XDG_RUNTIME_DIR (normally " +
                 "your session sets it)";
    return fs::path();
  };
  if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST)
    return refuse(std::string("cannot be made: ") + std::strerror(errno));
  struct stat st {};
  if (::lstat(dir.c_str(), &st) != 0) return refuse(std::strerror(errno));
  if (!S_ISDIR(st.st_mode)) return refuse("is not a folder");
  if (st.st_uid != ::getuid()) return refuse("belongs to another user");
  if ((st.st_mode & 077) != 0) return refuse("may be entered by other users");
  return dir;
}

fs::path documents() {
  std::string x = env("XDG_DOCUMENTS_DIR");
  if (!x.empty()) return fs::path(x);
  return defaultDocuments();
}

fs::path defaultDocuments() {
  fs::path fromFile = documentsFromUserDirs(configHome() / "user-dirs.dirs");
  if (!fromFile.empty()) return fromFile;
  return home() / "Documents";
}

fs::path programFolderFor(const fs::path& executableDir) {
  if (executableDir.empty()) return fs::path(QOR_SHARE_DIR);
  std::error_code ec;
  if (fs::exists(executableDir / "config.ini", ec) ||
      fs::is_directory(executableDir / "images", ec) ||
      fs::is_directory(executableDir / "IMAGES", ec))
    return executableDir;
  // Relative to the executable, so that a tree installed under any prefix, or copied
  // elsewhere whole (a DESTDIR staging tree), finds its own files.
  fs::path installed = (executableDir / QOR_SHARE_DIR_FROM_BIN).lexically_normal();
  if (fs::is_directory(installed, ec)) return installed;
  return fs::path(QOR_SHARE_DIR);
}

fs::path program() {
  std::string x = env("QORCFG51_PROGRAM_DIR");
  if (!x.empty()) return fs::path(x);
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  return programFolderFor(ec ? fs::path() : exe.parent_path());
}

fs::path resolveInFolder(const fs::path& base, std::string_view name) {
  std::string relative(name);
  std::replace(relative.begin(), relative.end(), '\\', '/');
  fs::path asWritten = base / fs::path(relative).relative_path();
  fs::path current = base;
  std::error_code ec;
  for (const fs::path& part : fs::path(relative).relative_path()) {
    fs::path exact = current / part;
    if (fs::exists(exact, ec)) {
      current = exact;
      continue;
    }
    bool found = false;
    for (fs::directory_iterator it(current, ec), end; !ec && it != end; it.increment(ec)) {
      if (equalsNoCase(it->path().filename().string(), part.string())) {
        current = it->path();
        found = true;
        break;
      }
    }
    if (!found) return asWritten;
  }
  return current;
}

std::vector<std::string> missingProgramFiles(const fs::path& folder) {
  struct Piece {
    const char* name;
    bool isFolder;
    const char* without;
  };
  // Each piece has a fallback, so a damaged installation still starts.
  static constexpr Piece kPieces[] = {
      {"config.ini", false, "the built-in settings are used"},
      {"ui.local", false, "texts are shown in English only"},
      {"images", true, "the windows are drawn without their pictures"},
  };
  std::vector<std::string> missing;
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) {
    missing.push_back("the program folder " + folder.string() +
                      " does not exist: the programs run without their files "
                      "(set QORCFG51_PROGRAM_DIR to the folder holding config.ini)");
    return missing;
  }
  for (const Piece& piece : kPieces) {
    const fs::path found = resolveInFolder(folder, piece.name);
    const bool present =
        piece.isFolder ? fs::is_directory(found, ec) : fs::is_regular_file(found, ec);
    if (!present)
      missing.push_back(found.string() + (piece.isFolder ? "/" : "") +
                        " is missing: " + piece.without);
  }
  return missing;
}

}  // namespace qor::paths
