// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/atomic_file.h"

#include <csignal>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <string>
#include <string_view>

namespace qor {
namespace fs = std::filesystem;

namespace {

std::string failure(const char* what, const fs::path& file, int err) {
  return std::string(what) + " " + file.string() + ": " + std::strerror(err);
}

// Closes a descriptor when it leaves scope.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  // Closes now and reports the result, since close can report a failed write-back.
  int close() {
    int r = ::close(fd_);
    fd_ = -1;
    return r;
  }

 private:
  int fd_;
};

// The file a write to `file` must replace: symbolic links are followed to their target, so
// that the link the user made stays a link. Empty with `err` set when the chain does not end.
fs::path followLinks(const fs::path& file, int& err) {
  fs::path at = file;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    if (::lstat(at.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return at;
    std::error_code ec;
    const fs::path target = fs::read_symlink(at, ec);
    if (ec) {
      err = ec.value();
      return {};
    }
    at = target.is_absolute() ? target : at.parent_path() / target;
  }
  err = ELOOP;
  return {};
}

// True when `file` holds exactly `size` bytes equal to `data`; a file that cannot be read
// counts as different.
bool holdsExactly(const fs::path& file, const uint8_t* data, std::size_t size) {
  Fd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) return false;
  uint8_t chunk[16384];
  std::size_t done = 0;
  for (;;) {
    ssize_t n = ::read(fd.get(), chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return done == size;
    const auto got = static_cast<std::size_t>(n);
    if (got > size - done || std::memcmp(chunk, data + done, got) != 0) return false;
    done += got;
  }
}

// The temporary file of a write of "name" is ".name" followed by this, filled in by mkstemp:
// the marker keeps the cleanup below away from files of the user's own (".name.backup").
constexpr std::string_view kTemporarySuffix = ".qorcfg51-XXXXXX";
constexpr std::string_view kTemporaryMarker =
    kTemporarySuffix.substr(0, kTemporarySuffix.size() - 6);

// A temporary file of an earlier write of `name` that never got renamed (the writer was
// killed), untouched for longer than any write takes.
bool isStaleTemporary(const fs::directory_entry& entry, const std::string& name) {
  const std::string found = entry.path().filename().string();
  const std::size_t random = 1 + name.size() + kTemporaryMarker.size();
  if (found.size() != 1 + name.size() + kTemporarySuffix.size() || found[0] != '.' ||
      found.compare(1, name.size(), name) != 0 ||
      found.compare(1 + name.size(), kTemporaryMarker.size(), kTemporaryMarker) != 0)
    return false;
  for (std::size_t i = random; i < found.size(); ++i)
    if (!std::isalnum(static_cast<unsigned char>(found[i]))) return false;
  struct stat st {};
  if (::lstat(entry.path().c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  return std::time(nullptr) - st.st_mtime > kStaleTemporaryAge;
}

// Removes what earlier interrupted writes of `name` left in `folder`.
void removeStaleTemporaries(const fs::path& folder, const std::string& name) {
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
    if (isStaleTemporary(*it, name)) ::unlink(it->path().c_str());
}

}  // namespace

std::optional<std::string> readWholeFile(const fs::path& file, std::vector<uint8_t>& out,
                                         std::uintmax_t maxSize) {
  // Opened without waiting: a FIFO in a file's place would hang the program for good.
  Fd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (fd.get() < 0) return failure("cannot open", file, errno);
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) return failure("cannot read", file, errno);
  if (S_ISDIR(st.st_mode)) return failure("cannot read", file, EISDIR);
  if (!S_ISREG(st.st_mode)) return "cannot read " + file.string() + ": not a regular file";
  if (static_cast<std::uintmax_t>(st.st_size) > maxSize)
    return "cannot read " + file.string() + ": file is too large (" + std::to_string(st.st_size) +
           " bytes, at most " + std::to_string(maxSize) + " expected)";
  std::vector<uint8_t> data(static_cast<std::size_t>(st.st_size));
  std::size_t got = 0;
  while (got < data.size()) {
    ssize_t n = ::read(fd.get(), data.data() + got, data.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return failure("cannot read", file, errno);
    if (n == 0) break;  // the file shrank while reading: keep what is there
    got += static_cast<std::size_t>(n);
  }
  data.resize(got);
  out = std::move(data);
  return std::nullopt;
}

std::optional<std::string> writeFileAtomically(const fs::path& named, const uint8_t* data,
                                               std::size_t size, WhenUnchanged unchanged) {
  int linkError = 0;
  const fs::path file = followLinks(named, linkError);
  if (file.empty()) return failure("cannot replace", named, linkError);
  // Only a regular file is replaced, and only one the user left writable: a rename would
  // silently take the place of a device node or of a file made read-only on purpose.
  struct stat existing {};
  const bool exists = ::stat(file.c_str(), &existing) == 0;
  if (exists && !S_ISREG(existing.st_mode))
    return "cannot replace " + file.string() + ": not a regular file";
  if (exists && ((existing.st_mode & 0222) == 0 || ::access(file.c_str(), W_OK) != 0))
    return failure("cannot replace", file, EACCES) + " (the file is read-only)";
  if (exists && unchanged == WhenUnchanged::Keep &&
      static_cast<std::uintmax_t>(existing.st_size) == size && holdsExactly(file, data, size))
    return std::nullopt;
  fs::path folder = file.parent_path();
  if (folder.empty()) folder = ".";
  // Built by appending: GCC 12 warns falsely (-Wrestrict) about "." + name at -O3.
  removeStaleTemporaries(folder, file.filename().string());
  std::string hidden = ".";
  hidden += file.filename().string();
  hidden += kTemporarySuffix;
  std::string tmpl = (folder / hidden).string();
  int raw = ::mkostemp(tmpl.data(), O_CLOEXEC);
  if (raw < 0) return failure("cannot create", file, errno);
  Fd fd(raw);
  const fs::path tmp = tmpl;
  auto fail = [&](const char* what, int err) {
    ::unlink(tmp.c_str());
    return failure(what, file, err);
  };
  // Keep the permissions an existing file had; a new one gets the usual 0666 & ~umask.
  mode_t mode;
  if (exists) {
    mode = existing.st_mode & 07777;
  } else {
    mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  ::fchmod(fd.get(), mode);
  std::size_t done = 0;
  while (done < size) {
    ssize_t n = ::write(fd.get(), data + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return fail("cannot write", errno);
    done += static_cast<std::size_t>(n);
  }
  if (::fsync(fd.get()) != 0) return fail("cannot write", errno);
  if (fd.close() != 0) return fail("cannot write", errno);
  if (::rename(tmp.c_str(), file.c_str()) != 0) return fail("cannot replace", errno);
  // Make the rename itself durable.
  Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() >= 0) ::fsync(dir.get());
  return std::nullopt;
}

std::optional<std::string> rewriteTextFile(const std::filesystem::path& file,
                                           const std::function<std::string(std::string)>& change) {
  std::vector<uint8_t> bytes;
  std::error_code ec;
  if (std::filesystem::exists(file, ec))
    if (auto problem = readWholeFile(file, bytes)) return problem;
  const std::string before(bytes.begin(), bytes.end());
  const std::string after = change(before);
  if (after == before && std::filesystem::exists(file, ec)) return std::nullopt;
  return writeFileAtomically(file, reinterpret_cast<const uint8_t*>(after.data()), after.size());
}

void ReportOversizedWrites() {
  std::signal(SIGXFSZ, SIG_IGN);
}

}  // namespace qor
