// SPDX-License-Identifier: GPL-2.0-or-later
#include "model/profile_import.h"

namespace qor {

ProfileFileCheck CheckProfileFile(Registry& registry, const std::string& file) {
  using Verdict = ProfileFileCheck::Verdict;
  TuiProfile probe(registry);
  if (!probe.LoadStreamFromFile(file))
    return {Verdict::Unreadable, probe.LastError().value_or("cannot read " + file)};
  TMOUSEPROFILEINFO record{};
  probe.Read(record);
  ProfileFileCheck check;
  check.size = probe.StreamBytes().size();
  check.version = record.ProfileHeader.FFileVersion;
  if (check.version != kProfileFileVersion) {
    check.verdict = Verdict::VersionIncorrect;
  } else if (check.size != sizeof(TMOUSEPROFILEINFO)) {
    // A cut or padded file would mix its bytes with the profile it replaces.
    check.verdict = Verdict::WrongSize;
    check.detail = file + " holds " + std::to_string(check.size) +
                   " bytes; a profile file holds exactly " +
                   std::to_string(sizeof(TMOUSEPROFILEINFO)) + " bytes";
  }
  return check;
}

ProfileFileCheck ImportProfileFile(TDM& dm, const std::string& file) {
  ProfileFileCheck check = CheckProfileFile(dm.RegistryService(), file);
  if (check.verdict != ProfileFileCheck::Verdict::Ok) return check;
  if (!dm.LoadCurrentProfileInfoFromFile(file))
    return {ProfileFileCheck::Verdict::Unreadable, "cannot read " + file};
  ImportProfileRecord(dm, dm.FCurrentProfileInfo);
  return check;
}

void ImportProfileRecord(TDM& dm, const TMOUSEPROFILEINFO& profile) {
  if (&profile != &dm.FCurrentProfileInfo) dm.FCurrentProfileInfo = profile;
  dm.SaveBackToCurrentProfileInfo();
  dm.SaveCurrentProfileInfoToRegistry();
  dm.NoticeMainFormToUpdateSomeChanged();
}

}  // namespace qor
