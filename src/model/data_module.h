// SPDX-License-Identifier: GPL-2.0-or-later
// TDM: the data module that owns every profile and storage record for the whole run.
#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/profile_records.h"
#include "model/profile_store.h"
#include "platform/paths.h"
#include "platform/registry.h"

namespace qor {

// Something the stores could not do, for the user to read.
struct StoreProblem {
  enum class Kind { Warning, Error };
  Kind kind;
  std::string message;
};
using StoreProblemSink = std::function<void(const StoreProblem&)>;

// Where the data module finds its services.
struct DataModuleEnvironment {
  Registry& registry;
  std::filesystem::path documents;  // the user's documents folder
  std::filesystem::path program;    // the program folder, holding config.ini
  // Used instead of `documents` when that cannot be stored in the profile settings.
  std::filesystem::path fallbackDocuments = paths::defaultDocuments();
  // The language index a new all-profiles record starts with: the user's language at the
  // first start (LocaleLanguageIndex), English (0) when the program does not know it.
  int32_t firstStartLanguage = 0;
  // Only looks: records that are not stored get factory values in memory, no folder is made,
  // a damaged file stays where it is, and every save of the stored settings is refused.
  bool readOnly = false;
};

inline constexpr const char* kRegistryKeyPath = "software\\QOR51GMMouse";
inline constexpr const char* kProfileSettingGroupValue = "QOR51ProfileSettingGroup.PFX";
inline constexpr const char* kAllProfilesValue = "QOR51PROFILE.PFX";
inline constexpr const char* kDocumentsSubFolder = "Tessaly Gaming Mouse";

class TDM {
 public:
  // Creates the stores and runs the start-up (DataModuleCreate). Problems met on the way go
  // to `problems` (which may be empty); start-up always completes.
  TDM(const DataModuleEnvironment& env, StoreProblemSink problems);
  ~TDM();
  TDM(const TDM&) = delete;
  TDM& operator=(const TDM&) = delete;

  // Profile and group selection.
  static bool IsProfileIndexInRange(int AProfileIndex);
  static bool IsProfileGroupIndexInRange(int AProfileGroupIndex);
  // Makes the profile current: it is read into FCurrentProfileInfo and recorded as the
  // current profile, which the next SaveBackAllProfileSettingInfo stores.
  bool SwitchToProfile(int AProfileIndex);
  // Reads the profile into FCurrentProfileInfo to work on it, leaving the current profile
  // as it is stored (a start, or a command given --profile).
  bool OpenProfile(int AProfileIndex);

  // Reading stores into records.
  bool ReadProfileInfo(TMOUSEPROFILEINFO& AProfileInfo, int AProfileIndex);
  bool LoadCurrentProfileInfoFromFile(const std::string& AFile);

  // Writing records back and saving; each returns false when not done (problems reported).
  void SaveBackToCurrentProfileInfo();
  bool SaveBackToProfileInfo(const TMOUSEPROFILEINFO& AProfileInfo, int AProfileIndex);
  bool SaveCurrentProfileInfoToRegistry();
  bool SaveCurrentProfileInfoToFile(const std::string& AFile);
  bool SaveBackAllProfileSettingInfo();
  // Apply's save step: the current profile written back, the five slots saved to their
  // files and the registry, the group record to the registry. False when any save was not
  // done; the reasons are reported together, as one problem.
  bool SaveAllProfileData();
  // Whether anything differs from what the start loaded or the last SaveAllProfileData stored:
  // the profile being edited, any slot, the storage settings.
  bool HasUnsavedChanges() const;

  // The edit session of the windows. CurrentProfile is the profile being edited;
  // EditCurrentProfile applies `change` to it and, when that changed anything, writes it into
  // the current slot's store. Returns whether anything changed: a change that leaves every
  // byte as it was (a track moved within one step) writes nothing.
  const TMOUSEPROFILEINFO& CurrentProfile() const { return FCurrentProfileInfo; }
  bool EditCurrentProfile(const std::function<void(TMOUSEPROFILEINFO&)>& change);

  // Factory values.
  void RestoreCurrentProfileInfoToDefault();

  // The layout picture of the model whose number equals AModalNumber exactly, else
  // NoModalLayout.
  std::string GetModalLayoutByModalNumber(const std::string& AModalNumber) const;
  // Tells the main window, synchronously, that the current profile changed.
  void NoticeMainFormToUpdateSomeChanged();

  // The registry the stores use.
  Registry& RegistryService() { return FEnv.registry; }
  // The documents sub-folder that holds the profile files.
  const std::string& DocumentsFolder() const { return FDocumentsFolder; }
  // The store of profile slot i (0..4).
  TuiProfile& SlotStore(int i) { return *FProfileGroup[i]; }

  // Records read and written directly; the windows edit the current profile through
  // EditCurrentProfile.
  TALLGAMESINFO FAllProfileSettingInfo{};
  TProfileSettingGroup FProfileSettingGroup{};
  int32_t FProfileGroupIndex = 0;
  int32_t FProfileIndex = 0;
  TMOUSEPROFILEINFO FCurrentProfileInfo{};
  TModalsListInfo FModalsListInfo;

  // The main window's refresh, called by NoticeMainFormToUpdateSomeChanged.
  std::function<void()> OnMainFormUpdate;

 private:
  void DataModuleCreate();
  void readCurrent();
  // The steps of SaveAllProfileData, which alone saves every store.
  bool SaveBackAllProfileInfoToRegistry();
  bool SaveBackAllProfileInfoToFile();
  bool SaveProfileGroupSettingInfoToRegistry();
  // Whether the current slot's store holds exactly FCurrentProfileInfo.
  bool currentProfileWrittenBack() const;
  void rememberSaved();
  void prepareStore(TuiProfile& store, const std::string& valueName);
  void loadRecordFromRegistry(TuiProfile& store, const char* what, std::string& kept);
  void loadSlot(int i);
  void keepDamagedFile(int slot, const std::string& file, const std::string& why);
  void chooseDocumentsFolder();
  void loadProfileSettingGroup();
  void repairStorageSettings(const std::string& why);
  void createDocumentsFolder();
  // Saves slot i to its file or to the registry, unless it must not be (reported).
  bool saveSlotToFile(int i);
  bool saveSlotToRegistry(int i);
  bool slotSavable(int i);
  bool saveGroupStore();
  // Puts factory values into slot i's store, over whatever it held.
  void factorySlot(int slot);
  // Factory values for slot i, whose stored copy could not be used and is never saved over.
  void keepSlot(int slot, const std::string& why);
  int groupStartProfile(int group);
  bool checked(TuiProfile& store, bool done);
  // Reports that `what` is not saved when the settings were opened to read only.
  bool refusedToReadOnly(const std::string& what);
  void warn(std::string message);
  void error(std::string message);

  // Factory values handlers bound to the stores.
  void uiProfileGame1RestoreToDefault(TuiProfile::Stream& AStream);
  void uiProfileSettingGroupRestoreToDefault(TuiProfile::Stream& AStream);
  void uiProfileAllSettingInfoRestoreToDefault(TuiProfile::Stream& AStream);

  // The stores of the five slots, as the start-up bound them.
  std::array<TuiProfile*, kProfileSlots> FProfileGroup{};
  DataModuleEnvironment FEnv;
  StoreProblemSink FProblems;
  std::string FDocumentsFolder;
  bool FDocumentsUsable = true;  // the folder fits the profile settings
  // While SaveAllProfileData runs, errors are gathered here and reported once at its end.
  std::vector<std::string>* FGathered = nullptr;
  // Why a record's stored copy must not be overwritten this run (it could not be loaded and
  // is kept for the user); empty when it may be saved.
  std::array<std::string, kProfileSlots> FSlotKept;
  std::string FGroupKept;
  // What HasUnsavedChanges compares with.
  std::array<TuiProfile::Stream, kProfileSlots> FSavedSlots;
  TProfileSettingGroup FSavedGroup{};
  std::string FAllKept;
  TuiProfile uiProfileSettingGroup;
  TuiProfile uiProfileAllSettingInfo;
  std::array<std::unique_ptr<TuiProfile>, kProfileSlots> uiProfileGame;
};

}  // namespace qor
