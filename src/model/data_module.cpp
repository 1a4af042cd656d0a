#include "model/data_module.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "device/usage_pair.h"
#include "model/factory_defaults.h"
#include "model/settings_file.h"
#include "model/wide_text.h"

namespace qor {
namespace fs = std::filesystem;

TDM* DM = nullptr;

namespace {

bool fileExists(const std::string& path) {
  std::error_code ec;
  return fs::exists(path, ec);
}

}  // namespace

TDM::TDM(const DataModuleEnvironment& env, StoreProblemSink problems)
    : FEnv(env),
      FProblems(std::move(problems)),
      uiProfileSettingGroup(env.registry),
      uiProfileAllSettingInfo(env.registry),
      uiProfileDefaultGame(env.registry),
      uiProfileTest(env.registry) {
  for (auto& slot : uiProfileGame) slot = std::make_unique<TuiProfile>(env.registry);
  uiProfileSettingGroup.OnRestoreToDefault = [this](auto& s) {
    uiProfileSettingGroupRestoreToDefault(s);
  };
  uiProfileAllSettingInfo.OnRestoreToDefault = [this](auto& s) {
    uiProfileAllSettingInfoRestoreToDefault(s);
  };
  for (auto& slot : uiProfileGame)
    slot->OnRestoreToDefault = [this](auto& s) { uiProfileGame1RestoreToDefault(s); };
  uiProfileDefaultGame.OnRestoreToDefault = [this](auto& s) { uiProfileGame1RestoreToDefault(s); };
  uiProfileTest.OnRestoreToDefault = [this](auto& s) { uiProfileTestRestoreToDefault(s); };

  fs::path docs = env.documents / kDocumentsSubFolder;
  FDocumentsFolder = docs.string();
  DataModuleCreate();
}

TDM::~TDM() = default;

void TDM::warn(std::string message) {
  if (FProblems) FProblems({StoreProblem::Kind::Warning, std::move(message)});
}

void TDM::error(std::string message) {
  ++FErrorCount;
  if (FProblems) FProblems({StoreProblem::Kind::Error, std::move(message)});
}

bool TDM::checked(TuiProfile& store, bool done) {
  if (!done && store.LastError()) error(*store.LastError());
  return done;
}

// ---- Start-up -----------------------------------------------------------------------------

void TDM::prepareStore(TuiProfile& store, const std::string& valueName) {
  store.SetRootKey(RootKey::CurrentUser);
  store.SetFileName(valueName);
  store.SetKeyPath(kRegistryKeyPath);
}

// Loads a registry-only record; a missing value gets factory values, saved at once. After a
// failure of the registry itself the factory values are used but not saved, so that a
// damaged database or a value of another type is never overwritten.
void TDM::loadRecordFromRegistry(TuiProfile& store, const char* what) {
  if (store.LoadStreamFromRegistry()) return;
  const bool layerFailed = store.LastError().has_value();
  if (layerFailed)
    error("cannot load the " + std::string(what) + ": " + *store.LastError() +
          "; factory values are used for now and nothing was saved over it");
  store.RestoreToDefault();
  if (!layerFailed) checked(store, store.SaveStreamToRegistry());
}

int TDM::groupStartProfile(int group) {
  if (!IsProfileGroupIndexInRange(group)) group = 0;
  const int p = FProfileSettingGroup.ProfileIndexOfProfileGroup[group];
  return IsProfileIndexInRange(p) ? p : 0;
}

void TDM::createDocumentsFolder() {
  std::error_code ec;
  fs::create_directories(FDocumentsFolder, ec);
  if (ec)
    warn("cannot create the profile folder " + FDocumentsFolder + ": " + ec.message() +
         "; check that your documents folder exists and is writable");
}

void TDM::keepDamagedFile(int slot, const std::string& file, const std::string& why) {
  std::string aside = file + ".damaged";
  for (int n = 1; fileExists(aside); ++n) aside = file + ".damaged." + std::to_string(n);
  std::error_code ec;
  fs::rename(file, aside, ec);
  if (ec) {
    error("profile " + std::to_string(slot + 1) + ": " + why + "; it could not be moved aside (" +
          ec.message() + ") and was left as it is; factory values are used for now");
    return;
  }
  error("profile " + std::to_string(slot + 1) + ": " + why + "; the file was moved to " + aside +
        " and factory values are used");
  uiProfileGame[slot]->RestoreToDefault();
  checked(*uiProfileGame[slot], uiProfileGame[slot]->SaveStreamToFile());
}

void TDM::loadSlot(int i) {
  const TProfileSettingInfo& e = FProfileSettingGroup.ProfileSettingList[i];
  TuiProfile& store = *uiProfileGame[i];
  FProfileGroup[i] = &store;
  const std::string name = readWideFieldUtf8(e.FileName);
  const std::string folder = readWideFieldUtf8(e.FilePath);
  prepareStore(store, name);
  store.SetFilePath(folder);
  TMOUSEPROFILEINFO zero{};
  store.Write(zero);
  const std::string slot = "profile " + std::to_string(i + 1);

  if (e.StorageKind == 0) {
    if (!store.LoadStreamFromRegistry()) {
      checked(store, false);
      store.RestoreToDefault();
    }
  } else if (e.StorageKind == 1) {
    // A stored name with a folder in it, or a relative folder, would point the slot's file
    // somewhere the user never chose.
    if (name.empty() || name.find('/') != std::string::npos || folder.empty() ||
        folder.front() != '/') {
      warn(slot + ": the stored file location \"" + folder + "\" / \"" + name +
           "\" is not usable; factory values are used and not saved to a file");
      store.RestoreToDefault();
      return;
    }
    const std::string f = WithTrailingSeparator(folder) + name;
    if (!fileExists(f)) {
      store.RestoreToDefault();
      checked(store, store.SaveStreamToFile(f));
    } else if (!store.LoadStreamFromFile(f)) {
      if (store.LastError())
        keepDamagedFile(i, f, "cannot load " + f + " (" + *store.LastError() + ")");
      else {
        store.RestoreToDefault();
        checked(store, store.SaveStreamToFile());
      }
    }
  }
  const std::size_t size = store.StreamBytes().size();
  if (size != sizeof(TMOUSEPROFILEINFO))
    warn(slot + " holds " + std::to_string(size) + " bytes instead of " +
         std::to_string(sizeof(TMOUSEPROFILEINFO)) + "; only those bytes were loaded");
}

void TDM::DataModuleCreate() {
  FProfileGroupIndex = 0;

  prepareStore(uiProfileSettingGroup, kProfileSettingGroupValue);
  TProfileSettingGroup zeroGroup{};
  uiProfileSettingGroup.Write(zeroGroup);
  loadRecordFromRegistry(uiProfileSettingGroup, "profile group settings");
  uiProfileSettingGroup.Read(FProfileSettingGroup);
  FProfileGroupIndex = FProfileSettingGroup.CurrentProfileGroup;
  if (!IsProfileGroupIndexInRange(FProfileGroupIndex)) {
    warn("the stored profile group " + std::to_string(FProfileGroupIndex) +
         " is not 0 or 1; group 0 is used");
    FProfileGroupIndex = 0;
  }
  const int start = FProfileSettingGroup.ProfileIndexOfProfileGroup[FProfileGroupIndex];
  if (!IsProfileIndexInRange(start))
    warn("the stored start profile " + std::to_string(start) +
         " is outside 0 to 4; profile 1 is used");
  FProfileIndex = groupStartProfile(FProfileGroupIndex);

  prepareStore(uiProfileAllSettingInfo, kAllProfilesValue);
  uiProfileAllSettingInfo.Write(FAllProfileSettingInfo);
  loadRecordFromRegistry(uiProfileAllSettingInfo, "all-profiles settings");
  uiProfileAllSettingInfo.Read(FAllProfileSettingInfo);

  // Made before the slots take their folders, so that the first slot saves from the start.
  createDocumentsFolder();
  for (int i = 0; i < kProfileSlots; ++i) loadSlot(i);

  SwitchToProfileGroup(FProfileGroupIndex);
  SharedDeviceUsagePair() = kMouseConfigUsage;

  const SettingsFile ini = SettingsFile::load(FEnv.program / "config.ini");
  ReadOtherConfig(ini, FOtherConfig, FHelpFile);
  FModalsListInfo = ReadModalsList(ini);
}

// ---- Selection ----------------------------------------------------------------------------

bool TDM::IsProfileIndexInRange(int AProfileIndex) {
  return AProfileIndex >= 0 && AProfileIndex < kProfileSlots;
}

bool TDM::IsProfileGroupIndexInRange(int AProfileGroupIndex) {
  return AProfileGroupIndex >= 0 && AProfileGroupIndex < 2;
}

bool TDM::SwitchToProfile(int AProfileIndex) {
  if (!IsProfileIndexInRange(AProfileIndex)) return false;
  FProfileIndex = AProfileIndex;
  FProfileGroup[FProfileIndex]->Read(FCurrentProfileInfo);
  FAllProfileSettingInfo.CurrentGame = AProfileIndex;
  return true;
}

bool TDM::SwitchToProfileGroup(int AProfileGroupIndex) {
  if (!IsProfileGroupIndexInRange(AProfileGroupIndex)) return false;
  FProfileSettingGroup.CurrentProfileGroup = AProfileGroupIndex;
  FProfileGroupIndex = AProfileGroupIndex;
  FProfileIndex = groupStartProfile(AProfileGroupIndex);
  SwitchToProfile(FProfileIndex);
  return true;
}

// ---- Reading ------------------------------------------------------------------------------

bool TDM::ReadCurrentProfileInfo() {
  FProfileGroup[FProfileIndex]->Read(FCurrentProfileInfo);
  return true;
}

bool TDM::ReadProfileInfo(TMOUSEPROFILEINFO& AProfileInfo, int AProfileIndex) {
  if (!IsProfileIndexInRange(AProfileIndex)) return false;
  FProfileGroup[AProfileIndex]->Read(AProfileInfo);
  return true;
}

bool TDM::LoadCurrentProfileInfoFromFile(const std::string& AFile) {
  TuiProfile& store = *FProfileGroup[FProfileIndex];
  const bool done = checked(store, store.LoadStreamFromFile(AFile));
  ReadCurrentProfileInfo();
  return done;
}

bool TDM::LoadCurrentProfileInfoFromRegistry() {
  TuiProfile& store = *FProfileGroup[FProfileIndex];
  const bool done = checked(store, store.LoadStreamFromRegistry());
  ReadCurrentProfileInfo();
  return done;
}

bool TDM::LoadProfileInfoFromRegistry(int AProfileIndex) {
  if (!IsProfileIndexInRange(AProfileIndex)) return false;
  TuiProfile& store = *FProfileGroup[AProfileIndex];
  return checked(store, store.LoadStreamFromRegistry());
}

void TDM::LoadProfileGroupSettingInfoFromRegistry() {
  loadRecordFromRegistry(uiProfileSettingGroup, "profile group settings");
  uiProfileSettingGroup.Read(FProfileSettingGroup);
  FProfileGroupIndex = IsProfileGroupIndexInRange(FProfileSettingGroup.CurrentProfileGroup)
                           ? FProfileSettingGroup.CurrentProfileGroup
                           : 0;
  FProfileIndex = groupStartProfile(FProfileGroupIndex);
}

void TDM::LoadAllProfileInfoFromRegistry() {
  loadRecordFromRegistry(uiProfileAllSettingInfo, "all-profiles settings");
  uiProfileAllSettingInfo.Read(FAllProfileSettingInfo);
}

// ---- Writing and saving -------------------------------------------------------------------

void TDM::SaveBackToCurrentProfileInfo() {
  FProfileGroup[FProfileIndex]->Write(FCurrentProfileInfo);
}

bool TDM::SaveBackToProfileInfo(const TMOUSEPROFILEINFO& AProfileInfo, int AProfileIndex) {
  if (!IsProfileIndexInRange(AProfileIndex)) return false;
  FProfileGroup[AProfileIndex]->Write(AProfileInfo);
  return true;
}

bool TDM::SaveCurrentProfileInfoToRegistry() {
  SaveBackToCurrentProfileInfo();
  TuiProfile& store = *FProfileGroup[FProfileIndex];
  return checked(store, store.SaveStreamToRegistry());
}

bool TDM::SaveCurrentProfileInfoToFile() {
  TuiProfile& store = *FProfileGroup[FProfileIndex];
  return checked(store, store.SaveStreamToFile());
}

bool TDM::SaveCurrentProfileInfoToFile(const std::string& AFile) {
  TuiProfile& store = *FProfileGroup[FProfileIndex];
  return checked(store, store.SaveStreamToFile(AFile));
}

bool TDM::SaveProfileInfoToRegistry(int AProfileIndex) {
  if (!IsProfileIndexInRange(AProfileIndex)) return false;
  TuiProfile& store = *FProfileGroup[AProfileIndex];
  return checked(store, store.SaveStreamToRegistry());
}

bool TDM::SaveBackAllProfileInfo() {
  return SaveBackAllProfileInfoToRegistry();
}

bool TDM::SaveBackAllProfileInfoToRegistry() {
  bool all = true;
  for (int i = 0; i < kProfileSlots; ++i)
    all = checked(*FProfileGroup[i], FProfileGroup[i]->SaveStreamToRegistry()) && all;
  return all;
}

bool TDM::SaveBackAllProfileInfoToFile() {
  bool all = true;
  for (int i = 0; i < kProfileSlots; ++i)
    all = checked(*FProfileGroup[i], FProfileGroup[i]->SaveStreamToFile()) && all;
  return all;
}

void TDM::SaveBackToProfileGroupSettingInfo() {
  uiProfileSettingGroup.Write(FProfileSettingGroup);
}

bool TDM::SaveProfileGroupSettingInfoToRegistry() {
  uiProfileSettingGroup.Write(FProfileSettingGroup);
  return checked(uiProfileSettingGroup, uiProfileSettingGroup.SaveStreamToRegistry());
}

bool TDM::SaveBackAllProfileSettingInfo() {
  FAllProfileSettingInfo.CurrentGame = FProfileIndex;
  uiProfileAllSettingInfo.Write(FAllProfileSettingInfo);
  return checked(uiProfileAllSettingInfo, uiProfileAllSettingInfo.SaveStreamToRegistry());
}

bool TDM::ChangeCurrentProfileFileNameAndPath(const std::string& AProfileFilePath) {
  std::string folder, name;
  SplitFilePath(AProfileFilePath, folder, name);
  TuiProfile& store = *FProfileGroup[FProfileIndex];
  TProfileSettingInfo& e = FProfileSettingGroup.ProfileSettingList[FProfileIndex];
  TProfileSettingInfo next = e;
  if (!writeWideFieldUtf8(next.FileName, name, TextFit::Refuse) ||
      !writeWideFieldUtf8(next.FilePath, folder, TextFit::Refuse)) {
    error("the file name or folder of " + AProfileFilePath +
          " is too long to be stored; the profile keeps its file");
    return false;
  }
  store.SetFileName(name);
  store.SetFilePath(folder);
  e = next;
  return true;
}

bool TDM::SaveAllProfileData() {
  // A slot without a folder is simply not saved to a file; only layer errors count here.
  const int errorsBefore = FErrorCount;
  SaveBackToCurrentProfileInfo();
  SaveCurrentProfileInfoToRegistry();
  SaveCurrentProfileInfoToFile();
  SaveBackAllProfileInfoToFile();
  SaveBackAllProfileInfoToRegistry();
  SaveBackToProfileGroupSettingInfo();
  SaveProfileGroupSettingInfoToRegistry();
  return FErrorCount == errorsBefore;
}

// ---- Factory values -----------------------------------------------------------------------

void TDM::RestoreCurrentProfileInfoToDefault() {
  FProfileGroup[FProfileIndex]->RestoreToDefault();
  ReadCurrentProfileInfo();
}

bool TDM::RestoreProfileInfoToDefault(int AProfileIndex) {
  if (!IsProfileIndexInRange(AProfileIndex)) return false;
  FProfileGroup[AProfileIndex]->RestoreToDefault();
  return true;
}

bool TDM::RestoreProfileGroupToDefault(int AProfileGroupIndex) {
  if (!IsProfileGroupIndexInRange(AProfileGroupIndex)) return false;
  const int p = groupStartProfile(AProfileGroupIndex);
  if (p == FProfileIndex)
    RestoreCurrentProfileInfoToDefault();
  else
    FProfileGroup[p]->RestoreToDefault();
  return true;
}

void TDM::RestoreProfileSettingGroupToDefault() {
  uiProfileSettingGroup.RestoreToDefault();
  checked(uiProfileSettingGroup, uiProfileSettingGroup.SaveStreamToRegistry());
}

void TDM::RestoreToDefaultCPISetting() {
  RestoreDefaultCPISetting(FCurrentProfileInfo);
}

void TDM::RestoreToDefaultLightAndReportAdvancedSetting() {
  RestoreDefaultLightAndReportAdvancedSetting(FCurrentProfileInfo);
}

void TDM::InitTestDefaultValue() {
  prepareStore(uiProfileTest, "K7040ProfileTest.PFX");
  uiProfileTest.Write(FTestProfileInfo);
  uiProfileTest.RestoreToDefault();
  uiProfileTest.Read(FTestProfileInfo);
  prepareStore(uiProfileDefaultGame, "K7040ProfileDef.PFX");
  uiProfileDefaultGame.Write(FDefaultProfileInfo);
  uiProfileDefaultGame.RestoreToDefault();
  uiProfileDefaultGame.Read(FDefaultProfileInfo);
}

void TDM::uiProfileGame1RestoreToDefault(TuiProfile::Stream& AStream) {
  FillRecordInStream<TMOUSEPROFILEINFO>(AStream, RestoreFactoryProfile);
}

void TDM::uiProfileTestRestoreToDefault(TuiProfile::Stream& AStream) {
  FillRecordInStream<TMOUSEPROFILEINFO>(AStream, RestoreFactoryTestProfile);
}

void TDM::uiProfileSettingGroupRestoreToDefault(TuiProfile::Stream& AStream) {
  FillRecordInStream<TProfileSettingGroup>(AStream, [this](TProfileSettingGroup& g) {
    if (!RestoreFactoryProfileSettingGroup(g, FDocumentsFolder))
      error("the documents folder " + FDocumentsFolder +
            " is too long to be stored in the profile settings; profiles are not saved to files");
  });
}

void TDM::uiProfileAllSettingInfoRestoreToDefault(TuiProfile::Stream& AStream) {
  FillRecordInStream<TALLGAMESINFO>(AStream, RestoreFactoryAllGamesInfo);
}

// ---- Other --------------------------------------------------------------------------------

std::string TDM::GetModalLayoutByModalNumber(const std::string& AModalNumber) const {
  for (const TModalInfo& m : FModalsListInfo.ModalsList)
    if (m.ModalNumber == AModalNumber) return m.ModalLayout;
  return FModalsListInfo.NoModalLayout;
}

void TDM::NoticeMainFormToUpdateSomeChanged() {
  if (OnMainFormUpdate) OnMainFormUpdate();
}

}  // namespace qor
