#include "platform/paths.h"

#include "model/ascii_text.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <system_error>

namespace qor::paths {
namespace fs = std::filesystem;

namespace {

std::string env(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

fs::path home() {
  std::string h = env("HOME");
  return h.empty() ? fs::path("/") : fs::path(h);
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

fs::path runtimeDir() {
  std::string x = env("XDG_RUNTIME_DIR");
  return x.empty() ? fs::path("/tmp") : fs::path(x);
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

fs::path program() {
  std::string x = env("QORCFG51_PROGRAM_DIR");
  if (!x.empty()) return fs::path(x);
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (!ec) {
    fs::path dir = exe.parent_path();
    if (fs::exists(dir / "config.ini", ec) || fs::is_directory(dir / "images", ec) ||
        fs::is_directory(dir / "IMAGES", ec))
      return dir;
  }
  return fs::path(QOR_SHARE_DIR);
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

}  // namespace qor::paths
