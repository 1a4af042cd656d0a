// SPDX-License-Identifier: GPL-2.0-or-later
// show, switch, export, import, reset: the commands that work on stored profiles.
#include "app/ctl/ctl_commands.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <system_error>

#include "model/profile_import.h"
#include "model/wide_text.h"
#include "platform/atomic_file.h"
#include "platform/linux/dbus_monitor_link.h"
#include "settings/profile_json.h"

namespace qor::ctl {
namespace {

// Tells a running monitor which profile is current now, as the settings window does.
void notifyMonitorOfProfile(const TDM& dm) {
  DbusMonitorLink(MonitorProgramBesideExecutable())
      .Notify(1, static_cast<uint32_t>(dm.FProfileIndex));
}

struct ShowOptions {
  bool json = false;
  std::optional<int> profile;
};

std::optional<std::string> parseShow(const std::vector<std::string>& args, ShowOptions& o) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--json") {
      o.json = true;
    } else if (args[i] == "--profile") {
      if (i + 1 >= args.size()) return "--profile needs a number from 1 to 5";
      o.profile = ParseProfileNumber(args[++i]);
      if (!o.profile) return "--profile takes a number from 1 to 5, not \"" + args[i] + "\"";
    } else {
      return "unknown argument \"" + args[i] + "\"";
    }
  }
  return std::nullopt;
}

std::optional<std::string> oneArgument(const std::vector<std::string>& args, const char* what) {
  if (args.size() != 1) return std::string("expects ") + what;
  return std::nullopt;
}

int runShow(TDM& dm, const std::vector<std::string>& args, Output& io) {
  ShowOptions o;
  parseShow(args, o);
  const int slot = o.profile ? *o.profile - 1 : dm.FProfileIndex;
  TMOUSEPROFILEINFO record{};
  if (slot == dm.FProfileIndex)
    record = dm.FCurrentProfileInfo;
  else
    dm.ReadProfileInfo(record, slot);
  if (o.json) {
    io.out << ProfileToJson(record);
    return kExitOk;
  }
  io.out << "# profile " << slot + 1 << "\n";
  for (const std::string& line : SettingLines(dm, record)) io.out << line << "\n";
  const int macros = std::min<int>(record.MacroKeyInfoList.nMacroInfoCount, kProfileMacroSlots);
  for (int i = 0; i < macros; ++i)
    io.out << "# macro " << i + 1 << ": "
           << readWideFieldUtf8(record.MacroKeyInfoList.MacroInfos[i].szMacroName) << "\n";
  return kExitOk;
}

int runSwitch(TDM& dm, const std::vector<std::string>& args, Output& io) {
  const int slot = *ParseProfileNumber(args[0]) - 1;
  dm.SwitchToProfile(slot);
  if (!dm.SaveBackAllProfileSettingInfo()) return kExitFailed;
  notifyMonitorOfProfile(dm);
  io.out << "current profile: " << slot + 1 << "\n";
  return kExitOk;
}

struct ExportOptions {
  bool json = false;
  std::string file;
};

std::optional<std::string> parseExport(const std::vector<std::string>& args, ExportOptions& o) {
  std::vector<std::string> files;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--format") {
      if (i + 1 >= args.size()) return "--format needs pfx or json";
      const std::string& format = args[++i];
      if (format != "pfx" && format != "json")
        return "--format takes pfx or json, not \"" + format + "\"";
      o.json = format == "json";
    } else {
      files.push_back(args[i]);
    }
  }
  if (files.size() != 1) return std::string("expects one FILE");
  o.file = files[0];
  return std::nullopt;
}

int runExport(TDM& dm, const std::vector<std::string>& args, Output& io) {
  ExportOptions o;
  parseExport(args, o);
  dm.SaveBackToCurrentProfileInfo();
  const std::string file = std::filesystem::absolute(o.file).string();
  if (o.json) {
    const std::string text = ProfileToJson(dm.FCurrentProfileInfo);
    if (auto error =
            writeFileAtomically(file, reinterpret_cast<const uint8_t*>(text.data()), text.size())) {
      io.err << "qorcfg51-ctl: " << *error << "\n";
      return kExitFailed;
    }
  } else if (!dm.SaveCurrentProfileInfoToFile(file)) {
    if (!dm.SlotStore(dm.FProfileIndex).LastError())
      io.err << "qorcfg51-ctl: cannot export to " << file << "\n";
    return kExitFailed;
  }
  io.out << "profile " << dm.FProfileIndex + 1 << " exported to " << file << "\n";
  return kExitOk;
}

// Why a file that was read is no profile to import: its size, else its version.
std::string notAProfile(const std::string& file, const ProfileFileCheck& check) {
  constexpr std::size_t kProfileSize = sizeof(TMOUSEPROFILEINFO);
  if (check.size != kProfileSize)
    return file + " is not a qorcfg51 profile (" + std::to_string(check.size) +
           " bytes; a profile has " + std::to_string(kProfileSize) + ")";
  return file + " is a profile of version " + std::to_string(check.version) +
         "; this qorcfg51 reads version " + std::to_string(kProfileFileVersion) + " only";
}

// A document is told from a .PFX record by its first bytes.
bool isProfileJson(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  std::string start(4096, '\0');
  in.read(start.data(), static_cast<std::streamsize>(start.size()));
  start.resize(static_cast<std::size_t>(in.gcount()));
  return LooksLikeProfileJson(start);
}

int importJson(TDM& dm, const std::string& file, Output& io) {
  std::vector<uint8_t> bytes;
  // Refused by its size before it is read, let alone parsed.
  if (auto error = readWholeFile(file, bytes, kProfileJsonMaxBytes)) {
    io.err << "qorcfg51-ctl: " << *error << "; nothing was imported\n";
    return kExitFailed;
  }
  const ParsedProfile parsed =
      ParseProfileJson(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  if (!parsed.profile) {
    io.err << "qorcfg51-ctl: cannot import " << file << ": " << parsed.Refusal()
           << "; nothing was imported\n";
    return kExitFailed;
  }
  ImportProfileRecord(dm, *parsed.profile);
  notifyMonitorOfProfile(dm);
  io.out << "profile " << dm.FProfileIndex + 1 << " imported from " << file << "\n";
  return kExitOk;
}

int runImport(TDM& dm, const std::vector<std::string>& args, Output& io) {
  const std::string file = std::filesystem::absolute(args[0]).string();
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) {
    io.err << "qorcfg51-ctl: cannot import " << file << ": "
           << (std::filesystem::exists(file, ec) ? "not a regular file" : "no such file") << "\n";
    return kExitFailed;
  }
  if (isProfileJson(file)) return importJson(dm, file, io);
  const ProfileFileCheck check = ImportProfileFile(dm, file);
  switch (check.verdict) {
    case ProfileFileCheck::Verdict::Ok:
      notifyMonitorOfProfile(dm);
      io.out << "profile " << dm.FProfileIndex + 1 << " imported from " << file << "\n";
      return kExitOk;
    case ProfileFileCheck::Verdict::VersionIncorrect:
    case ProfileFileCheck::Verdict::WrongSize:
      io.err << "qorcfg51-ctl: " << notAProfile(file, check) << "; nothing was imported\n";
      break;
    case ProfileFileCheck::Verdict::Unreadable:
      io.err << "qorcfg51-ctl: cannot import: " << check.detail << "\n";
      break;
  }
  return kExitFailed;
}

int runReset(TDM& dm, const std::vector<std::string>&, Output& io) {
  dm.RestoreCurrentProfileInfoToDefault();
  io.out << "profile " << dm.FProfileIndex + 1 << " reset to factory values\n";
  return kExitOk;
}

}  // namespace

std::vector<Command> ProfileCommands() {
  return {
      {"show", "[--json] [--profile N]", "print the current profile (or profile N)",
       "Prints the current profile, or profile N (1 to 5), as the settings set takes, one a\n"
       "line (\"button 4 combo:ctrl+c\"), so that each line given to set again sets the same;\n"
       "lines starting with # are notes (the profile's number, its macros). --json prints\n"
       "the profile as the JSON document that export --format json writes and import reads.",
       Access::Reads,
       [](const std::vector<std::string>& a) {
         ShowOptions o;
         return parseShow(a, o);
       },
       runShow},
      {"switch", "N", "make profile N (1 to 5) the current profile",
       "Makes profile N (1 to 5) the current profile and records it as the current game.\n"
       "The next start of the program (and of this tool) begins again on the profile group's\n"
       "start profile, so a later set or apply works on that profile: give them --profile N\n"
       "to work on another one.",
       Access::Changes,
       [](const std::vector<std::string>& a) -> std::optional<std::string> {
         if (a.size() != 1 || !ParseProfileNumber(a[0]))
           return "expects a profile number from 1 to 5";
         return std::nullopt;
       },
       runSwitch},
      {"export", "[--format pfx|json] FILE", "save the current profile to FILE (.PFX or JSON)",
       "Writes the current profile back into its slot and saves it to FILE as a\n"
       "109888-byte profile file, or with --format json as a JSON document in set's words\n"
       "(import reads either back to the same bytes).",
       Access::Reads,
       [](const std::vector<std::string>& a) {
         ExportOptions o;
         return parseExport(a, o);
       },
       runExport, true},
      {"import", "FILE", "load FILE (.PFX or JSON) into the current profile",
       "Loads the profile file FILE, a .PFX file or a JSON document (told by its content),\n"
       "into the current profile and saves it. A file that is not a profile of this program's\n"
       "version, or a document with a bad member (named by its path), is refused and nothing\n"
       "changes.",
       Access::Changes,
       [](const std::vector<std::string>& a) { return oneArgument(a, "one FILE"); }, runImport,
       true},
      {"reset", "", "restore the current profile's factory values",
       "Restores the factory values of the current profile and saves it. Button entries past\n"
       "the ninth, the macros' records and unused fields keep their bytes.",
       Access::Changes, NoArguments, runReset, true},
  };
}

}  // namespace qor::ctl
