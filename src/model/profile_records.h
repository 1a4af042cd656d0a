// SPDX-License-Identifier: GPL-2.0-or-later
// The stored records: fixed-size little-endian byte images, copied whole.
//
// Every size and offset below is part of a stored format (registry values, .PFX and .macro
// files) and is asserted at the end of this file. Reserved and padding bytes are named so
// that they are visibly carried along; nothing may interpret them.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

namespace qor {

static_assert(std::endian::native == std::endian::little,
              "records are stored as little-endian byte images of these structs");

// ---- Button function parameters -------------------------------------------------------

// A key combination by virtual keys.
struct TCOMBOKEYINFO {
  uint16_t nKeyValue1;     // virtual-key code of the first key, 0 = none
  uint16_t nKey1Extended;  // extended-key flag of the first key, 0 or 1
  uint16_t nKeyValue2;     // virtual-key code of the second key, 0 = none
  uint16_t nKey2Extended;  // extended-key flag of the second key
  uint16_t nModifier;      // bit 0 Alt, bit 1 Ctrl, bit 2 Shift, bit 3 Windows
};

// Codes as the device takes them; all zero on a button means "disabled".
struct THID_CODE_INFO {
  uint16_t nKeyValue1;  // first HID code
  uint16_t nKeyValue2;  // second HID code
  uint16_t nModifier;   // HID modifier bits: bit 0 Ctrl, bit 1 Shift, bit 2 Alt, bit 3 GUI
};

// A rapid-fire function.
struct TFIREKEYINFO {
  uint16_t nLoopCount;  // clicks per press
  uint16_t DelyValue;   // delay between clicks, milliseconds
};

// ---- Macros -------------------------------------------------------------------------------

// One macro action.
struct TMACROKEY {
  uint16_t nKeyType;   // 1 mouse button, 2 movement, 3 wheel, 4 key, 5 media, 6 delay, 7 loop
  uint16_t nKeyState;  // 1 press, 0 release (0 for delay and loop)
  uint8_t VALUE1;      // low byte / first value; meaning depends on nKeyType
  uint8_t VALUE2;      // high byte / second value
};

inline constexpr int kMacroMaxActions = 128;
inline constexpr int kMacroNameUnits = 50;

// One macro.
struct TMACROKEYINFO {
  TMACROKEY MacroList[kMacroMaxActions];  // only the first MacroListCount count
  int32_t MacroListCount;                 // 0..128
  uint16_t nAutoAddDelay;                 // 1 = recorded with delays shown
  uint16_t nLoopCount;                    // 0 = no repeat, 1..255 repeat count
  uint16_t nMacroIndex;                   // position in the profile's macro list
  uint8_t MacroUse;                       // 0 when created; carried
  uint8_t padding0;
  char16_t szMacroName[kMacroNameUnits];  // UTF-16, 0-terminated when shorter than 50
  uint32_t Version;                       // 258 in macro files, 0 for new macros
  int32_t HaveErrors;                     // 1 when the last check found errors
  int32_t ErrorCount;                     // errors found by the last check
};

inline constexpr int kProfileMacroSlots = 21;

// The profile's macros.
struct TMACROKEYINFOLIST {
  TMACROKEYINFO MacroInfos[kProfileMacroSlots];  // only the first nMacroInfoCount count
  uint16_t nMacroInfoCount;                      // 0..21
  uint8_t padding0[2];
};

inline constexpr int kDeviceMacroSlots = 5;

// Macros prepared for the device; carried with the profile, not filled by this system.
struct TMACROINFOLIST_TO_DEVICE {
  TMACROKEYINFO MacroInfos[kDeviceMacroSlots];
  uint16_t nMacroInfoCount;
  uint8_t padding0[2];
};

// ---- Profile ------------------------------------------------------------------------------

inline constexpr int32_t kProfileFileVersion = 258;

struct TProfileHeader {
  int32_t FFileVersion;   // 258 for every profile this system makes
  uint8_t FFileType[8];   // carried
  uint8_t FFileName[44];  // carried
  uint32_t FProfileSize;  // carried
};

struct TFUNCTIONLIST {
  uint8_t FunctionInfo[800];  // carried
};

// What one physical button does; which parameters count depends on FunctionCode.
struct TBUTTONFUNCINFO {
  uint8_t reserved0[2];
  uint16_t KeyValue;           // code 16: key value
  uint16_t KeyExtended;        // code 16: extended-key flag
  TCOMBOKEYINFO ComboKeyInfo;  // code 15
  THID_CODE_INFO HidCodeInfo;  // code 14; all zero = disabled
  uint8_t padding0[2];
  TMACROKEYINFO MacroInfo;   // code 17: copy of the assigned macro
  TFIREKEYINFO FireKeyInfo;  // code 18
  uint8_t reserved1[4];
  int32_t FunctionParam;  // codes 11 and 12: one byte 0..255
  uint8_t reserved2[2820];
  uint8_t FunctionBytes[3];  // code 19: three parameter bytes
  uint8_t padding1;
  uint16_t ButtonIndex;    // the physical button number (= entry index)
  uint16_t FunctionIndex;  // row 0..29 of the button function table
  uint8_t FunctionType;    // 0 default, 1 mouse, 3 combo, 4 macro, 5 fire, 10 consumer, 11 key bit
  uint8_t padding2[3];
  int32_t FunctionCode;  // device function code
  int32_t MenuItemID;    // chosen menu item, 0 = take it from the row
  uint8_t reserved3[4];
};

// One sensitivity level.
struct TCPISTATE {
  uint16_t CPIX;     // counts per inch along X
  uint16_t CPIY;     // counts per inch along Y
  uint16_t Enabled;  // 1 in use, 0 off
};

struct TLEDCONFIG {
  uint8_t R;
  uint8_t G;
  uint8_t B;
  uint8_t BRIGHT_LEVEL;   // 0 off, 1 low, 2 middle, 3 high
  uint8_t BREATH_SPEED;   // 0 off, 1 low, 2 middle, 3 high
  uint8_t BREATH_SECOND;  // carried with BREATH_SPEED
};

struct TSENSORLIFT {
  uint8_t SensorLift;  // carried
};

struct TPROFILE_MACRO_PATH {
  uint8_t FilePath[1026];  // carried
};

inline constexpr int kButtonEntries = 15;
inline constexpr int kCPIStates = 11;

struct TMOUSECONFIGINFO {
  TBUTTONFUNCINFO ButtonFuncInfo[kButtonEntries];  // index = button number
  TBUTTONFUNCINFO VWheelButtonFuncInfo[2];         // carried
  TBUTTONFUNCINFO HWheelButtonFuncInfo[2];         // carried
  uint16_t VWheelType;                             // carried
  uint16_t HWheelType;                             // carried
  uint16_t VWheelSpeed;                            // wheel scroll lines; 30 = one page
  uint16_t HWheelSpeed;                            // carried
  int8_t HWVWheelValue;                            // sent with WheelLedOnOff on Apply
  int8_t WheelLedOnOff;                            // 1 on, 0 off
  uint16_t DoubleClickSpeed;                       // double-click time, ms
  uint16_t PointerSpeed;                           // 1..20
  uint16_t PointerAcceleration;                    // 0..3 into the acceleration presets
  uint16_t UseSystemPointerSpeedSetting;           // carried
  uint16_t ReportRate;                             // 125, 250, 500 or 1000 Hz
  int32_t CurrentCPIIndex;                         // active level
  uint16_t CurrentCPIX;                            // carried
  uint16_t CurrentCPIY;                            // carried
  uint16_t MinCPI;                                 // carried
  uint16_t MaxCPI;                                 // carried
  uint16_t UseDiffentXY[kCPIStates];               // set by the defaults, not read
  uint16_t UseCPIOnScreenFlyShow;                  // carried
  TCPISTATE CPIState[kCPIStates];                  // levels; device gets 0..9
  TCPISTATE HWCPIState[kCPIStates];                // device-side values of the levels
  uint16_t CPILevel;                               // number of levels offered
  uint16_t AutoSwitchProfileWhenAppRun;            // carried
  uint8_t ApplicationList[10260];                  // carried
  TLEDCONFIG LEDConfig;
  TSENSORLIFT Sensorlift;  // carried
  uint8_t padding0;
  int32_t ButtonCount;                 // entries sent to the device, at most 15
  TPROFILE_MACRO_PATH ProfilePath;     // carried
  TPROFILE_MACRO_PATH MacroPath;       // carried
  int32_t ApplyCPISettingEachProfile;  // set by the defaults, not read
  int32_t ApplyAccelaration;           // set by the defaults, not read
  int32_t ApplyDiffirentXY;            // set by the defaults, not read
  int32_t FireKeySpeed;                // a new fire key waits 20 x this, ms
  int32_t FireKeyCount;                // a new fire key's repeat count
};

// Miscellaneous settings from config.ini; all zero inside stored profiles.
struct TOtherConfig {
  int32_t ShowNumLock;
  int32_t ShowCapsLock;
  int32_t ShowScrollLock;
  int32_t ShowLockStatePop;
  uint32_t HelpFile;  // a text reference in memory; always 0 in the image (text kept elsewhere)
  int32_t Nologo;
};

// One complete profile: the .PFX file format.
struct TMOUSEPROFILEINFO {
  TProfileHeader ProfileHeader;
  TFUNCTIONLIST FunctionList;  // carried
  TMOUSECONFIGINFO ConfigInfo;
  TFUNCTIONLIST HWheelFunctionList;  // carried
  TFUNCTIONLIST VWheelFunctionList;  // carried
  TMACROKEYINFOLIST MacroKeyInfoList;
  TMACROINFOLIST_TO_DEVICE MacroInfoToDevice;  // carried
  TOtherConfig OtherConfig;                    // zero in stored profiles
};

// ---- Storage settings ---------------------------------------------------------------------

inline constexpr int kPathUnits = 1024;
inline constexpr int kFileNameUnits = 21;
inline constexpr int kProfileSlots = 5;

// Where one profile slot is stored.
struct TProfileSettingInfo {
  uint16_t ReservedWord;
  char16_t FilePath[kPathUnits];      // folder of the slot's profile file
  char16_t KeyPath[kPathUnits];       // registry key path (informational)
  char16_t FileName[kFileNameUnits];  // file name; also the registry value name
  char16_t MacroPath[kPathUnits];     // folder of the slot's macro files
  uint8_t StorageKind;                // 0 registry, 1 file FilePath + FileName
  uint8_t padding0;
};

// Registry value "QOR51PROFILE.PFX".
struct TALLGAMESINFO {
  TProfileSettingInfo Allgameset[kProfileSlots];  // written by the defaults only
  uint8_t padding0[2];
  int32_t CurrentGame;      // current profile index, written on every switch
  int32_t CurrentLanguage;  // language index, read at start
};

// Registry value "QOR51ProfileSettingGroup.PFX".
struct TProfileSettingGroup {
  int32_t CurrentProfileGroup;            // 0 or 1
  int32_t ProfileIndexOfProfileGroup[2];  // start profile of each group
  TProfileSettingInfo ProfileSettingList[kProfileSlots];
  uint8_t padding0[2];
};

// ---- In memory only -----------------------------------------------------------------------

struct TModalInfo {
  std::string ModalNumber;  // model identification as the mouse reports it
  std::string ModalLayout;  // layout picture, relative to the program folder
};

struct TModalsListInfo {
  std::string NoModalLayout;    // picture shown when no known mouse answers
  int32_t EnableNoDevice = 0;   // 1: work without a mouse
  int32_t ModalsListCount = 0;  // always 4 once read
  std::vector<TModalInfo> ModalsList;
};

// ---- Layout checks ------------------------------------------------------------------------

#define QOR_AT(T, field, off) static_assert(offsetof(T, field) == (off), #T "." #field)

static_assert(sizeof(TCOMBOKEYINFO) == 10);
QOR_AT(TCOMBOKEYINFO, nKey1Extended, 2);
QOR_AT(TCOMBOKEYINFO, nKeyValue2, 4);
QOR_AT(TCOMBOKEYINFO, nKey2Extended, 6);
QOR_AT(TCOMBOKEYINFO, nModifier, 8);
static_assert(sizeof(THID_CODE_INFO) == 6);
QOR_AT(THID_CODE_INFO, nKeyValue2, 2);
QOR_AT(THID_CODE_INFO, nModifier, 4);
static_assert(sizeof(TFIREKEYINFO) == 4);
QOR_AT(TFIREKEYINFO, DelyValue, 2);

static_assert(sizeof(TMACROKEY) == 6);
QOR_AT(TMACROKEY, nKeyState, 2);
QOR_AT(TMACROKEY, VALUE1, 4);
QOR_AT(TMACROKEY, VALUE2, 5);
static_assert(sizeof(TMACROKEYINFO) == 892);
QOR_AT(TMACROKEYINFO, MacroListCount, 768);
QOR_AT(TMACROKEYINFO, nAutoAddDelay, 772);
QOR_AT(TMACROKEYINFO, nLoopCount, 774);
QOR_AT(TMACROKEYINFO, nMacroIndex, 776);
QOR_AT(TMACROKEYINFO, MacroUse, 778);
QOR_AT(TMACROKEYINFO, szMacroName, 780);
QOR_AT(TMACROKEYINFO, Version, 880);
QOR_AT(TMACROKEYINFO, HaveErrors, 884);
QOR_AT(TMACROKEYINFO, ErrorCount, 888);
static_assert(sizeof(TMACROKEYINFOLIST) == 18736);
QOR_AT(TMACROKEYINFOLIST, nMacroInfoCount, 18732);
static_assert(sizeof(TMACROINFOLIST_TO_DEVICE) == 4464);
QOR_AT(TMACROINFOLIST_TO_DEVICE, nMacroInfoCount, 4460);

static_assert(sizeof(TProfileHeader) == 60);
QOR_AT(TProfileHeader, FFileType, 4);
QOR_AT(TProfileHeader, FFileName, 12);
QOR_AT(TProfileHeader, FProfileSize, 56);
static_assert(sizeof(TFUNCTIONLIST) == 800);

static_assert(sizeof(TBUTTONFUNCINFO) == 3772);
QOR_AT(TBUTTONFUNCINFO, KeyValue, 2);
QOR_AT(TBUTTONFUNCINFO, KeyExtended, 4);
QOR_AT(TBUTTONFUNCINFO, ComboKeyInfo, 6);
QOR_AT(TBUTTONFUNCINFO, HidCodeInfo, 16);
QOR_AT(TBUTTONFUNCINFO, MacroInfo, 24);
static_assert(offsetof(TBUTTONFUNCINFO, MacroInfo) + offsetof(TMACROKEYINFO, nMacroIndex) == 800);
static_assert(offsetof(TBUTTONFUNCINFO, MacroInfo) + offsetof(TMACROKEYINFO, szMacroName) == 804);
QOR_AT(TBUTTONFUNCINFO, FireKeyInfo, 916);
static_assert(offsetof(TBUTTONFUNCINFO, FireKeyInfo) + offsetof(TFIREKEYINFO, DelyValue) == 918);
QOR_AT(TBUTTONFUNCINFO, reserved1, 920);
QOR_AT(TBUTTONFUNCINFO, FunctionParam, 924);
QOR_AT(TBUTTONFUNCINFO, reserved2, 928);
QOR_AT(TBUTTONFUNCINFO, FunctionBytes, 3748);
QOR_AT(TBUTTONFUNCINFO, ButtonIndex, 3752);
QOR_AT(TBUTTONFUNCINFO, FunctionIndex, 3754);
QOR_AT(TBUTTONFUNCINFO, FunctionType, 3756);
QOR_AT(TBUTTONFUNCINFO, FunctionCode, 3760);
QOR_AT(TBUTTONFUNCINFO, MenuItemID, 3764);
QOR_AT(TBUTTONFUNCINFO, reserved3, 3768);

static_assert(sizeof(TCPISTATE) == 6);
QOR_AT(TCPISTATE, CPIY, 2);
QOR_AT(TCPISTATE, Enabled, 4);
static_assert(sizeof(TLEDCONFIG) == 6);
QOR_AT(TLEDCONFIG, BRIGHT_LEVEL, 3);
QOR_AT(TLEDCONFIG, BREATH_SPEED, 4);
QOR_AT(TLEDCONFIG, BREATH_SECOND, 5);
static_assert(sizeof(TSENSORLIFT) == 1);
static_assert(sizeof(TPROFILE_MACRO_PATH) == 1026);

static_assert(sizeof(TMOUSECONFIGINFO) == 84204);
QOR_AT(TMOUSECONFIGINFO, VWheelButtonFuncInfo, 56580);
QOR_AT(TMOUSECONFIGINFO, HWheelButtonFuncInfo, 64124);
QOR_AT(TMOUSECONFIGINFO, VWheelType, 71668);
QOR_AT(TMOUSECONFIGINFO, HWheelType, 71670);
QOR_AT(TMOUSECONFIGINFO, VWheelSpeed, 71672);
QOR_AT(TMOUSECONFIGINFO, HWheelSpeed, 71674);
QOR_AT(TMOUSECONFIGINFO, HWVWheelValue, 71676);
QOR_AT(TMOUSECONFIGINFO, WheelLedOnOff, 71677);
QOR_AT(TMOUSECONFIGINFO, DoubleClickSpeed, 71678);
QOR_AT(TMOUSECONFIGINFO, PointerSpeed, 71680);
QOR_AT(TMOUSECONFIGINFO, PointerAcceleration, 71682);
QOR_AT(TMOUSECONFIGINFO, UseSystemPointerSpeedSetting, 71684);
QOR_AT(TMOUSECONFIGINFO, ReportRate, 71686);
QOR_AT(TMOUSECONFIGINFO, CurrentCPIIndex, 71688);
QOR_AT(TMOUSECONFIGINFO, CurrentCPIX, 71692);
QOR_AT(TMOUSECONFIGINFO, CurrentCPIY, 71694);
QOR_AT(TMOUSECONFIGINFO, MinCPI, 71696);
QOR_AT(TMOUSECONFIGINFO, MaxCPI, 71698);
QOR_AT(TMOUSECONFIGINFO, UseDiffentXY, 71700);
QOR_AT(TMOUSECONFIGINFO, UseCPIOnScreenFlyShow, 71722);
QOR_AT(TMOUSECONFIGINFO, CPIState, 71724);
QOR_AT(TMOUSECONFIGINFO, HWCPIState, 71790);
QOR_AT(TMOUSECONFIGINFO, CPILevel, 71856);
QOR_AT(TMOUSECONFIGINFO, AutoSwitchProfileWhenAppRun, 71858);
QOR_AT(TMOUSECONFIGINFO, ApplicationList, 71860);
QOR_AT(TMOUSECONFIGINFO, LEDConfig, 82120);
QOR_AT(TMOUSECONFIGINFO, Sensorlift, 82126);
QOR_AT(TMOUSECONFIGINFO, ButtonCount, 82128);
QOR_AT(TMOUSECONFIGINFO, ProfilePath, 82132);
QOR_AT(TMOUSECONFIGINFO, MacroPath, 83158);
QOR_AT(TMOUSECONFIGINFO, ApplyCPISettingEachProfile, 84184);
QOR_AT(TMOUSECONFIGINFO, ApplyAccelaration, 84188);
QOR_AT(TMOUSECONFIGINFO, ApplyDiffirentXY, 84192);
QOR_AT(TMOUSECONFIGINFO, FireKeySpeed, 84196);
QOR_AT(TMOUSECONFIGINFO, FireKeyCount, 84200);

static_assert(sizeof(TOtherConfig) == 24);
QOR_AT(TOtherConfig, HelpFile, 16);
QOR_AT(TOtherConfig, Nologo, 20);

static_assert(sizeof(TMOUSEPROFILEINFO) == 109888);
QOR_AT(TMOUSEPROFILEINFO, FunctionList, 60);
QOR_AT(TMOUSEPROFILEINFO, ConfigInfo, 860);
QOR_AT(TMOUSEPROFILEINFO, HWheelFunctionList, 85064);
QOR_AT(TMOUSEPROFILEINFO, VWheelFunctionList, 85864);
QOR_AT(TMOUSEPROFILEINFO, MacroKeyInfoList, 86664);
static_assert(offsetof(TMOUSEPROFILEINFO, MacroKeyInfoList) +
                  offsetof(TMACROKEYINFOLIST, nMacroInfoCount) ==
              105396);
QOR_AT(TMOUSEPROFILEINFO, MacroInfoToDevice, 105400);
QOR_AT(TMOUSEPROFILEINFO, OtherConfig, 109864);

static_assert(sizeof(TProfileSettingInfo) == 6190);
QOR_AT(TProfileSettingInfo, FilePath, 2);
QOR_AT(TProfileSettingInfo, KeyPath, 2050);
QOR_AT(TProfileSettingInfo, FileName, 4098);
QOR_AT(TProfileSettingInfo, MacroPath, 4140);
QOR_AT(TProfileSettingInfo, StorageKind, 6188);
static_assert(sizeof(TALLGAMESINFO) == 30960);
QOR_AT(TALLGAMESINFO, CurrentGame, 30952);
QOR_AT(TALLGAMESINFO, CurrentLanguage, 30956);
static_assert(sizeof(TProfileSettingGroup) == 30964);
QOR_AT(TProfileSettingGroup, ProfileIndexOfProfileGroup, 4);
QOR_AT(TProfileSettingGroup, ProfileSettingList, 12);

#undef QOR_AT

// Records are copied with byte moves; they must stay trivially copyable.
template <typename T>
concept StoredRecord = std::is_trivially_copyable_v<T> && std::is_standard_layout_v<T>;
static_assert(StoredRecord<TMOUSEPROFILEINFO> && StoredRecord<TALLGAMESINFO> &&
              StoredRecord<TProfileSettingGroup> && StoredRecord<TMACROKEYINFO>);

}  // namespace qor
