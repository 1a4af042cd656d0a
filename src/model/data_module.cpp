// SPDX-License-Identifier: GPL-2.0-or-later
#include "model/data_module.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include "model/factory_defaults.h"
#include "model/settings_file.h"
#include "model/wide_text.h"

namespace qor {
namespace fs = std::filesystem;

namespace {

// Seeds a store with an empty profile image, built on the heap: a profile is too large for
// the stack.
void writeEmptyProfile(TuiProfile& store) {
  store.Write(*std::make_unique<TMOUSEPROFILEINFO>());
}

bool fileExists(const std::string& path) {
  std::error_code ec;
  return fs::exists(path, ec);
}

std::string slotName(int i) {
  return "profile " + std::to_string(i + 1);
}

// A profile image of this system's version, as the upload and every save need.
bool holdsProfile(const TuiProfile& store) {
  const auto& bytes = store.StreamBytes();
  int32_t version = 0;
  if (bytes.size() >= sizeof version) std::memcpy(&version, bytes.data(), sizeof version);
  return version == kProfileFileVersion;
}

// A name that stays inside the folder it is put in.
bool usableFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

// Why the storage settings of a group record cannot be used, or "" when they can.
std::string unusableStorage(const TProfileSettingGroup& g) {
  for (int i = 0; i < kProfileSlots; ++i) {
    const TProfileSettingInfo& e = g.ProfileSettingList[i];
    const std::string name = readWideFieldUtf8(e.FileName);
    if (e.StorageKind > 1)
      return slotName(i) + " has the storage kind " + std::to_string(e.StorageKind) +
             " (0 registry or 1 file)";
    if (!usableFileName(name)) return slotName(i) + " has the file name \"" + name + "\"";
    const std::string folder = readWideFieldUtf8(e.FilePath);
    if (e.StorageKind == 1 && (folder.empty() || folder.front() != '/'))
      return slotName(i) + " has the folder \"" + folder + "\", not an absolute path";
  }
  return {};
}

}  // namespace

TDM::TDM(const DataModuleEnvironment& env, StoreProblemSink problems)
    : FEnv(env),
      FProblems(std::move(problems)),
      uiProfileSettingGroup(env.registry),
      uiProfileAllSettingInfo(env.registry) {
  for (auto& slot : uiProfileGame) slot = std::make_unique<TuiProfile>(env.registry);
  uiProfileSettingGroup.OnRestoreToDefault = [this](auto& s) {
    uiProfileSettingGroupRestoreToDefault(s);
  };
  uiProfileAllSettingInfo.OnRestoreToDefault = [this](auto& s) {
    uiProfileAllSettingInfoRestoreToDefault(s);
  };
  for (auto& slot : uiProfileGame)
    slot->OnRestoreToDefault = [this](auto& s) { uiProfileGame1RestoreToDefault(s); };

  DataModuleCreate();
  rememberSaved();
}

TDM::~TDM() = default;

void TDM::warn(std::string message) {
  if (FProblems) FProblems({StoreProblem::Kind::Warning, std::move(message)});
}

void TDM::error(std::string message) {
  if (FGathered) {
    if (std::find(FGathered->begin(), FGathered->end(), message) == FGathered->end())
      FGathered->push_back(std::move(message));
    return;
  }
  if (FProblems) FProblems({StoreProblem::Kind::Error, std::move(message)});
}

bool TDM::refusedToReadOnly(const std::string& what) {
  if (FEnv.readOnly) error(what + " is not saved: the settings were opened to read only");
  return FEnv.readOnly;
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

// Loads a registry-only record; a missing value gets factory values, saved at once unless
// `kept` says why not. After a failure of the registry itself the factory values are used
// and `kept` keeps every later save away, so that a damaged database or a value of another
// type is never overwritten.
void TDM::loadRecordFromRegistry(TuiProfile& store, const char* what, std::string& kept) {
  if (store.LoadStreamFromRegistry()) return;
  if (store.LastError()) {
    kept = "the stored " + std::string(what) + " could not be loaded (" + *store.LastError() +
           ") and are kept as they are";
    error("cannot load the " + std::string(what) + ": " + *store.LastError() +
          "; factory values are used for now and nothing is saved over it");
    store.RestoreToDefault();
    return;
  }
  store.RestoreToDefault();
  if (kept.empty() && !FEnv.readOnly) checked(store, store.SaveStreamToRegistry());
}

void TDM::chooseDocumentsFolder() {
  const std::size_t limit = kLongestProfileFolder - 1 - std::strlen(kDocumentsSubFolder);
  auto unusable = [&](const fs::path& folder) -> std::string {
    if (!folder.is_absolute()) return "is not an absolute path";
    // The profile settings keep it as UTF-16 text: other bytes would name another folder.
    if (!decodeStrictUtf8(folder.string())) return "is not UTF-8 text";
    TProfileSettingGroup probe{};
    if (!RestoreFactoryProfileSettingGroup(probe, (folder / kDocumentsSubFolder).string()))
      return "is longer than the " + std::to_string(limit) +
             " characters the profile settings can hold";
    return {};
  };
  fs::path docs = FEnv.documents;
  if (const std::string why = unusable(docs); !why.empty()) {
    warn("the documents folder \"" + docs.string() + "\" (XDG_DOCUMENTS_DIR) " + why +
         "; the default documents folder " + FEnv.fallbackDocuments.string() + " is used");
    docs = FEnv.fallbackDocuments;
    if (const std::string why2 = unusable(docs); !why2.empty()) {
      FDocumentsUsable = false;
      error("the default documents folder \"" + docs.string() + "\" " + why2 +
            " as well; profiles are kept in the settings database only");
    }
  }
  FDocumentsFolder = (docs / kDocumentsSubFolder).string();
}

void TDM::loadProfileSettingGroup() {
  prepareStore(uiProfileSettingGroup, kProfileSettingGroupValue);
  TProfileSettingGroup zeroGroup{};
  uiProfileSettingGroup.Write(zeroGroup);
  loadRecordFromRegistry(uiProfileSettingGroup, "profile group settings", FGroupKept);
  uiProfileSettingGroup.Read(FProfileSettingGroup);
  if (const std::string why = unusableStorage(FProfileSettingGroup); !why.empty())
    repairStorageSettings(why);
}

// Puts the factory storage settings into the group record; the group choice stays and the
// profile files the broken settings named are left alone.
void TDM::repairStorageSettings(const std::string& why) {
  TProfileSettingGroup factory = FProfileSettingGroup;
  TuiProfile::Stream stream(sizeof factory);
  uiProfileSettingGroupRestoreToDefault(stream);
  std::memcpy(&factory, stream.data(), sizeof factory);
  std::copy(std::begin(factory.ProfileSettingList), std::end(factory.ProfileSettingList),
            std::begin(FProfileSettingGroup.ProfileSettingList));
  warn("the stored profile storage settings are not usable (" + why +
       "); the factory storage settings are used and no profile file was touched");
  if (FGroupKept.empty() && !FEnv.readOnly) SaveProfileGroupSettingInfoToRegistry();
}

int TDM::groupStartProfile(int group) {
  if (!IsProfileGroupIndexInRange(group)) group = 0;
  const int p = FProfileSettingGroup.ProfileIndexOfProfileGroup[group];
  return IsProfileIndexInRange(p) ? p : 0;
}

void TDM::createDocumentsFolder() {
  if (FEnv.readOnly) return;
  std::error_code ec;
  fs::create_directories(FDocumentsFolder, ec);
  if (ec)
    warn("cannot create the profile folder " + FDocumentsFolder + ": " + ec.message() +
         "; check that your documents folder exists and is writable");
}

void TDM::factorySlot(int slot) {
  TuiProfile& store = *uiProfileGame[slot];
  store.SetSize(0);
  writeEmptyProfile(store);
  store.RestoreToDefault();
}

void TDM::keepSlot(int slot, const std::string& why) {
  FSlotKept[slot] = why + "; it is kept as it is";
  error(slotName(slot) + ": " + why + "; factory values are used for now and nothing is saved" +
        " over it");
  factorySlot(slot);
}

void TDM::keepDamagedFile(int slot, const std::string& file, const std::string& why) {
  if (FEnv.readOnly) {
    keepSlot(slot, why);
    return;
  }
  std::string aside = file + ".damaged";
  for (int n = 1; fileExists(aside); ++n) aside = file + ".damaged." + std::to_string(n);
  std::error_code ec;
  fs::rename(file, aside, ec);
  if (ec) {
    keepSlot(slot, why + "; it could not be moved aside (" + ec.message() + ")");
    return;
  }
  error(slotName(slot) + ": " + why + "; the file was moved to " + aside +
        " and factory values are used");
  factorySlot(slot);
  saveSlotToFile(slot);
}

void TDM::loadSlot(int i) {
  const TProfileSettingInfo& e = FProfileSettingGroup.ProfileSettingList[i];
  TuiProfile& store = *uiProfileGame[i];
  FProfileGroup[i] = &store;
  const std::string name = readWideFieldUtf8(e.FileName);
  const std::string folder = readWideFieldUtf8(e.FilePath);
  prepareStore(store, name);
  store.SetFilePath(folder);
  writeEmptyProfile(store);
  const std::string slot = slotName(i);

  // The storage settings were checked: the kind is 0 or 1, the name and folder usable.
  if (e.StorageKind == 0) {
    if (!store.LoadStreamFromRegistry()) {
      if (store.LastError())
        keepSlot(i, "its registry value could not be loaded (" + *store.LastError() + ")");
      else
        store.RestoreToDefault();
    } else if (!holdsProfile(store)) {
      keepSlot(i, "its registry value \"" + name + "\" is not a profile of this version");
    }
  } else {
    const std::string f = WithTrailingSeparator(folder) + name;
    if (!fileExists(f)) {
      store.RestoreToDefault();
      if (!FEnv.readOnly) checked(store, store.SaveStreamToFile(f));
    } else if (!store.LoadStreamFromFile(f)) {
      if (store.LastError())
        keepDamagedFile(i, f, "cannot load " + f + " (" + *store.LastError() + ")");
      else {
        store.RestoreToDefault();
        if (!FEnv.readOnly) saveSlotToFile(i);
      }
    } else if (!holdsProfile(store)) {
      keepDamagedFile(i, f, f + " is not a profile of this version");
    }
  }
  if (!FSlotKept[i].empty() || !holdsProfile(store)) return;
  const std::size_t size = store.StreamBytes().size();
  if (size != sizeof(TMOUSEPROFILEINFO))
    warn(slot + " holds " + std::to_string(size) + " bytes instead of " +
         std::to_string(sizeof(TMOUSEPROFILEINFO)) + "; only those bytes were loaded");
}

void TDM::DataModuleCreate() {
  FProfileGroupIndex = 0;

  chooseDocumentsFolder();
  loadProfileSettingGroup();
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
  loadRecordFromRegistry(uiProfileAllSettingInfo, "all-profiles settings", FAllKept);
  uiProfileAllSettingInfo.Read(FAllProfileSettingInfo);

  // Made before the slots take their folders, so that the first slot saves from the start.
  createDocumentsFolder();
  for (int i = 0; i < kProfileSlots; ++i) loadSlot(i);

  // The start works on the group's start profile without making it current: the stored
  // current profile changes only when the user switches.
  FProfileSettingGroup.CurrentProfileGroup = FProfileGroupIndex;
  OpenProfile(FProfileIndex);

  const SettingsFile ini = SettingsFile::load(FEnv.program / "config.ini");
  FModalsListInfo = ReadModalsList(ini);
}

// ---- Selection ----------------------------------------------------------------------------

bool TDM::IsProfileIndexInRange(int AProfileIndex) {
  return AProfileIndex >= 0 && AProfileIndex < kProfileSlots;
}

bool TDM::IsProfileGroupIndexInRange(int AProfileGroupIndex) {
  return AProfileGroupIndex >= 0 && AProfileGroupIndex < 2;
}

bool TDM::OpenProfile(int AProfileIndex) {
  if (!IsProfileIndexInRange(AProfileIndex)) return false;
  FProfileIndex = AProfileIndex;
  FProfileGroup[FProfileIndex]->Read(FCurrentProfileInfo);
  return true;
}

bool TDM::SwitchToProfile(int AProfileIndex) {
  if (!OpenProfile(AProfileIndex)) return false;
  FAllProfileSettingInfo.CurrentGame = AProfileIndex;
  return true;
}

// ---- Reading ------------------------------------------------------------------------------

void TDM::readCurrent() {
  FProfileGroup[FProfileIndex]->Read(FCurrentProfileInfo);
}

bool TDM::ReadProfileInfo(TMOUSEPROFILEINFO& AProfileInfo, int AProfileIndex) {
  if (!IsProfileIndexInRange(AProfileIndex)) return false;
  FProfileGroup[AProfileIndex]->Read(AProfileInfo);
  return true;
}

bool TDM::LoadCurrentProfileInfoFromFile(const std::string& AFile) {
  TuiProfile& store = *FProfileGroup[FProfileIndex];
  const bool done = checked(store, store.LoadStreamFromFile(AFile));
  readCurrent();
  return done;
}

// ---- Writing and saving -------------------------------------------------------------------

void TDM::SaveBackToCurrentProfileInfo() {
  FProfileGroup[FProfileIndex]->Write(FCurrentProfileInfo);
}

bool TDM::currentProfileWrittenBack() const {
  const TuiProfile::Stream& slot = FProfileGroup[FProfileIndex]->StreamBytes();
  return slot.size() >= sizeof FCurrentProfileInfo &&
         std::memcmp(slot.data(), &FCurrentProfileInfo, sizeof FCurrentProfileInfo) == 0;
}

bool TDM::EditCurrentProfile(const std::function<void(TMOUSEPROFILEINFO&)>& change) {
  // The slot's store holds the record as it was before the change whenever the record was
  // written back, as every edit leaves it; only a record edited without being written back
  // needs a copy to compare with.
  std::unique_ptr<TMOUSEPROFILEINFO> before;
  if (!currentProfileWrittenBack())
    before = std::make_unique<TMOUSEPROFILEINFO>(FCurrentProfileInfo);
  change(FCurrentProfileInfo);
  const bool changed =
      before ? std::memcmp(before.get(), &FCurrentProfileInfo, sizeof FCurrentProfileInfo) != 0
             : !currentProfileWrittenBack();
  if (changed) SaveBackToCurrentProfileInfo();
  return changed;
}

bool TDM::SaveBackToProfileInfo(const TMOUSEPROFILEINFO& AProfileInfo, int AProfileIndex) {
  if (!IsProfileIndexInRange(AProfileIndex)) return false;
  FProfileGroup[AProfileIndex]->Write(AProfileInfo);
  return true;
}

bool TDM::slotSavable(int i) {
  if (refusedToReadOnly(slotName(i))) return false;
  if (!FSlotKept[i].empty()) {
    error(slotName(i) + " is not saved: " + FSlotKept[i]);
    return false;
  }
  if (!holdsProfile(*FProfileGroup[i])) {
    error(slotName(i) + " holds no profile of this version; it is not saved");
    return false;
  }
  return true;
}

bool TDM::saveSlotToFile(int i) {
  if (!slotSavable(i)) return false;
  TuiProfile& store = *FProfileGroup[i];
  if (store.FilePath().empty()) {
    // A registry-kept slot has its file copy only where its folder exists.
    const TProfileSettingInfo& e = FProfileSettingGroup.ProfileSettingList[i];
    if (e.StorageKind == 1)
      error(slotName(i) + " is not saved to its file: the folder \"" +
            readWideFieldUtf8(e.FilePath) + "\" does not exist");
    return false;
  }
  return checked(store, store.SaveStreamToFile());
}

bool TDM::saveSlotToRegistry(int i) {
  if (!slotSavable(i)) return false;
  return checked(*FProfileGroup[i], FProfileGroup[i]->SaveStreamToRegistry());
}

bool TDM::SaveCurrentProfileInfoToRegistry() {
  SaveBackToCurrentProfileInfo();
  return saveSlotToRegistry(FProfileIndex);
}

bool TDM::SaveCurrentProfileInfoToFile(const std::string& AFile) {
  TuiProfile& store = *FProfileGroup[FProfileIndex];
  if (!holdsProfile(store)) {
    error(slotName(FProfileIndex) + " holds no profile of this version; nothing was written to " +
          AFile);
    return false;
  }
  return checked(store, store.SaveStreamToFile(AFile));
}

bool TDM::SaveBackAllProfileInfoToRegistry() {
  bool all = true;
  for (int i = 0; i < kProfileSlots; ++i) all = saveSlotToRegistry(i) && all;
  return all;
}

bool TDM::SaveBackAllProfileInfoToFile() {
  bool all = true;
  for (int i = 0; i < kProfileSlots; ++i) all = saveSlotToFile(i) && all;
  return all;
}

bool TDM::SaveProfileGroupSettingInfoToRegistry() {
  uiProfileSettingGroup.Write(FProfileSettingGroup);
  return saveGroupStore();
}

bool TDM::saveGroupStore() {
  if (refusedToReadOnly("the profile storage settings")) return false;
  if (!FGroupKept.empty()) {
    error("the profile storage settings are not saved: " + FGroupKept);
    return false;
  }
  TProfileSettingGroup stored{};
  uiProfileSettingGroup.Read(stored);
  if (const std::string why = unusableStorage(stored); !why.empty()) {
    error("the profile storage settings are not saved: " + why);
    return false;
  }
  return checked(uiProfileSettingGroup, uiProfileSettingGroup.SaveStreamToRegistry());
}

bool TDM::SaveBackAllProfileSettingInfo() {
  uiProfileAllSettingInfo.Write(FAllProfileSettingInfo);
  if (refusedToReadOnly("the current profile choice")) return false;
  if (!FAllKept.empty()) {
    error("the current profile choice is not saved: " + FAllKept);
    return false;
  }
  return checked(uiProfileAllSettingInfo, uiProfileAllSettingInfo.SaveStreamToRegistry());
}

bool TDM::SaveAllProfileData() {
  // One save touches the same slot several times: its reasons are told once, together.
  std::vector<std::string> gathered;
  FGathered = &gathered;
  // The registry values of one save are kept together or not at all, with one sync.
  Registry& registry = FEnv.registry;
  const RegistryResult batch = registry.beginBatch(RootKey::CurrentUser);
  SaveBackToCurrentProfileInfo();
  SaveBackAllProfileInfoToFile();
  SaveBackAllProfileInfoToRegistry();
  SaveProfileGroupSettingInfoToRegistry();
  if (batch.isOk()) {
    if (const RegistryResult ended = registry.endBatch(RootKey::CurrentUser); !ended.isOk())
      gathered.push_back(ended.message);
  }
  FGathered = nullptr;
  if (gathered.empty()) {
    rememberSaved();
    return true;
  }
  std::string all = "not everything was saved:";
  for (const std::string& reason : gathered) all += "\n" + reason;
  error(std::move(all));
  return false;
}

void TDM::rememberSaved() {
  for (int i = 0; i < kProfileSlots; ++i) FSavedSlots[i] = uiProfileGame[i]->StreamBytes();
  FSavedGroup = FProfileSettingGroup;
}

bool TDM::HasUnsavedChanges() const {
  if (!currentProfileWrittenBack()) return true;
  for (int i = 0; i < kProfileSlots; ++i)
    if (uiProfileGame[i]->StreamBytes() != FSavedSlots[i]) return true;
  return std::memcmp(&FSavedGroup, &FProfileSettingGroup, sizeof FSavedGroup) != 0;
}

// ---- Factory values -----------------------------------------------------------------------

void TDM::RestoreCurrentProfileInfoToDefault() {
  FProfileGroup[FProfileIndex]->RestoreToDefault();
  readCurrent();
}

void TDM::uiProfileGame1RestoreToDefault(TuiProfile::Stream& AStream) {
  FillRecordInStream<TMOUSEPROFILEINFO>(AStream, RestoreFactoryProfile);
}

void TDM::uiProfileSettingGroupRestoreToDefault(TuiProfile::Stream& AStream) {
  FillRecordInStream<TProfileSettingGroup>(AStream, [this](TProfileSettingGroup& g) {
    if (FDocumentsUsable && RestoreFactoryProfileSettingGroup(g, FDocumentsFolder)) return;
    // No folder fits: the slots live in the registry, and the record only in memory so that
    // a later start with a usable folder makes its own.
    RestoreFactoryProfileSettingGroup(g, "");
    for (TProfileSettingInfo& e : g.ProfileSettingList) e.StorageKind = 0;
    FGroupKept = "no documents folder fits them";
  });
}

void TDM::uiProfileAllSettingInfoRestoreToDefault(TuiProfile::Stream& AStream) {
  FillRecordInStream<TALLGAMESINFO>(AStream, [this](TALLGAMESINFO& a) {
    RestoreFactoryAllGamesInfo(a);
    a.CurrentLanguage = FEnv.firstStartLanguage;
  });
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
