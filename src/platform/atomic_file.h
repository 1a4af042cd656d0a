// SPDX-License-Identifier: GPL-2.0-or-later
// Whole-file reads and atomic whole-file replacement.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace qor {

// Files larger than this are refused by readWholeFile: no stored record comes near it.
inline constexpr std::uintmax_t kMaxStoredFileSize = 64u * 1024u * 1024u;

// Reads the whole file into `out`. Returns an error text naming the file and the cause, or
// nothing on success; `out` is untouched on failure.
std::optional<std::string> readWholeFile(const std::filesystem::path& file,
                                         std::vector<uint8_t>& out,
                                         std::uintmax_t maxSize = kMaxStoredFileSize);

// How old a temporary file of an interrupted write must be before a later write removes it.
inline constexpr long kStaleTemporaryAge = 600;

// What writeFileAtomically does with a file that already holds exactly the bytes to write.
enum class WhenUnchanged { Rewrite, Keep };

// Replaces `file` with `data`: writes a temporary file in the same folder, flushes it to disk
// and renames it over the target, so a crash or a full disk never leaves half a file. What an
// earlier write of the same file left behind when it was killed (a temporary file untouched
// for kStaleTemporaryAge seconds) is removed first. A
// symbolic link is followed and its target replaced in the target's folder; a target that is
// not a regular file, or is read-only, is refused. With WhenUnchanged::Keep a file that
// already holds `data` is left as it is (after the same checks), which spares its sync.
// Returns an error text naming the file and the cause, or nothing on success.
std::optional<std::string> writeFileAtomically(const std::filesystem::path& file,
                                               const uint8_t* data, std::size_t size,
                                               WhenUnchanged unchanged = WhenUnchanged::Rewrite);

// Replaces the text file `file` (missing: empty) with what `change` makes of its text, read
// and written whole and atomically; a text that stays the same is not written. Returns an error
// text naming the file and the cause, or nothing on success.
std::optional<std::string> rewriteTextFile(const std::filesystem::path& file,
                                           const std::function<std::string(std::string)>& change);

// Makes a write past the file-size limit (`ulimit -f`) fail with EFBIG, which the writers
// report, instead of SIGXFSZ killing the process in the middle of a save. Each program calls
// it first.
void ReportOversizedWrites();

}  // namespace qor
